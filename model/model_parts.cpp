#include <cstring>
#include <memory>
#include <string>

#include "model/model_loader.h"
#include "render/render_model.h"

// A model too large for one file is stored as several: the first names the
// others with 'p' commands. Each part is a whole model file with its own
// script (same bones and clips), loaded beside the first and drawn with it.
bool ModelLoader::loadParts(const char* path) {
  if (loadingPart_) {
    log_text("<error> a part names parts of its own");
    return false;
  }
  const std::string modelPath = path;
  const size_t slash = modelPath.find_last_of("/\\");
  const std::string folder = slash == std::string::npos ? "" : modelPath.substr(0, slash + 1);
  model->parts.clear();
  for (const TextCommandEntry& entry : model->partCommands) {
    const char* name = entry.name.data != nullptr ? entry.name.data : "";
    // Parts live beside the model they belong to, so a script cannot reach elsewhere.
    if (name[0] == 0 || std::strpbrk(name, "/\\") != nullptr || std::strcmp(name, "..") == 0) {
      log_text2("<error> a part is named by its file name alone: ", name);
      return false;
    }
    const std::string partPath = folder + name;
    log_text2("loading part: ", partPath.c_str());
    auto part = std::make_unique<RenderModel>();
    ModelLoader partLoader;
    partLoader.loadingPart_ = true;
    partLoader.meltingDegree = meltingDegree;
    LoadTargets targets;
    targets.keepInRam = keepInRam_;
    targets.model = part.get();
    if (partLoader.load(partPath.c_str(), targets) == 0) {
      log_text2("<error> part not loaded: ", partPath.c_str());
      return false;
    }
    model->parts.push_back(std::move(part));
  }
  return true;
}
