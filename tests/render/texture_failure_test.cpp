#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "render/texture.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace {

using TextureFailureTest = RecordedDeviceTest;

// A texture that does not load says why, and the reader's refusal reaches the
// log once: a file that is not there or not an image is not tried again in
// system memory.
TEST_F(TextureFailureTest, ReasonIsKeptAndRefusalsLoggedOnce) {
  TempDir dir;
  LogCapture logCapture;
  std::filesystem::create_directory(dir.file("folder.bmp"));
  write_whole_file(dir.file("empty.bmp"), "");
  struct Case {
    std::string path;
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {dir.file("folder.bmp"), {"<error> cannot read " + dir.file("folder.bmp") + ": is a directory"}},
      {dir.file("empty.bmp"), {}},
      {"/dev/zero", {"<error> cannot read /dev/zero: not a regular file (a device)"}},
  };
  size_t seen = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    Texture texture;
    EXPECT_EQ(texture.LoadFromFile(c.path.c_str(), 0), Texture::kLoadFailed);
    EXPECT_STREQ(texture.FailureReason(), "not a readable image");
    const std::vector<std::string> lines = logCapture.lines();
    ASSERT_EQ(lines.size(), seen + c.lines.size());
    EXPECT_TRUE(std::equal(c.lines.begin(), c.lines.end(), lines.begin() + long(seen)));
    seen = lines.size();
  }

  // The device refusing both pools is a different reason.
  write_whole_file(dir.file("fine.bmp"), "BM" + std::string(52, '\0'));
  rec().Fail("D3DXCreateTextureFromFileExA", E_OUTOFMEMORY);
  Texture texture;
  EXPECT_EQ(texture.LoadFromFile(dir.file("fine.bmp").c_str(), 0), Texture::kLoadFailed);
  EXPECT_STREQ(texture.FailureReason(), "out of memory");
}

}  // namespace
