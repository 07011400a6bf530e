#pragma once
#include <cstdint>
#include <string>
#include <vector>

// An 8-bit RGB image, row 0 at the top.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;

  RgbImage() = default;
  RgbImage(int w, int h) : width(w), height(h), rgb(size_t(w) * size_t(h) * 3, 0) {}
  uint8_t* at(int x, int y) { return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3]; }
  const uint8_t* at(int x, int y) const {
    return &rgb[(size_t(y) * size_t(width) + size_t(x)) * 3];
  }
};

// Heights (0..1) over an image, turned into a tangent-space normal map:
// x to the right, y down the image (as texture v runs), z out of the
// surface, each mapped from -1..1 to 0..255.
struct HeightField {
  int width = 0;
  int height = 0;
  std::vector<float> values;

  HeightField(int w, int h) : width(w), height(h), values(size_t(w) * size_t(h), 0.0f) {}
  float& at(int x, int y) { return values[size_t(y) * size_t(width) + size_t(x)]; }
  // Wraps round the edges, so tiling images stay seamless.
  float wrapped(int x, int y) const;
};
RgbImage normalMapFromHeights(const HeightField& heights, float strength);

// The wall: rows of bricks in mortar, and the bricks' relief.
RgbImage brickColour(int size);
RgbImage brickNormalMap(int size);
// The figure: a woven cloth with a seam round the edge of each face.
RgbImage clothColour(int size);
RgbImage clothNormalMap(int size);

// A 24-bit BMP file; false when it cannot be written.
bool writeBmp(const std::string& path, const RgbImage& image);
