// Effect parameters reach the shaders with D3DX's packing, and the setters
// refuse what D3DX refuses.
#include <cstring>

#include "tests/gl/effect_test_support.h"

namespace {

constexpr UINT kWidth = 40;
constexpr UINT kHeight = 30;

struct Position {
  float x, y, z;
};

Position At(float x, float y) { return {x, y, 0.5f}; }

struct SkinVertex {
  float x, y, z;
  uint8_t indices[4];
};

// Draws a 10 x 10 pixel square at the origin with technique `technique`.
void DrawSquare(const GlTestDevice& device, ID3DXEffect* effect, const char* technique) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  ASSERT_EQ(effect->SetTechnique(technique), D3D_OK);
  UINT passes = 0;
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  ASSERT_EQ(passes, 1u);
  ASSERT_EQ(effect->Pass(0), D3D_OK);
  EXPECT_EQ(DrawList(device, D3DFVF_XYZ, Rectangle<Position>(0, 0, 10, 10, At)), D3D_OK);
  EXPECT_EQ(effect->End(), D3D_OK);
}

// A 10 x 10 square at the origin, moved 10 pixels right by World (declared
// column_major) and by WorldRows (row_major).
void DrawTranslatedSquares() {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("transform.fx"), effect), D3D_OK);
  const Matrix4 viewProj = PixelSpace(kWidth, kHeight);
  const Matrix4 world = Translation(10, 0, 0);
  ASSERT_EQ(effect->SetMatrix("ViewProj", &viewProj), D3D_OK);
  ASSERT_EQ(effect->SetMatrix("World", &world), D3D_OK);
  ASSERT_EQ(effect->SetMatrix("WorldRows", &world), D3D_OK);
  const float tint[3] = {1.0f, 0.5f, 0.25f};
  const float brightness = 0.8f;
  ASSERT_EQ(effect->SetValue("Tint", tint, sizeof tint), D3D_OK);
  ASSERT_EQ(effect->SetValue("Brightness", &brightness, sizeof brightness), D3D_OK);

  for (const char* technique : {"Move", "MoveRows"}) {
    SCOPED_TRACE(technique);
    DrawSquare(device, effect.get(), technique);
    const GlImage image = device.Capture();
    // The square went from x 0..10 to 10..20, keeping y 0..10: pixels 10 to
    // 19 across and 0 to 9 down, as Direct3D 9 covers them.
    ExpectColorNear(image.Pixel(10, 0), 0xCC6633, 1, "top left pixel");
    ExpectColorNear(image.Pixel(19, 9), 0xCC6633, 1, "bottom right pixel");
    EXPECT_EQ(Rgb(image.Pixel(9, 5)), 0u);
    EXPECT_EQ(Rgb(image.Pixel(20, 5)), 0u);
    EXPECT_EQ(Rgb(image.Pixel(15, 10)), 0u);
  }
}

}  // namespace

TEST(GlEffectParameters, WorldTranslationMovesVerticesWhicheverWayTheMatrixIsDeclared) {
  for (bool fallback : {false, true}) {
    SCOPED_TRACE(fallback ? "clip-space fix-up in the shader" : "clip control");
    NoClipControl hook(fallback);
    DrawTranslatedSquares();
  }
}

TEST(GlEffectParameters, PaletteEntryFollowsEachVertexsBlendIndex) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("palette.fx"), effect), D3D_OK);
  const Matrix4 viewProj = PixelSpace(kWidth, kHeight);
  const Matrix4 palette[3] = {Translation(0, 0, 0), Translation(12, 0, 0), Translation(24, 10, 0)};
  ASSERT_EQ(effect->SetMatrix("ViewProj", &viewProj), D3D_OK);
  ASSERT_EQ(effect->SetMatrixArray("Palette", palette, 3), D3D_OK);

  // Three squares on the same spot, one per palette index.
  std::vector<SkinVertex> vertices;
  for (uint8_t index = 0; index < 3; ++index) {
    auto square = Rectangle<SkinVertex>(1, 1, 9, 9, [index](float x, float y) {
      return SkinVertex{x, y, 0.5f, {index, 0, 0, 0}};
    });
    vertices.insert(vertices.end(), square.begin(), square.end());
  }
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  UINT passes = 0;
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  ASSERT_EQ(effect->Pass(0), D3D_OK);
  EXPECT_EQ(DrawList(device, D3DFVF_XYZB1 | D3DFVF_LASTBETA_UBYTE4, vertices), D3D_OK);
  effect->End();

  const GlImage image = device.Capture();
  EXPECT_EQ(Rgb(image.Pixel(5, 5)), 0xFF0000u);    // index 0, not moved
  EXPECT_EQ(Rgb(image.Pixel(17, 5)), 0x00FF00u);   // index 1, 12 right
  EXPECT_EQ(Rgb(image.Pixel(29, 15)), 0x0000FFu);  // index 2, 24 right, 10 down
  EXPECT_EQ(Rgb(image.Pixel(29, 5)), 0u);
  EXPECT_EQ(Rgb(image.Pixel(17, 15)), 0u);
}

TEST(GlEffectParameters, SettersRefuseWhatTheParameterCannotHoldAndKeepItsValue) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("transform.fx"), effect), D3D_OK);
  Held<ID3DXEffect> palette;
  ASSERT_EQ(CreateEffect(device, EffectData("palette.fx"), palette), D3D_OK);
  const Matrix4 identity = Translation(0, 0, 0);
  const Matrix4 four[4] = {identity, identity, identity, identity};
  const float values[4] = {0.0f, 0.0f, 0.0f, 0.0f};

  EXPECT_EQ(effect->SetMatrix("Nowhere", &identity), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetMatrix(nullptr, &identity), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetMatrix("World", nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetMatrix("Tint", &identity), D3DERR_INVALIDCALL);  // a vector
  EXPECT_EQ(effect->SetMatrixArray("Brightness", four, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(palette->SetMatrixArray("Palette", four, 4), D3DERR_INVALIDCALL);  // three declared
  EXPECT_EQ(effect->SetValue("Tint", values, 16), D3DERR_INVALIDCALL);        // float3
  EXPECT_EQ(effect->SetValue("Tint", values, 6), D3DERR_INVALIDCALL);         // not whole floats
  EXPECT_EQ(effect->SetValue("Missing", values, 4), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetValue("Brightness", nullptr, 4), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetTexture("World", nullptr), D3DERR_INVALIDCALL);  // not a texture
  EXPECT_EQ(palette->SetMatrixArray("Palette", four, 0), D3D_OK);

  // The refused calls wrote nothing: the declared colour (white) and the
  // matrices set here still draw.
  const Matrix4 viewProj = PixelSpace(kWidth, kHeight);
  ASSERT_EQ(effect->SetMatrix("ViewProj", &viewProj), D3D_OK);
  ASSERT_EQ(effect->SetMatrix("World", &identity), D3D_OK);
  DrawSquare(device, effect.get(), "Move");
  EXPECT_EQ(Rgb(device.Capture().Pixel(5, 5)), 0xFFFFFFu);
}

TEST(GlEffectParameters, ValuesSetAfterThePassReachTheNextDraw) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("transform.fx"), effect), D3D_OK);
  const Matrix4 viewProj = PixelSpace(kWidth, kHeight);
  const Matrix4 world = Translation(0, 0, 0);
  ASSERT_EQ(effect->SetMatrix("ViewProj", &viewProj), D3D_OK);
  ASSERT_EQ(effect->SetMatrix("World", &world), D3D_OK);

  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  UINT passes = 0;
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  ASSERT_EQ(effect->Pass(0), D3D_OK);
  const float red[3] = {1, 0, 0};
  ASSERT_EQ(effect->SetValue("Tint", red, sizeof red), D3D_OK);
  EXPECT_EQ(DrawList(device, D3DFVF_XYZ, Rectangle<Position>(0, 0, 10, 10, At)), D3D_OK);
  const Matrix4 moved = Translation(20, 0, 0);
  const float green[3] = {0, 1, 0};
  ASSERT_EQ(effect->SetMatrix("World", &moved), D3D_OK);
  ASSERT_EQ(effect->SetValue("Tint", green, sizeof green), D3D_OK);
  EXPECT_EQ(DrawList(device, D3DFVF_XYZ, Rectangle<Position>(0, 0, 10, 10, At)), D3D_OK);
  effect->End();

  const GlImage image = device.Capture();
  EXPECT_EQ(Rgb(image.Pixel(5, 5)), 0xFF0000u);
  EXPECT_EQ(Rgb(image.Pixel(25, 5)), 0x00FF00u);
}
