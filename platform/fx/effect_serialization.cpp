#include "platform/fx/effect_serialization.h"

#include <cstring>
#include <type_traits>

namespace fx {

namespace {

class Writer {
 public:
  static constexpr bool kReading = false;

  void number(uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(uint8_t(value >> shift));
  }
  void number(float value) {
    uint32_t bits;
    std::memcpy(&bits, &value, 4);
    number(bits);
  }
  template <class Enum>
  void small(Enum& value) {
    number(uint32_t(value));
  }
  void text(std::string& value) {
    number(uint32_t(value.size()));
    bytes.insert(bytes.end(), value.begin(), value.end());
  }
  void blob(std::vector<uint8_t>& value) {
    number(uint32_t(value.size()));
    bytes.insert(bytes.end(), value.begin(), value.end());
  }
  template <class T, class Visit>
  void list(std::vector<T>& items, Visit visit) {
    number(uint32_t(items.size()));
    for (T& item : items) visit(item);
  }

  std::vector<uint8_t> bytes;
};

class Reader {
 public:
  static constexpr bool kReading = true;

  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}

  void number(uint32_t& value) {
    value = 0;
    if (!take(4)) return;
    for (int i = 0; i < 4; ++i) value |= uint32_t(bytes_[at_ - 4 + size_t(i)]) << (8 * i);
  }
  void number(float& value) {
    uint32_t bits = 0;
    number(bits);
    std::memcpy(&value, &bits, 4);
  }
  template <class Enum>
  void small(Enum& value) {
    uint32_t raw = 0;
    number(raw);
    if (raw > 0xFF) ok_ = false;
    value = Enum(raw);
  }
  void text(std::string& value) {
    uint32_t length = 0;
    number(length);
    if (!take(length)) return;
    value.assign(reinterpret_cast<const char*>(bytes_.data() + at_ - length), length);
  }
  void blob(std::vector<uint8_t>& value) {
    uint32_t length = 0;
    number(length);
    if (!take(length)) return;
    value.assign(bytes_.begin() + std::ptrdiff_t(at_ - length),
                 bytes_.begin() + std::ptrdiff_t(at_));
  }
  template <class T, class Visit>
  void list(std::vector<T>& items, Visit visit) {
    uint32_t count = 0;
    number(count);
    // Every item takes at least one byte: a count beyond the bytes left is
    // damage, not a reason to reserve gigabytes.
    if (!ok_ || count > bytes_.size() - at_) {
      ok_ = false;
      return;
    }
    items.assign(count, T{});
    for (T& item : items) {
      if (!ok_) return;
      visit(item);
    }
  }

  bool finished() const { return ok_ && at_ == bytes_.size(); }

 private:
  bool take(size_t count) {
    if (!ok_ || count > bytes_.size() - at_) {
      ok_ = false;
      return false;
    }
    at_ += count;
    return true;
  }

  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

// The one list of fields, walked by both directions.
template <class Io>
void visit_ignored(Io& io, std::vector<IgnoredState>& states) {
  io.list(states, [&](IgnoredState& s) {
    io.text(s.name);
    io.text(s.value);
    io.text(s.where);
  });
}

template <class Io>
void visit_stage(Io& io, ShaderStageSource& stage) {
  io.text(stage.profile);
  io.text(stage.function);
  io.text(stage.glsl);
}

template <class Io>
void visit_effect(Io& io, CompiledEffect& e, std::string& messages) {
  io.text(messages);
  io.text(e.path);
  io.list(e.textures, [&](EffectTexture& t) {
    io.text(t.name);
    io.text(t.type);
  });
  io.list(e.samplers, [&](EffectSampler& s) {
    io.text(s.name);
    io.text(s.type);
    io.text(s.texture);
    for (uint32_t* value : {&s.min_filter, &s.mag_filter, &s.mip_filter, &s.address_u, &s.address_v,
                            &s.address_w, &s.border_color, &s.max_anisotropy, &s.max_mip_level}) {
      io.number(*value);
    }
    io.number(s.mip_lod_bias);
    io.number(s.srgb_texture);
    visit_ignored(io, s.ignored_states);
  });
  io.list(e.parameters, [&](EffectParameter& p) {
    io.text(p.name);
    io.text(p.semantic);
    io.small(p.type);
    io.small(p.value_class);
    for (uint32_t* value : {&p.rows, &p.columns, &p.elements, &p.offset, &p.size, &p.array_stride,
                            &p.matrix_stride}) {
      io.number(*value);
    }
  });
  io.text(e.uniform_block);
  io.number(e.uniform_block_size);
  io.blob(e.initial_values);
  io.list(e.techniques, [&](EffectTechnique& t) {
    io.text(t.name);
    io.list(t.passes, [&](EffectPass& p) {
      io.text(p.name);
      visit_stage(io, p.vertex);
      visit_stage(io, p.pixel);
      io.list(p.vertex_inputs, [&](VertexInput& v) {
        io.text(v.attribute);
        io.text(v.semantic);
        io.number(v.semantic_index);
        io.number(v.location);
        io.number(v.components);
        io.small(v.type);
      });
      io.list(p.samplers, [&](SamplerBinding& s) {
        io.text(s.uniform);
        io.number(s.sampler);
        io.number(s.unit);
      });
      io.list(p.render_states, [&](RenderStateSetting& r) {
        io.number(r.state);
        io.text(r.name);
        io.number(r.value);
      });
      visit_ignored(io, p.ignored_states);
    });
  });
}

}  // namespace

std::vector<uint8_t> serialize_effect(const CompiledEffect& effect, const std::string& messages) {
  // The walk is shared with reading, which needs mutable fields.
  CompiledEffect copy = effect;
  std::string text = messages;
  Writer writer;
  visit_effect(writer, copy, text);
  return std::move(writer.bytes);
}

bool deserialize_effect(const std::vector<uint8_t>& bytes, CompiledEffect& effect,
                        std::string& messages) {
  Reader reader(bytes);
  effect = CompiledEffect();
  messages.clear();
  visit_effect(reader, effect, messages);
  return reader.finished();
}

}  // namespace fx
