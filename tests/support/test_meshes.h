#pragma once
// Small mesh builders shared by the geometry tests and benchmarks.
#include <cmath>
#include <cstdint>
#include <vector>

#include "base/bounded_array.h"
#include "geometry/mesh_geometry.h"
#include "geometry/vector3.h"

template <typename T>
void setList(BoundedArray<T>& list, const std::vector<T>& values) {
  list.resize(static_cast<int64_t>(values.size()));
  for (size_t i = 0; i < values.size(); ++i) list[i] = values[i];
}

template <typename T>
std::vector<T> listOf(const BoundedArray<T>& list) {
  return std::vector<T>(list.begin(), list.end());
}

inline void setTriangles(MeshGeometry& mesh, const std::vector<Vector3>& positions,
                         const std::vector<uint16_t>& indices) {
  setList(mesh.positions, positions);
  setList(mesh.indices, indices);
}

// A closed torus of rings x sides quads with UV seams: the vertices on the
// seams are doubled (same position, u or v of 0 and 1), so the vertex grid is
// (rings + 1) x (sides + 1). Two texture sets, normals, and skinning data of
// 3 weights and 4 palette indices per vertex. Winding is consistent, so every
// edge is shared by two triangles running opposite ways.
inline void makeTorus(MeshGeometry& mesh, int rings, int sides) {
  const double pi = 3.14159265358979323846;
  const int columns = sides + 1;
  std::vector<Vector3> positions, normals;
  std::vector<TexCoord2> uv0, uv1;
  std::vector<float> weights;
  std::vector<uint8_t> palette;
  for (int i = 0; i <= rings; ++i) {
    for (int j = 0; j <= sides; ++j) {
      // Angles from the wrapped grid step, so seam copies share positions exactly.
      const double a = 2.0 * pi * (i % rings) / rings;
      const double b = 2.0 * pi * (j % sides) / sides;
      const double tube = 3.0 + std::cos(b);
      positions.push_back({static_cast<float>(tube * std::cos(a)),
                           static_cast<float>(tube * std::sin(a)),
                           static_cast<float>(std::sin(b))});
      normals.push_back({static_cast<float>(std::cos(b) * std::cos(a)),
                         static_cast<float>(std::cos(b) * std::sin(a)),
                         static_cast<float>(std::sin(b))});
      const float u = static_cast<float>(i) / rings;
      const float v = static_cast<float>(j) / sides;
      uv0.push_back({u, v});
      uv1.push_back({2.0f * v, u});
      weights.insert(weights.end(), {0.5f, 0.3f, 0.2f});
      palette.insert(palette.end(),
                     {static_cast<uint8_t>(i % 7), static_cast<uint8_t>(j % 5), 0, 1});
    }
  }
  std::vector<uint16_t> indices;
  for (int i = 0; i < rings; ++i) {
    for (int j = 0; j < sides; ++j) {
      const auto a = static_cast<uint16_t>(i * columns + j);
      const auto b = static_cast<uint16_t>(a + 1);
      const auto c = static_cast<uint16_t>(a + columns);
      const auto d = static_cast<uint16_t>(c + 1);
      indices.insert(indices.end(), {a, b, c, c, b, d});
    }
  }
  setTriangles(mesh, positions, indices);
  setList(mesh.normals, normals);
  setList(mesh.texCoords0, uv0);
  setList(mesh.texCoords1, uv1);
  setList(mesh.blendWeights, weights);
  setList(mesh.paletteIndices, palette);
  mesh.weightsPerVertex = 3;
  mesh.paletteIndicesPerVertex = 4;
  mesh.hasTangents = 1;
}
