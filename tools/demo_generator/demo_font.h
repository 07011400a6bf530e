#pragma once
#include <string>
#include <vector>

#include "render/font_table.h"
#include "tools/demo_generator/demo_textures.h"

// The viewer's bitmap font made from a TrueType font: a 256 x 256 glyph
// image of 16 x 16 cells, one per character code (row = code / 16), white
// glyphs on black, and the character table giving each code its advance and
// its cell's left part.
struct FontAtlas {
  static constexpr int kImageSize = 256;
  static constexpr int kCellSize = 16;
  static constexpr int kCodes = 256;
  static constexpr int kFirstDrawn = 32;  // codes below and above the range
  static constexpr int kLastDrawn = 126;  // keep an empty cell

  RgbImage image;
  std::vector<FontGlyph> glyphs;  // kCodes of them
};

// Renders the printable ASCII characters of the font file at 16 pixels.
// False with a reason when the file cannot be read or is no font.
bool rasteriseFont(const std::string& ttfPath, FontAtlas* atlas, std::string* error);
