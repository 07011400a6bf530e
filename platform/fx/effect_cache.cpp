#include "platform/fx/effect_cache.h"

#include <filesystem>
#include <system_error>

#include "base/log.h"
#include "platform/fx/isolated_hlsl_compiler.h"

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
    : EffectCache(std::move(disk_folder), make_effect_hlsl_compiler()) {
  default_compiler_ = true;
}

EffectCache::EffectCache(std::filesystem::path disk_folder, std::unique_ptr<HlslCompiler> compiler)
    : compiler_(std::move(compiler)), disk_(std::move(disk_folder)) {}

EffectCache::~EffectCache() = default;

void EffectCache::prefetch(const std::vector<std::string>& paths,
                           const EffectCompileOptions& options) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (disk_.folder().empty() || prefetch_.running()) return;
  // Only effects not on disk yet are worth a child. Read quietly: compile_file
  // reports a file it cannot read when the load asks for it.
  std::vector<std::string> missing;
  {
    LogSilence quiet;
    for (const std::string& path : paths) {
      std::string found_path;
      std::string contents;
      if (!read_effect_file(path, found_path, contents)) continue;
      std::error_code error;
      const std::string key =
          EffectDiskCache::make_key(contents, found_path, options_text(options));
      if (!std::filesystem::exists(disk_.entry_path(key), error)) missing.push_back(path);
    }
  }
  // The child sees this object as it is now; the lock it holds is ours. The
  // child is itself the isolation, so glslang runs in it directly: a crash or
  // a hang ends only the child, and the load then compiles that effect again,
  // isolated, and reports it.
  const bool started = prefetch_.start(missing.size(), [&](size_t item) {
    if (item == 0 && default_compiler_) compiler_ = make_glslang_hlsl_compiler();
    compile_locked(missing[item], options);
  });
  if (started) prefetched_ = std::move(missing);
}

EffectCompileResult EffectCache::compile_file(const std::string& path,
                                              const EffectCompileOptions& options) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (prefetch_.running()) {
    for (size_t item = 0; item < prefetched_.size(); ++item) {
      if (prefetched_[item] == path) {
        prefetch_.wait_for(item, kCompileSecondsLimit);
        break;
      }
    }
  }
  return compile_locked(path, options);
}

EffectCompileResult EffectCache::compile_locked(const std::string& path,
                                                const EffectCompileOptions& options) {
  EffectCompileResult result;
  std::string found_path;
  std::string contents;
  if (!read_effect_file(path, found_path, contents)) {
    result.status = EffectStatus::FileNotFound;
    return result;
  }
  std::string key = cache_key(found_path, options);
  auto found = entries_.find(key);
  if (found != entries_.end() && found->second.contents == contents) return found->second.result;
  // The disk entry is keyed by the file's own bytes and holds those of its
  // includes, so a hit runs neither the preprocessor nor the compilers.
  std::string disk_key;
  if (!disk_.folder().empty()) {
    disk_key = EffectDiskCache::make_key(contents, found_path, options_text(options));
    std::vector<IncludedFile> includes;
    if (auto stored = disk_.load(disk_key, result.messages, includes);
        stored != nullptr && includes_unchanged(includes)) {
      ++disk_loads_;
      result.status = EffectStatus::Compiled;
      result.effect = std::move(stored);
      result.includes = std::move(includes);
      entries_[key] = Entry{std::move(contents), result};
      return result;
    }
    result.messages.clear();
  }
  ++compilations_;
  result = compile_effect_source(contents, found_path, *compiler_, options);
  if (result.compiled() && !disk_key.empty())
    disk_.store(disk_key, *result.effect, result.messages, result.includes);
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
