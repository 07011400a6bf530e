#include "import/registered_model.h"

#include "base/memory_files.h"

namespace {

std::string folder(std::string path) {
  if (path.empty() || path.back() != '/') path += '/';
  return path;
}

}  // namespace

RegisteredModel::RegisteredModel(const ConvertedFiles& files, const std::string& root)
    : startFolder_(folder(root) + "bin/"), textureFolder_(folder(root) + "texture/") {
  modelPath_ = startFolder_ + files.modelName;
  register_memory_file(modelPath_, files.model);
  registered_.push_back(modelPath_);
  const std::string script = startFolder_ + files.scriptName;
  register_memory_file(script, std::string_view(files.script));
  registered_.push_back(script);
  // A model in parts names its other files with 'p' commands, beside it.
  for (const ConvertedPart& part : files.parts) {
    const std::string partModel = startFolder_ + part.modelName;
    register_memory_file(partModel, part.model);
    registered_.push_back(partModel);
    const std::string partScript = startFolder_ + part.scriptName;
    register_memory_file(partScript, std::string_view(part.script));
    registered_.push_back(partScript);
  }
  for (const TextureFile& texture : files.textures) {
    const std::string path = textureFolder_ + texture.name;
    register_memory_file(path, std::vector<uint8_t>(texture.bytes.begin(), texture.bytes.end()));
    registered_.push_back(path);
  }
}

RegisteredModel::~RegisteredModel() {
  for (const std::string& path : registered_) unregister_memory_file(path);
}
