// Samplers bound through sampler_state read the texture given to their
// texture parameter, with the filters and address modes they declare.
#include "tests/gl/effect_test_support.h"

namespace {

constexpr UINT kSize = 30;

struct TexturedVertex {
  float x, y, z;
  float u, v;
};

// Red, green / blue, white.
const std::vector<uint32_t> kTexels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};

// Covers the target with u and v running from -1 to 2, so that pixel x
// reads u = -1 + x / 10 (and v likewise from y).
GlImage DrawWithTechnique(const GlTestDevice& device, ID3DXEffect* effect, const char* technique) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  EXPECT_EQ(effect->SetTechnique(technique), D3D_OK);
  UINT passes = 0;
  EXPECT_EQ(effect->Begin(&passes, 0), D3D_OK);
  EXPECT_EQ(effect->Pass(0), D3D_OK);
  const auto quad = Rectangle<TexturedVertex>(-1, 1, 1, -1, [](float x, float y) {
    return TexturedVertex{x, y, 0.5f, x < 0 ? -1.0f : 2.0f, y > 0 ? -1.0f : 2.0f};
  });
  EXPECT_EQ(DrawList(device, D3DFVF_XYZ | D3DFVF_TEX1, quad), D3D_OK);
  effect->End();
  return device.Capture();
}

}  // namespace

TEST(GlEffectSampling, PointClampAndWrapReadTheTextureSetOnTheParameter) {
  GlTestDevice device(kSize, kSize);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("sampling.fx"), effect), D3D_OK);
  Held<IDirect3DTexture9> texture = MakeTexture(device, 2, 2, kTexels);
  ASSERT_EQ(effect->SetTexture("Map", texture.get()), D3D_OK);

  const GlImage image = DrawWithTechnique(device, effect.get(), "Point");
  const struct {
    UINT x, y;
    DWORD rgb;
    const char* why;
  } expected[] = {
      {12, 12, 0xFF0000, "u 0.2, v 0.2: the top left texel"},
      {17, 12, 0x00FF00, "u 0.7: the top right texel, unblended"},
      {17, 17, 0xFFFFFF, "v 0.7: the bottom row"},
      {2, 12, 0xFF0000, "u -0.8 clamps to the left column"},
      {27, 12, 0x00FF00, "u 1.7 clamps to the right column"},
      {12, 7, 0x0000FF, "v -0.3 wraps to 0.7, the bottom row"},
      {12, 22, 0xFF0000, "v 1.2 wraps to 0.2, the top row"},
  };
  for (const auto& e : expected) EXPECT_EQ(Rgb(image.Pixel(e.x, e.y)), e.rgb) << e.why;

  // A null texture unbinds: the sampler reads black.
  ASSERT_EQ(effect->SetTexture("Map", nullptr), D3D_OK);
  EXPECT_EQ(Rgb(DrawWithTechnique(device, effect.get(), "Point").Pixel(12, 12)), 0u);
}

TEST(GlEffectSampling, LinearFilterBlendsAndBorderAddressingReadsTheBorderColour) {
  GlTestDevice device(kSize, kSize);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("sampling.fx"), effect), D3D_OK);
  Held<IDirect3DTexture9> texture = MakeTexture(device, 2, 2, kTexels);
  ASSERT_EQ(effect->SetTexture("Map", texture.get()), D3D_OK);

  const GlImage image = DrawWithTechnique(device, effect.get(), "Linear");
  // u 0.5 lies halfway between the red and green texel centres; v 0.2 is
  // clamped to the top row's centre.
  ExpectColorNear(image.Pixel(15, 12), 0x808000, 3, "halfway between red and green");
  EXPECT_EQ(Rgb(image.Pixel(2, 12)), 0x00FFFFu) << "u -0.8 reads the border";
  EXPECT_EQ(Rgb(image.Pixel(27, 12)), 0x00FFFFu) << "u 1.7 reads the border";
}

TEST(GlEffectSampling, EndPutsBackTheSamplerStatesThePassChanged) {
  GlTestDevice device(kSize, kSize);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("sampling.fx"), effect), D3D_OK);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);
  device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_POINT);

  ASSERT_EQ(effect->SetTechnique("Linear"), D3D_OK);
  UINT passes = 0;
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  ASSERT_EQ(effect->Pass(0), D3D_OK);
  DWORD value = 0;
  device->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
  EXPECT_EQ(value, DWORD(D3DTADDRESS_BORDER));
  device->GetSamplerState(0, D3DSAMP_BORDERCOLOR, &value);
  EXPECT_EQ(value, 0xFF00FFFFu);
  ASSERT_EQ(effect->End(), D3D_OK);
  device->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
  EXPECT_EQ(value, DWORD(D3DTADDRESS_MIRROR));
  device->GetSamplerState(0, D3DSAMP_MAGFILTER, &value);
  EXPECT_EQ(value, DWORD(D3DTEXF_POINT));
  device->GetSamplerState(0, D3DSAMP_BORDERCOLOR, &value);
  EXPECT_EQ(value, 0u);

  // Without saving, the pass's states stay.
  ASSERT_EQ(effect->Begin(&passes, kGlEffectDoNotSaveState), D3D_OK);
  ASSERT_EQ(effect->Pass(0), D3D_OK);
  ASSERT_EQ(effect->End(), D3D_OK);
  device->GetSamplerState(0, D3DSAMP_ADDRESSU, &value);
  EXPECT_EQ(value, DWORD(D3DTADDRESS_BORDER));
}
