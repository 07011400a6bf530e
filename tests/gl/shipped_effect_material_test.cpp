// The shipped effects colour each material's range: texture times diffuse
// colour plus emissive colour, the diffuse colour alone where a range has no
// texture, and untouched colours where the renderer sets no material at all.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "tests/gl/shipped_effect_fixture.h"

using namespace shipped_effect;

namespace {

constexpr int kSize = 32;

struct MaterialCase {
  const char* name;
  bool setMaterial;
  float diffuse[4];
  float emissive[3];
  bool textured;  // a white texture bound and MaterialTextured 1
  D3DCOLOR expected;
};

int Channel(D3DCOLOR color, int shift) { return int(color >> shift & 0xFF); }

}  // namespace

TEST(ShippedMaterialColours, TextureTimesDiffusePlusEmissiveLitHeadOn) {
  const MaterialCase cases[] = {
      {"no material set", false, {}, {}, true, 0xFFFFFFFF},
      {"red diffuse on white", true, {1, 0, 0, 1}, {0, 0, 0}, true, 0xFFFF0000},
      {"green without texture", true, {0, 1, 0, 1}, {0, 0, 0}, false, 0xFF00FF00},
      {"half red plus blue glow", true, {0.5f, 0, 0, 1}, {0, 0, 0.5f}, true, 0xFF800080},
  };
  GlTestDevice device(kSize, kSize);
  ASSERT_TRUE(device.ok());
  Held<IDirect3DTexture9> white = WhiteTexture(device);
  // A quad filling the view, facing the camera, lit straight on (diffuse 1).
  Mesh quad{D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1, 32, {}};
  const float corners[6][2] = {{-1, -1}, {-1, 1}, {1, 1}, {-1, -1}, {1, 1}, {1, -1}};
  for (const auto& corner : corners) {
    quad.words.insert(quad.words.end(), {corner[0] * 4, corner[1] * 4, 0, 0, 0, -1, 0.5f, 0.5f});
  }
  const Matrix4 viewProj = ViewProj({0, 0, -3}, {0, 0, 0}, 60);
  Matrix4 world;
  const float light[3] = {0, 0, 1};
  for (const MaterialCase& c : cases) {
    SCOPED_TRACE(c.name);
    Held<ID3DXEffect> effect = LoadShippedEffect(device, "static.fx");
    ASSERT_TRUE(effect);
    effect->SetMatrix("World", &world);
    effect->SetMatrix("CamViewProj", &viewProj);
    effect->SetValue("LightDir", light, sizeof light);
    effect->SetTexture("g_txScene", c.textured ? white.get() : nullptr);
    if (c.setMaterial) {
      const float textured = c.textured ? 1.0f : 0.0f;
      ASSERT_EQ(effect->SetValue("MaterialDiffuse", c.diffuse, sizeof c.diffuse), D3D_OK);
      ASSERT_EQ(effect->SetValue("MaterialEmissive", c.emissive, sizeof c.emissive), D3D_OK);
      ASSERT_EQ(effect->SetValue("MaterialTextured", &textured, sizeof textured), D3D_OK);
    }
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    DrawPass(device, effect.get(), 0, quad);
    const D3DCOLOR pixel = device.Capture().Pixel(kSize / 2, kSize / 2);
    for (int shift : {0, 8, 16}) {
      EXPECT_NEAR(Channel(pixel, shift), Channel(c.expected, shift), 3) << std::hex << pixel;
    }
  }
}
