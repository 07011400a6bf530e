#include "base/bin_file.h"

#include "base/path_lookup.h"

FILE* BinFile::open(const char* path, const char* mode) {
  close();
  if (path == nullptr || mode == nullptr) return nullptr;
  stream = std::fopen(resolve_existing_path(path).c_str(), mode);
  return stream;
}

void BinFile::close() {
  if (stream != nullptr) {
    std::fclose(stream);
    stream = nullptr;
  }
}

int BinFile::read(void* destination, size_t size) {
  if (stream == nullptr || size == 0 || destination == nullptr) return 0;
  return std::fread(destination, 1, size, stream) == size ? 1 : 0;
}
