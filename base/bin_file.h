#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "base/input_file.h"

// A thin owner of one buffered input stream with whole-block reads: a read
// succeeds only when every requested byte arrived. Files open through
// input_file.h: regular files within the kind's size limit, or files held in
// memory.
class BinFile {
 public:
  BinFile() = default;
  BinFile(const BinFile&) = delete;
  BinFile& operator=(const BinFile&) = delete;
  ~BinFile() { close(); }

  // Opens path for reading ("rb" or "r"; both read bytes as they are);
  // returns the handle, nullptr on failure (status() says why).
  FILE* open(const char* path, const char* mode, InputKind kind = InputKind::Any);
  void close();
  FILE* handle() const { return stream; }
  bool isOpen() const { return stream != nullptr; }
  // What the last open found: the path read, or why it was not.
  const InputStatus& status() const { return status_; }

  // 1 when all size bytes were read; 0 otherwise (also for size 0 or no file).
  int read(void* destination, size_t size);
  int readInt(void* destination) { return read(destination, 4); }

 private:
  FILE* stream = nullptr;
  MemoryFileBytes memory_;
  InputStatus status_;
};
