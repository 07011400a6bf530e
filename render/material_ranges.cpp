#include "render/material_ranges.h"

std::vector<std::string> materialProblems(const BoundedArray<int32_t>& offsets,
                                          int32_t materialCount, int32_t indexCount) {
  std::vector<std::string> problems;
  if (offsets.count == 0 && materialCount == 0) return problems;
  if (offsets.count != materialCount) {
    problems.push_back(std::to_string(offsets.count) + " material offsets for " +
                       std::to_string(materialCount) + " materials (one offset per material)");
    return problems;
  }
  if (offsets[0] != 0) {
    problems.push_back("the first material offset is " + std::to_string(offsets[0]) +
                       ", not 0 (every index belongs to a material)");
  }
  for (int32_t i = 0; i < offsets.count; ++i) {
    const int32_t offset = offsets[i];
    const std::string which =
        "material offset " + std::to_string(i) + " (" + std::to_string(offset) + ")";
    if (offset % 3 != 0) problems.push_back(which + " is not a multiple of 3");
    if (offset < 0 || offset > indexCount) {
      problems.push_back(which + " is outside the index count " + std::to_string(indexCount));
    }
    if (i > 0 && offset < offsets[i - 1]) {
      problems.push_back(which + " is below the one before it (" + std::to_string(offsets[i - 1]) +
                         ")");
    }
  }
  return problems;
}

namespace {

bool drawablePerMaterial(const BoundedArray<int32_t>& offsets, int32_t materialCount,
                         int32_t indexCount) {
  if (materialCount == 0 || offsets.count != materialCount || offsets[0] != 0) return false;
  for (int32_t i = 0; i < offsets.count; ++i) {
    const int32_t offset = offsets[i];
    if (offset % 3 != 0 || offset < 0 || offset > indexCount) return false;
    if (i > 0 && offset < offsets[i - 1]) return false;
  }
  return true;
}

}  // namespace

void appendMaterialRanges(const BoundedArray<int32_t>& offsets, int32_t materialCount,
                          int32_t indexCount, std::vector<MaterialRange>& out) {
  if (!drawablePerMaterial(offsets, materialCount, indexCount)) return;
  for (int32_t i = 0; i < materialCount; ++i) {
    const int32_t end = i + 1 < materialCount ? offsets[i + 1] : indexCount;
    if (end == offsets[i]) continue;
    out.push_back({i, static_cast<uint32_t>(offsets[i]), static_cast<uint32_t>(end - offsets[i])});
  }
}

std::vector<MaterialRange> materialRanges(const BoundedArray<int32_t>& offsets,
                                          int32_t materialCount, int32_t indexCount) {
  std::vector<MaterialRange> ranges;
  appendMaterialRanges(offsets, materialCount, indexCount, ranges);
  return ranges;
}
