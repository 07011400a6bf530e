// Mip chains built on the CPU: the box filter's arithmetic on even, odd and
// one-texel sizes, and a loaded texture whose levels hold the filtered
// picture all the way down.
#include <gtest/gtest.h>

#include "platform/gl/gl_texture_mips.h"
#include "tests/gl/gl_test_device.h"

namespace {

struct BoxCase {
  const char* name;
  uint32_t width, height, channels;
  std::vector<uint8_t> texels;
  std::vector<uint8_t> expected;
};

TEST(GlTextureMips, BoxFilterAveragesEachBlockPerChannelWithRounding) {
  const std::vector<BoxCase> cases = {
      {"2x2 one channel, mean rounds half up", 2, 2, 1, {0, 1, 1, 0}, {1}},
      {"2x2 one channel, below half rounds down", 2, 2, 1, {0, 0, 1, 0}, {0}},
      {"2x2 two channels kept apart", 2, 2, 2, {255, 0, 255, 0, 255, 0, 255, 4}, {255, 1}},
      {"4x2 gives two texels", 4, 2, 1, {10, 20, 100, 100, 30, 40, 200, 200}, {25, 150}},
      {"3x1: the odd column is dropped, one row repeats", 3, 1, 1, {8, 16, 255}, {12}},
      {"1x4 keeps one column", 1, 4, 1, {0, 100, 50, 50}, {50, 50}},
      {"1x1 stays", 1, 1, 3, {7, 8, 9}, {7, 8, 9}},
      {"3x3: last row and column belong to no block",
       3,
       3,
       1,
       {4, 4, 99, 4, 4, 99, 99, 99, 99},
       {4}},
  };
  for (const BoxCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(gl_box_filter_level(c.texels.data(), c.width, c.height, c.channels), c.expected);
  }
}

TEST(GlTextureMips, EveryLevelOfAFilledTextureHoldsTheAveragedPicture) {
  GlTestDevice device(16, 16);
  ASSERT_TRUE(device.ok());
  // A 8 x 4 picture (not square: the width runs out of halvings later):
  // opaque white left half, transparent black right half.
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 4, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3D_OK);
  ASSERT_EQ(texture->GetLevelCount(), 4u);
  std::vector<D3DCOLOR> texels(8 * 4);
  for (size_t i = 0; i < texels.size(); ++i) texels[i] = (i % 8) < 4 ? 0xFFFFFFFFu : 0u;
  ASSERT_EQ(AsGlTexture(texture)->FillLevel0(texels.data(), texels.size() * 4), D3D_OK);

  EXPECT_EQ(ReadLevel(device, texture, 1), std::vector<D3DCOLOR>({~0u, ~0u, 0, 0, ~0u, ~0u, 0, 0}));
  EXPECT_EQ(ReadLevel(device, texture, 2), std::vector<D3DCOLOR>({~0u, 0}));
  // White and black meet in the last level: 127.5 rounds to 128.
  EXPECT_EQ(ReadLevel(device, texture, 3), std::vector<D3DCOLOR>({0x80808080u}));
  texture->Release();
}

}  // namespace
