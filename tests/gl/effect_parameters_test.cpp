// Parameters reach the shaders with D3DX's packing; the setters refuse what
// D3DX refuses and then leave the value as it was.
#include <cstring>

#include "tests/gl/effect_test_support.h"

namespace {

constexpr UINT kWidth = 40, kHeight = 30;

std::vector<Position> Square(float left, float top, float size) {
  return Quad<Position>(left, top, left + size, top + size, [](float x, float y) {
    return Position{x, y, 0.5f};
  });
}

}  // namespace

TEST(GlEffectParameters, WorldMovesByRowsWhicheverWayDeclaredAndValuesReachTheShader) {
  for (bool fallback : {false, true}) {
    SCOPED_TRACE(fallback ? "clip-space fix-up in the shader" : "clip control");
    NoClipControl hook(fallback);
    GlTestDevice device(kWidth, kHeight);
    ASSERT_TRUE(device.ok());
    Held<ID3DXEffect> effect = LoadEffect(device, "transform.fx");
    ASSERT_TRUE(effect);
    const Matrix4 viewProj = PixelSpace(kWidth, kHeight), world = Translation(10, 0);
    const float tint[3] = {1.0f, 0.5f, 0.25f}, brightness = 0.8f;
    ASSERT_EQ(effect->SetMatrix("ViewProj", &viewProj), D3D_OK);
    ASSERT_EQ(effect->SetValue("Tint", tint, sizeof tint), D3D_OK);
    ASSERT_EQ(effect->SetValue("Brightness", &brightness, sizeof brightness), D3D_OK);
    const struct {
      const char* technique;
      const char* world;
    } cases[] = {{"Move", "World"}, {"MoveRows", "WorldRows"}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.technique);
      // Set inside the pass: the draw must still see it.
      DrawTechnique(device, effect.get(), c.technique, [&] {
        ASSERT_EQ(effect->SetMatrix(c.world, &world), D3D_OK);
        DrawList(device, D3DFVF_XYZ, Square(0, 0, 10));
      });
      // x 0..10 moved to 10..20: pixels 10 to 19 across, 0 to 9 down.
      const GlImage image = device.Capture();
      EXPECT_TRUE(Near(image.Pixel(10, 0), 0xCC6633, 1)) << std::hex << image.Pixel(10, 0);
      EXPECT_TRUE(Near(image.Pixel(19, 9), 0xCC6633, 1)) << std::hex << image.Pixel(19, 9);
      EXPECT_EQ(Rgb(image.Pixel(9, 5)) | Rgb(image.Pixel(20, 5)) | Rgb(image.Pixel(15, 10)), 0u);
    }
  }
}

TEST(GlEffectParameters, EachVertexTakesThePaletteMatrixOfItsBlendIndex) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect = LoadEffect(device, "palette.fx");
  ASSERT_TRUE(effect);
  const Matrix4 viewProj = PixelSpace(kWidth, kHeight);
  const Matrix4 palette[3] = {Translation(0, 0), Translation(12, 0), Translation(24, 10)};
  ASSERT_EQ(effect->SetMatrix("ViewProj", &viewProj), D3D_OK);
  ASSERT_EQ(effect->SetMatrixArray("Palette", palette, 3), D3D_OK);
  struct SkinVertex {
    float x, y, z;
    uint8_t indices[4];
  };
  // Three squares on one spot; the colour says which index the shader read.
  std::vector<SkinVertex> vertices;
  for (uint8_t index = 0; index < 3; ++index) {
    auto square = Quad<SkinVertex>(1, 1, 9, 9, [index](float x, float y) {
      return SkinVertex{x, y, 0.5f, {index, 0, 0, 0}};
    });
    vertices.insert(vertices.end(), square.begin(), square.end());
  }
  DrawTechnique(device, effect.get(), "Skin",
                [&] { DrawList(device, D3DFVF_XYZB1 | D3DFVF_LASTBETA_UBYTE4, vertices); });
  const GlImage image = device.Capture();
  EXPECT_EQ(Rgb(image.Pixel(5, 5)), 0xFF0000u);
  EXPECT_EQ(Rgb(image.Pixel(17, 5)), 0x00FF00u);
  EXPECT_EQ(Rgb(image.Pixel(29, 15)), 0x0000FFu);
  EXPECT_EQ(Rgb(image.Pixel(29, 5)) | Rgb(image.Pixel(17, 15)), 0u);
}

TEST(GlEffectParameters, RefusedSettersWriteNothing) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect = LoadEffect(device, "transform.fx");
  Held<ID3DXEffect> palette = LoadEffect(device, "palette.fx");
  ASSERT_TRUE(effect && palette);
  const Matrix4 identity = Translation(0, 0), four[4] = {identity, identity, identity, identity};
  const float zeros[4] = {};
  // Unknown names and missing data are in the conformance suite; here,
  // the declared types the GL parameter block holds.
  EXPECT_EQ(effect->SetMatrix("Tint", &identity), D3DERR_INVALIDCALL);         // a vector
  EXPECT_EQ(palette->SetMatrixArray("Palette", four, 4), D3DERR_INVALIDCALL);  // three declared
  EXPECT_EQ(effect->SetValue("Tint", zeros, 16), D3DERR_INVALIDCALL);          // a float3
  EXPECT_EQ(effect->SetValue("Tint", zeros, 6), D3DERR_INVALIDCALL);           // not whole floats
  EXPECT_EQ(effect->SetTexture("World", nullptr), D3DERR_INVALIDCALL);         // not a texture

  // The declared white survived the refused zeros.
  const auto& block = static_cast<GlEffect*>(effect.get())->Parameters().Block();
  float tint[3] = {};
  std::memcpy(tint,
              block.data() +
                  static_cast<GlEffect*>(effect.get())->Compiled().find_parameter("Tint")->offset,
              sizeof tint);
  EXPECT_EQ(tint[0] + tint[1] + tint[2], 3.0f);
}
