#include "app/foreign_load.h"

#include "base/dirs.h"
#include "base/log.h"
#include "base/program_data.h"
#include "import/memory_import.h"
#include "import/registered_model.h"
#include "model/model_loader.h"

ModelLoad ForeignModelLoad(const std::string& path, const std::string& up, const DataFolders& data,
                           std::shared_ptr<std::vector<std::string>> sourceFiles) {
  return [path, up, data, sourceFiles](RenderModel& model, RenderModel& shadowVolume) -> uint32_t {
    ConvertOptions options;
    options.input = path;
    options.up = up;
    options.effectDir = data.effect;
    options.executablePath = runningExecutablePath();
    ConvertedFiles files;
    ConvertSummary summary;
    std::string error;
    const bool converted = convertInMemory(
        options, &files, &summary, &error,
        [](const std::string& warning) { log_text2("conversion warning: ", warning.c_str()); });
    if (sourceFiles)
      *sourceFiles = files.sourceFiles.empty() ? std::vector<std::string>{path} : files.sourceFiles;
    if (!converted) {
      log_text2("<error> ", error.c_str());
      return 0;
    }
    // The converted model, script and textures are read from memory as a
    // start folder's; the script's effect names ("../effect/...") resolve in
    // the data folder's start folder.
    const RegisteredModel registered(files);
    g_textureFolder = TextString(registered.textureFolder().c_str());
    g_effectFolder = TextString(data.start.c_str());
    ModelLoader loader;
    LoadTargets targets;
    targets.keepInRam = 1;
    targets.model = &model;
    targets.shadowModel = &shadowVolume;
    const uint32_t result = loader.load(registered.modelPath().c_str(), targets);
    log_int("Mloader OutPut> ", static_cast<int32_t>(result));
    return RequireEffect(result, model);
  };
}
