#include "render/font_table.h"

#include <bit>
#include <cstdio>
#include <cstring>

#include "base/bin_file.h"

namespace {

uint32_t ReadLe32(const uint8_t* bytes) {
  return uint32_t(bytes[0]) | uint32_t(bytes[1]) << 8 | uint32_t(bytes[2]) << 16 |
         uint32_t(bytes[3]) << 24;
}

void AppendLe32(std::string& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(char((value >> shift) & 0xFF));
}

// Bytes that the widths and rectangles of count glyphs take after the header;
// 64-bit so that no count can wrap it.
uint64_t GlyphBytes(uint32_t count) { return uint64_t(count) * kFontTableBytesPerGlyph; }

GlyphRect DecodeRect(const uint8_t* bytes) {
  GlyphRect rect;
  rect.uleft = std::bit_cast<float>(ReadLe32(bytes));
  rect.vtop = std::bit_cast<float>(ReadLe32(bytes + 4));
  rect.uright = std::bit_cast<float>(ReadLe32(bytes + 8));
  rect.vbottom = std::bit_cast<float>(ReadLe32(bytes + 12));
  return rect;
}

// Both arrays sized to count; a count of 0 leaves them empty, which is a
// table with no characters rather than a failure.
bool AllocateTable(uint32_t count, FontTable& table) {
  if (count > uint32_t(BoundedArray<uint8_t>::kMaxCount)) return false;
  if (count == 0) return true;
  if (!table.widths.resize(count) || !table.rects.resize(count)) {
    table.Clear();
    return false;
  }
  return true;
}

// The size of an open file in bytes, -1 when it cannot be told (a pipe).
int64_t FileSize(FILE* file) {
  if (std::fseek(file, 0, SEEK_END) != 0) return -1;
  const long size = std::ftell(file);
  if (size < 0 || std::fseek(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

}  // namespace

bool ParseFontTable(const uint8_t* bytes, size_t size, FontTable& table) {
  table.Clear();
  if (bytes == nullptr || size < kFontTableHeaderBytes) return false;
  const uint32_t count = ReadLe32(bytes);
  if (GlyphBytes(count) > size - kFontTableHeaderBytes) return false;
  if (!AllocateTable(count, table)) return false;
  const uint8_t* widths = bytes + kFontTableHeaderBytes;
  const uint8_t* rects = widths + count;
  for (uint32_t i = 0; i < count; ++i) {
    table.widths[i] = widths[i];
    table.rects[i] = DecodeRect(rects + size_t(i) * sizeof(GlyphRect));
  }
  return true;
}

bool ReadFontTableFile(const char* path, FontTable& table) {
  table.Clear();
  BinFile file;
  if (file.open(path, "rb", InputKind::FontTable) == nullptr) return false;
  const int64_t fileSize = FileSize(file.handle());
  if (fileSize < int64_t(kFontTableHeaderBytes)) return false;

  uint8_t header[kFontTableHeaderBytes];
  if (!file.read(header, sizeof header)) return false;
  const uint32_t count = ReadLe32(header);
  // A count the file cannot hold fails before anything is allocated for it.
  if (GlyphBytes(count) > uint64_t(fileSize) - kFontTableHeaderBytes) return false;
  if (!AllocateTable(count, table)) return false;
  if (count == 0) return true;

  const size_t rectBytes = size_t(count) * sizeof(GlyphRect);
  if (!file.read(table.widths.data, count) || !file.read(table.rects.data, rectBytes)) {
    table.Clear();  // the file shrank while being read
    return false;
  }
  // The rectangles arrived as little-endian bytes; decode each in place.
  for (uint32_t i = 0; i < count; ++i) {
    uint8_t raw[sizeof(GlyphRect)];
    std::memcpy(raw, &table.rects[i], sizeof raw);
    table.rects[i] = DecodeRect(raw);
  }
  return true;
}

std::string EncodeFontTable(const std::vector<FontGlyph>& glyphs) {
  std::string out;
  out.reserve(kFontTableHeaderBytes + glyphs.size() * kFontTableBytesPerGlyph);
  AppendLe32(out, uint32_t(glyphs.size()));
  for (const FontGlyph& glyph : glyphs) out.push_back(char(glyph.advance));
  for (const FontGlyph& glyph : glyphs) {
    AppendLe32(out, std::bit_cast<uint32_t>(glyph.rect.uleft));
    AppendLe32(out, std::bit_cast<uint32_t>(glyph.rect.vtop));
    AppendLe32(out, std::bit_cast<uint32_t>(glyph.rect.uright));
    AppendLe32(out, std::bit_cast<uint32_t>(glyph.rect.vbottom));
  }
  return out;
}

bool WriteFontTableFile(const char* path, const std::vector<FontGlyph>& glyphs) {
  if (path == nullptr) return false;
  const std::string bytes = EncodeFontTable(glyphs);
  FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}
