#pragma once
#include <cstddef>
#include <cstdint>

#include "base/bin_file.h"

// Where the loader reads a model from: a file, or bytes already in memory.
// Reads are whole-block: they succeed only when every requested byte arrived.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // true when all size bytes were read (never for size 0). A short read leaves
  // the bytes that did arrive in destination and the source at its end.
  virtual bool read(void* destination, size_t size) = 0;
  // Bytes left before the end; lets counts from the file be judged before
  // anything is allocated for them.
  virtual uint64_t remaining() const = 0;
  // Bytes read so far (where the next read starts).
  virtual uint64_t position() const = 0;
};

class FileByteSource : public ByteSource {
 public:
  // Opens path in binary mode; false when it cannot be opened.
  bool open(const char* path);
  void close();
  bool read(void* destination, size_t size) override;
  uint64_t remaining() const override { return position_ < size_ ? size_ - position_ : 0; }
  uint64_t position() const override { return position_; }

 private:
  BinFile file_;
  uint64_t size_ = 0;
  uint64_t position_ = 0;
};

class MemoryByteSource : public ByteSource {
 public:
  MemoryByteSource(const uint8_t* bytes, size_t size) : bytes_(bytes), size_(size) {}
  bool read(void* destination, size_t size) override;
  uint64_t remaining() const override { return size_ - position_; }
  uint64_t position() const override { return position_; }

 private:
  const uint8_t* bytes_;
  size_t size_;
  size_t position_ = 0;
};
