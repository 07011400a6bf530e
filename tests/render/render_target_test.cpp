#include "render/render_target.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "render/texture.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

void ExpectMatrixNear(const Matrix4& actual, const Matrix4& expected) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], 1e-6f) << "element " << i;
}

Matrix4 Translation(float x, float y, float z) {
  Matrix4 m;
  m.translation(x, y, z);
  return m;
}

class RenderTargetTest : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    ASSERT_TRUE(shadowTexture.CreateRenderTarget(512, 512, D3DFMT_R32F));
  }
  void TearDown() override {
    shadowTexture.Release();
    RecordedDeviceTest::TearDown();
  }
  Texture shadowTexture;
};

}  // namespace

TEST_F(RenderTargetTest, StartsInvalidWithTheDefaultDepthRange) {
  RenderTarget target;
  EXPECT_FALSE(target.IsValid());
  EXPECT_EQ(target.GetSurface(), nullptr);
  EXPECT_EQ(target.GetTexture(), nullptr);
  EXPECT_EQ(target.GetViewport().Width, 0u);
  EXPECT_EQ(target.GetViewport().MinZ, 0.0f);
  EXPECT_EQ(target.GetViewport().MaxZ, 1.0f);
  // Not valid: nothing reaches the device.
  const size_t mark = log().Size();
  EXPECT_FALSE(target.Apply());
  EXPECT_EQ(log().Size(), mark);
}

TEST_F(RenderTargetTest, InitForTextureDefaults) {
  RenderTarget target;
  ASSERT_TRUE(target.InitForTexture(&shadowTexture, 1.0f, 50.0f));
  EXPECT_TRUE(target.IsValid());
  EXPECT_EQ(target.GetTexture(), &shadowTexture);
  const CallRecord* level = log().Last("Texture::GetSurfaceLevel");
  ASSERT_NE(level, nullptr);
  EXPECT_EQ(level->object, shadowTexture.GetD3DTexture());
  EXPECT_EQ(level->u(0), 0u);

  Matrix4 world, view, proj, expected;
  target.GetWorld(world);
  target.GetView(view);
  target.GetProj(proj);
  expected.setIdentity();
  ExpectMatrixNear(world, expected);
  // Looking from the origin along +z is the identity view.
  ExpectMatrixNear(view, expected);
  // 90 degrees with aspect 1: both scales 1; depth over 1..50.
  EXPECT_NEAR(proj.at(0, 0), 1.0f, 1e-6f);
  EXPECT_NEAR(proj.at(1, 1), 1.0f, 1e-6f);
  EXPECT_NEAR(proj.at(2, 2), 50.0f / 49.0f, 1e-6f);
  EXPECT_NEAR(proj.at(3, 2), -50.0f / 49.0f, 1e-6f);
  EXPECT_EQ(proj.at(2, 3), 1.0f);

  // The whole texture, with a depth range the device accepts.
  const D3DVIEWPORT9& viewport = target.GetViewport();
  EXPECT_EQ(viewport.X, 0u);
  EXPECT_EQ(viewport.Y, 0u);
  EXPECT_EQ(viewport.Width, 512u);
  EXPECT_EQ(viewport.Height, 512u);
  EXPECT_EQ(viewport.MinZ, 0.0f);
  EXPECT_EQ(viewport.MaxZ, 1.0f);
  EXPECT_TRUE(target.Apply());

  // The aspect follows the texture.
  Texture wide;
  ASSERT_TRUE(wide.CreateRenderTarget(256, 128, D3DFMT_R32F));
  ASSERT_TRUE(target.InitForTexture(&wide, 1.0f, 50.0f));
  target.GetProj(proj);
  EXPECT_NEAR(proj.at(0, 0), 0.5f, 1e-6f);
  EXPECT_NEAR(proj.at(1, 1), 1.0f, 1e-6f);
  // Given matrices are taken as they are.
  const Matrix4 givenWorld = Translation(1, 2, 3), givenView = Translation(4, 5, 6),
                givenProj = Translation(7, 8, 9);
  ASSERT_TRUE(target.InitForTexture(&wide, 1.0f, 50.0f, &givenWorld, &givenView, &givenProj));
  target.GetWorld(world);
  target.GetView(view);
  target.GetProj(proj);
  EXPECT_EQ(world.m[12], 1.0f);
  EXPECT_EQ(view.m[13], 5.0f);
  EXPECT_EQ(proj.m[14], 9.0f);
  // Re-initialising released the earlier surfaces: only the current one is held.
  EXPECT_EQ(dynamic_cast<RecordTexture*>(shadowTexture.GetD3DTexture())->References(), 2u);
}

TEST_F(RenderTargetTest, InitForTextureRefusesTexturesWithoutASizeOrASurface) {
  RenderTarget target;
  EXPECT_FALSE(target.InitForTexture(nullptr, 1.0f, 50.0f));

  // A file texture keeps no size.
  TempDir dir;
  const std::string path = dir.file("wall.bmp");
  write_whole_file(path, "some image bytes");
  Texture fromFile;
  ASSERT_EQ(fromFile.LoadFromFile(path.c_str(), 0), 1);
  EXPECT_FALSE(target.InitForTexture(&fromFile, 1.0f, 50.0f));

  // Sized but released: no call on a texture that is not there.
  Texture released;
  ASSERT_TRUE(released.CreateRenderTarget(64, 64, D3DFMT_R32F));
  released.Release();
  EXPECT_FALSE(target.InitForTexture(&released, 1.0f, 50.0f));

  rec().Fail("Texture::GetSurfaceLevel");
  EXPECT_FALSE(target.InitForTexture(&shadowTexture, 1.0f, 50.0f));
  EXPECT_FALSE(target.IsValid());
  EXPECT_EQ(target.GetSurface(), nullptr);
  EXPECT_EQ(target.GetTexture(), nullptr);
}

TEST_F(RenderTargetTest, SaveAndApplyRoundTripTheScreenState) {
  const Matrix4 world = Translation(1, 0, 0), view = Translation(0, 2, 0),
                proj = Translation(0, 0, 3);
  g_device->SetTransform(D3DTS_WORLD, &world);
  g_device->SetTransform(D3DTS_VIEW, &view);
  g_device->SetTransform(D3DTS_PROJECTION, &proj);
  D3DVIEWPORT9 screenViewport{0, 0, 800, 600, 0.0f, 1.0f};
  g_device->SetViewport(&screenViewport);

  RenderTarget screen, shadow;
  ASSERT_TRUE(screen.SaveFromDevice());
  EXPECT_EQ(screen.GetSurface(), recorded().BackBuffer());
  EXPECT_EQ(screen.GetTexture(), nullptr);

  // Into the shadow map and back.
  ASSERT_TRUE(shadow.InitForTexture(&shadowTexture, 1.0f, 50.0f));
  ASSERT_TRUE(shadow.Apply());
  EXPECT_NE(recorded().RenderTarget(), recorded().BackBuffer());
  EXPECT_EQ(recorded().Viewport().Width, 512u);
  EXPECT_EQ(recorded().Transform(D3DTS_VIEW).m[13], 0.0f);

  ASSERT_TRUE(screen.Apply());
  EXPECT_EQ(recorded().RenderTarget(), recorded().BackBuffer());
  EXPECT_EQ(recorded().Transform(D3DTS_WORLD).m[12], 1.0f);
  EXPECT_EQ(recorded().Transform(D3DTS_VIEW).m[13], 2.0f);
  EXPECT_EQ(recorded().Transform(D3DTS_PROJECTION).m[14], 3.0f);
  EXPECT_EQ(recorded().Viewport().Height, 600u);
}

TEST_F(RenderTargetTest, SaveFailuresLeaveTheTargetInvalid) {
  RenderTarget screen;
  for (const char* op : {"GetRenderTarget", "GetTransform", "GetViewport"}) {
    rec().Failures().Clear();
    rec().Fail(op);
    EXPECT_FALSE(screen.SaveFromDevice()) << op;
    EXPECT_FALSE(screen.IsValid()) << op;
    EXPECT_FALSE(screen.Apply()) << op;
  }
  // The view transform failing stops before the projection is read.
  rec().Failures().Clear();
  rec().Fail("GetTransform").WhenArg(0, D3DTS_VIEW);
  const size_t mark = log().Size();
  EXPECT_FALSE(screen.SaveFromDevice());
  EXPECT_EQ(log().Ops(mark),
            (std::vector<std::string>{"GetRenderTarget", "GetTransform", "GetTransform"}));
}

TEST_F(RenderTargetTest, ApplyStopsAtTheFirstFailingCall) {
  RenderTarget shadow;
  ASSERT_TRUE(shadow.InitForTexture(&shadowTexture, 1.0f, 50.0f));

  rec().Fail("SetTransform").WhenArg(0, D3DTS_VIEW);
  size_t mark = log().Size();
  EXPECT_FALSE(shadow.Apply());
  EXPECT_EQ(log().Ops(mark),
            (std::vector<std::string>{"SetRenderTarget", "SetTransform", "SetTransform"}));
  // The calls before the failure stay in effect.
  EXPECT_EQ(recorded().RenderTarget()->Container(), shadowTexture.GetD3DTexture());

  rec().Failures().Clear();
  rec().Fail("SetRenderTarget");
  mark = log().Size();
  EXPECT_FALSE(shadow.Apply());
  EXPECT_EQ(log().Ops(mark), (std::vector<std::string>{"SetRenderTarget"}));

  rec().Failures().Clear();
  rec().Fail("SetViewport");
  EXPECT_FALSE(shadow.Apply());
  rec().Failures().Clear();
  EXPECT_TRUE(shadow.Apply());

  // Back to the screen so the device lets go of the shadow map.
  g_device->SetRenderTarget(0, recorded().BackBuffer());
}

TEST_F(RenderTargetTest, SetViewReachesTheDeviceOnlyOnceValid) {
  RenderTarget shadow;
  const Matrix4 light = Translation(10, 0, 0);
  size_t mark = log().Size();
  shadow.SetView(light);
  shadow.SetWorld(light);
  EXPECT_EQ(log().Size(), mark);  // stored only
  Matrix4 stored;
  shadow.GetView(stored);
  EXPECT_EQ(stored.m[12], 10.0f);

  ASSERT_TRUE(shadow.InitForTexture(&shadowTexture, 1.0f, 50.0f, nullptr, &light));
  const Matrix4 moved = Translation(-10, 0, 0);
  mark = log().Size();
  shadow.SetView(moved);
  shadow.SetWorld(light);
  EXPECT_EQ(log().Size(), mark + 2) << "one call each";
  EXPECT_EQ(recorded().Transform(D3DTS_VIEW).m[12], -10.0f);
  EXPECT_EQ(recorded().Transform(D3DTS_WORLD).m[12], 10.0f);
  shadow.GetView(stored);
  EXPECT_EQ(stored.m[12], -10.0f);
}

TEST_F(RenderTargetTest, SavingEveryFrameHoldsOneReferenceOnly) {
  RenderTarget screen, shadow;
  ASSERT_TRUE(shadow.InitForTexture(&shadowTexture, 1.0f, 50.0f));
  ASSERT_TRUE(screen.SaveFromDevice());
  const ULONG backBufferReferences = recorded().BackBuffer()->References();
  const int liveSurfaces = rec().Live(RecordKind::Surface);
  for (int frame = 0; frame < 1000; ++frame) {
    ASSERT_TRUE(screen.SaveFromDevice());
    ASSERT_TRUE(shadow.Apply());
    ASSERT_TRUE(screen.Apply());
  }
  EXPECT_EQ(recorded().BackBuffer()->References(), backBufferReferences);
  EXPECT_EQ(rec().Live(RecordKind::Surface), liveSurfaces);
  // The device's own reference plus the saved state's.
  EXPECT_EQ(backBufferReferences, 3u);  // back buffer, current target, saved state
  screen.Reset();
  EXPECT_EQ(recorded().BackBuffer()->References(), 2u);
}
