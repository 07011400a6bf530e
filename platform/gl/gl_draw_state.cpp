#include "platform/gl/gl_draw_state.h"

#include <cstring>

#include "platform/gl/gl_names.h"

namespace {

// Large enough for a frame of on-screen text (about 90 glyph quads of six
// 28-byte vertices) many times over.
constexpr size_t kFirstStreamCapacity = 256 * 1024;

// The device that set up the latest draw in this process.
const void* g_lastDevice = nullptr;

bool SameLocations(const std::vector<GlInputLocation>& known, const GlInputLocation* inputs,
                   int count) {
  if (known.size() != size_t(count)) return false;
  for (int i = 0; i < count; ++i) {
    const GlInputLocation& a = known[size_t(i)];
    const GlInputLocation& b = inputs[i];
    if (a.semantic != b.semantic || a.index != b.index || a.location != b.location ||
        a.integer != b.integer)
      return false;
  }
  return true;
}

}  // namespace

void GlDrawState::Begin(const void* device) {
  if (device_ != device || g_lastDevice != device || epoch_ != gl_binding_epoch()) Forget();
  device_ = device;
  g_lastDevice = device;
  epoch_ = gl_binding_epoch();
}

void GlDrawState::Forget() {
  renderStatesSet_ = false;
  unitSet_.fill(false);
  inputsSet_ = false;
}

bool GlDrawState::RenderStatesNeeded(bool changed) {
  const bool needed = changed || !renderStatesSet_;
  renderStatesSet_ = true;
  return needed;
}

bool GlDrawState::UnitNeeds(DWORD unit, GLuint texture, GLuint sampler) {
  if (unit >= kMaxSamplers) return true;
  if (unitSet_[unit] && unitTexture_[unit] == texture && unitSampler_[unit] == sampler)
    return false;
  unitSet_[unit] = true;
  unitTexture_[unit] = texture;
  unitSampler_[unit] = sampler;
  return true;
}

bool GlDrawState::InputsNeeded(DWORD fvf, GLuint buffer, uintptr_t offset, GLsizei stride,
                               const GlInputLocation* inputs, int inputCount) {
  if (inputsSet_ && inputs_.fvf == fvf && inputs_.buffer == buffer && inputs_.offset == offset &&
      inputs_.stride == stride && SameLocations(inputs_.locations, inputs, inputCount))
    return false;
  inputsSet_ = true;
  inputs_.fvf = fvf;
  inputs_.buffer = buffer;
  inputs_.offset = offset;
  inputs_.stride = stride;
  inputs_.locations.assign(inputs, inputs + inputCount);
  return true;
}

bool GlStreamBuffer::Append(GLuint buffer, const void* data, size_t bytes, size_t stride,
                            GLint* firstVertex) {
  if (stride == 0) return false;
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  size_t at = (used_ + stride - 1) / stride * stride;
  if (capacity_ == 0 || at + bytes > capacity_) {
    // Fresh storage: draws still queued keep reading the old one.
    size_t capacity = capacity_ > kFirstStreamCapacity ? capacity_ : kFirstStreamCapacity;
    while (capacity < bytes) capacity *= 2;
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(capacity), nullptr, GL_STREAM_DRAW);
    capacity_ = capacity;
    at = 0;
  }
  // Nothing queued reads this range: it lies past everything written since
  // the storage was new.
  void* target =
      glMapBufferRange(GL_ARRAY_BUFFER, GLintptr(at), GLsizeiptr(bytes),
                       GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT);
  if (target == nullptr) {
    capacity_ = 0;
    used_ = 0;
    return false;
  }
  std::memcpy(target, data, bytes);
  if (glUnmapBuffer(GL_ARRAY_BUFFER) == GL_FALSE) {
    capacity_ = 0;
    used_ = 0;
    return false;
  }
  used_ = at + bytes;
  *firstVertex = GLint(at / stride);
  return true;
}
