#include "app/model_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "render/model_records.h"

namespace fs = std::filesystem;

namespace {

std::string WithSeparator(const fs::path& folder) {
  std::string text = folder.string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

}  // namespace

ModelFileCheck CheckModelFile(const std::string& path) {
  ModelFileCheck check;
  std::error_code error;
  check.path = fs::absolute(path, error).lexically_normal().string();
  if (error) check.path = path;

  const fs::file_status status = fs::status(path, error);
  if (status.type() == fs::file_type::not_found) {
    check.reason = "not found";
    return check;
  }
  if (error) {
    check.reason = error.message();
    return check;
  }
  if (status.type() == fs::file_type::directory) {
    check.reason = "is a directory, not a model file";
    return check;
  }
  if (status.type() != fs::file_type::regular) {
    check.reason = "not a regular file";
    return check;
  }
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    check.reason = std::strerror(errno);
    return check;
  }
  char magic[4] = {};
  const size_t read = std::fread(magic, 1, sizeof magic, file);
  std::fclose(file);
  if (read == 0) {
    check.reason = "is empty";
    return check;
  }
  check.ok = true;
  check.kind = read == sizeof magic && std::memcmp(magic, kModelMagic, sizeof magic) == 0
                   ? ModelFileKind::kNative
                   : ModelFileKind::kForeign;
  return check;
}

ModelFolders FoldersForModel(const std::string& absoluteModelPath) {
  const fs::path folder = fs::path(absoluteModelPath).parent_path();
  const fs::path besideTexture = folder.parent_path() / "texture";
  std::error_code error;
  ModelFolders folders;
  folders.effectFolder = WithSeparator(folder);
  folders.textureFolder =
      fs::is_directory(besideTexture, error) ? WithSeparator(besideTexture) : WithSeparator(folder);
  return folders;
}
