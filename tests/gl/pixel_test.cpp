// What the OpenGL backend draws, read back from the back buffer: every
// drawing path the viewer uses must cover the pixels Direct3D 9 covers.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/d3dx9.h"
#include "render/device.h"
#include "render/font.h"
#include "tests/gl/gl_test_device.h"

namespace {

struct ColoredScreenVertex {
  float x, y, z, rhw;
  D3DCOLOR color;
};

constexpr D3DCOLOR kBlack = 0xFF000000;
constexpr D3DCOLOR kBlue = 0xFF0000FF;
constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreen = 0xFF00FF00;

DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

// The screen rectangle of the device utilities: edges moved half a pixel
// out, so w x h gives w + 1 by h + 1 pixels.
void DrawScreenQuad(GlTestDevice& device, int x, int y, int w, int h,
                    IDirect3DTexture9* texture) {
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  const float left = float(x) - 0.5f, right = float(x + w) + 0.5f;
  const float top = float(y) - 0.5f, bottom = float(y + h) + 0.5f;
  const ScreenVertex quad[4] = {{left, top, 0, 1, 0, 0},
                                {right, top, 0, 1, 1, 0},
                                {left, bottom, 0, 1, 0, 1},
                                {right, bottom, 0, 1, 1, 1}};
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
  device->SetTexture(0, texture);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)), D3D_OK);
}

int CountInRow(const GlImage& image, UINT y, D3DCOLOR color, UINT* first = nullptr) {
  int count = 0;
  for (UINT x = 0; x < image.width; ++x) {
    if (Rgb(image.Pixel(x, y)) != Rgb(color)) continue;
    if (count++ == 0 && first != nullptr) *first = x;
  }
  return count;
}

int CountInColumn(const GlImage& image, UINT x, D3DCOLOR color, UINT* first = nullptr) {
  int count = 0;
  for (UINT y = 0; y < image.height; ++y) {
    if (Rgb(image.Pixel(x, y)) != Rgb(color)) continue;
    if (count++ == 0 && first != nullptr) *first = y;
  }
  return count;
}

}  // namespace

TEST(GlPixels, ClearCoversTheViewportOrItsRectangles) {
  GlTestDevice device(64, 48);
  ASSERT_TRUE(device.ok()) << std::hex << device.result();
  ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF204080, 1.0f, 0),
            D3D_OK);
  GlImage image = device.Capture();
  ASSERT_EQ(image.width, 64u);
  EXPECT_EQ(image.Pixel(0, 0), 0xFF204080u);
  EXPECT_EQ(image.Pixel(63, 47), 0xFF204080u);

  const D3DVIEWPORT9 viewport{10, 20, 30, 15, 0.0f, 1.0f};
  ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0);
  const D3DRECT corner{0, 0, 12, 22};  // reaches into the viewport by 2 x 2
  device->Clear(1, &corner, D3DCLEAR_TARGET, kGreen, 1.0f, 0);
  image = device.Capture();
  EXPECT_EQ(image.Pixel(10, 20), kGreen);
  EXPECT_EQ(image.Pixel(11, 21), kGreen);
  EXPECT_EQ(image.Pixel(12, 21), kRed);
  EXPECT_EQ(image.Pixel(39, 34), kRed);
  EXPECT_EQ(image.Pixel(9, 25), 0xFF204080u);
  EXPECT_EQ(image.Pixel(40, 25), 0xFF204080u);
  EXPECT_EQ(image.Pixel(20, 19), 0xFF204080u);
  EXPECT_EQ(image.Pixel(20, 35), 0xFF204080u);

  // Refused as Direct3D refuses them.
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  const D3DVIEWPORT9 outside{40, 0, 30, 10, 0.0f, 1.0f};
  EXPECT_EQ(device->SetViewport(&outside), D3DERR_INVALIDCALL);
}

TEST(GlPixels, ScreenQuadMapsTexelsOneToOneAndSpansOneMorePixel) {
  GlTestDevice device(80, 60);
  ASSERT_TRUE(device.ok()) << std::hex << device.result();
  std::vector<D3DCOLOR> texels;
  for (UINT y = 0; y < 4; ++y) {
    for (UINT x = 0; x < 4; ++x) texels.push_back(D3DCOLOR_ARGB(255, 40 * x + 10, 40 * y + 10, 200));
  }
  Held<IDirect3DTexture9> texture = MakeTexture(device, 4, 4, texels);
  ASSERT_NE(texture, nullptr);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);

  // 3 x 3 spans the texture's 4 x 4 texels, one pixel each, row 0 on top.
  DrawScreenQuad(device, 10, 20, 3, 3, texture.get());
  // 4 x 4 at another place spans 5 x 5 pixels.
  DrawScreenQuad(device, 40, 30, 4, 4, texture.get());
  const GlImage image = device.Capture();
  for (UINT y = 0; y < 4; ++y) {
    for (UINT x = 0; x < 4; ++x) {
      EXPECT_EQ(image.Pixel(10 + x, 20 + y), texels[y * 4 + x]) << x << "," << y;
    }
  }
  EXPECT_EQ(image.Pixel(9, 21), kBlack);
  EXPECT_EQ(image.Pixel(14, 21), kBlack);
  EXPECT_EQ(image.Pixel(11, 19), kBlack);
  EXPECT_EQ(image.Pixel(11, 24), kBlack);

  EXPECT_EQ(image.width - CountInRow(image, 32, kBlack), 5u);
  // 1.25 pixels a texel: pixel centres 40, 41, 43, 44 fall in texels 0, 1,
  // 2, 3 (42 lies on a texel edge).
  for (UINT y : {0u, 1u, 3u, 4u}) {
    for (UINT x : {0u, 1u, 3u, 4u}) {
      const UINT texel = (y > 2 ? y - 1 : y) * 4 + (x > 2 ? x - 1 : x);
      EXPECT_EQ(image.Pixel(40 + x, 30 + y), texels[texel]) << x << "," << y;
    }
  }
  EXPECT_EQ(image.height - CountInColumn(image, 42, kBlack), 5u);
  EXPECT_NE(image.Pixel(44, 34), kBlack);
  EXPECT_EQ(image.Pixel(45, 34), kBlack);
  EXPECT_EQ(image.Pixel(44, 35), kBlack);
}

TEST(GlPixels, LinesAndPointsLandOnTheirProjectedPixelsWithEitherClipSpaceMapping) {
  for (bool fallback : {false, true}) {
    SCOPED_TRACE(fallback ? "shader clip-space fix-up" : "clip control");
    NoClipControl hook(fallback);
    GlTestDevice device(200, 200);
    ASSERT_TRUE(device.ok()) << std::hex << device.result();
    EXPECT_EQ(device.gl()->HasClipControl(), !fallback);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0);
    LookAlongZ(device.get(), 1.0f);
    UseDiffuseColour(device.get());
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);

    // From pixel (95, 98) to (105, 98): Direct3D leaves out the last pixel.
    const ColoredVertex line[2] = {{-0.5f, 0.2f, 10.0f, kGreen}, {0.5f, 0.2f, 10.0f, kGreen}};
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_LINESTRIP, 1, line, sizeof(ColoredVertex)), D3D_OK);
    // One pixel at (100, 130) (no point scaling yet).
    const ColoredVertex point{0.0f, -3.0f, 10.0f, kRed};
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof(ColoredVertex)), D3D_OK);
    // Lit without lights, a line comes out black: row 150.
    device->SetRenderState(D3DRS_LIGHTING, 1);
    const ColoredVertex lit[2] = {{-0.5f, -5.0f, 10.0f, kGreen}, {0.5f, -5.0f, 10.0f, kGreen}};
    device->DrawPrimitiveUP(D3DPT_LINESTRIP, 1, lit, sizeof(ColoredVertex));

    const GlImage image = device.Capture();
    UINT first = 0;
    EXPECT_EQ(CountInRow(image, 98, kGreen, &first), 10);
    EXPECT_EQ(first, 95u);
    EXPECT_EQ(CountInRow(image, 97, kGreen), 0);
    EXPECT_EQ(CountInRow(image, 99, kGreen), 0);
    EXPECT_EQ(image.Pixel(100, 130), kRed);
    EXPECT_EQ(CountInRow(image, 130, kRed) + CountInColumn(image, 100, kRed), 2);
    EXPECT_EQ(CountInRow(image, 150, kBlack, &first), 10);
    EXPECT_EQ(first, 95u);
  }
}

TEST(GlPixels, ScaledPointIsSixPixelsWideOnASixHundredPixelViewport) {
  GlTestDevice device(800, 600);
  ASSERT_TRUE(device.ok()) << std::hex << device.result();
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
  LookAlongZ(device.get(), 800.0f / 600.0f);
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, 1);
  device->SetRenderState(D3DRS_POINTSCALEENABLE, 1);
  device->SetRenderState(D3DRS_POINTSCALE_A, FloatBits(10000.0f));
  device->SetRenderState(D3DRS_POINTSCALE_B, FloatBits(0.0f));
  device->SetRenderState(D3DRS_POINTSCALE_C, FloatBits(0.0f));
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  // Centred on pixel (400, 300), at distance 10: 600 x sqrt(1 / 10000) = 6.
  const ColoredVertex point{0.0f, 0.0f, 10.0f, kGreen};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof(ColoredVertex)), D3D_OK);
  // The distance term: at (10, 0, 10), pixel (700, 300), d^2 = 200 and
  // C = 450 give 600 x sqrt(1 / 90000) = 2.
  device->SetRenderState(D3DRS_POINTSCALE_A, FloatBits(0.0f));
  device->SetRenderState(D3DRS_POINTSCALE_C, FloatBits(450.0f));
  const ColoredVertex far{10.0f, 0.0f, 10.0f, kRed};
  device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &far, sizeof(ColoredVertex));

  const GlImage image = device.Capture();
  UINT first = 0;
  EXPECT_EQ(CountInRow(image, 300, kGreen, &first), 6);
  EXPECT_EQ(first, 397u);
  EXPECT_EQ(CountInColumn(image, 400, kGreen, &first), 6);
  EXPECT_EQ(first, 297u);
  EXPECT_EQ(CountInRow(image, 300, kRed, &first), 2);
  EXPECT_EQ(first, 699u);
}

TEST(GlPixels, ModulateTintsGlyphTexelsWithTheVertexColour) {
  GlTestDevice device(64, 32);
  ASSERT_TRUE(device.ok()) << std::hex << device.result();
  Held<IDirect3DTexture9> glyphs = MakeTexture(device, 2, 1, {0xFFFFFFFF, 0xFF808080});
  ASSERT_NE(glyphs, nullptr);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  device->SetTexture(0, glyphs.get());
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
  device->SetRenderState(D3DRS_LIGHTING, 0);
  // A glyph quad as the font draws it: whole pixels, no half-pixel offset,
  // yellow with alpha 0. It covers pixels 10..17 x 4..19.
  const D3DCOLOR yellow = 0x00FFFF00;
  const GlyphVertex fan[4] = {{10, 4, 0, 1, yellow, 0, 0},
                              {18, 4, 0, 1, yellow, 1, 0},
                              {18, 20, 0, 1, yellow, 1, 1},
                              {10, 20, 0, 1, yellow, 0, 1}};
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(GlyphVertex)), D3D_OK);
  const GlImage image = device.Capture();
  EXPECT_EQ(Rgb(image.Pixel(10, 4)), 0xFFFF00u);
  EXPECT_EQ(Rgb(image.Pixel(13, 10)), 0xFFFF00u);
  EXPECT_EQ(Rgb(image.Pixel(14, 10)), 0x808000u);
  EXPECT_EQ(Rgb(image.Pixel(17, 19)), 0x808000u);
  EXPECT_EQ(image.Pixel(18, 10), kBlack);
  EXPECT_EQ(image.Pixel(12, 20), kBlack);
  EXPECT_EQ(image.Pixel(9, 10), kBlack);
}

TEST(GlPixels, DrawingIntoAFloatTargetAndSamplingItOnScreen) {
  GlTestDevice device(600, 600);
  ASSERT_TRUE(device.ok()) << std::hex << device.result();
  IDirect3DTexture9* shadow = nullptr;
  ASSERT_EQ(device->CreateTexture(512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F,
                                  D3DPOOL_DEFAULT, &shadow, nullptr),
            D3D_OK);
  IDirect3DSurface9* shadowSurface = nullptr;
  IDirect3DSurface9* screen = nullptr;
  ASSERT_EQ(shadow->GetSurfaceLevel(0, &shadowSurface), D3D_OK);
  ASSERT_EQ(device->GetRenderTarget(0, &screen), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);

  ASSERT_EQ(device->SetRenderTarget(0, shadowSurface), D3D_OK);
  D3DVIEWPORT9 viewport{};
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 512u);
  EXPECT_EQ(viewport.Height, 512u);
  // Red 64 clears the float target to 64/255; a depth-tested quad of red
  // 204 then covers the top-left 100 x 100 texels with 0.8.
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF400000, 1.0f, 0);
  UseDiffuseColour(device.get());
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
  const D3DCOLOR red204 = 0xFFCC0000;
  const ColoredScreenVertex quad[4] = {{-0.5f, -0.5f, 0.5f, 1, red204},
                                       {99.5f, -0.5f, 0.5f, 1, red204},
                                       {-0.5f, 99.5f, 0.5f, 1, red204},
                                       {99.5f, 99.5f, 0.5f, 1, red204}};
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ColoredScreenVertex)),
            D3D_OK);

  ASSERT_EQ(device->SetRenderTarget(0, screen), D3D_OK);
  device->GetViewport(&viewport);
  EXPECT_EQ(viewport.Width, 600u);
  DrawScreenQuad(device, 0, 0, 511, 511, shadow);
  const GlImage image = device.Capture();
  // R32F samples as (R, 1, 1, 1).
  EXPECT_EQ(image.Pixel(0, 0), 0xFFCCFFFFu);
  EXPECT_EQ(image.Pixel(99, 99), 0xFFCCFFFFu);
  EXPECT_EQ(image.Pixel(100, 50), 0xFF40FFFFu);
  EXPECT_EQ(image.Pixel(511, 511), 0xFF40FFFFu);
  EXPECT_EQ(image.Pixel(512, 100), kBlack);
  screen->Release();
  shadowSurface->Release();
  shadow->Release();
}

TEST(GlPixels, CullModeCullsWhatDirect3DCullsWithEitherClipSpaceMapping) {
  // On screen (y down): the first triangle runs clockwise, Direct3D's front
  // face; the second counter-clockwise. Both drawn pre-transformed and
  // through the transforms.
  const ColoredScreenVertex clockwise[3] = {
      {10, 10, 0.5f, 1, kGreen}, {50, 10, 0.5f, 1, kGreen}, {10, 50, 0.5f, 1, kGreen}};
  const ColoredScreenVertex counter[3] = {
      {60, 10, 0.5f, 1, kRed}, {60, 50, 0.5f, 1, kRed}, {100, 10, 0.5f, 1, kRed}};
  // The same two in clip space, in the lower half of a 128 x 128 target.
  const ColoredVertex clockwiseWorld[3] = {
      {-0.8f, -0.2f, 0.5f, kGreen}, {-0.2f, -0.2f, 0.5f, kGreen}, {-0.8f, -0.8f, 0.5f, kGreen}};
  const ColoredVertex counterWorld[3] = {
      {0.2f, -0.2f, 0.5f, kRed}, {0.2f, -0.8f, 0.5f, kRed}, {0.8f, -0.2f, 0.5f, kRed}};

  for (bool fallback : {false, true}) {
    NoClipControl hook(fallback);
    GlTestDevice device(128, 128);
    ASSERT_TRUE(device.ok()) << std::hex << device.result();
    Matrix4 identity;
    identity.setIdentity();
    device->SetTransform(D3DTS_WORLD, &identity);
    device->SetTransform(D3DTS_VIEW, &identity);
    device->SetTransform(D3DTS_PROJECTION, &identity);
    UseDiffuseColour(device.get());
    for (DWORD mode : {DWORD(D3DCULL_CCW), DWORD(D3DCULL_CW), DWORD(D3DCULL_NONE)}) {
      SCOPED_TRACE(testing::Message() << (fallback ? "fix-up" : "clip control") << ", cull "
                                      << mode);
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlack, 1.0f, 0);
      // The device starts with Direct3D's default, counter-clockwise culling.
      if (mode != D3DCULL_CCW) device->SetRenderState(D3DRS_CULLMODE, mode);
      device->SetFVF(D3DFVF_XYZRHW | D3DFVF_DIFFUSE);
      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwise, sizeof(ColoredScreenVertex));
      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counter, sizeof(ColoredScreenVertex));
      device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, clockwiseWorld, sizeof(ColoredVertex));
      device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 1, counterWorld, sizeof(ColoredVertex));
      const GlImage image = device.Capture();
      const bool keepClockwise = mode != D3DCULL_CW;
      const bool keepCounter = mode != D3DCULL_CCW;
      EXPECT_EQ(image.Pixel(15, 15), keepClockwise ? kGreen : kBlack);
      EXPECT_EQ(image.Pixel(65, 15), keepCounter ? kRed : kBlack);
      // (-0.7, -0.3) and (0.3, -0.3) in clip space: pixels (19, 83), (83, 83).
      EXPECT_EQ(image.Pixel(19, 83), keepClockwise ? kGreen : kBlack);
      EXPECT_EQ(image.Pixel(83, 83), keepCounter ? kRed : kBlack);
    }
  }
}

TEST(GlPixels, PresentCopiesTheBackBufferIntoTheWindowScaledAndUpright) {
  // SDL's offscreen driver keeps a window's GL surface at its first size, so
  // a window made larger than the back buffer stands for a resized one.
  for (int scale : {1, 2}) {
    SCOPED_TRACE(scale);
    GlTestDevice device(100, 80, D3DDEVTYPE_HAL, 100 * scale, 80 * scale);
    ASSERT_TRUE(device.ok()) << std::hex << device.result();
    device.gl()->KeepPresentedFrames(true);
    device->Clear(0, nullptr, D3DCLEAR_TARGET, kBlue, 1.0f, 0);
    const D3DRECT topLeft{0, 0, 50, 40};
    device->Clear(1, &topLeft, D3DCLEAR_TARGET, kRed, 1.0f, 0);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);

    const GlImage frame = device.gl()->LastPresentedFrame();
    ASSERT_EQ(frame.width, UINT(100 * scale));
    ASSERT_EQ(frame.height, UINT(80 * scale));
    const UINT s = UINT(scale);
    EXPECT_EQ(Rgb(frame.Pixel(0, 0)), Rgb(kRed));
    EXPECT_EQ(Rgb(frame.Pixel(49 * s, 39 * s)), Rgb(kRed));
    EXPECT_EQ(Rgb(frame.Pixel(51 * s, 39 * s)), Rgb(kBlue));
    EXPECT_EQ(Rgb(frame.Pixel(49 * s, 41 * s)), Rgb(kBlue));
    EXPECT_EQ(Rgb(frame.Pixel(100 * s - 1, 80 * s - 1)), Rgb(kBlue));
    EXPECT_EQ(device.Capture().width, 100u);
  }
}
