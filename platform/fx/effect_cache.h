#pragma once
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/fx/effect_compiler.h"

// Compiling an effect takes tens of milliseconds and every model names one,
// often the same: within a run, a file whose bytes and options are unchanged
// is compiled once and its result shared.
namespace fx {

class EffectCache {
 public:
  EffectCache();
  ~EffectCache();
  EffectCache(const EffectCache&) = delete;
  EffectCache& operator=(const EffectCache&) = delete;

  // As compile_effect_file; failures are not kept, so a mended file
  // compiles again.
  EffectCompileResult compile_file(const std::string& path, const EffectCompileOptions& options = {});

  // How many compilations actually ran.
  size_t compilations() const;
  void clear();

 private:
  struct Entry {
    std::string contents;
    EffectCompileResult result;
  };

  mutable std::mutex mutex_;
  std::map<std::string, Entry> entries_;
  std::unique_ptr<HlslCompiler> compiler_;
  size_t compilations_ = 0;
};

// The cache the effect runtime uses.
EffectCache& shared_effect_cache();

}  // namespace fx
