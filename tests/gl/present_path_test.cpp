// Frames drawn straight into the window and frames drawn into the back
// buffer's own framebuffer must be the same picture: orientation, winding,
// pixel centres, viewports, cleared rectangles, depth, and a render target
// drawn mid-frame. Then what reading back does on either path.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "render/device.h"
#include "tests/gl/gl_test_device.h"

namespace {

constexpr UINT kWidth = 96;
constexpr UINT kHeight = 72;

// Triangles of both windings, overlapping in depth, some edges through
// pixel centres and some not, seen through a perspective camera.
void DrawTriangles(IDirect3DDevice9* device, float aspect) {
  LookAlongZ(device, aspect);
  UseDiffuseColour(device);
  device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  const ColoredVertex triangles[] = {
      // clockwise on screen (kept with the default culling), near
      {-0.9f, 0.8f, 2.0f, 0xFFFF0000},
      {0.6f, 0.1f, 2.0f, 0xFF00FF00},
      {-0.5f, -0.7f, 2.0f, 0xFF0000FF},
      // clockwise, farther, partly hidden behind the first
      {-0.2f, 1.5f, 3.0f, 0xFFFFFF00},
      {2.0f, 0.0f, 3.0f, 0xFFFFFF00},
      {0.0f, -1.7f, 3.0f, 0xFF00FFFF},
      // counter-clockwise: culled
      {0.5f, 0.5f, 1.5f, 0xFFFFFFFF},
      {0.5f, -0.5f, 1.5f, 0xFFFFFFFF},
      {1.0f, 0.5f, 1.5f, 0xFFFFFFFF},
  };
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 3, triangles, sizeof(ColoredVertex)),
            D3D_OK);
  const ColoredVertex line[] = {{-1.0f, -0.2f, 1.2f, 0xFFFF8000}, {1.0f, 0.3f, 1.2f, 0xFFFF8000}};
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_LINELIST, 1, line, sizeof(ColoredVertex)), D3D_OK);
}

// One frame touching everything whose placement depends on the path.
void DrawFrame(IDirect3DDevice9* device) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1.0f, 0);
  const D3DRECT band{5, 3, 40, 11};
  device->Clear(1, &band, D3DCLEAR_TARGET, 0xFF808000, 1.0f, 0);

  // A small render target with its own picture, drawn on screen later.
  IDirect3DTexture9* target = nullptr;
  IDirect3DSurface9* targetSurface = nullptr;
  IDirect3DSurface9* screen = nullptr;
  ASSERT_EQ(device->CreateTexture(32, 24, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8,
                                  D3DPOOL_DEFAULT, &target, nullptr),
            D3D_OK);
  ASSERT_EQ(target->GetSurfaceLevel(0, &targetSurface), D3D_OK);
  ASSERT_EQ(device->GetRenderTarget(0, &screen), D3D_OK);
  ASSERT_EQ(device->SetRenderTarget(0, targetSurface), D3D_OK);
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF400040, 1.0f, 0);
  DrawTriangles(device, 32.0f / 24.0f);
  ASSERT_EQ(device->SetRenderTarget(0, screen), D3D_OK);

  // The scene in an off-centre viewport, then the target's picture as a
  // screen quad at the top right, texel for pixel.
  const D3DVIEWPORT9 viewport{7, 13, 60, 45, 0.0f, 1.0f};
  ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
  DrawTriangles(device, 60.0f / 45.0f);
  const D3DVIEWPORT9 full{0, 0, kWidth, kHeight, 0.0f, 1.0f};
  ASSERT_EQ(device->SetViewport(&full), D3D_OK);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  const float left = 60.0f - 0.5f, right = 92.0f - 0.5f, top = 2.0f - 0.5f, bottom = 26.0f - 0.5f;
  const ScreenVertex quad[4] = {{left, top, 0.5f, 1, 0, 0},
                                {right, top, 0.5f, 1, 1, 0},
                                {left, bottom, 0.5f, 1, 0, 1},
                                {right, bottom, 0.5f, 1, 1, 1}};
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
  device->SetTexture(0, target);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex)), D3D_OK);
  device->SetTexture(0, nullptr);
  screen->Release();
  targetSurface->Release();
  target->Release();
}

// The pixels that differ, "x,y: a != b", at most a few.
std::string Differences(const GlImage& a, const GlImage& b) {
  if (a.width != b.width || a.height != b.height) return "sizes differ";
  std::string out;
  int shown = 0;
  for (UINT y = 0; y < a.height; ++y) {
    for (UINT x = 0; x < a.width; ++x) {
      if (a.Pixel(x, y) == b.Pixel(x, y)) continue;
      if (shown++ < 8) {
        char line[80];
        std::snprintf(line, sizeof line, "%u,%u: %08x != %08x\n", x, y, a.Pixel(x, y),
                      b.Pixel(x, y));
        out += line;
      }
    }
  }
  return out;
}

TEST(GlPresentPath, TheWindowAndTheOwnFramebufferGiveTheSameImage) {
  // A window larger than the back buffer (a resized one) keeps frames in the
  // back buffer's own framebuffer; one of the same size takes them directly.
  GlTestDevice direct(kWidth, kHeight);
  GlTestDevice offScreen(kWidth, kHeight, D3DDEVTYPE_HAL, 2 * kWidth, 2 * kHeight);
  ASSERT_TRUE(direct.ok() && offScreen.ok());
  ASSERT_TRUE(direct.gl()->DrawsIntoWindow());
  ASSERT_FALSE(offScreen.gl()->DrawsIntoWindow());

  DrawFrame(direct.get());
  DrawFrame(offScreen.get());
  const GlImage expected = offScreen.Capture();
  const GlImage drawn = direct.Capture();
  EXPECT_EQ(Differences(drawn, expected), "");
  // The picture is not trivially uniform: the triangles, the band and the
  // target's quad all show.
  EXPECT_EQ(expected.Pixel(6, 4), 0xFF808000u);
  EXPECT_EQ(expected.Pixel(0, kHeight - 1), 0xFF102030u);
  EXPECT_NE(expected.Pixel(30, 35), 0xFF102030u);
  EXPECT_EQ(expected.Pixel(61, 3) & 0x00FFFFFFu, 0x400040u);

  // What Present puts into the window is that picture too.
  direct.gl()->KeepPresentedFrames(true);
  DrawFrame(direct.get());
  ASSERT_EQ(direct->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(Differences(direct.gl()->LastPresentedFrame(), expected), "");
}

TEST(GlPresentPath, ReadingBackAfterPresentGivesThePresentedFrameAndKeepsLaterFramesReadable) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  ASSERT_TRUE(device.gl()->DrawsIntoWindow());
  DrawFrame(device.get());
  const GlImage beforePresent = device.Capture();
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(Differences(device.Capture(), beforePresent), "");
  // From here on frames keep their own copy, which lasts past Present.
  EXPECT_FALSE(device.gl()->DrawsIntoWindow());
  DrawFrame(device.get());
  ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  EXPECT_EQ(Differences(device.Capture(), beforePresent), "");
}

TEST(GlPresentPath, WithoutClipControlFramesStayInTheOwnFramebuffer) {
  NoClipControl noClipControl(true);
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  EXPECT_FALSE(device.gl()->DrawsIntoWindow());
}

}  // namespace
