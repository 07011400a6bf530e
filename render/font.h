#pragma once
#include <cstddef>
#include <cstdint>

#include "platform/d3d9.h"

// Pre-transformed, coloured, textured vertex of a glyph quad (pixels).
struct GlyphVertex {
  float x;
  float y;
  float z;
  float rhw;
  D3DCOLOR color;
  float u;
  float v;
};
static_assert(sizeof(GlyphVertex) == 28, "GlyphVertex is drawn with stride 28");
inline constexpr DWORD kGlyphVertexFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// The viewer's bitmap font: one glyph image ("font.bmp") with a character
// table ("font.fnd") giving each code's advance width and its rectangle in
// the image. Each character is one screen-space quad tinted with the text
// colour.
//
// The font is process-wide: Font objects hold nothing, and every one of them
// draws with the glyph texture and table that the last Load read.
class Font {
 public:
  static constexpr int32_t kGlyphHeight = 16;
  static constexpr int32_t kGlyphTextureSize = 256;
  static constexpr D3DCOLOR kTextColor = 0x00FFFF00;  // yellow, alpha 0
  static constexpr size_t kTextBufferSize = 512;
  static constexpr int32_t kHighestCode = 255;
  // Codes below kFirstPrintableCode are drawn with the kFallbackCode glyph.
  static constexpr int32_t kFirstPrintableCode = 10;
  static constexpr int32_t kFallbackCode = 64;  // '@'
  // An advance narrower than kMinAdvance becomes kNarrowAdvance.
  static constexpr int32_t kMinAdvance = 2;
  static constexpr int32_t kNarrowAdvance = 4;

  // Loads prefix + "font" + ext as the glyph texture, scaled to 256 x 256
  // (a '.' goes before ext when it has none), and prefix + "font.fnd" as the
  // character table. True when both loaded; failures are logged.
  bool Load(const char* prefix, const char* ext);

  // One glyph quad at (x, y); nothing when the font is not ready or the
  // table has no entry for the code. Sets no device states.
  void DrawChar(int32_t x, int32_t y, int32_t code);
  // Sets the text states and draws each byte, returning the pen's x after
  // the last one; 0 when the font is not ready.
  int32_t DrawText(const char* text, int32_t x, int32_t y);
  // label and value joined with no blank ("%s%d", "%s%u"), cut to 511
  // characters, drawn as DrawText does.
  int32_t DrawTextInt(const char* label, int32_t value, int32_t x, int32_t y);
  int32_t DrawTextUInt(const char* label, uint32_t value, int32_t x, int32_t y);

  // How far DrawText moves the pen for one byte of text.
  int32_t Advance(char byte) const;
  bool IsReady() const;

  // Releases the glyph texture and the table; the font is not ready
  // afterwards. Call before the device is released.
  static void Unload();
};
