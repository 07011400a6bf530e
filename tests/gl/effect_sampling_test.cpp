// Samplers bound through sampler_state read the texture set on their texture
// parameter, with the filters, address modes and border colour they declare.
#include "tests/gl/effect_test_support.h"

TEST(GlEffectSampling, FiltersAddressModesAndBorderColourOfEachSampler) {
  GlTestDevice device(30, 30);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect = LoadEffect(device, "sampling.fx");
  ASSERT_TRUE(effect);
  // Red, green / blue, white.
  Held<IDirect3DTexture9> texture = MakeTexture(device, 2, 2, {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF});
  ASSERT_EQ(effect->SetTexture("Map", texture.get()), D3D_OK);
  device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_MIRROR);

  // u and v run from -1 to 2 across the target: pixel x reads u = -1 + x / 10.
  struct Vertex {
    float x, y, z, u, v;
  };
  const auto quad = Quad<Vertex>(-1, 1, 1, -1, [](float x, float y) {
    return Vertex{x, y, 0.5f, x < 0 ? -1.0f : 2.0f, y > 0 ? -1.0f : 2.0f};
  });
  DrawTechnique(device, effect.get(), "Point", [&] { DrawList(device, D3DFVF_XYZ | D3DFVF_TEX1, quad); });
  GlImage image = device.Capture();
  EXPECT_EQ(Rgb(image.Pixel(12, 12)), 0xFF0000u) << "u 0.2, v 0.2";
  EXPECT_EQ(Rgb(image.Pixel(17, 17)), 0xFFFFFFu) << "u 0.7, v 0.7, unblended";
  EXPECT_EQ(Rgb(image.Pixel(27, 12)), 0x00FF00u) << "u 1.7 clamps to the right column";
  EXPECT_EQ(Rgb(image.Pixel(12, 7)), 0x0000FFu) << "v -0.3 wraps to 0.7";

  DrawTechnique(device, effect.get(), "Linear", [&] { DrawList(device, D3DFVF_XYZ | D3DFVF_TEX1, quad); });
  image = device.Capture();
  EXPECT_TRUE(Near(image.Pixel(15, 12), 0x808000, 3)) << "u 0.5 blends red and green: " << std::hex
                                                        << image.Pixel(15, 12);
  EXPECT_EQ(Rgb(image.Pixel(2, 12)), 0x00FFFFu) << "u -0.8 reads the border";

  // End gave the device its own address mode back; a null texture unbinds.
  DWORD address = 0;
  device->GetSamplerState(0, D3DSAMP_ADDRESSU, &address);
  EXPECT_EQ(address, DWORD(D3DTADDRESS_MIRROR));
  ASSERT_EQ(effect->SetTexture("Map", nullptr), D3D_OK);
  DrawTechnique(device, effect.get(), "Point", [&] { DrawList(device, D3DFVF_XYZ | D3DFVF_TEX1, quad); });
  EXPECT_EQ(Rgb(device.Capture().Pixel(12, 12)), 0u);
}
