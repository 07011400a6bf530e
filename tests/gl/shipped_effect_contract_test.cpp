// Every shipped effect loads on the device and takes every parameter the
// renderer sets, or a model draw fails at its first setter.
#include <gtest/gtest.h>

#include "tests/gl/shipped_effect_fixture.h"

using namespace shipped_effect;

TEST(ShippedEffects, LoadWithPassesOneToThreeTheRenderersParametersAndAPaletteOf255Bones) {
  GlTestDevice device(16, 16);
  ASSERT_TRUE(device.ok());
  Held<IDirect3DTexture9> texture = WhiteTexture(device);
  const std::vector<Matrix4> palette(256, Matrix4{});
  const float values[3] = {1, 0, 0};
  for (const char* file : {"skinned.fx", "static.fx", "shadow_volume.fx"}) {
    SCOPED_TRACE(file);
    Held<ID3DXEffect> effect = LoadShippedEffect(device, file);
    ASSERT_TRUE(effect);
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    EXPECT_EQ(passes, 4u);
    for (UINT pass = 1; pass < passes; ++pass) EXPECT_EQ(effect->Pass(pass), D3D_OK) << pass;
    effect->End();
    for (const char* name : {"World", "CamViewProj", "LiteViewProj"}) {
      EXPECT_EQ(effect->SetMatrix(name, palette.data()), D3D_OK) << name;
    }
    EXPECT_EQ(effect->SetValue("LightDir", values, 12), D3D_OK);
    EXPECT_EQ(effect->SetValue("SMAP_SIZE", values, 4), D3D_OK);
    for (const char* name : {"g_txScene", "g_txBump", "ShadowTexture"}) {
      EXPECT_EQ(effect->SetTexture(name, texture.get()), D3D_OK) << name;
    }
    // Bone indices are bytes and 255 means "no parent": 255 bones is the
    // most a model can have, and the converter refuses more.
    if (std::string(file) != "static.fx") {
      EXPECT_EQ(effect->SetMatrixArray("matrixBone", palette.data(), 255), D3D_OK);
      EXPECT_NE(effect->SetMatrixArray("matrixBone", palette.data(), 256), D3D_OK);
    }
    // GL 3.3 promises uniform blocks of 16 KB, no more.
    EXPECT_LE(static_cast<GlEffect*>(effect.get())->Compiled().uniform_block_size, 16384u);
  }
}
