#include "tools/demo_generator/demo_font.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

#define STBTT_STATIC
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

namespace {

bool readFile(const std::string& path, std::vector<unsigned char>* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !bytes->empty();
}

// The baseline's distance from the cell's top: the font's ascent, raised
// where needed so that the deepest descender (an underscore, a bar) still
// fits in the cell, but never so far that the tallest glyph loses its top.
int cellBaseline(const stbtt_fontinfo& font, float scale) {
  int ascent = 0;
  int descent = 0;
  int lineGap = 0;
  stbtt_GetFontVMetrics(&font, &ascent, &descent, &lineGap);
  int highest = 0;
  int lowest = 0;
  for (int code = FontAtlas::kFirstDrawn; code <= FontAtlas::kLastDrawn; ++code) {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    stbtt_GetCodepointBitmapBox(&font, code, scale, scale, &x0, &y0, &x1, &y1);
    highest = std::min(highest, y0);
    lowest = std::max(lowest, y1);
  }
  const int fromAscent = static_cast<int>(std::lround(float(ascent) * scale));
  return std::max(std::min(fromAscent, FontAtlas::kCellSize - lowest), -highest);
}

}  // namespace

bool rasteriseFont(const std::string& ttfPath, FontAtlas* atlas, std::string* error) {
  std::vector<unsigned char> ttf;
  if (!readFile(ttfPath, &ttf)) {
    *error = "cannot read the font file " + ttfPath;
    return false;
  }
  stbtt_fontinfo font;
  const int offset = stbtt_GetFontOffsetForIndex(ttf.data(), 0);
  if (offset < 0 || !stbtt_InitFont(&font, ttf.data(), offset)) {
    *error = "not a TrueType font: " + ttfPath;
    return false;
  }

  constexpr int kCell = FontAtlas::kCellSize;
  const float scale = stbtt_ScaleForPixelHeight(&font, float(kCell));
  const int baseline = cellBaseline(font, scale);
  // A monospaced font: every character advances by the width of 'M'.
  int advance = 0;
  int leftBearing = 0;
  stbtt_GetCodepointHMetrics(&font, 'M', &advance, &leftBearing);
  const int penAdvance =
      std::clamp(static_cast<int>(std::lround(float(advance) * scale)), 2, kCell);

  atlas->image = RgbImage(FontAtlas::kImageSize, FontAtlas::kImageSize);
  atlas->glyphs.assign(FontAtlas::kCodes, FontGlyph{});
  std::vector<unsigned char> coverage(size_t(kCell) * kCell);
  const float texel = 1.0f / float(FontAtlas::kImageSize);
  for (int code = 0; code < FontAtlas::kCodes; ++code) {
    const int cellX = (code % 16) * kCell;
    const int cellY = (code / 16) * kCell;
    FontGlyph& glyph = atlas->glyphs[size_t(code)];
    glyph.advance = static_cast<uint8_t>(penAdvance);
    glyph.rect = GlyphRect{float(cellX) * texel, float(cellY) * texel,
                           float(cellX + penAdvance) * texel, float(cellY + kCell) * texel};
    if (code < FontAtlas::kFirstDrawn || code > FontAtlas::kLastDrawn) continue;

    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
    stbtt_GetCodepointBitmapBox(&font, code, scale, scale, &x0, &y0, &x1, &y1);
    // Glyph box relative to the cell's top-left corner, clipped to the cell.
    const int left = std::max(0, x0);
    const int top = std::max(0, baseline + y0);
    const int width = std::min(kCell - left, x1 - x0);
    const int height = std::min(kCell - top, y1 - y0);
    if (width <= 0 || height <= 0) continue;
    std::fill(coverage.begin(), coverage.end(), 0);
    stbtt_MakeCodepointBitmap(&font, coverage.data(), width, height, kCell, scale, scale, code);
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        uint8_t* pixel = atlas->image.at(cellX + left + x, cellY + top + y);
        pixel[0] = pixel[1] = pixel[2] = coverage[size_t(y) * kCell + size_t(x)];
      }
    }
  }
  return true;
}
