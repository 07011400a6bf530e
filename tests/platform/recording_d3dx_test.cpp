#include <gtest/gtest.h>

#include <string>

#include "platform/backend.h"
#include "platform/record/image_header.h"
#include "platform/record/record_device.h"
#include "platform/record/record_effect.h"
#include "platform/record/recording_backend.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }
std::string Be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }

std::string BmpHeader(int32_t width, int32_t height) {
  return "BM" + Le32(0) + Le32(0) + Le32(54) + Le32(40) + Le32(uint32_t(width)) +
         Le32(uint32_t(height)) + std::string(28, '\0');
}

std::string PngHeader(uint32_t width, uint32_t height) {
  return std::string("\x89PNG\r\n\x1a\n", 8) + Be32(13) + "IHDR" + Be32(width) + Be32(height) +
         std::string(5, '\0');
}

// SOI, an APP0 segment to skip, then a baseline frame header.
std::string JpegHeader(uint16_t width, uint16_t height) {
  std::string app0 = std::string("\xFF\xE0", 2) + std::string("\x00\x06", 2) + "JFIF";
  std::string frame = std::string("\xFF\xC0", 2) + std::string("\x00\x0B\x08", 3) +
                      char(height >> 8) + char(height) + char(width >> 8) + char(width) +
                      std::string("\x01\x01\x11\x00", 4);
  return std::string("\xFF\xD8", 2) + app0 + frame;
}

class RecordingD3DXTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d_ = Direct3DCreate9(31);
    D3DPRESENT_PARAMETERS p{};
    p.BackBufferWidth = 320;
    p.BackBufferHeight = 200;
    p.hDeviceWindow = reinterpret_cast<HWND>(uintptr_t{0x1234});
    p.EnableAutoDepthStencil = 1;
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                 &p, &device_),
              D3D_OK);
  }
  void TearDown() override {
    device_->Release();
    d3d_->Release();
    EXPECT_EQ(rec().LiveTotal(), 0);
  }
  Recorder& rec() { return backend_.recorder(); }

  HRESULT Load(const std::string& path, UINT size, D3DPOOL pool, IDirect3DTexture9** texture,
               D3DXIMAGE_INFO* info = nullptr) {
    return D3DXCreateTextureFromFileExA(device_, path.c_str(), size, size, D3DX_DEFAULT, 0,
                                        D3DFMT_A8R8G8B8, pool, D3DX_DEFAULT, D3DX_DEFAULT, 0, info,
                                        nullptr, texture);
  }

  TempDir dir_;
  RecordingBackend backend_;
  ScopedGraphicsBackend scope_{backend_};
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
};

}  // namespace

TEST(ImageHeader, ReadsSizesAndRejectsEveryCutHeader) {
  struct Case {
    std::string bytes;
    uint32_t width, height;
    D3DXIMAGE_FILEFORMAT format;
  };
  const Case cases[] = {
      {BmpHeader(40, 30), 40, 30, D3DXIFF_BMP},
      {BmpHeader(40, -30), 40, 30, D3DXIFF_BMP},  // stored top row first
      {PngHeader(640, 480), 640, 480, D3DXIFF_PNG},
      {JpegHeader(1024, 768), 1024, 768, D3DXIFF_JPG},
  };
  for (const Case& c : cases) {
    std::optional<ImageHeader> header = ReadImageHeader(c.bytes);
    ASSERT_TRUE(header.has_value()) << c.format;
    EXPECT_EQ(header->width, c.width);
    EXPECT_EQ(header->height, c.height);
    EXPECT_EQ(header->format, c.format);
    // Cut anywhere before the end of its size fields: no size (and no read
    // past the end).
    const size_t needed = c.format == D3DXIFF_BMP ? 26 : c.format == D3DXIFF_PNG ? 24 : 19;
    for (size_t length = 0; length < needed; ++length) {
      EXPECT_FALSE(ReadImageHeader(c.bytes.substr(0, length)).has_value())
          << c.format << " cut at " << length;
    }
  }
  EXPECT_FALSE(ReadImageHeader("GIF89a and more bytes than any header needs").has_value());
  // A JPEG segment that claims no length cannot be walked.
  EXPECT_FALSE(ReadImageHeader(std::string("\xFF\xD8\xFF\xE0\x00\x00xxxxxxxx", 14)).has_value());
}

TEST_F(RecordingD3DXTest, TextureFilesLoadWithTheirHeaderSizeOrTheRequestedOne) {
  write_whole_file(dir_.file("a.bmp"), BmpHeader(40, 30));
  write_whole_file(dir_.file("b.tga"), "not a header this loader reads");
  write_whole_file(dir_.file("empty.png"), "");

  IDirect3DTexture9* texture = nullptr;
  D3DXIMAGE_INFO info{};
  ASSERT_EQ(Load(dir_.file("a.bmp"), 0, D3DPOOL_DEFAULT, &texture, &info), D3D_OK);
  auto* record = dynamic_cast<RecordTexture*>(texture);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Width(), 40u);
  EXPECT_EQ(record->Height(), 30u);
  EXPECT_EQ(record->Levels(), 6u);  // D3DX_DEFAULT: the full chain
  EXPECT_EQ(record->Pool(), D3DPOOL_DEFAULT);
  EXPECT_EQ(record->SourceFile(), dir_.file("a.bmp"));
  EXPECT_EQ(info.Width, 40u);
  EXPECT_EQ(info.ImageFileFormat, D3DXIFF_BMP);
  texture->Release();

  // A requested size scales; unknown content takes the fallback size.
  ASSERT_EQ(Load(dir_.file("a.bmp"), 256, D3DPOOL_DEFAULT, &texture), D3D_OK);
  EXPECT_EQ(dynamic_cast<RecordTexture*>(texture)->Width(), 256u);
  texture->Release();
  rec().SetFallbackImageSize(16, 8);
  ASSERT_EQ(Load(dir_.file("b.tga"), 0, D3DPOOL_DEFAULT, &texture), D3D_OK);
  EXPECT_EQ(dynamic_cast<RecordTexture*>(texture)->Height(), 8u);
  texture->Release();

  EXPECT_EQ(Load(dir_.file("missing.bmp"), 0, D3DPOOL_DEFAULT, &texture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(texture, nullptr);
  EXPECT_EQ(Load(dir_.file("empty.png"), 0, D3DPOOL_DEFAULT, &texture), D3DXERR_INVALIDDATA);

  // Too large for video memory, but system memory takes it.
  rec().SetMaxTextureSize(32);
  EXPECT_EQ(Load(dir_.file("a.bmp"), 0, D3DPOOL_DEFAULT, &texture), D3DERR_OUTOFVIDEOMEMORY);
  ASSERT_EQ(Load(dir_.file("a.bmp"), 0, D3DPOOL_SYSTEMMEM, &texture), D3D_OK);
  texture->Release();

  const CallRecord* call = rec().Log().Last("D3DXCreateTextureFromFileExA");
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->s(1), dir_.file("a.bmp"));
  EXPECT_EQ(call->u(7), D3DPOOL_SYSTEMMEM);
}

// The rules of the effect calls are in the conformance suite; here, what
// the recorder keeps for tests to read.
TEST_F(RecordingD3DXTest, EffectsKeepTheBytesOfEachParameter) {
  const std::string path = dir_.file("model.fx");
  write_whole_file(path, "// effect source");
  EffectSetup setup;
  setup.parameters = {{"World", 64}, {"matrixBone", 64 * 2}};
  rec().SetEffect(path, setup);
  ID3DXEffect* effect = nullptr;
  ASSERT_EQ(D3DXCreateEffectFromFileA(device_, path.c_str(), nullptr, nullptr, 0, nullptr, &effect,
                                      nullptr),
            D3D_OK);
  Matrix4 bones[2];
  bones[1].m[5] = 42.0f;
  EXPECT_EQ(effect->SetMatrixArray("matrixBone", bones, 2), D3D_OK);
  auto* record = dynamic_cast<RecordEffect*>(effect);
  ASSERT_NE(record, nullptr);
  ASSERT_EQ(record->Value("matrixBone").size(), 128u);
  float stored = 0.0f;
  std::memcpy(&stored, record->Value("matrixBone").data() + 64 + 5 * 4, 4);
  EXPECT_EQ(stored, 42.0f);
  EXPECT_TRUE(record->Value("World").empty()) << "never set";
  effect->Release();
}

TEST_F(RecordingD3DXTest, EffectFailuresCarryCompilerTextOnlyWhenThereIsSome) {
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  EXPECT_TRUE(FAILED(D3DXCreateEffectFromFileA(device_, dir_.file("none.fx").c_str(), nullptr,
                                               nullptr, 0, nullptr, &effect, &errors)));
  EXPECT_EQ(effect, nullptr);
  EXPECT_EQ(errors, nullptr);

  const std::string path = dir_.file("broken.fx");
  write_whole_file(path, "technique {");
  EffectSetup broken;
  broken.compileErrors = "broken.fx(1,11): error X3000: syntax error";
  rec().SetEffect(path, broken);
  EXPECT_EQ(D3DXCreateEffectFromFileA(device_, path.c_str(), nullptr, nullptr, 0, nullptr, &effect,
                                      &errors),
            D3DXERR_INVALIDDATA);
  EXPECT_EQ(effect, nullptr);
  ASSERT_NE(errors, nullptr);
  EXPECT_STREQ(static_cast<const char*>(errors->GetBufferPointer()), broken.compileErrors.c_str());
  EXPECT_EQ(errors->GetBufferSize(), broken.compileErrors.size() + 1);
  errors->Release();
}
