#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/bounded_array.h"

// The character table of a bitmap font (".fnd"), little-endian:
//   count N (unsigned 32-bit),
//   N advance widths in pixels (one byte each, indexed by character code),
//   N glyph rectangles (four 32-bit floats each: uleft, vtop, uright, vbottom).
// Bytes after the last rectangle are ignored.

// Texture coordinates of one glyph: its top-left and bottom-right corners.
struct GlyphRect {
  float uleft = 0.0f;
  float vtop = 0.0f;
  float uright = 0.0f;
  float vbottom = 0.0f;
};
static_assert(sizeof(GlyphRect) == 16, "a glyph rectangle is four floats");

// One character of a table being written.
struct FontGlyph {
  uint8_t advance = 0;
  GlyphRect rect;
};

inline constexpr size_t kFontTableHeaderBytes = 4;
inline constexpr size_t kFontTableBytesPerGlyph = 1 + sizeof(GlyphRect);

// A table in memory: widths and rectangles, always of the same count.
struct FontTable {
  BoundedArray<uint8_t> widths;
  BoundedArray<GlyphRect> rects;

  int32_t Count() const { return widths.count; }
  // True for the codes the table has an entry for.
  bool Has(int32_t code) const { return code >= 0 && code < widths.count; }
  void Clear() {
    widths.free();
    rects.free();
  }
};

// Decodes a whole table held in memory. False, with the table left empty,
// when the bytes are fewer than the count needs or the count is beyond what
// the arrays can hold. Never reads outside the bytes given.
bool ParseFontTable(const uint8_t* bytes, size_t size, FontTable& table);

// Reads a table file. False, with the table left empty, when the file cannot
// be opened or holds fewer bytes than its count needs; the count is checked
// against the file's size before anything is allocated.
bool ReadFontTableFile(const char* path, FontTable& table);

// The bytes of a table holding these glyphs, code 0 first.
std::string EncodeFontTable(const std::vector<FontGlyph>& glyphs);
// Writes EncodeFontTable to path; false when the file cannot be written.
bool WriteFontTableFile(const char* path, const std::vector<FontGlyph>& glyphs);
