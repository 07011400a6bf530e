// Feeds arbitrary bytes to the font's character-table readers, from memory
// and from a file, and checks that both agree with each other and with the
// bytes they were given.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "render/font_table.h"

namespace {

std::filesystem::path g_folder;

void removeFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(g_folder, ignored);
}

std::string prepareTablePath() {
  std::string pattern = (std::filesystem::temp_directory_path() / "font-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  g_folder = pattern;
  std::atexit(removeFolder);
  return (g_folder / "font.fnd").string();
}

bool sameRect(const GlyphRect& a, const GlyphRect& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// A loaded table must be exactly what the bytes say.
void checkAgainstBytes(const FontTable& table, const uint8_t* data, size_t size) {
  uint32_t count = 0;
  for (int i = 0; i < 4; ++i) count |= uint32_t(data[i]) << (8 * i);
  if (uint32_t(table.Count()) != count) std::abort();
  if (kFontTableHeaderBytes + uint64_t(count) * kFontTableBytesPerGlyph > size) std::abort();
  for (uint32_t i = 0; i < count; ++i) {
    if (table.widths[i] != data[kFontTableHeaderBytes + i]) std::abort();
    const uint8_t* rect = data + kFontTableHeaderBytes + count + size_t(i) * sizeof(GlyphRect);
    uint32_t bits[4];
    for (int f = 0; f < 4; ++f) {
      bits[f] = 0;
      for (int b = 0; b < 4; ++b) bits[f] |= uint32_t(rect[4 * f + b]) << (8 * b);
    }
    const GlyphRect expected{std::bit_cast<float>(bits[0]), std::bit_cast<float>(bits[1]),
                             std::bit_cast<float>(bits[2]), std::bit_cast<float>(bits[3])};
    if (!sameRect(table.rects[i], expected)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string tablePath = prepareTablePath();

  FontTable parsed;
  const bool parsedOk = ParseFontTable(data, size, parsed);
  if (parsedOk) checkAgainstBytes(parsed, data, size);
  if (!parsedOk && parsed.Count() != 0) std::abort();

  FILE* file = std::fopen(tablePath.c_str(), "wb");
  if (file == nullptr) return 0;
  if (size > 0) std::fwrite(data, 1, size, file);
  std::fclose(file);

  FontTable read;
  const bool readOk = ReadFontTableFile(tablePath.c_str(), read);
  if (readOk != parsedOk) std::abort();
  if (readOk) checkAgainstBytes(read, data, size);
  return 0;
}
