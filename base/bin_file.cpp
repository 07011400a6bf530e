#include "base/bin_file.h"

#include <cstring>

FILE* BinFile::open(const char* path, const char* mode, InputKind kind) {
  close();
  status_ = InputStatus{};
  if (path == nullptr || mode == nullptr) return nullptr;
  // Input only: a writing mode is not what this class is for.
  if (std::strchr(mode, 'w') || std::strchr(mode, 'a') || std::strchr(mode, '+')) {
    status_.reason = "not a reading mode";
    return nullptr;
  }
  stream = open_input_stream(path, kind, &memory_, &status_);
  return stream;
}

void BinFile::close() {
  if (stream != nullptr) {
    std::fclose(stream);
    stream = nullptr;
  }
  memory_.reset();
}

int BinFile::read(void* destination, size_t size) {
  if (stream == nullptr || size == 0 || destination == nullptr) return 0;
  return std::fread(destination, 1, size, stream) == size ? 1 : 0;
}
