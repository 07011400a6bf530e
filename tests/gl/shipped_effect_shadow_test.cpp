// The viewer's shadow set-up drawn with the shipped model effects: a
// skinned square between the light and a static wall. Pass 1 writes the
// light's depth into the R32F map; pass 2 shades the wall with a hard shadow
// edge, pass 3 with a filtered one.
#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "tests/gl/shipped_effect_fixture.h"

using namespace shipped_effect;

namespace {

// A square facing the light (along +x) at x, with the given half width; its
// vertices bound to bone 9 alone when bound is set.
Mesh Square(float x, float half, bool bound) {
  Mesh mesh{(bound ? D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 : D3DFVF_XYZ) | D3DFVF_NORMAL | D3DFVF_TEX1,
            bound ? 40u : 32u, {}};
  for (int corner : {0, 1, 2, 2, 1, 3}) {
    mesh.words.insert(mesh.words.end(), {x, corner < 2 ? half : -half, corner % 2 ? half : -half});
    if (bound) mesh.words.insert(mesh.words.end(), {1.0f, PackedIndices(9, 0, 0, 0)});
    mesh.words.insert(mesh.words.end(), {-1, 0, 0, 0, 0});
  }
  return mesh;
}

}  // namespace

TEST(ShippedModelEffects, ShadowMapHoldsLightDepthAndPassThreeSoftensTheEdgePassTwoKeepsHard) {
  // The viewer's light: from (-10, 0, 0) along +x, 90 degrees, range 1 to 50,
  // a 512 x 512 map. Bone 9 carries the square 2 units on and half a unit
  // up, so a map or screen upside down shows.
  const Matrix4 light = ViewProj({-10, 0, 0}, {1, 0, 0}, 90), camera = ViewProj({5, 0, 0}, {10, 0, 0}, 90);
  std::vector<Matrix4> palette(255);
  palette[9].translation(2, 0.5f, 0);
  Matrix4 world;
  world.setIdentity();
  const float lightDir[3] = {1, 0, 0}, mapSize = 512;
  const Mesh caster = Square(0, 2, true), wall = Square(10, 15, false);

  for (bool fallback : {false, true}) {
    SCOPED_TRACE(fallback ? "clip fix-up" : "clip control");
    NoClipControl hook(fallback);
    GlTestDevice device(128, 128);
    ASSERT_TRUE(device.ok());
    Held<ID3DXEffect> skinned = LoadShippedEffect(device, "skinned.fx");
    Held<ID3DXEffect> rigid = LoadShippedEffect(device, "static.fx");
    ASSERT_TRUE(skinned && rigid);
    ASSERT_EQ(skinned->SetMatrixArray("matrixBone", palette.data(), 255), D3D_OK);
    Held<IDirect3DTexture9> white = WhiteTexture(device);
    IDirect3DTexture9* map = nullptr;
    IDirect3DSurface9* screen = nullptr;
    IDirect3DSurface9* mapSurface = nullptr;
    ASSERT_EQ(device->CreateTexture(512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_DEFAULT, &map, nullptr),
              D3D_OK);
    Held<IDirect3DTexture9> heldMap(map);
    ASSERT_EQ(device->GetRenderTarget(0, &screen), D3D_OK);
    Held<IDirect3DSurface9> heldScreen(screen);
    ASSERT_EQ(map->GetSurfaceLevel(0, &mapSurface), D3D_OK);
    Held<IDirect3DSurface9> heldMapSurface(mapSurface);
    for (ID3DXEffect* effect : {skinned.get(), rigid.get()}) {
      effect->SetMatrix("World", &world);
      effect->SetValue("LightDir", lightDir, sizeof lightDir);
      effect->SetTexture("g_txScene", white.get());
    }
    // As the viewer draws the shadow map: cleared blue (red 0), the models
    // drawn through the light's camera, which arrives as CamViewProj.
    auto drawShadowMap = [&](std::initializer_list<std::pair<ID3DXEffect*, const Mesh*>> draws) {
      ASSERT_EQ(device->SetRenderTarget(0, mapSurface), D3D_OK);
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0x000000FF, 1.0f, 0);
      for (auto [effect, mesh] : draws) {
        effect->SetMatrix("CamViewProj", &light);
        DrawPass(device, effect, 1, *mesh);
      }
      ASSERT_EQ(device->SetRenderTarget(0, screen), D3D_OK);
      rigid->SetMatrix("CamViewProj", &camera);
    };
    auto drawWall = [&](UINT pass) {
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
      DrawPass(device, rigid.get(), pass, wall);
      return device.Capture();
    };

    drawShadowMap({{skinned.get(), &caster}, {rigid.get(), &wall}});
    const std::vector<float> depth = ReadFloatTarget(device, mapSurface);
    // Distance along the light's view over its range of 50: the square (12
    // units away) covers texels 213..298 across and 203..288 down, the wall
    // (20 away) 64..448 both ways.
    auto stored = [&](int x, int y) { return depth[size_t(y) * 512 + size_t(x)]; };
    EXPECT_NEAR(stored(256, 245), 12.0f / 50, 1e-4);
    EXPECT_NEAR(stored(296, 205), 12.0f / 50, 1e-4);
    EXPECT_NEAR(stored(302, 245), 20.0f / 50, 1e-4);
    EXPECT_NEAR(stored(256, 292), 20.0f / 50, 1e-4);
    EXPECT_EQ(stored(256, 452), 0.0f);

    // The wall seen from x = 5: the square's shadow, 2 * 20/12 units each
    // way from (10, 10/12, 0), spans 128/3 pixels each way from (64, 160/3).
    rigid->SetMatrix("LiteViewProj", &light);
    rigid->SetTexture("ShadowTexture", map);
    rigid->SetValue("SMAP_SIZE", &mapSize, sizeof mapSize);
    std::set<UINT> between[2];
    for (UINT pass : {2u, 3u}) {
      SCOPED_TRACE(pass);
      const GlImage image = drawWall(pass);
      const UINT ambient = image.Pixel(64, 53) & 0xFF;
      EXPECT_NEAR(double(ambient), 0.3 * 255, 1.0);
      for (UINT y = 0; y < 128; ++y) {
        for (UINT x = 0; x < 128; ++x) {
          const UINT value = image.Pixel(x, y) & 0xFF;
          const float edge = std::max(std::abs(x - 64.0f), std::abs(y - 160.0f / 3)) - 128.0f / 3;
          // Fully lit (no acne) or fully shadowed away from the edge.
          if (std::abs(edge) >= 4) {
            ASSERT_EQ(value, edge > 0 ? 255u : ambient) << x << "," << y;
          } else if (value != 255 && value != ambient) {
            between[pass - 2].insert(value);
          }
        }
      }
    }
    EXPECT_TRUE(between[0].empty());
    EXPECT_GE(between[1].size(), 6u);

    // A slope must not shadow itself: the wall alone, turned 50 degrees about
    // its centre, is lit evenly (by cos 50) in both passes.
    Matrix4 toCentre, turn, back;
    const Matrix4 turned = toCentre.translation(-10, 0, 0) * turn.rotationY(50) * back.translation(10, 0, 0);
    rigid->SetMatrix("World", &turned);
    drawShadowMap({{rigid.get(), &wall}});
    for (UINT pass : {2u, 3u}) {
      const GlImage image = drawWall(pass);
      std::set<UINT> values;
      for (UINT i = 0; i < 128 * 128; ++i) {
        if (Rgb(image.Pixel(i % 128, i / 128)) != 0) values.insert(image.Pixel(i % 128, i / 128) & 0xFF);
      }
      ASSERT_EQ(values.size(), 1u) << pass;
      EXPECT_NEAR(double(*values.begin()), (0.3 + 0.7 * std::cos(50 * 0.017453292)) * 255, 1.0) << pass;
    }
  }
}
