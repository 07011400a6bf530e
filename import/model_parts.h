#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "tools/model_writer/model_writer.h"

// A model's vertex lists with 32-bit indices, before it is cut to fit the
// model format's 16-bit indices.
struct WideMesh {
  ModelDescription vertices;               // per-vertex lists; indices unused
  std::vector<uint32_t> indices;           // three per triangle
  std::vector<int32_t> triangleMaterials;  // per triangle, never descending
  std::vector<CMaterial> materials;
};

// One model file's share of a wide mesh: a whole model of its own, and for
// each of its vertices the wide mesh's vertex it copies.
struct ModelPart {
  ModelDescription model;
  std::vector<uint32_t> wideVertex;
};

inline constexpr size_t kMaxPartIndices = 65535;
inline constexpr size_t kMaxPartVertices = 65535;

// Cuts the mesh into as few parts as keep, in triangle order, at most
// maxIndices indices and maxVertices vertices each: every triangle lands in
// exactly one part, with its vertices copied whole (position, normal,
// texture sets, weights and palette indices). Every part holds every
// material, with empty ranges for those it has no triangle of, so that the
// parts share one script's material textures. One part when it all fits.
std::vector<ModelPart> splitIntoParts(const WideMesh& mesh, size_t maxIndices = kMaxPartIndices,
                                      size_t maxVertices = kMaxPartVertices);

// The file name of part index + 1 of the model stem ("NAME_part2.x_out" for
// index 1; part 0 is "NAME.x_out" itself).
std::string partFileName(const std::string& stem, size_t index);
