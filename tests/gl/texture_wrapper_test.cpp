// The texture wrapper over the program's default backend, which is this
// OpenGL backend: the pool that takes a file decides the result.
#include <vector>

#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include "render/device_globals.h"
#include "render/texture.h"
#include "tests/gl/gl_test_device.h"
#include "tests/support/temp_dir.h"

TEST(GlTextureWrapper, LoadFromFileReportsThePoolThatTookTheFile) {
  GlTestDevice device(32, 32);
  ASSERT_TRUE(device.ok());
  TempDir dir;
  const int wide = device.gl()->Context()->MaxTextureSize() + 1;
  const std::vector<uint8_t> row(size_t(wide) * 3, 90);
  ASSERT_NE(stbi_write_png(dir.file("wide.png").c_str(), wide, 1, 3, row.data(), wide * 3), 0);
  const std::vector<uint8_t> glyphs(16 * 16 * 3, 200);
  ASSERT_NE(stbi_write_bmp(dir.file("font.bmp").c_str(), 16, 16, 3, glyphs.data()), 0);

  g_device = device.get();
  {
    Texture font;
    EXPECT_EQ(font.LoadFromFile(dir.file("font.bmp").c_str(), 256), Texture::kLoadedDefaultPool);
    D3DSURFACE_DESC desc{};
    ASSERT_NE(font.GetD3DTexture(), nullptr);
    font.GetD3DTexture()->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 256u);
    EXPECT_EQ(font.GetD3DTexture()->GetLevelCount(), 9u);

    Texture big;
    EXPECT_EQ(big.LoadFromFile(dir.file("wide.png").c_str(), 0), Texture::kLoadedSystemMemory);
    EXPECT_TRUE(big.IsLoaded());
    EXPECT_TRUE(big.IsSystemMemory());

    Texture missing;
    EXPECT_EQ(missing.LoadFromFile(dir.file("none.bmp").c_str(), 0), Texture::kLoadFailed);
    EXPECT_EQ(missing.GetD3DTexture(), nullptr);
  }
  g_device = nullptr;
}
