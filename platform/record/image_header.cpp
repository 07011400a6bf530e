#include "platform/record/image_header.h"

namespace {

uint32_t Little(const std::string& b, size_t at, int size) {
  uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | uint8_t(b[at + i]);
  return value;
}

uint32_t Big(const std::string& b, size_t at, int size) {
  uint32_t value = 0;
  for (int i = 0; i < size; ++i) value = value << 8 | uint8_t(b[at + i]);
  return value;
}

uint32_t Magnitude(uint32_t bits) {
  return static_cast<int32_t>(bits) < 0 ? 0u - bits : bits;
}

std::optional<ImageHeader> Bmp(const std::string& b) {
  if (b.size() < 26 || b[0] != 'B' || b[1] != 'M') return std::nullopt;
  const uint32_t infoSize = Little(b, 14, 4);
  ImageHeader header;
  header.format = D3DXIFF_BMP;
  if (infoSize == 12) {  // the old OS/2 header: 16-bit sizes
    header.width = Little(b, 18, 2);
    header.height = Little(b, 20, 2);
  } else {
    // Height is negative for images stored top row first.
    header.width = Magnitude(Little(b, 18, 4));
    header.height = Magnitude(Little(b, 22, 4));
  }
  return header;
}

std::optional<ImageHeader> Png(const std::string& b) {
  static const char kSignature[] = "\x89PNG\r\n\x1a\n";
  if (b.size() < 24 || b.compare(0, 8, kSignature, 8) != 0 || b.compare(12, 4, "IHDR") != 0) {
    return std::nullopt;
  }
  return ImageHeader{Big(b, 16, 4), Big(b, 20, 4), D3DXIFF_PNG};
}

std::optional<ImageHeader> Jpeg(const std::string& b) {
  if (b.size() < 4 || uint8_t(b[0]) != 0xFF || uint8_t(b[1]) != 0xD8) return std::nullopt;
  size_t at = 2;
  while (at + 4 <= b.size()) {
    if (uint8_t(b[at]) != 0xFF) return std::nullopt;
    const uint8_t marker = uint8_t(b[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const uint32_t length = Big(b, at + 2, 2);
    // Start-of-frame markers C0..CF carry the size, except C4 (Huffman
    // tables), C8 (reserved) and CC (arithmetic coding).
    const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                       marker != 0xCC;
    if (frame) {
      if (at + 9 > b.size()) return std::nullopt;
      return ImageHeader{Big(b, at + 7, 2), Big(b, at + 5, 2), D3DXIFF_JPG};
    }
    if (length < 2) return std::nullopt;
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<ImageHeader> ReadImageHeader(const std::string& bytes) {
  if (auto header = Bmp(bytes)) return header;
  if (auto header = Png(bytes)) return header;
  return Jpeg(bytes);
}
