#pragma once
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/fx/compiled_effect.h"
#include "platform/fx/hlsl_compiler.h"

// Compiled effects kept on disk between runs, so that a run after the first
// skips glslang and SPIRV-Cross for effects it has seen. An entry is keyed
// by the effect file's own bytes, its file name (messages and the effect
// carry it), the translation options, the compiler versions and the program
// that wrote it; the entry also holds the bytes of every file the effect
// included, which the caller compares with the files as they are now. So a
// hit needs neither glslang nor SPIRV-Cross, not even the preprocessor.
// The cache is never required: an entry that is missing, stale, corrupt or
// unreadable is compiled again and rewritten, and a folder that cannot be
// written only costs the saving.
namespace fx {

class EffectDiskCache {
 public:
  explicit EffectDiskCache(std::filesystem::path folder) : folder_(std::move(folder)) {}

  // $XDG_CACHE_HOME/meshview/effects, else $HOME/.cache/meshview/effects;
  // empty when neither variable is set to an absolute path.
  static std::filesystem::path default_folder();

  // The key of an effect, from the parts named above.
  static std::string make_key(const std::string& source, const std::string& name,
                              const std::string& options);

  // The effect stored under the key, with the messages of its compile and
  // the files it included; null when there is none that can be trusted.
  std::shared_ptr<const CompiledEffect> load(const std::string& key, std::string& messages,
                                             std::vector<IncludedFile>& includes) const;
  // Stores atomically (a reader sees the old entry or the whole new one).
  // False when it could not be written.
  bool store(const std::string& key, const CompiledEffect& effect, const std::string& messages,
             const std::vector<IncludedFile>& includes) const;

  // The file an entry lives in.
  std::filesystem::path entry_path(const std::string& key) const;
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
};

}  // namespace fx
