#pragma once
#include <cstdint>
#include <vector>

#include "platform/d3d9.h"

// Screenshots of a device of the OpenGL backend (false for any other
// device, or when the read fails).

// The back buffer as it is now: width x height A8R8G8B8 pixels in memory
// order (B, G, R, A bytes), row 0 the top row.
bool read_back_buffer(IDirect3DDevice9* device, UINT* width, UINT* height,
                      std::vector<uint8_t>* bgra);

// The back buffer written as a PNG file (RGB, alpha left out as the window
// shows no alpha).
bool save_back_buffer_png(IDirect3DDevice9* device, const char* path);
