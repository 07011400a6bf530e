#include "render/texture.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/record/record_texture.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

std::string BmpHeader(uint32_t width, uint32_t height) {
  auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
  return "BM" + le32(0) + le32(0) + le32(54) + le32(40) + le32(width) + le32(height) +
         std::string(28, '\0');
}

class TextureTest : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    path = dir.file("stone.bmp");
    write_whole_file(path, BmpHeader(128, 64));
  }
  TempDir dir;
  std::string path;
};

}  // namespace

TEST_F(TextureTest, LoadsIntoTheDefaultPoolWithTheFixedArguments) {
  Texture texture;
  ASSERT_EQ(texture.LoadFromFile(path.c_str(), 0), 1);
  EXPECT_TRUE(texture.IsLoaded());
  EXPECT_FALSE(texture.IsSystemMemory());
  EXPECT_EQ(texture.GetFormat(), D3DFMT_A8R8G8B8);
  EXPECT_EQ(std::string(texture.GetName()), path);
  ASSERT_NE(texture.GetD3DTexture(), nullptr);

  const CallRecord* call = log().Last("D3DXCreateTextureFromFileExA");
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->p(0), g_device);
  EXPECT_EQ(call->s(1), path);
  EXPECT_EQ(call->u(2), 0u);  // width and height: the file's own
  EXPECT_EQ(call->u(3), 0u);
  EXPECT_EQ(call->u(4), D3DX_DEFAULT);  // a full mip chain
  EXPECT_EQ(call->u(5), 0u);
  EXPECT_EQ(call->u(6), D3DFMT_A8R8G8B8);
  EXPECT_EQ(call->u(7), D3DPOOL_DEFAULT);
  EXPECT_EQ(call->u(8), D3DX_DEFAULT);
  EXPECT_EQ(call->u(9), D3DX_DEFAULT);
  EXPECT_EQ(call->u(10), 0u);
  EXPECT_EQ(call->p(11), nullptr);
  EXPECT_EQ(call->p(12), nullptr);

  // A file texture does not store its size.
  int32_t width = -1, height = -1;
  texture.GetSize(&width, &height);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);

  // Font-style load at a fixed size.
  ASSERT_EQ(texture.LoadFromFile(path.c_str(), 256), 1);
  EXPECT_EQ(log().Last("D3DXCreateTextureFromFileExA")->u(2), 256u);
  EXPECT_EQ(dynamic_cast<RecordTexture*>(texture.GetD3DTexture())->Width(), 256u);
  EXPECT_EQ(rec().Live(RecordKind::Texture), 1);  // the first one was released
}

TEST_F(TextureTest, FallsBackToSystemMemoryThenFails) {
  Texture texture;
  rec().Fail("D3DXCreateTextureFromFileExA", D3DERR_OUTOFVIDEOMEMORY).WhenArg(7, D3DPOOL_DEFAULT);
  ASSERT_EQ(texture.LoadFromFile(path.c_str(), 0), 2);
  EXPECT_TRUE(texture.IsLoaded());
  EXPECT_TRUE(texture.IsSystemMemory());
  EXPECT_EQ(dynamic_cast<RecordTexture*>(texture.GetD3DTexture())->Pool(), D3DPOOL_SYSTEMMEM);
  std::vector<const CallRecord*> attempts = log().Named("D3DXCreateTextureFromFileExA");
  ASSERT_EQ(attempts.size(), 2u);
  EXPECT_EQ(attempts[1]->u(7), D3DPOOL_SYSTEMMEM);
  EXPECT_EQ(attempts[1]->u(6), D3DFMT_A8R8G8B8);

  // A missing file: nothing held, loaded keeps its earlier value.
  const std::string missing = dir.file("missing.bmp");
  EXPECT_EQ(texture.LoadFromFile(missing.c_str(), 0), 0);
  EXPECT_EQ(texture.GetD3DTexture(), nullptr);
  EXPECT_TRUE(texture.IsLoaded());
  EXPECT_EQ(std::string(texture.GetName()), missing);
  EXPECT_EQ(rec().Live(RecordKind::Texture), 0);

  Texture never;
  EXPECT_EQ(never.LoadFromFile(missing.c_str(), 0), 0);
  EXPECT_FALSE(never.IsLoaded());
  int32_t width = -1, height = -1;
  never.GetSize(&width, &height);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);
}

TEST_F(TextureTest, RenderTargetsStoreTheirSizeAndReleaseOnRecreation) {
  Texture texture;
  ASSERT_TRUE(texture.CreateRenderTarget(512, 512, D3DFMT_R32F));
  const CallRecord* call = log().Last("CreateTexture");
  ASSERT_NE(call, nullptr);
  const std::vector<uint64_t> args = {call->u(0), call->u(1), call->u(2),
                                      call->u(3), call->u(4), call->u(5)};
  const std::vector<uint64_t> expected = {512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F,
                                          D3DPOOL_DEFAULT};
  EXPECT_EQ(args, expected);
  EXPECT_EQ(call->p(7), nullptr);

  int32_t width = 0, height = 0;
  texture.GetSize(&width, &height);
  EXPECT_EQ(width, 512);
  EXPECT_EQ(height, 512);
  int32_t outWidth = 0;
  EXPECT_NE(texture.GetD3DTexture(&outWidth, nullptr), nullptr);
  EXPECT_EQ(outWidth, 512);
  EXPECT_EQ(texture.GetFormat(), D3DFMT_UNKNOWN);  // the format field is the file loader's

  IDirect3DTexture9* first = texture.GetD3DTexture();
  const size_t mark = log().Size();
  ASSERT_TRUE(texture.CreateRenderTarget(256, 128, D3DFMT_R32F));
  // The first texture was released before the second was made.
  std::vector<std::string> ops = log().Ops(mark, true);
  ASSERT_GE(ops.size(), 2u);
  EXPECT_EQ(ops[0], "Texture::Release");
  EXPECT_EQ(log().All()[mark].object, first);
  EXPECT_EQ(ops[1], "CreateTexture");
  EXPECT_EQ(rec().Live(RecordKind::Texture), 1);

  // A failed creation holds nothing.
  rec().Fail("CreateTexture", D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_FALSE(texture.CreateRenderTarget(512, 512, D3DFMT_R32F));
  EXPECT_EQ(texture.GetD3DTexture(), nullptr);
  EXPECT_EQ(rec().Live(RecordKind::Texture), 0);

  texture.Release();  // holding nothing is fine
  EXPECT_EQ(texture.GetD3DTexture(), nullptr);
}

TEST(TextureWithoutDevice, FailsWithoutCallingTheLoader) {
  RecordingBackend backend;
  ScopedGraphicsBackend scope(backend);
  ReleaseDeviceGlobals();
  Texture texture;
  EXPECT_EQ(texture.LoadFromFile("anything.bmp", 0), 0);
  EXPECT_FALSE(texture.CreateRenderTarget(512, 512, D3DFMT_R32F));
  EXPECT_EQ(backend.recorder().Log().Size(), 0u);
}
