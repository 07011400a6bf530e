#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "platform/d3dx9.h"

struct ImageHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  D3DXIMAGE_FILEFORMAT format = D3DXIFF_BMP;
};

// The size stated by a BMP, PNG or JPEG header at the start of the bytes;
// none for other or damaged data. The pixels are not decoded.
std::optional<ImageHeader> ReadImageHeader(const std::string& bytes);
