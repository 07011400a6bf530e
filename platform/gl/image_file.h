#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Image files decoded to 8-bit RGBA, row 0 the top row, for texture loading.

struct RgbaImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgba;  // width x height x 4 bytes

  const uint8_t* Texel(uint32_t x, uint32_t y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

enum class ImageFileType { Unknown, Bmp, Jpg, Tga, Png, Other };

// An image wider or taller than this, or with more pixels than the budget
// (8192 x 4096), is refused from its header before any pixel is decoded: a
// small file may declare a picture of gigabytes.
constexpr uint32_t kMaxImageDimension = 65536;
constexpr uint64_t kMaxImagePixels = uint64_t(32) << 20;

// Decodes a whole file's bytes (BMP, PNG, JPEG, TGA and the other formats
// stb_image reads). False for data that is not an image, that ends before
// the image does (a cut file never decodes into a half-filled picture) or
// that is over the limits above; reason then says which.
bool decode_image(const uint8_t* bytes, size_t size, RgbaImage* image,
                  ImageFileType* type = nullptr, std::string* reason = nullptr);

enum class ImageLoad { Loaded, Missing, Undecodable };

// Reads and decodes a file; the path may use '\' and a different letter case
// (see resolve_existing_path); files are read through the input reader, so
// only regular files within the image size limit (or files held in memory).
// Missing: nothing at the path. Undecodable: refused or not an image; the
// reason is written to the loader log.
ImageLoad load_image_file(const char* path, RgbaImage* image, ImageFileType* type = nullptr);

// Scales image in place to width x height (triangle filter, edges clamped);
// nothing is copied when the size is already right. False when out of memory
// or for an empty size, leaving image as it was.
bool fit_image(RgbaImage& image, uint32_t width, uint32_t height);
