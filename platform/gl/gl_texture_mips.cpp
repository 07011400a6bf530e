#include "platform/gl/gl_texture_mips.h"

#include <algorithm>

std::vector<uint8_t> gl_box_filter_level(const uint8_t* texels, uint32_t width, uint32_t height,
                                         uint32_t channels) {
  const uint32_t outWidth = std::max(1u, width / 2);
  const uint32_t outHeight = std::max(1u, height / 2);
  std::vector<uint8_t> out(size_t(outWidth) * outHeight * channels);
  const size_t rowBytes = size_t(width) * channels;
  for (uint32_t y = 0; y < outHeight; ++y) {
    const uint8_t* row0 = texels + size_t(std::min(2 * y, height - 1)) * rowBytes;
    const uint8_t* row1 = texels + size_t(std::min(2 * y + 1, height - 1)) * rowBytes;
    uint8_t* target = out.data() + size_t(y) * outWidth * channels;
    for (uint32_t x = 0; x < outWidth; ++x) {
      const size_t left = size_t(std::min(2 * x, width - 1)) * channels;
      const size_t right = size_t(std::min(2 * x + 1, width - 1)) * channels;
      for (uint32_t c = 0; c < channels; ++c) {
        const unsigned sum =
            unsigned(row0[left + c]) + row0[right + c] + row1[left + c] + row1[right + c];
        *target++ = uint8_t((sum + 2) / 4);
      }
    }
  }
  return out;
}
