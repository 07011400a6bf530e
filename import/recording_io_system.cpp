#include "import/recording_io_system.h"

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

Assimp::IOStream* RecordingIOSystem::Open(const char* file, const char* mode) {
  Assimp::IOStream* stream = DefaultIOSystem::Open(file, mode);
  if (stream != nullptr && mode != nullptr && mode[0] == 'r') {
    std::error_code code;
    const fs::path absolute = fs::absolute(file, code);
    addOnce(opened_, (code ? fs::path(file) : absolute).lexically_normal().string());
  }
  return stream;
}

void addOnce(std::vector<std::string>& files, const std::string& path) {
  if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
}
