#include "platform/gl/image_file.h"

#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include <stb/stb_image.h>
#include <stb/stb_image_resize.h>

#include "base/input_file.h"
#include "base/log.h"

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

// False with the reason when the size is over the dimension limit or the
// pixel budget.
bool WithinBudget(int width, int height, std::string& why) {
  if (width <= 0 || height <= 0) {
    why = "image has no pixels";
    return false;
  }
  if (uint32_t(width) > kMaxImageDimension || uint32_t(height) > kMaxImageDimension) {
    why = std::to_string(width) + " x " + std::to_string(height) + " pixels is larger than " +
          std::to_string(kMaxImageDimension) + " pixels in a direction";
    return false;
  }
  if (uint64_t(width) * uint64_t(height) > kMaxImagePixels) {
    why = std::to_string(width) + " x " + std::to_string(height) +
          " pixels is over the budget of " + std::to_string(kMaxImagePixels) + " pixels";
    return false;
  }
  return true;
}

}  // namespace

bool decode_image(const uint8_t* bytes, size_t size, RgbaImage* image, ImageFileType* type,
                  std::string* reason) {
  std::string ignored;
  std::string& why = reason ? *reason : ignored;
  why.clear();
  if (type != nullptr) *type = ImageFileType::Unknown;
  if (bytes == nullptr || size == 0 || image == nullptr) {
    why = "empty file";
    return false;
  }
  const ImageFileType fileType = TypeOf(bytes, size);
  if (type != nullptr) *type = fileType;
  if (fileType == ImageFileType::Tga && UncompressedTgaIsShort(bytes, size)) {
    why = "file ends before the image does";
    return false;
  }

  const stbi_io_callbacks callbacks{ReadBytes, SkipBytes, AtEnd};
  int width = 0;
  int height = 0;
  int channels = 0;
  ByteSource header{bytes, size, 0, false};
  if (stbi_info_from_callbacks(&callbacks, &header, &width, &height, &channels) &&
      !WithinBudget(width, height, why)) {
    return false;
  }
  ByteSource source{bytes, size, 0, false};
  stbi_uc* pixels = stbi_load_from_callbacks(&callbacks, &source, &width, &height, &channels, 4);
  if (pixels == nullptr) {
    const char* failure = stbi_failure_reason();
    why = failure ? failure : "not an image";
    // stb's own dimension check speaks of "too large"; say which limit.
    if (why == "too large") {
      why = "larger than " + std::to_string(kMaxImageDimension) + " pixels in a direction";
    }
    return false;
  }
  bool stored = false;
  if (source.overrun) {
    why = "file ends before the image does";
  } else if (WithinBudget(width, height, why)) {
    const size_t bytesOut = size_t(width) * size_t(height) * 4;
    try {
      image->rgba.assign(pixels, pixels + bytesOut);
      image->width = uint32_t(width);
      image->height = uint32_t(height);
      stored = true;
    } catch (const std::bad_alloc&) {
      why = "out of memory";
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
    return status.missing ? ImageLoad::Missing : ImageLoad::Undecodable;  // refusal logged
  }
  std::string reason;
  if (decode_image(bytes.data(), bytes.size(), image, type, &reason)) return ImageLoad::Loaded;
  const std::string line = "<error> cannot decode " + status.path + ": " + reason;
  log_text(line.c_str());
  return ImageLoad::Undecodable;
}

bool fit_image(RgbaImage& image, uint32_t width, uint32_t height) {
  if (width == 0 || height == 0 || image.width == 0 || image.height == 0) return false;
  if (width == image.width && height == image.height) return true;
  std::vector<uint8_t> scaled;
  try {
    scaled.resize(size_t(width) * height * 4);
  } catch (const std::bad_alloc&) {
    return false;
  }
  const int done = stbir_resize_uint8_generic(
      image.rgba.data(), int(image.width), int(image.height), int(image.width * 4), scaled.data(),
      int(width), int(height), int(width * 4), 4, 3, 0, STBIR_EDGE_CLAMP, STBIR_FILTER_TRIANGLE,
      STBIR_COLORSPACE_LINEAR, nullptr);
  if (!done) return false;
  image.rgba = std::move(scaled);
  image.width = width;
  image.height = height;
  return true;
}
