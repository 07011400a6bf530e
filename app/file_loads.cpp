#include "app/file_loads.h"

#include "app/model_file.h"
#include "base/dirs.h"
#include "base/log.h"
#include "model/model_loader.h"

namespace {

constexpr char kWallFile[] = "wall.x_out";

uint32_t LoadWithFolders(const std::string& path, const std::string& textureFolder,
                         const std::string& effectFolder, RenderModel& model,
                         RenderModel& shadowVolume) {
  // The loader finds textures and effects through the process-wide folders;
  // each load sets the ones its model's names are relative to.
  g_textureFolder = TextString(textureFolder.c_str());
  g_effectFolder = TextString(effectFolder.c_str());
  ModelLoader loader;
  LoadTargets targets;
  targets.keepInRam = 1;
  targets.model = &model;
  targets.shadowModel = &shadowVolume;
  return loader.load(path.c_str(), targets);
}

}  // namespace

uint32_t RequireEffect(uint32_t result, const RenderModel& model) {
  if (result != 0 && model.FindCommand('e') >= 0 && model.effect.GetEffect() == nullptr) {
    log_text("<error> the model's effect did not load");
    return 0;
  }
  return result;
}

ModelLoad NativeModelLoad(const std::string& path) {
  return [path](RenderModel& model, RenderModel& shadowVolume) {
    const ModelFolders folders = FoldersForModel(path);
    const uint32_t result =
        LoadWithFolders(path, folders.textureFolder, folders.effectFolder, model, shadowVolume);
    log_int("Mloader OutPut> ", static_cast<int32_t>(result));
    return RequireEffect(result, model);
  };
}

ModelLoad DataWallLoad(const DataFolders& data) {
  return [data](RenderModel& wall, RenderModel& shadowVolume) {
    // The wall's script names its effect relative to the start folder.
    const uint32_t result =
        LoadWithFolders(data.start + kWallFile, data.texture, data.start, wall, shadowVolume);
    log_int("wall.x_out:Mloader output", static_cast<int32_t>(result));
    return result;
  };
}

std::function<void(Font&)> DataFontLoad(const DataFolders& data) {
  return [start = data.start](Font& font) { font.Load(start.c_str(), ".bmp"); };
}
