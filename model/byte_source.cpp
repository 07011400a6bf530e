#include "model/byte_source.h"

#include <cstdio>
#include <cstring>

bool FileByteSource::open(const char* path) {
  close();
  FILE* stream = file_.open(path, "rb", InputKind::Model);
  if (stream == nullptr) return false;
  if (std::fseek(stream, 0, SEEK_END) == 0) {
    const long end = std::ftell(stream);
    size_ = end > 0 ? static_cast<uint64_t>(end) : 0;
  }
  std::fseek(stream, 0, SEEK_SET);
  return true;
}

void FileByteSource::close() {
  file_.close();
  size_ = 0;
  position_ = 0;
}

bool FileByteSource::read(void* destination, size_t size) {
  if (file_.read(destination, size) == 1) {
    position_ += size;
    return true;
  }
  if (size > 0) position_ = size_;  // a short block leaves the stream at its end
  return false;
}

bool MemoryByteSource::read(void* destination, size_t size) {
  if (size == 0 || destination == nullptr) return false;
  const size_t available = size_ - position_;
  const size_t taken = size < available ? size : available;
  if (taken > 0) std::memcpy(destination, bytes_ + position_, taken);
  position_ += taken;
  return taken == size;
}
