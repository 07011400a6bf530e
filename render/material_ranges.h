#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/bounded_array.h"
#include "render/model_records.h"

// Where a CMaterial keeps each colour: the 17 floats of a Direct3D 9 material.
inline constexpr int kMaterialDiffuse = 0;    // RGBA
inline constexpr int kMaterialAmbient = 4;    // RGBA
inline constexpr int kMaterialSpecular = 8;   // RGBA
inline constexpr int kMaterialEmissive = 12;  // RGBA
inline constexpr int kMaterialPower = 16;     // specular exponent

// The indices one material covers: from its offset up to the next material's
// offset, the last one up to the index count.
struct MaterialRange {
  int32_t material = 0;
  uint32_t firstIndex = 0;
  uint32_t indexCount = 0;
};

// Every rule the material offsets and records of a model break, one sentence
// each: offsets and records come together, one offset per record, the first
// offset is 0, offsets do not descend, are multiples of 3 and lie within the
// index count. Empty when the model can be drawn per material (a model
// without either list is fine too).
std::vector<std::string> materialProblems(const BoundedArray<int32_t>& offsets,
                                          int32_t materialCount, int32_t indexCount);

// Appends the index range of each material, empty ranges left out; nothing
// when the model has no materials or breaks a rule above (it is then drawn
// whole). Allocates nothing once out has room.
void appendMaterialRanges(const BoundedArray<int32_t>& offsets, int32_t materialCount,
                          int32_t indexCount, std::vector<MaterialRange>& out);
std::vector<MaterialRange> materialRanges(const BoundedArray<int32_t>& offsets,
                                          int32_t materialCount, int32_t indexCount);
