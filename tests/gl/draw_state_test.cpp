// A draw sets only the GL state that changed since the device's previous
// draw. Whatever else touches GL state in between (filling or releasing a
// texture, clearing, another device drawing) must not leave a draw with
// stale state, and vertices drawn from memory must each land intact however
// many share the stream buffer.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "render/device.h"
#include "render/font.h"
#include "tests/gl/gl_test_device.h"

namespace {

struct ColoredScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
};

constexpr UINT kWidth = 64;
constexpr UINT kHeight = 48;
constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreen = 0xFF00FF00;
constexpr D3DCOLOR kBlue = 0xFF0000FF;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;
constexpr D3DCOLOR kBlack = 0xFF000000;

IDirect3DTexture9* SolidTexture(IDirect3DDevice9* device, D3DCOLOR color) {
  return MakeTexture(device, 2, 2, std::vector<D3DCOLOR>(4, color)).release();
}

// One pixel at (x, y) showing the texture.
void TexturedPixel(IDirect3DDevice9* device, int x, int y, IDirect3DTexture9* texture) {
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  const float l = float(x) - 0.5f, r = float(x) + 0.5f, t = float(y) - 0.5f, b = float(y) + 0.5f;
  const ScreenVertex quad[4] = {
      {l, t, 0, 1, 0, 0}, {r, t, 0, 1, 1, 0}, {l, b, 0, 1, 0, 1}, {r, b, 0, 1, 1, 1}};
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
  device->SetTexture(0, texture);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)), D3D_OK);
}

// One pixel at (x, y) in the colour, from vertices of 20 or 28 bytes.
void ColoredPixel(IDirect3DDevice9* device, int x, int y, D3DCOLOR color, bool glyphFormat) {
  device->SetTexture(0, nullptr);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  const float l = float(x) - 0.5f, r = float(x) + 0.5f, t = float(y) - 0.5f, b = float(y) + 0.5f;
  if (glyphFormat) {
    const GlyphVertex quad[4] = {{l, t, 0, 1, color, 0, 0},
                                 {r, t, 0, 1, color, 1, 0},
                                 {l, b, 0, 1, color, 0, 1},
                                 {r, b, 0, 1, color, 1, 1}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(GlyphVertex)), D3D_OK);
  } else {
    const ColoredScreenVertex quad[4] = {
        {l, t, 0, 1, color}, {r, t, 0, 1, color}, {l, b, 0, 1, color}, {r, b, 0, 1, color}};
    device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColoredScreenVertex)),
              D3D_OK);
  }
}

struct Expected {
  int x, y;
  D3DCOLOR color;
};

struct Case {
  const char* name;
  // Draws the frame (the back buffer is cleared to black first) and says
  // which pixels must hold which colours.
  std::function<std::vector<Expected>(GlTestDevice&)> draw;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"a texture filled between two draws of another",
       [](GlTestDevice& device) -> std::vector<Expected> {
         IDirect3DTexture9* red = SolidTexture(device.get(), kRed);
         TexturedPixel(device.get(), 5, 5, red);
         // Filling binds the new texture on the unit the draws use.
         IDirect3DTexture9* blue = SolidTexture(device.get(), kBlue);
         TexturedPixel(device.get(), 7, 5, red);
         TexturedPixel(device.get(), 9, 5, blue);
         TexturedPixel(device.get(), 11, 5, red);
         red->Release();
         blue->Release();
         return {{5, 5, kRed}, {7, 5, kRed}, {9, 5, kBlue}, {11, 5, kRed}};
       }},
      {"a texture released and another made, perhaps under the same name",
       [](GlTestDevice& device) -> std::vector<Expected> {
         IDirect3DTexture9* red = SolidTexture(device.get(), kRed);
         TexturedPixel(device.get(), 5, 5, red);
         red->Release();
         IDirect3DTexture9* green = SolidTexture(device.get(), kGreen);
         TexturedPixel(device.get(), 7, 5, green);
         green->Release();
         return {{5, 5, kRed}, {7, 5, kGreen}};
       }},
      {"a colour write mask set before a clear",
       [](GlTestDevice& device) -> std::vector<Expected> {
         device->SetRenderState(D3DRS_COLORWRITEENABLE, 1);  // red only
         ColoredPixel(device.get(), 5, 5, kWhite, false);
         // The clear writes every channel; the next draw writes red again.
         device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000080, 1.0f, 0);
         ColoredPixel(device.get(), 7, 5, kWhite, false);
         device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
         ColoredPixel(device.get(), 9, 5, kWhite, false);
         return {{5, 5, 0xFF000080}, {7, 5, 0xFFFF0080}, {9, 5, kWhite}};
       }},
      {"blending switched on and off between draws",
       [](GlTestDevice& device) -> std::vector<Expected> {
         ColoredPixel(device.get(), 5, 5, kRed, false);
         device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
         device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_ONE);
         device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_ONE);
         ColoredPixel(device.get(), 5, 5, kBlue, true);
         device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
         ColoredPixel(device.get(), 7, 5, kRed, false);
         ColoredPixel(device.get(), 7, 5, kBlue, true);
         return {{5, 5, 0xFFFF00FF}, {7, 5, kBlue}};
       }},
      {"every pixel its own draw, vertex formats alternating, past the stream buffer's size",
       [](GlTestDevice& device) -> std::vector<Expected> {
         std::vector<Expected> expected;
         for (int y = 0; y < int(kHeight); ++y) {
           for (int x = 0; x < int(kWidth); ++x) {
             const int i = y * int(kWidth) + x;
             const D3DCOLOR color = 0xFF000000 | ((uint32_t(i) * 2654435761u) >> 8);
             ColoredPixel(device.get(), x, y, color, (i % 3) == 0);
             expected.push_back({x, y, color});
           }
         }
         return expected;
       }},
  };
  return cases;
}

TEST(GlDrawState, DrawsSeeTheStateTheyAskForWhateverHappenedBetween) {
  for (const Case& c : Cases()) {
    SCOPED_TRACE(c.name);
    GlTestDevice device(kWidth, kHeight);
    ASSERT_TRUE(device.ok());
    device->SetRenderState(D3DRS_LIGHTING, 0);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
    const std::vector<Expected> expected = c.draw(device);
    ASSERT_EQ(device->EndScene(), D3D_OK);
    const GlImage image = device.Capture();
    int wrong = 0;
    for (const Expected& e : expected) {
      if (image.Pixel(UINT(e.x), UINT(e.y)) == e.color) continue;
      if (++wrong <= 5) {
        ADD_FAILURE() << "pixel " << e.x << "," << e.y << ": " << std::hex
                      << image.Pixel(UINT(e.x), UINT(e.y)) << " instead of " << e.color;
      }
    }
    EXPECT_EQ(wrong, 0);
  }
}

// Two devices drawing in turn on their own windows: each draw finds its own
// textures and vertex inputs however the other left GL.
TEST(GlDrawState, TwoDevicesDrawingInTurn) {
  GlTestDevice first(kWidth, kHeight);
  GlTestDevice second(kWidth, kHeight);
  ASSERT_TRUE(first.ok());
  ASSERT_TRUE(second.ok());
  IDirect3DTexture9* red = SolidTexture(first.get(), kRed);
  IDirect3DTexture9* blue = SolidTexture(second.get(), kBlue);
  for (GlTestDevice* device : {&first, &second}) {
    (*device)->SetRenderState(D3DRS_LIGHTING, 0);
    (*device)->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    (*device)->BeginScene();
    (*device)->Clear(0, nullptr, D3DCLEAR_TARGET, kBlack, 1.0f, 0);
  }
  for (int x = 0; x < 8; ++x) {
    TexturedPixel(first.get(), x, 3, red);
    TexturedPixel(second.get(), x, 4, blue);
    ColoredPixel(first.get(), x, 6, kGreen, x % 2 == 0);
  }
  first->EndScene();
  second->EndScene();
  const GlImage one = first.Capture();
  const GlImage two = second.Capture();
  for (UINT x = 0; x < 8; ++x) {
    EXPECT_EQ(one.Pixel(x, 3), kRed) << x;
    EXPECT_EQ(one.Pixel(x, 6), kGreen) << x;
    EXPECT_EQ(one.Pixel(x, 4), kBlack) << x;
    EXPECT_EQ(two.Pixel(x, 4), kBlue) << x;
    EXPECT_EQ(two.Pixel(x, 3), kBlack) << x;
  }
  red->Release();
  blue->Release();
}

}  // namespace
