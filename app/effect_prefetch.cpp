#include "app/effect_prefetch.h"

#include "app/start_input.h"
#include "app/watched_files.h"
#include "base/bin_file.h"
#include "base/log.h"
#include "import/effect_files.h"
#include "platform/fx/effect_cache.h"

namespace {

constexpr char kWallFile[] = "wall.x_out";

// The model input.txt names, or "" (the viewer itself reports why).
std::string StartModelPath() {
  LogSilence quiet;
  BinFile file;
  std::string path;
  if (file.open(kStartInputFile, "r", InputKind::Settings) != nullptr)
    ReadStartModelPath(file.handle(), path);
  return path;
}

void Append(std::vector<std::string>& list, const std::vector<std::string>& more) {
  list.insert(list.end(), more.begin(), more.end());
}

}  // namespace

std::vector<std::string> StartFolderEffects() {
  std::vector<std::string> effects;
  const std::string model = StartModelPath();
  if (!model.empty()) effects = EffectsOfModel(model, "");
  Append(effects, EffectsOfModel(kWallFile, ""));
  return effects;
}

std::vector<std::string> FileModeEffects(const ModelFileCheck& file, const DataFolders& data) {
  std::vector<std::string> effects;
  if (file.kind == ModelFileKind::kNative) {
    effects = EffectsOfModel(file.path, FoldersForModel(file.path).effectFolder);
  } else {
    for (const char* shipped : {shipped_effects::kShadowVolume, shipped_effects::kSkinned})
      effects.push_back(data.start + shipped_effects::kFolderFromBin + shipped);
  }
  Append(effects, EffectsOfModel(data.start + kWallFile, data.start));
  return effects;
}

void PrefetchEffects(const std::vector<std::string>& effects) {
  fx::shared_effect_cache().prefetch(effects);
}
