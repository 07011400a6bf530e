#include "base/memory_files.h"

#include <strings.h>

#include <filesystem>
#include <map>
#include <mutex>

namespace {

std::mutex g_mutex;
std::map<std::string, MemoryFileBytes>& registry() {
  static std::map<std::string, MemoryFileBytes> files;
  return files;
}

std::string normalized(std::string_view path) {
  std::string text(path);
  for (char& c : text) {
    if (c == '\\') c = '/';
  }
  std::string folded = std::filesystem::path(text).lexically_normal().generic_string();
  while (folded.size() > 2 && folded.compare(0, 2, "./") == 0) folded.erase(0, 2);
  return folded;
}

}  // namespace

void register_memory_file(std::string_view path, std::vector<uint8_t> bytes) {
  auto shared = std::make_shared<const std::vector<uint8_t>>(std::move(bytes));
  const std::lock_guard lock(g_mutex);
  registry()[normalized(path)] = std::move(shared);
}

void register_memory_file(std::string_view path, std::string_view text) {
  register_memory_file(path, std::vector<uint8_t>(text.begin(), text.end()));
}

bool unregister_memory_file(std::string_view path) {
  const std::lock_guard lock(g_mutex);
  return registry().erase(normalized(path)) > 0;
}

void clear_memory_files() {
  const std::lock_guard lock(g_mutex);
  registry().clear();
}

MemoryFileBytes find_memory_file(std::string_view path) {
  const std::lock_guard lock(g_mutex);
  auto& files = registry();
  if (files.empty() || path.empty()) return nullptr;
  const std::string key = normalized(path);
  if (auto found = files.find(key); found != files.end()) return found->second;
  for (const auto& [name, bytes] : files) {
    if (strcasecmp(name.c_str(), key.c_str()) == 0) return bytes;
  }
  return nullptr;
}

ScopedMemoryFile::ScopedMemoryFile(std::string_view path, std::vector<uint8_t> bytes)
    : path_(path) {
  register_memory_file(path_, std::move(bytes));
}

ScopedMemoryFile::ScopedMemoryFile(std::string_view path, std::string_view text) : path_(path) {
  register_memory_file(path_, text);
}

ScopedMemoryFile::~ScopedMemoryFile() { unregister_memory_file(path_); }
