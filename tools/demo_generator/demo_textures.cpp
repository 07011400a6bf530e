#include "tools/demo_generator/demo_textures.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

// Deterministic noise: the same image on every run and machine.
uint32_t hash(uint32_t x, uint32_t y, uint32_t seed) {
  uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ seed * 0xCB1AB31Fu;
  h ^= h >> 13;
  h *= 0x5BD1E995u;
  h ^= h >> 15;
  return h;
}
float noise(int x, int y, uint32_t seed) {
  return static_cast<float>(hash(uint32_t(x), uint32_t(y), seed) & 0xFFFF) / 65535.0f;
}

uint8_t toByte(float value) {
  return static_cast<uint8_t>(std::clamp(value, 0.0f, 1.0f) * 255.0f + 0.5f);
}

void put(RgbImage& image, int x, int y, float r, float g, float b) {
  uint8_t* p = image.at(x, y);
  p[0] = toByte(r);
  p[1] = toByte(g);
  p[2] = toByte(b);
}

// Where a texel lies in the brick pattern: which brick, and how far it is
// from the nearest mortar line, in texels.
struct BrickCell {
  int row;
  int column;
  float edgeDistance;
};
constexpr int kBrickRows = 16;
constexpr int kBricksPerRow = 8;

BrickCell brickAt(int x, int y, int size) {
  const int rowHeight = size / kBrickRows;
  const int brickWidth = size / kBricksPerRow;
  const int row = y / rowHeight;
  // Every other row is shifted by half a brick.
  const int shifted = (x + (row % 2) * brickWidth / 2) % size;
  const int column = shifted / brickWidth;
  const float dx = std::min(shifted % brickWidth, brickWidth - 1 - shifted % brickWidth);
  const float dy = std::min(y % rowHeight, rowHeight - 1 - y % rowHeight);
  return {row, column, std::min(dx, dy)};
}
constexpr float kMortarHalfWidth = 1.5f;

// Distance of a texel from the face's edge, for the seam of the cloth.
float edgeDistance(int x, int y, int size) {
  return static_cast<float>(std::min({x, y, size - 1 - x, size - 1 - y}));
}
constexpr float kSeamStart = 10.0f;
constexpr float kSeamWidth = 4.0f;

float weave(int x, int y) {
  const float pi = std::numbers::pi_v<float>;
  const bool across = ((x / 4) + (y / 4)) % 2 == 0;
  const float thread =
      across ? std::sin(pi * float(y % 4) / 4.0f) : std::sin(pi * float(x % 4) / 4.0f);
  return 0.5f + 0.5f * thread;
}

}  // namespace

float HeightField::wrapped(int x, int y) const {
  x = ((x % width) + width) % width;
  y = ((y % height) + height) % height;
  return values[size_t(y) * size_t(width) + size_t(x)];
}

RgbImage normalMapFromHeights(const HeightField& heights, float strength) {
  RgbImage image(heights.width, heights.height);
  for (int y = 0; y < heights.height; ++y) {
    for (int x = 0; x < heights.width; ++x) {
      const float dx = heights.wrapped(x + 1, y) - heights.wrapped(x - 1, y);
      const float dy = heights.wrapped(x, y + 1) - heights.wrapped(x, y - 1);
      float nx = -dx * strength;
      float ny = -dy * strength;
      float nz = 1.0f;
      const float length = std::sqrt(nx * nx + ny * ny + nz * nz);
      nx /= length;
      ny /= length;
      nz /= length;
      put(image, x, y, 0.5f + 0.5f * nx, 0.5f + 0.5f * ny, 0.5f + 0.5f * nz);
    }
  }
  return image;
}

RgbImage brickColour(int size) {
  RgbImage image(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const BrickCell cell = brickAt(x, y, size);
      const float grain = noise(x, y, 1);
      if (cell.edgeDistance < kMortarHalfWidth) {
        const float grey = 0.62f + 0.1f * grain;
        put(image, x, y, grey, grey * 0.97f, grey * 0.92f);
        continue;
      }
      // Each brick its own shade of red-brown.
      const float tint = noise(cell.column, cell.row, 2);
      const float shade = 0.85f + 0.15f * grain;
      put(image, x, y, (0.55f + 0.2f * tint) * shade, (0.22f + 0.08f * tint) * shade,
          (0.16f + 0.05f * tint) * shade);
    }
  }
  return image;
}

RgbImage brickNormalMap(int size) {
  HeightField heights(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const BrickCell cell = brickAt(x, y, size);
      // Mortar sunk in; brick faces rounded off towards their edges.
      const float bevel = std::clamp((cell.edgeDistance - kMortarHalfWidth) / 4.0f, 0.0f, 1.0f);
      heights.at(x, y) = 0.6f * bevel + 0.06f * noise(x, y, 3);
    }
  }
  return normalMapFromHeights(heights, 6.0f);
}

RgbImage clothColour(int size) {
  RgbImage image(size, size);
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float edge = edgeDistance(x, y, size);
      const float light = 0.8f + 0.2f * weave(x, y) + 0.05f * noise(x, y, 4);
      if (edge >= kSeamStart && edge < kSeamStart + kSeamWidth) {
        put(image, x, y, 0.95f * light, 0.8f * light, 0.35f * light);  // the seam
      } else {
        put(image, x, y, 0.2f * light, 0.38f * light, 0.7f * light);
      }
    }
  }
  return image;
}

RgbImage clothNormalMap(int size) {
  HeightField heights(size, size);
  const float pi = std::numbers::pi_v<float>;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      const float edge = edgeDistance(x, y, size);
      float seam = 0.0f;
      if (edge >= kSeamStart && edge < kSeamStart + kSeamWidth) {
        seam = std::sin(pi * (edge - kSeamStart + 0.5f) / kSeamWidth);
      }
      heights.at(x, y) = 0.15f * weave(x, y) + 0.5f * seam;
    }
  }
  return normalMapFromHeights(heights, 4.0f);
}

bool writeBmp(const std::string& path, const RgbImage& image) {
  if (image.width <= 0 || image.height <= 0) return false;
  return stbi_write_bmp(path.c_str(), image.width, image.height, 3, image.rgb.data()) != 0;
}
