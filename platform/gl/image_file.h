#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

// Image files decoded to 8-bit RGBA, row 0 the top row, for texture loading.

struct RgbaImage {
  uint32_t width = 0;
  uint32_t height = 0;
  std::vector<uint8_t> rgba;  // width x height x 4 bytes

  const uint8_t* Texel(uint32_t x, uint32_t y) const { return &rgba[(size_t(y) * width + x) * 4]; }
};

enum class ImageFileType { Unknown, Bmp, Jpg, Tga, Png, Other };

// Decodes a whole file's bytes (BMP, PNG, JPEG, TGA and the other formats
// stb_image reads). False for data that is not an image or that ends before
// the image does: a cut file never decodes into a half-filled picture.
bool decode_image(const uint8_t* bytes, size_t size, RgbaImage* image,
                  ImageFileType* type = nullptr);

enum class ImageLoad { Loaded, Missing, Undecodable };

// Reads and decodes a file; the path may use '\' and a different letter case
// (see resolve_existing_path). Missing: the file cannot be opened or read.
ImageLoad load_image_file(const char* path, RgbaImage* image, ImageFileType* type = nullptr);

// The image scaled to width x height (triangle filter, edges clamped); the
// same image when the size is unchanged. False when out of memory.
bool resize_image(const RgbaImage& source, uint32_t width, uint32_t height, RgbaImage* result);
