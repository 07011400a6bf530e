// Feeds arbitrary bytes to the font's character-table readers, parsed from
// memory and read as a file (held in memory, through the input reader), and
// checks that both agree with each other and with the bytes they were given.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "base/memory_files.h"
#include "render/font_table.h"

namespace {

constexpr char kTablePath[] = "fuzz/font.fnd";

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
  FontTable parsed;
  const bool parsedOk = ParseFontTable(data, size, parsed);
  if (parsedOk) checkAgainstBytes(parsed, data, size);
  if (!parsedOk && parsed.Count() != 0) std::abort();

  register_memory_file(kTablePath, std::vector<uint8_t>(data, data + size));
  FontTable read;
  const bool readOk = ReadFontTableFile(kTablePath, read);
  if (readOk != parsedOk) std::abort();
  if (readOk) checkAgainstBytes(read, data, size);
  return 0;
}
