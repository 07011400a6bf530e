#pragma once
#include <cstddef>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/fx/effect_compiler.h"
#include "platform/fx/effect_disk_cache.h"
#include "platform/fx/prefetch_child.h"

// Compiling an effect takes tens of milliseconds and every model names one,
// often the same: within a run, a file whose bytes and options are unchanged
// is compiled once and its result shared. With a disk folder, results also
// outlive the run (see effect_disk_cache.h).
namespace fx {

class EffectCache {
 public:
  // No disk folder: results are kept for the run only.
  EffectCache();
  explicit EffectCache(std::filesystem::path disk_folder);
  // With another compiler behind it (glslang's otherwise).
  EffectCache(std::filesystem::path disk_folder, std::unique_ptr<HlslCompiler> compiler);
  ~EffectCache();
  EffectCache(const EffectCache&) = delete;
  EffectCache& operator=(const EffectCache&) = delete;

  // As compile_effect_file; failures are not kept, so a mended file
  // compiles again.
  EffectCompileResult compile_file(const std::string& path,
                                   const EffectCompileOptions& options = {});

  // Compiles these effects into the disk folder in a child process while the
  // caller goes on (opening the window, loading models); a compile_file of
  // one of them first waits until the child is past it, then finds it on
  // disk. Call it while the process has one thread, in the order the effects
  // will be loaded. Nothing happens without a disk folder or while an earlier
  // prefetch runs; an effect the child cannot compile is compiled (and its
  // errors reported) by compile_file as usual.
  void prefetch(const std::vector<std::string>& paths, const EffectCompileOptions& options = {});

  // How many compilations actually ran, and how many results came from disk.
  size_t compilations() const;
  size_t disk_loads() const;
  // Forgets the results of this run (the disk keeps its own).
  void clear();
  // Empty turns the disk off.
  void set_disk_folder(std::filesystem::path folder);

 private:
  struct Entry {
    std::string contents;
    EffectCompileResult result;
  };

  EffectCompileResult compile_locked(const std::string& path, const EffectCompileOptions& options);

  mutable std::mutex mutex_;
  std::map<std::string, Entry> entries_;
  std::unique_ptr<HlslCompiler> compiler_;
  bool default_compiler_ = false;  // glslang, isolated
  EffectDiskCache disk_;
  size_t compilations_ = 0;
  size_t disk_loads_ = 0;
  PrefetchChild prefetch_;
  std::vector<std::string> prefetched_;
};

// The cache the effect runtime uses, on the user's cache folder
// (EffectDiskCache::default_folder).
EffectCache& shared_effect_cache();

}  // namespace fx
