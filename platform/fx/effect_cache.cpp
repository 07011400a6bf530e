#include "platform/fx/effect_cache.h"

#include <filesystem>

namespace fx {

namespace {

std::string cache_key(const std::string& found_path, const EffectCompileOptions& options) {
  std::error_code ignored;
  std::string absolute = std::filesystem::absolute(found_path, ignored).lexically_normal().string();
  return absolute + "|" + (options.glsl.fixup_clip_space ? "z" : "-") + (options.glsl.flip_vertex_y ? "y" : "-") +
         "|" + options.glsl.position_offset_uniform;
}

}  // namespace

EffectCache::EffectCache() : compiler_(make_glslang_hlsl_compiler()) {}

EffectCache::~EffectCache() = default;

EffectCompileResult EffectCache::compile_file(const std::string& path, const EffectCompileOptions& options) {
  EffectCompileResult result;
  std::string found_path;
  std::string contents;
  if (!read_effect_file(path, found_path, contents)) {
    result.status = EffectStatus::FileNotFound;
    return result;
  }
  std::lock_guard<std::mutex> lock(mutex_);
  std::string key = cache_key(found_path, options);
  auto found = entries_.find(key);
  if (found != entries_.end() && found->second.contents == contents) return found->second.result;
  ++compilations_;
  result = compile_effect_source(contents, found_path, *compiler_, options);
  if (result.compiled()) {
    entries_[key] = Entry{std::move(contents), result};
  } else if (found != entries_.end()) {
    entries_.erase(found);
  }
  return result;
}

size_t EffectCache::compilations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return compilations_;
}

void EffectCache::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
}

EffectCache& shared_effect_cache() {
  static EffectCache cache;
  return cache;
}

}  // namespace fx
