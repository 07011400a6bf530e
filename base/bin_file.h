#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

// A thin owner of one buffered input stream with whole-block reads: a read
// succeeds only when every requested byte arrived.
class BinFile {
 public:
  BinFile() = default;
  BinFile(const BinFile&) = delete;
  BinFile& operator=(const BinFile&) = delete;
  ~BinFile() { close(); }

  // Opens path with a stdio mode ("rb", "r"); returns the handle, nullptr on failure.
  FILE* open(const char* path, const char* mode);
  void close();
  FILE* handle() const { return stream; }
  bool isOpen() const { return stream != nullptr; }

  // 1 when all size bytes were read; 0 otherwise (also for size 0 or no file).
  int read(void* destination, size_t size);
  int readInt(void* destination) { return read(destination, 4); }

 private:
  FILE* stream = nullptr;
};
