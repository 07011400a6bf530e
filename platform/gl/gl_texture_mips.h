#pragma once
#include <cstdint>
#include <vector>

// Mip levels built on the CPU. llvmpipe compiles a shader the first time
// glGenerateMipmap runs (about a tenth of a second), which lands on the
// start-up of every run; a box filter over the bytes costs well under a
// millisecond for the textures this system loads, and is the filter D3DX
// uses for its default mip chain.

// The level below an image of `channels` bytes per texel, rows tightly
// packed: max(1, width / 2) x max(1, height / 2) texels, each the rounded
// mean of the 2 x 2 block it covers (a block cut by an odd edge repeats the
// last row or column).
std::vector<uint8_t> gl_box_filter_level(const uint8_t* texels, uint32_t width, uint32_t height,
                                         uint32_t channels);
