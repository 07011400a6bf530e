#include "app/foreign_load.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/dirs.h"
#include "base/log.h"
#include "base/program_data.h"
#include "import/memory_import.h"
#include "model/model_loader.h"

namespace fs = std::filesystem;

namespace {

// A folder of its own under the system's temporary folder, removed with it.
class StagingFolder {
 public:
  StagingFolder() {
    std::error_code error;
    std::string pattern = (fs::temp_directory_path(error) / "meshview-XXXXXX").string();
    if (error) pattern = "/tmp/meshview-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
  }
  ~StagingFolder() {
    std::error_code error;
    if (!path_.empty()) fs::remove_all(path_, error);
  }
  StagingFolder(const StagingFolder&) = delete;
  StagingFolder& operator=(const StagingFolder&) = delete;

  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

template <typename Bytes>
bool WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// The converted script and textures laid out as a start folder's: the
// script in bin/ beside where the model would be, textures in texture/.
bool Stage(const ConvertedFiles& files, const fs::path& root, std::string* error) {
  std::error_code made;
  fs::create_directories(root / "bin", made);
  fs::create_directories(root / "texture", made);
  if (made) {
    *error = "cannot make the staging folder " + root.string() + ": " + made.message();
    return false;
  }
  if (!WriteFile(root / "bin" / files.scriptName, files.script)) {
    *error = "cannot write the converted script in " + root.string();
    return false;
  }
  for (const TextureFile& texture : files.textures) {
    if (!WriteFile(root / "texture" / texture.name, texture.bytes)) {
      *error = "cannot write the converted texture " + texture.name;
      return false;
    }
  }
  return true;
}

}  // namespace

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
    StagingFolder staging;
    if (staging.Path().empty() || !Stage(files, staging.Path(), &error)) {
      log_text2("<error> ",
                staging.Path().empty() ? "no temporary folder for the conversion" : error.c_str());
      return 0;
    }
    // Textures from the staged texture folder; the script's effect names
    // ("../effect/...") from the data folder's start folder.
    g_textureFolder = TextString((staging.Path() + "/texture/").c_str());
    g_effectFolder = TextString(data.start.c_str());
    ModelLoader loader;
    LoadTargets targets;
    targets.keepInRam = 1;
    targets.model = &model;
    targets.shadowModel = &shadowVolume;
    const std::string modelPath = staging.Path() + "/bin/" + files.modelName;
    const uint32_t result =
        loader.loadFromBytes(files.model.data(), files.model.size(), modelPath.c_str(), targets);
    log_int("Mloader OutPut> ", static_cast<int32_t>(result));
    return RequireEffect(result, model);
  };
}
