// Decodes arbitrary bytes as an image file (every format stb_image reads,
// through the same callbacks as texture loading) and scales the result the
// way a texture of another requested size is.
#include <cstdint>
#include <cstdlib>

#include "platform/gl/image_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  RgbaImage image;
  if (!decode_image(data, size, &image)) return 0;
  if (image.width == 0 || image.height == 0 ||
      image.rgba.size() != size_t(image.width) * image.height * 4) {
    std::abort();
  }
  if (uint64_t(image.width) * image.height > kMaxImagePixels) std::abort();
  // A small target keeps each input quick; the size comes from the data.
  const uint32_t width = 1 + data[0] % 64;
  const uint32_t height = 1 + data[size - 1] % 64;
  if (!fit_image(image, width, height)) std::abort();
  if (image.rgba.size() != size_t(width) * height * 4) std::abort();
  return 0;
}
