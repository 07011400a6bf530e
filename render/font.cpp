#include "render/font.h"

#include <cstdio>
#include <cstring>
#include <limits>

#include "base/bounded_array.h"
#include "base/log.h"
#include "render/device.h"
#include "render/font_table.h"
#include "render/texture.h"

namespace {

// The one font of the process.
struct FontState {
  Texture glyphTexture;
  FontTable table;
  bool ready = false;
  char textBuffer[Font::kTextBufferSize] = {};
};

FontState& State() {
  static FontState state;
  return state;
}

// Pixel positions come from int arithmetic that must not overflow near the
// ends of the int range.
float PixelSum(int32_t a, int32_t b) { return static_cast<float>(int64_t(a) + b); }

int32_t ClampedSum(int32_t a, int32_t b) {
  const int64_t sum = int64_t(a) + b;
  if (sum > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (sum < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(sum);
}

// Writes prefix + "font" + tail into path; false when there is no memory.
bool FormPath(BoundedArray<char>& path, const char* prefix, const char* dot, const char* tail) {
  const size_t prefixLength = std::strlen(prefix);
  const size_t length = prefixLength + 4 + std::strlen(dot) + std::strlen(tail);
  if (!path.resize(int64_t(length) + 1)) return false;
  std::snprintf(path.data, length + 1, "%sfont%s%s", prefix, dot, tail);
  return true;
}

}  // namespace

bool Font::Load(const char* prefix, const char* ext) {
  FontState& state = State();
  // Whatever an earlier load held is being replaced; nothing draws until this one succeeds.
  state.ready = false;
  if (prefix == nullptr) prefix = "";
  if (ext == nullptr) ext = "";

  BoundedArray<char> path;
  if (!FormPath(path, prefix, ext[0] == '.' ? "" : ".", ext)) {
    log_text("mem error az char load! bytenum");
    return false;
  }
  if (state.glyphTexture.LoadFromFile(path.data, kGlyphTextureSize) == Texture::kLoadFailed) {
    log_text2("<error> loading character texture. Name:", path.data);
  } else {
    state.table.Clear();
    if (!FormPath(path, prefix, "", ".fnd")) {
      log_text("mem error az char load! bytenum");
      return false;
    }
    state.ready = ReadFontTableFile(path.data, state.table);
  }
  if (!state.ready) log_text2("<error> loading character data. Name: ", path.data);
  return state.ready;
}

void Font::DrawChar(int32_t x, int32_t y, int32_t code) {
  const FontState& state = State();
  if (!state.ready) return;
  int32_t c = code;
  if (c > kHighestCode) {
    c = kHighestCode;
  } else if (c < kFirstPrintableCode) {
    c = kFallbackCode;
  }
  // A short table simply has no glyph for the higher codes.
  if (!state.table.Has(c)) return;

  const int32_t width = state.table.widths[c];
  const GlyphRect& rect = state.table.rects[c];
  const float left = static_cast<float>(x);
  const float top = static_cast<float>(y);
  const float right = PixelSum(x, width);
  const float bottom = PixelSum(y, kGlyphHeight);
  // Whole pixels, no half-pixel shift: the glyph image is sampled as laid out.
  const GlyphVertex quad[4] = {
      {left, top, 0.0f, 1.0f, kTextColor, rect.uleft, rect.vtop},
      {right, top, 0.0f, 1.0f, kTextColor, rect.uright, rect.vtop},
      {right, bottom, 0.0f, 1.0f, kTextColor, rect.uright, rect.vbottom},
      {left, bottom, 0.0f, 1.0f, kTextColor, rect.uleft, rect.vbottom},
  };
  CDevice().DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, quad, sizeof(GlyphVertex));
}

int32_t Font::Advance(char byte) const {
  const FontState& state = State();
  // Bytes 128-255 arrive negative and move the pen as the fallback glyph does.
  const int32_t code = static_cast<signed char>(byte) >= 0 ? static_cast<signed char>(byte)
                                                            : kFallbackCode;
  const int32_t width = state.table.Has(code) ? state.table.widths[code] : 0;
  return width < kMinAdvance ? kNarrowAdvance : width;
}

int32_t Font::DrawText(const char* text, int32_t x, int32_t y) {
  FontState& state = State();
  if (!state.ready || state.glyphTexture.GetD3DTexture() == nullptr) return 0;

  CDevice device;
  device.SetFVF(kGlyphVertexFVF);
  device.SetTexture(0, &state.glyphTexture);
  device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  device.SetLighting(false);

  if (text == nullptr) return x;
  for (const char* p = text; *p != '\0'; ++p) {
    DrawChar(x, y, static_cast<signed char>(*p));
    x = ClampedSum(x, Advance(*p));
  }
  return x;
}

int32_t Font::DrawTextInt(const char* label, int32_t value, int32_t x, int32_t y) {
  char* buffer = State().textBuffer;
  // snprintf cuts the text to the buffer, so a long label cannot overrun it.
  std::snprintf(buffer, kTextBufferSize, "%s%d", label != nullptr ? label : "", value);
  return DrawText(buffer, x, y);
}

int32_t Font::DrawTextUInt(const char* label, uint32_t value, int32_t x, int32_t y) {
  char* buffer = State().textBuffer;
  std::snprintf(buffer, kTextBufferSize, "%s%u", label != nullptr ? label : "", value);
  return DrawText(buffer, x, y);
}

bool Font::IsReady() const { return State().ready; }

void Font::Unload() {
  FontState& state = State();
  state.ready = false;
  state.glyphTexture.Release();
  state.table.Clear();
}
