#pragma once
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/fx/compiled_effect.h"

// Writing effect parameters into the CPU copy of the uniform block, with the
// block's packing: each array element and matrix row or column on its own
// 16-byte boundary, matrices stored by rows or by columns as declared.
namespace fx {

// Components in HLSL order: array element after array element, each row by
// row. 0 for a struct (its members are parameters of their own).
uint32_t component_count(const EffectParameter& parameter);

// Byte offset in the block of one component (HLSL order).
uint32_t component_offset(const EffectParameter& parameter, uint32_t component);

// Stores count values as the parameter's first components, converted to its
// type (a bool stores 1 for any non-zero value). False, with nothing
// written, when count exceeds the parameter or the block is too small.
bool store_values(const EffectParameter& parameter, const float* values, size_t count,
                  std::span<uint8_t> block);

// Stores 4-byte components as they are, without conversion: D3DX's SetValue,
// whose data is the parameter's components back to back. False, with
// nothing written, for a size that is not whole components or exceeds the
// parameter.
bool store_words(const EffectParameter& parameter, const void* data, size_t bytes,
                 std::span<uint8_t> block);

// Stores the upper-left rows x columns of a row-major 4x4 (row vectors,
// translation in elements 12..14) as array element `element`, so that
// mul(v, M) in the shader computes v x M whichever packing M declares.
bool store_matrix(const EffectParameter& parameter, uint32_t element, const float* matrix16,
                  std::span<uint8_t> block);

}  // namespace fx
