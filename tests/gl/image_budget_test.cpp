// Images are judged by their header before decoding: a small file that
// declares a huge picture is refused without allocating for it.
#include <gtest/gtest.h>

#include <string>

#include <stb/stb_image_write.h>

#include "base/memory_files.h"
#include "platform/gl/image_file.h"
#include "tests/support/log_capture.h"

namespace {

std::string be32(uint32_t v) { return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)}; }
std::string le32(uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

// A PNG signature and header chunk declaring width x height RGBA pixels,
// followed by a token data chunk: enough for the header to be read.
std::string PngBomb(uint32_t width, uint32_t height) {
  const std::string header = be32(width) + be32(height) + std::string{8, 6, 0, 0, 0};
  return std::string("\x89PNG\r\n\x1a\n", 8) + be32(13) + "IHDR" + header + be32(0) + be32(10) + "IDAT" +
         std::string("\x78\x9c\x63\x00\x00\x00\x01\x00\x01\x00", 10) + be32(0) + be32(0) + "IEND" + be32(0);
}

std::string BmpBomb(uint32_t width, uint32_t height) {
  return "BM" + le32(0) + le32(0) + le32(54) + le32(40) + le32(width) + le32(height) + std::string{1, 0, 32, 0} +
         std::string(24, '\0');
}

std::string SmallPng(int width, int height) {
  std::string out;
  std::string pixels(size_t(width) * height * 4, '\x7f');
  stbi_write_png_to_func([](void* context, void* data, int size) {
    static_cast<std::string*>(context)->append(static_cast<const char*>(data), size_t(size));
  }, &out, width, height, 4, pixels.data(), width * 4);
  return out;
}

TEST(ImageBudget, OversizedHeadersAreRefusedWithTheirReason) {
  const struct {
    const char* what;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"16k x 16k PNG", PngBomb(16384, 16384), "16384 x 16384 pixels is over the budget"},
      {"wide PNG", PngBomb(70000, 1), "larger than 65536"},
      {"wide BMP", BmpBomb(1, 70000), "larger than 65536"},
      {"one row over the budget", PngBomb(8192, 4097), "over the budget"},
      {"16k x 16k BMP", BmpBomb(16384, 16384), "over the budget"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RgbaImage image;
    std::string reason;
    EXPECT_FALSE(decode_image(reinterpret_cast<const uint8_t*>(c.bytes.data()), c.bytes.size(), &image, nullptr,
                              &reason));
    EXPECT_NE(reason.find(c.reason), std::string::npos) << reason;
    EXPECT_TRUE(image.rgba.empty());
  }
}

TEST(ImageBudget, LoadFailureReasonReachesTheLog) {
  LogCapture log;
  ScopedMemoryFile bomb("bomb.png", PngBomb(16384, 16384));
  ScopedMemoryFile garbage("garbage.png", std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, 'x'));
  ScopedMemoryFile fine("fine.png", SmallPng(3, 2));
  RgbaImage image;
  EXPECT_EQ(load_image_file("bomb.png", &image), ImageLoad::Undecodable);
  EXPECT_EQ(load_image_file("garbage.png", &image), ImageLoad::Undecodable);
  EXPECT_EQ(load_image_file("absent.png", &image), ImageLoad::Missing);
  const std::vector<std::string> lines = log.lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].rfind("<error> cannot decode bomb.png: 16384 x 16384 pixels is over the budget", 0), 0u);
  EXPECT_EQ(lines[1].rfind("<error> cannot decode garbage.png: ", 0), 0u);
  ASSERT_EQ(load_image_file("fine.png", &image), ImageLoad::Loaded);
  EXPECT_EQ(image.width, 3u);
  EXPECT_EQ(image.height, 2u);
  EXPECT_EQ(image.rgba.size(), 24u);
}

TEST(ImageBudget, FittingKeepsTheBufferWhenTheSizeIsRight) {
  RgbaImage image;
  image.width = 4;
  image.height = 4;
  image.rgba.assign(64, 200);
  const uint8_t* before = image.rgba.data();
  ASSERT_TRUE(fit_image(image, 4, 4));
  EXPECT_EQ(image.rgba.data(), before) << "no copy for an unchanged size";

  ASSERT_TRUE(fit_image(image, 2, 1));
  EXPECT_EQ(image.width, 2u);
  EXPECT_EQ(image.height, 1u);
  EXPECT_EQ(image.rgba, std::vector<uint8_t>(8, 200)) << "a flat colour stays flat";
  EXPECT_FALSE(fit_image(image, 0, 3));
  EXPECT_EQ(image.width, 2u) << "a refused size leaves the image";
}

}  // namespace
