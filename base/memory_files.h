#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Files held in memory under a path. Every input reader (input_file.h) looks
// here before the disk, so a model converted in memory, its script and its
// textures load through the same code as files on disk, and fuzz targets feed
// inputs without writing a file per input.
//
// Paths are compared after '\' becomes '/' and "." / ".." parts are folded
// ("./a/../b.txt" names "b.txt"); when no entry matches exactly, one that
// matches ignoring case is taken, like the disk lookup does. Thread-safe.

using MemoryFileBytes = std::shared_ptr<const std::vector<uint8_t>>;

// Registers (or replaces) the bytes served for path.
void register_memory_file(std::string_view path, std::vector<uint8_t> bytes);
void register_memory_file(std::string_view path, std::string_view text);
// Removes the entry; false when there was none. Readers that already opened it
// keep their own reference to the bytes.
bool unregister_memory_file(std::string_view path);
void clear_memory_files();
// The bytes registered for path, or null.
MemoryFileBytes find_memory_file(std::string_view path);

// Registers bytes for the lifetime of the object.
class ScopedMemoryFile {
 public:
  ScopedMemoryFile(std::string_view path, std::vector<uint8_t> bytes);
  ScopedMemoryFile(std::string_view path, std::string_view text);
  ~ScopedMemoryFile();
  ScopedMemoryFile(const ScopedMemoryFile&) = delete;
  ScopedMemoryFile& operator=(const ScopedMemoryFile&) = delete;

 private:
  std::string path_;
};
