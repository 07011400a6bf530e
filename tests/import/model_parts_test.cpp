// A model over the format's limits is cut into parts without losing or
// changing anything: every triangle in exactly one part, each vertex copied
// whole, material ranges that the renderer can draw by.
#include "import/model_parts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "import/simplify.h"
#include "render/material_ranges.h"

namespace {

// A skinned strip of quads: vertex v has position (v, v % 7, 0), two weights
// and two palette indices that differ per vertex; triangles in three materials.
WideMesh strip(int quads) {
  WideMesh mesh;
  ModelDescription& v = mesh.vertices;
  v.weightsPerVertex = v.paletteIndicesPerVertex = 2;
  for (int i = 0; i < 2 * (quads + 1); ++i) {
    v.positions.push_back({float(i), float(i % 7), 0});
    v.normals.push_back({0, 0, -1});
    v.texCoords0.push_back({float(i) / 10, 0});
    v.blendWeights.insert(v.blendWeights.end(), {0.25f, 0.75f});
    v.paletteIndices.insert(v.paletteIndices.end(), {uint8_t(i % 5), uint8_t(i % 3)});
  }
  mesh.materials.resize(3);
  for (int q = 0; q < quads; ++q) {
    const uint32_t a = 2 * q, b = a + 1, c = a + 2, d = a + 3;
    mesh.indices.insert(mesh.indices.end(), {a, b, c, c, b, d});
    const int32_t material = q < quads / 3 ? 0 : (q < quads / 2 ? 1 : 2);
    mesh.triangleMaterials.insert(mesh.triangleMaterials.end(), {material, material});
  }
  return mesh;
}

using Triangle = std::array<uint32_t, 4>;  // three wide vertices and the material

TEST(ModelParts, EveryTriangleLandsInExactlyOnePartWithItsVertexDataAndMaterial) {
  const WideMesh mesh = strip(40);
  struct Limits {
    size_t indices, vertices, parts;  // parts 0: more than one
  };
  for (const Limits limits :
       {Limits{65535, 65535, 1}, Limits{30, 1000, 8}, Limits{1000, 9, 0}, Limits{3, 3, 80}}) {
    SCOPED_TRACE(testing::Message()
                 << limits.indices << " indices, " << limits.vertices << " vertices");
    const std::vector<ModelPart> parts = splitIntoParts(mesh, limits.indices, limits.vertices);
    if (limits.parts > 0) {
      EXPECT_EQ(parts.size(), limits.parts);
    }
    EXPECT_GT(parts.size(), limits.parts > 0 ? 0u : 1u);
    std::vector<Triangle> seen;
    for (const ModelPart& part : parts) {
      const ModelDescription& m = part.model;
      EXPECT_LE(m.indices.size(), limits.indices);
      EXPECT_LE(m.positions.size(), limits.vertices);
      ASSERT_EQ(m.positions.size(), part.wideVertex.size());
      // Each vertex copies the whole mesh's vertex: so it skins alike.
      for (size_t v = 0; v < part.wideVertex.size(); ++v) {
        const uint32_t w = part.wideVertex[v];
        EXPECT_EQ(m.positions[v].x, mesh.vertices.positions[w].x);
        EXPECT_EQ(m.positions[v].y, mesh.vertices.positions[w].y);
        EXPECT_EQ(m.texCoords0[v].u, mesh.vertices.texCoords0[w].u);
        for (size_t k = 0; k < 2; ++k) {
          EXPECT_EQ(m.blendWeights[2 * v + k], mesh.vertices.blendWeights[2 * w + k]);
          EXPECT_EQ(m.paletteIndices[2 * v + k], mesh.vertices.paletteIndices[2 * w + k]);
        }
      }
      // Ranges the renderer draws by, every material present.
      BoundedArray<int32_t> offsets;
      ASSERT_TRUE(offsets.resize(static_cast<int64_t>(m.materialOffsets.size())));
      std::copy(m.materialOffsets.begin(), m.materialOffsets.end(), offsets.data);
      const int32_t indexCount = static_cast<int32_t>(m.indices.size());
      EXPECT_TRUE(materialProblems(offsets, 3, indexCount).empty());
      for (size_t t = 0; t < m.indices.size() / 3; ++t) {
        uint32_t material = 0;
        for (const MaterialRange& range : materialRanges(offsets, 3, indexCount)) {
          if (3 * t >= range.firstIndex && 3 * t < range.firstIndex + range.indexCount) {
            material = static_cast<uint32_t>(range.material);
          }
        }
        seen.push_back({part.wideVertex[m.indices[3 * t]], part.wideVertex[m.indices[3 * t + 1]],
                        part.wideVertex[m.indices[3 * t + 2]], material});
      }
    }
    std::vector<Triangle> whole;
    for (size_t t = 0; t < mesh.indices.size() / 3; ++t) {
      whole.push_back({mesh.indices[3 * t], mesh.indices[3 * t + 1], mesh.indices[3 * t + 2],
                       static_cast<uint32_t>(mesh.triangleMaterials[t])});
    }
    EXPECT_EQ(seen, whole);  // all of them, once each, in order
  }
}

TEST(ModelParts, SimplifyingKeepsMaterialsAndTheMeshsOwnVertices) {
  WideMesh mesh = strip(300);
  const size_t before = mesh.indices.size();
  const SimplifyResult result = simplifyMesh(mesh, 0.5);
  EXPECT_EQ(result.indicesBefore, before);
  EXPECT_EQ(result.indicesAfter, mesh.indices.size());
  EXPECT_LT(mesh.indices.size(), before);
  EXPECT_GE(result.error, 0.0f);
  ASSERT_EQ(mesh.triangleMaterials.size() * 3, mesh.indices.size());
  EXPECT_TRUE(std::is_sorted(mesh.triangleMaterials.begin(), mesh.triangleMaterials.end()));
  for (uint32_t index : mesh.indices) EXPECT_LT(index, mesh.vertices.positions.size());
}

}  // namespace
