#include "import/recording_io_system.h"

#include <assimp/MemoryIOWrapper.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "import/text_encoding.h"

namespace fs = std::filesystem;

namespace {

// Text files bigger than this are handed over as they are.
constexpr uintmax_t kLargestTranscodedFile = uintmax_t{256} << 20;

// The file as UTF-8 in memory when it is UTF-16 text, else null.
Assimp::IOStream* transcodedUtf16(const char* file) {
  std::ifstream in(file, std::ios::binary);
  char mark[2] = {};
  if (!in.read(mark, 2)) return nullptr;
  const bool utf16 =
      (mark[0] == '\xFF' && mark[1] == '\xFE') || (mark[0] == '\xFE' && mark[1] == '\xFF');
  std::error_code code;
  if (!utf16 || fs::file_size(file, code) > kLargestTranscodedFile || code) return nullptr;
  std::string bytes(mark, 2);
  bytes.append(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  std::string text;
  if (!utf16ToUtf8(bytes, &text) || !looksLikeText(text)) return nullptr;
  auto* buffer = new uint8_t[text.size() + 1];
  std::copy(text.begin(), text.end(), buffer);
  buffer[text.size()] = 0;
  return new Assimp::MemoryIOStream(buffer, text.size(), /*own=*/true);
}

}  // namespace

Assimp::IOStream* RecordingIOSystem::Open(const char* file, const char* mode) {
  const bool reading = mode != nullptr && mode[0] == 'r';
  Assimp::IOStream* stream = reading ? transcodedUtf16(file) : nullptr;
  if (stream == nullptr) stream = DefaultIOSystem::Open(file, mode);
  if (stream != nullptr && reading) {
    std::error_code code;
    const fs::path absolute = fs::absolute(file, code);
    addOnce(opened_, (code ? fs::path(file) : absolute).lexically_normal().string());
  }
  return stream;
}

void addOnce(std::vector<std::string>& files, const std::string& path) {
  if (std::find(files.begin(), files.end(), path) == files.end()) files.push_back(path);
}
