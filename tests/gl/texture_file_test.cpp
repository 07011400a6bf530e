// Texture files: decoding, orientation, scaling, mip chains, the pools and
// bad files.
#include <epoxy/gl.h>
#include <gtest/gtest.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/gl/gl_backend.h"
#include "platform/gl/gl_texture_file.h"
#include "platform/gl/image_file.h"
#include "tests/gl/gl_test_device.h"
#include "tests/support/temp_dir.h"

namespace {

// width x height RGBA: red top-left, green top-right, blue bottom-left,
// white bottom-right quadrant; the top-right one half transparent.
std::vector<uint8_t> Quadrants(int width, int height) {
  std::vector<uint8_t> rgba(size_t(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const bool right = x >= width / 2;
      const bool bottom = y >= height / 2;
      uint8_t texel[4] = {255, 0, 0, 255};  // red
      if (right && !bottom) texel[0] = 0, texel[1] = 255, texel[3] = 128;
      if (!right && bottom) texel[0] = 0, texel[2] = 255;
      if (right && bottom) texel[1] = 255, texel[2] = 255;
      std::copy_n(texel, 4, &rgba[(size_t(y) * width + x) * 4]);
    }
  }
  return rgba;
}

enum class Format { Png, Bmp, Tga, Jpg };

std::string Write(const TempDir& dir, Format format, int width, int height,
                  const std::vector<uint8_t>& rgba) {
  // BMP (24-bit, the common kind) and JPEG are written without alpha.
  std::vector<uint8_t> rgb;
  for (size_t i = 0; i < rgba.size(); i += 4)
    rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
  const char* names[] = {"image.png", "image.bmp", "image.tga", "image.jpg"};
  const std::string path = dir.file(names[int(format)]);
  switch (format) {
    case Format::Png:
      stbi_write_png(path.c_str(), width, height, 4, rgba.data(), width * 4);
      break;
    case Format::Bmp:
      stbi_write_bmp(path.c_str(), width, height, 3, rgb.data());
      break;
    case Format::Tga:
      stbi_write_tga(path.c_str(), width, height, 4, rgba.data());
      break;
    case Format::Jpg:
      stbi_write_jpg(path.c_str(), width, height, 3, rgb.data(), 95);
      break;
  }
  return path;
}

HRESULT Load(GlTestDevice& device, const std::string& path, UINT size, D3DPOOL pool,
             IDirect3DTexture9** texture, UINT mipLevels = D3DX_DEFAULT) {
  return gl_create_texture_from_file(device.get(), path.c_str(), size, size, mipLevels, 0,
                                     D3DFMT_A8R8G8B8, pool, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                     nullptr, nullptr, texture);
}

// Each channel within tolerance.
::testing::AssertionResult Near(D3DCOLOR actual, D3DCOLOR expected, int tolerance) {
  for (int shift = 0; shift < 32; shift += 8) {
    const int a = int((actual >> shift) & 0xFF);
    const int e = int((expected >> shift) & 0xFF);
    if (std::abs(a - e) > tolerance) {
      return ::testing::AssertionFailure() << std::hex << actual << " is not near " << expected;
    }
  }
  return ::testing::AssertionSuccess();
}

constexpr D3DCOLOR kRed = 0xFFFF0000;
constexpr D3DCOLOR kGreenHalf = 0x8000FF00;
constexpr D3DCOLOR kBlue = 0xFF0000FF;
constexpr D3DCOLOR kWhite = 0xFFFFFFFF;

}  // namespace

TEST(GlTextureFiles, EachFormatDecodesToTheRightTexelsTopRowFirst) {
  GlTestDevice device(16, 16);
  ASSERT_TRUE(device.ok());
  TempDir dir;
  const std::vector<uint8_t> rgba = Quadrants(16, 16);
  for (Format format : {Format::Png, Format::Bmp, Format::Tga, Format::Jpg}) {
    SCOPED_TRACE(int(format));
    const std::string path = Write(dir, format, 16, 16, rgba);
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(Load(device, path, 0, D3DPOOL_DEFAULT, &texture), D3D_OK);
    D3DSURFACE_DESC desc{};
    texture->GetLevelDesc(0, &desc);
    EXPECT_EQ(desc.Width, 16u);
    EXPECT_EQ(desc.Height, 16u);
    EXPECT_EQ(texture->GetLevelCount(), 5u);
    const std::vector<D3DCOLOR> texels = ReadLevel(device, texture, 0);
    // BMP and JPEG carry no alpha; JPEG is lossy.
    const bool alpha = format == Format::Png || format == Format::Tga;
    const int tolerance = format == Format::Jpg ? 24 : 0;
    EXPECT_TRUE(Near(texels[4 * 16 + 4], kRed, tolerance));
    EXPECT_TRUE(Near(texels[4 * 16 + 12], alpha ? kGreenHalf : 0xFF00FF00, tolerance));
    EXPECT_TRUE(Near(texels[12 * 16 + 4], kBlue, tolerance));
    EXPECT_TRUE(Near(texels[12 * 16 + 12], kWhite, tolerance));
    if (format != Format::Jpg) {
      EXPECT_EQ(texels[0], kRed);
      EXPECT_EQ(texels[15 * 16 + 15], kWhite);
    }
    texture->Release();
  }
}

TEST(GlTextureFiles, RequestedSizeRescalesAndDefaultLevelsMakeAFullChain) {
  GlTestDevice device(16, 16);
  ASSERT_TRUE(device.ok());
  TempDir dir;
  const std::string path = Write(dir, Format::Png, 4, 4, Quadrants(4, 4));

  IDirect3DTexture9* scaled = nullptr;
  ASSERT_EQ(Load(device, path, 256, D3DPOOL_DEFAULT, &scaled), D3D_OK);
  D3DSURFACE_DESC desc{};
  scaled->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 256u);
  EXPECT_EQ(desc.Height, 256u);
  ASSERT_EQ(scaled->GetLevelCount(), 9u);
  scaled->GetLevelDesc(8, &desc);
  EXPECT_EQ(desc.Width, 1u);
  const std::vector<D3DCOLOR> texels = ReadLevel(device, scaled, 0);
  EXPECT_TRUE(Near(texels[0], kRed, 2));
  EXPECT_TRUE(Near(texels[255], kGreenHalf, 2));
  EXPECT_TRUE(Near(texels[255 * 256], kBlue, 2));
  EXPECT_TRUE(Near(texels[255 * 256 + 255], kWhite, 2));
  // The derived levels hold the picture too: the 2 x 2 level keeps its
  // quadrants (blurred where the scaling blended them).
  const std::vector<D3DCOLOR> small = ReadLevel(device, scaled, 7);
  EXPECT_TRUE(Near(small[0], kRed, 48));
  EXPECT_TRUE(Near(small[3], kWhite, 48));
  scaled->Release();

  IDirect3DTexture9* own = nullptr;
  ASSERT_EQ(Load(device, path, 0, D3DPOOL_DEFAULT, &own, 1), D3D_OK);
  own->GetLevelDesc(0, &desc);
  EXPECT_EQ(desc.Width, 4u);
  EXPECT_EQ(own->GetLevelCount(), 1u);
  own->Release();
}

TEST(GlTextureFiles, CutGarbageAndMissingFilesFailWithoutACrash) {
  GlTestDevice device(16, 16);
  ASSERT_TRUE(device.ok());
  TempDir dir;
  const std::vector<uint8_t> rgba = Quadrants(8, 8);
  for (Format format : {Format::Png, Format::Bmp, Format::Tga, Format::Jpg}) {
    SCOPED_TRACE(int(format));
    const std::string path = Write(dir, format, 8, 8, rgba);
    const std::string bytes = read_whole_file(path);
    ASSERT_GT(bytes.size(), 20u);
    // Cut anywhere, the data never decodes into a picture.
    for (size_t length = 0; length < bytes.size(); ++length) {
      RgbaImage image;
      EXPECT_FALSE(decode_image(reinterpret_cast<const uint8_t*>(bytes.data()), length, &image))
          << "cut at " << length;
    }
    RgbaImage whole;
    EXPECT_TRUE(decode_image(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &whole));
    write_whole_file(path, bytes.substr(0, bytes.size() * 2 / 3));
    IDirect3DTexture9* texture = nullptr;
    EXPECT_EQ(Load(device, path, 0, D3DPOOL_DEFAULT, &texture), D3DXERR_INVALIDDATA);
    EXPECT_EQ(Load(device, path, 0, D3DPOOL_SYSTEMMEM, &texture), D3DXERR_INVALIDDATA);
    EXPECT_EQ(texture, nullptr);
  }
  IDirect3DTexture9* texture = nullptr;
  write_whole_file(dir.file("noise.png"), std::string(300, '\x5A'));
  EXPECT_EQ(Load(device, dir.file("noise.png"), 0, D3DPOOL_DEFAULT, &texture), D3DXERR_INVALIDDATA);
  write_whole_file(dir.file("empty.bmp"), "");
  EXPECT_EQ(Load(device, dir.file("empty.bmp"), 0, D3DPOOL_DEFAULT, &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(Load(device, dir.file("missing.bmp"), 0, D3DPOOL_DEFAULT, &texture), D3DERR_NOTFOUND);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(gl_create_texture_from_file(nullptr, dir.file("noise.png").c_str(), 0, 0, 0, 0,
                                        D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, 0, 0, 0, nullptr,
                                        nullptr, &texture),
            D3DERR_INVALIDCALL);
}

TEST(GlTextureFiles, TooLargeForGlFallsBackToSystemMemoryAndDrawsAsNoTexture) {
  GlTestDevice device(16, 16);
  ASSERT_TRUE(device.ok());
  TempDir dir;
  const int wide = device.gl()->Context()->MaxTextureSize() + 1;
  std::vector<uint8_t> rgba(size_t(wide) * 4, 255);
  rgba[0] = 10;  // the first texel: (10, 255, 255)
  const std::string path = dir.file("wide.png");
  ASSERT_NE(stbi_write_png(path.c_str(), wide, 1, 4, rgba.data(), wide * 4), 0);

  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(Load(device, path, 0, D3DPOOL_DEFAULT, &texture), D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(texture, nullptr);
  ASSERT_EQ(Load(device, path, 0, D3DPOOL_SYSTEMMEM, &texture), D3D_OK);
  GlTexture* copy = AsGlTexture(texture);
  EXPECT_EQ(copy->Name(), 0u);
  ASSERT_EQ(copy->SystemCopy().size(), size_t(wide) * 4);
  // B, G, R, A.
  EXPECT_EQ(copy->SystemCopy()[0], 255);
  EXPECT_EQ(copy->SystemCopy()[2], 10);

  // Bound to the stage, it samples as no texture: opaque black.
  device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
  struct {
    float x, y, z, rhw, u, v;
  } quad[4] = {{-0.5f, -0.5f, 0, 1, 0, 0}, {15.5f, -0.5f, 0, 1, 1, 0},
               {-0.5f, 15.5f, 0, 1, 0, 1}, {15.5f, 15.5f, 0, 1, 1, 1}};
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
  EXPECT_EQ(device->SetTexture(0, texture), D3D_OK);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, 24), D3D_OK);
  EXPECT_EQ(device.Capture().Pixel(8, 8), 0xFF000000u);
  device->SetTexture(0, nullptr);
  texture->Release();
}

TEST(GlTextureFiles, TheBackendLoadsThroughItsD3DXEntry) {
  GlTestDevice device(16, 16);
  ASSERT_TRUE(device.ok());
  TempDir dir;
  const std::string path = Write(dir, Format::Bmp, 4, 4, Quadrants(4, 4));
  // Written as on Windows: backslashes, another case.
  const std::string windows_path = dir.path().string() + "\\IMAGE.Bmp";
  GraphicsBackend& backend = gl_graphics_backend();
  EXPECT_STREQ(backend.Name(), "gl");
  IDirect3DTexture9* texture = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(backend.CreateTextureFromFile(device.get(), windows_path.c_str(), 0, 0, D3DX_DEFAULT, 0,
                                          D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DX_DEFAULT,
                                          D3DX_DEFAULT, 0, &info, nullptr, &texture),
            D3D_OK);
  EXPECT_EQ(info.Width, 4u);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
  texture->Release();
  // The same entry point compiles effects: an image is no effect.
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  EXPECT_EQ(backend.CreateEffectFromFile(device.get(), path.c_str(), nullptr, nullptr, 0, nullptr,
                                         &effect, &errors),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(effect, nullptr);
  ASSERT_NE(errors, nullptr);
  errors->Release();
}
