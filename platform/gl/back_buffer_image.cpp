#include "platform/gl/back_buffer_image.h"

#include <stb/stb_image_write.h>

#include "platform/gl/gl_device.h"

bool read_back_buffer(IDirect3DDevice9* device, UINT* width, UINT* height,
                      std::vector<uint8_t>* bgra) {
  GlDevice* glDevice = AsGlDevice(device);
  if (glDevice == nullptr || width == nullptr || height == nullptr || bgra == nullptr) {
    return false;
  }
  GlImage image;
  if (!glDevice->ReadBackBuffer(&image)) return false;
  *width = image.width;
  *height = image.height;
  *bgra = std::move(image.bgra);
  return true;
}

bool save_back_buffer_png(IDirect3DDevice9* device, const char* path) {
  UINT width = 0;
  UINT height = 0;
  std::vector<uint8_t> bgra;
  if (path == nullptr || !read_back_buffer(device, &width, &height, &bgra)) return false;
  std::vector<uint8_t> rgb(size_t(width) * height * 3);
  for (size_t i = 0, o = 0; i < bgra.size(); i += 4, o += 3) {
    rgb[o] = bgra[i + 2];
    rgb[o + 1] = bgra[i + 1];
    rgb[o + 2] = bgra[i];
  }
  return stbi_write_png(path, int(width), int(height), 3, rgb.data(), int(width) * 3) != 0;
}
