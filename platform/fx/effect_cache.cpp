#include "platform/fx/effect_cache.h"

#include <filesystem>

namespace fx {

namespace {

std::string options_text(const EffectCompileOptions& options) {
  return std::string(options.glsl.fixup_clip_space ? "z" : "-") +
         (options.glsl.flip_vertex_y ? "y" : "-") + "|" + options.glsl.position_offset_uniform;
}

std::string cache_key(const std::string& found_path, const EffectCompileOptions& options) {
  std::error_code ignored;
  std::string absolute = std::filesystem::absolute(found_path, ignored).lexically_normal().string();
  return absolute + "|" + options_text(options);
}

}  // namespace

EffectCache::EffectCache() : EffectCache(std::filesystem::path()) {}

EffectCache::EffectCache(std::filesystem::path disk_folder)
    : compiler_(make_glslang_hlsl_compiler()), disk_(std::move(disk_folder)) {}

EffectCache::~EffectCache() = default;

EffectCompileResult EffectCache::compile_file(const std::string& path,
                                              const EffectCompileOptions& options) {
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
  // The disk entry is keyed by the preprocessed text, so a changed include
  // is a different entry.
  std::string disk_key;
  if (!disk_.folder().empty()) {
    std::string preprocessed;
    std::string messages;
    if (compiler_->preprocess(contents, found_path, preprocessed, messages)) {
      disk_key = EffectDiskCache::make_key(preprocessed, found_path, options_text(options));
      if (auto stored = disk_.load(disk_key, result.messages)) {
        ++disk_loads_;
        result.status = EffectStatus::Compiled;
        result.effect = std::move(stored);
        entries_[key] = Entry{std::move(contents), result};
        return result;
      }
      result.messages.clear();
    }
  }
  ++compilations_;
  result = compile_effect_source(contents, found_path, *compiler_, options);
  if (result.compiled() && !disk_key.empty())
    disk_.store(disk_key, *result.effect, result.messages);
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

size_t EffectCache::disk_loads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return disk_loads_;
}

void EffectCache::set_disk_folder(std::filesystem::path folder) {
  std::lock_guard<std::mutex> lock(mutex_);
  disk_ = EffectDiskCache(std::move(folder));
}

void EffectCache::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
}

EffectCache& shared_effect_cache() {
  static EffectCache cache(EffectDiskCache::default_folder());
  return cache;
}

}  // namespace fx
