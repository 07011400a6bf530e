#include "platform/gl/image_file.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>

#include "base/input_file.h"

namespace {

// stb_image over a byte range, noting any attempt to read past its end: the
// decoders of uncompressed formats fill missing bytes with zeros instead of
// failing.
struct ByteSource {
  const uint8_t* bytes;
  size_t size;
  size_t position;
  bool overrun;
};

int ReadBytes(void* user, char* out, int wanted) {
  ByteSource& source = *static_cast<ByteSource*>(user);
  const size_t left = source.size - source.position;
  if (wanted <= 0) return 0;
  if (left == 0) {
    source.overrun = true;
    return 0;
  }
  const size_t count = size_t(wanted) < left ? size_t(wanted) : left;
  std::memcpy(out, source.bytes + source.position, count);
  source.position += count;
  return int(count);
}

void SkipBytes(void* user, int count) {
  ByteSource& source = *static_cast<ByteSource*>(user);
  if (count < 0) {
    const size_t back = size_t(-int64_t(count));
    source.position = back > source.position ? 0 : source.position - back;
    return;
  }
  if (size_t(count) > source.size - source.position) {
    source.overrun = true;
    source.position = source.size;
    return;
  }
  source.position += size_t(count);
}

int AtEnd(void* user) {
  const ByteSource& source = *static_cast<const ByteSource*>(user);
  return source.position >= source.size ? 1 : 0;
}

uint32_t Little16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }

ImageFileType TypeOf(const uint8_t* bytes, size_t size) {
  if (size >= 8 && std::memcmp(bytes, "\x89PNG\r\n\x1a\n", 8) == 0) return ImageFileType::Png;
  if (size >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return ImageFileType::Bmp;
  if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xD8) return ImageFileType::Jpg;
  // TGA has no signature: a colour-map type of 0 or 1 and a known image type.
  if (size >= 18 && bytes[1] <= 1) {
    const uint8_t imageType = bytes[2];
    if (imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 ||
        imageType == 10 || imageType == 11) {
      return ImageFileType::Tga;
    }
  }
  return ImageFileType::Other;
}

// stb_image reads the rows of an uncompressed TGA without checking that they
// arrived, so its size is checked against the header first.
bool UncompressedTgaIsShort(const uint8_t* bytes, size_t size) {
  const uint8_t imageType = bytes[2];
  if (imageType != 1 && imageType != 2 && imageType != 3) return false;
  const uint64_t idLength = bytes[0];
  const uint64_t mapEntries = bytes[1] == 1 ? Little16(bytes + 5) : 0;
  const uint64_t mapEntryBits = bytes[7];
  const uint64_t width = Little16(bytes + 12);
  const uint64_t height = Little16(bytes + 14);
  const uint64_t pixelBits = bytes[16];
  const uint64_t needed = 18 + idLength + (mapEntries * mapEntryBits + 7) / 8 +
                          (width * height * pixelBits + 7) / 8;
  return size < needed;
}

}  // namespace

bool decode_image(const uint8_t* bytes, size_t size, RgbaImage* image, ImageFileType* type) {
  if (type != nullptr) *type = ImageFileType::Unknown;
  if (bytes == nullptr || size == 0 || image == nullptr) return false;
  const ImageFileType fileType = TypeOf(bytes, size);
  if (type != nullptr) *type = fileType;
  if (fileType == ImageFileType::Tga && UncompressedTgaIsShort(bytes, size)) return false;

  ByteSource source{bytes, size, 0, false};
  const stbi_io_callbacks callbacks{ReadBytes, SkipBytes, AtEnd};
  int width = 0;
  int height = 0;
  int channels = 0;
  stbi_uc* pixels = stbi_load_from_callbacks(&callbacks, &source, &width, &height, &channels, 4);
  if (pixels == nullptr) return false;
  const bool whole = !source.overrun && width > 0 && height > 0;
  bool stored = false;
  if (whole) {
    const size_t bytesOut = size_t(width) * size_t(height) * 4;
    try {
      image->rgba.assign(pixels, pixels + bytesOut);
      image->width = uint32_t(width);
      image->height = uint32_t(height);
      stored = true;
    } catch (const std::bad_alloc&) {
      stored = false;
    }
  }
  stbi_image_free(pixels);
  return stored;
}

ImageLoad load_image_file(const char* path, RgbaImage* image, ImageFileType* type) {
  if (type != nullptr) *type = ImageFileType::Unknown;
  if (path == nullptr || image == nullptr) return ImageLoad::Missing;
  std::vector<uint8_t> bytes;
  InputStatus status;
  if (!read_input_file(path, InputKind::Image, bytes, &status)) {
    return status.missing ? ImageLoad::Missing : ImageLoad::Undecodable;
  }
  return decode_image(bytes.data(), bytes.size(), image, type) ? ImageLoad::Loaded
                                                               : ImageLoad::Undecodable;
}

bool resize_image(const RgbaImage& source, uint32_t width, uint32_t height, RgbaImage* result) {
  if (width == 0 || height == 0 || source.width == 0 || source.height == 0) return false;
  if (width == source.width && height == source.height) {
    *result = source;
    return true;
  }
  RgbaImage scaled;
  try {
    scaled.rgba.resize(size_t(width) * height * 4);
  } catch (const std::bad_alloc&) {
    return false;
  }
  scaled.width = width;
  scaled.height = height;
  const int done = stbir_resize_uint8_generic(
      source.rgba.data(), int(source.width), int(source.height), int(source.width * 4),
      scaled.rgba.data(), int(width), int(height), int(width * 4), 4, 3, 0, STBIR_EDGE_CLAMP,
      STBIR_FILTER_TRIANGLE, STBIR_COLORSPACE_LINEAR, nullptr);
  if (!done) return false;
  *result = std::move(scaled);
  return true;
}
