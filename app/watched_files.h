#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/model_file.h"

// Every file a model of our format reads: the model, its script, the
// textures and effects the script names, and whatever those effects
// #include, followed through their includes.
std::vector<std::string> FilesOfModel(const std::string& modelPath, const ModelFolders& folders);

// The effect files a model's script names, as the loader asks for them
// (effectFolder + name), in the loader's order: the shadow volume's first.
std::vector<std::string> EffectsOfModel(const std::string& modelPath,
                                        const std::string& effectFolder);

// The files an effect #includes, directly or through other includes, found
// relative to the including file's folder; the effect itself not among them.
std::vector<std::string> IncludesOfEffect(const std::string& effectPath);

// Notices changes to a set of files: their modification time and size, or
// that they are missing.
class FileWatcher {
 public:
  FileWatcher() = default;
  explicit FileWatcher(std::vector<std::string> files);

  // True when any file differs from the last look; the new state becomes the
  // one compared next time.
  bool Changed();
  const std::vector<std::string>& Files() const { return files_; }

 private:
  struct Stamp {
    bool exists = false;
    int64_t time = 0;
    uintmax_t size = 0;
    bool operator==(const Stamp&) const = default;
  };
  std::vector<Stamp> Look() const;

  std::vector<std::string> files_;
  std::vector<Stamp> stamps_;
};
