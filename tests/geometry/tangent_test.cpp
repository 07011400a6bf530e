#include "geometry/tangent.h"

#include <gtest/gtest.h>

#include <cmath>

#include "geometry/matrix4.h"
#include "tests/support/log_capture.h"
#include "tests/support/test_meshes.h"

namespace {

using Indices = std::vector<uint16_t>;
using Lines = std::vector<std::string>;

void expectVector(const Vector3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-6f);
  EXPECT_NEAR(v.y, y, 1e-6f);
  EXPECT_NEAR(v.z, z, 1e-6f);
}

// Two triangles (0, 1, 2) and (2, 1, 3) whose u directions are (1, 0, 0) and
// (0, -1, 0): 90 degrees apart along the shared edge 1-2.
void makeFoldedQuad(MeshGeometry& mesh) {
  setTriangles(mesh, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {0, 1, 2, 2, 1, 3});
  setList(mesh.texCoords0, {{0, 0}, {1, 0}, {0, 1}, {0, 0}});
  setList(mesh.normals, {{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}});
  std::vector<float> weights;
  std::vector<uint8_t> palette;
  for (int v = 0; v < 4; ++v) {
    weights.insert(weights.end(), {v + 0.1f, v + 0.2f, v + 0.3f});
    palette.insert(palette.end(), {uint8_t(v), uint8_t(v + 10), uint8_t(v + 20), uint8_t(v + 30)});
  }
  setList(mesh.blendWeights, weights);
  setList(mesh.paletteIndices, palette);
  mesh.weightsPerVertex = 3;
  mesh.paletteIndicesPerVertex = 4;
  mesh.hasTangents = 1;
}

TEST(Tangent, CornerCollectionKeepsAscendingOrderTheCapAndTheMarker) {
  MeshGeometry quad, destination;
  setTriangles(quad, std::vector<Vector3>(4), {0, 1, 2, 2, 1, 3});
  CTangent tangent;
  tangent.bind(quad, destination);
  EXPECT_EQ(tangent.computeparents(), 2);
  const auto corners = [&](int v) { return listOf(tangent.entries()[v].corners); };
  EXPECT_EQ(corners(0), Indices{0});
  EXPECT_EQ(corners(1), (Indices{1, 4}));
  EXPECT_EQ(corners(2), (Indices{2, 3}));
  EXPECT_EQ(corners(3), Indices{5});

  // 300 corners on vertex 0: the first 256 are recorded and get tangents.
  MeshGeometry crowded;
  Indices repeated;
  for (int t = 0; t < 100; ++t) repeated.insert(repeated.end(), {0, 0, 0});
  setTriangles(crowded, {{0, 0, 0}}, repeated);
  setList(crowded.texCoords0, {{0, 0}});
  tangent.bind(crowded, destination);
  EXPECT_EQ(tangent.computeparents(), 256);
  const Indices recorded = corners(0);
  ASSERT_EQ(recorded.size(), 256u);
  for (int j = 0; j < 256; ++j) EXPECT_EQ(recorded[j], j);
  tangent.computetangents();
  EXPECT_EQ(tangent.entries()[0].used, 256);
  EXPECT_EQ(tangent.entries()[0].tangents.count, 256);

  // Vertex 65535 is never collected; such a mesh cannot get 16-bit tangents.
  LogCapture log;
  MeshGeometry wide;
  setTriangles(wide, std::vector<Vector3>(65536), {0, 1, 65535});
  setList(wide.texCoords0, std::vector<TexCoord2>(65536));
  tangent.bind(wide, destination);
  EXPECT_EQ(tangent.computeparents(), 1);
  EXPECT_EQ(tangent.entries()[65535].corners.count, 0);
  EXPECT_FALSE(tangent.create(wide, destination, 30.0f));
  EXPECT_EQ(log.lines().back(), "<error> rearrange() new vertex count over 65535:  65536");
  EXPECT_EQ(destination.positions.count, 0);
}

TEST(Tangent, TriangleTangentFollowsUAndIsZeroWithoutGradient) {
  const std::vector<Vector3> p = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  struct Case {
    std::vector<TexCoord2> uv;
    float x, y, z;
  } cases[] = {{{{0, 0}, {1, 0}, {0, 1}}, 1, 0, 0},
               {{{0, 0}, {0, 1}, {1, 0}}, 0, 1, 0},
               {{{0, 0}, {-2, 0}, {0, 5}}, -1, 0, 0},
               {{{0.5f, 0.5f}, {0.5f, 0.5f}, {0.5f, 0.5f}}, 0, 0, 0}};
  for (const Case& c : cases) {
    MeshGeometry source, destination;
    setTriangles(source, p, {0, 1, 2});
    setList(source.texCoords0, c.uv);
    CTangent tangent;
    ASSERT_TRUE(tangent.create(source, destination, 30.0f));
    ASSERT_EQ(destination.tangents.count, 3);
    for (int v = 0; v < 3; ++v) expectVector(destination.tangents[v], c.x, c.y, c.z);
    EXPECT_EQ(listOf(destination.indices), (Indices{0, 1, 2}));
  }
}

TEST(Tangent, FoldedQuadSplitsTheSharedEdgeIntoCopiesOfItsVertices) {
  LogCapture log;
  MeshGeometry source, destination;
  makeFoldedQuad(source);
  CTangent tangent;
  ASSERT_TRUE(tangent.create(source, destination, 30.0f));
  EXPECT_EQ(listOf(destination.indices), (Indices{0, 1, 2, 5, 4, 3}));
  ASSERT_EQ(destination.positions.count, 6);
  const int copyOf[6] = {0, 1, 2, 3, 1, 2};
  for (int v = 0; v < 6; ++v) {
    const int s = copyOf[v];
    EXPECT_EQ(destination.positions[v].x, source.positions[s].x);
    EXPECT_EQ(destination.positions[v].y, source.positions[s].y);
    EXPECT_EQ(destination.normals[v].z, source.normals[s].z);
    EXPECT_EQ(destination.texCoords0[v].u, source.texCoords0[s].u);
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(destination.blendWeights[3 * v + i], source.blendWeights[3 * s + i]);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(destination.paletteIndices[4 * v + i], source.paletteIndices[4 * s + i]);
    if (v < 3)
      expectVector(destination.tangents[v], 1, 0, 0);
    else
      expectVector(destination.tangents[v], 0, -1, 0);
  }
  EXPECT_EQ(destination.blendWeights.count, 18);
  EXPECT_EQ(destination.paletteIndices.count, 24);
  EXPECT_EQ(destination.texCoords1.count, 0);
  EXPECT_EQ(destination.weightsPerVertex, 3u);
  EXPECT_EQ(destination.hasTangents, 1);
  EXPECT_EQ(log.lines(),
            (Lines{"---Tangent computation---", "Tangent melting degree:  30.000000",
                   "computing tangents ", "start rearranguing.", "OIGINAL VERTEXNUM:  4",
                   "OIGINAL TRINUM:  2", "new VERTEXNUM:  6", "---Tangent computation done.---"}));

  // Past 90 degrees of melting the two directions merge into their average.
  MeshGeometry merged;
  ASSERT_TRUE(tangent.create(source, merged, 100.0f));
  EXPECT_EQ(listOf(merged.indices), (Indices{0, 1, 2, 2, 1, 3}));
  const float half = std::sqrt(0.5f);
  expectVector(merged.tangents[1], half, -half, 0);
  expectVector(merged.tangents[0], 1, 0, 0);
}

TEST(Tangent, GroupsCompareWithTheSeedStrictlyAndSumTheirMembersOnly) {
  MeshGeometry fan, destination;
  setTriangles(fan, std::vector<Vector3>(7), {0, 1, 2, 0, 3, 4, 0, 5, 6});
  CTangent tangent;
  const auto regroup = [&](std::vector<Vector3> seeds, float degrees) {
    tangent.bind(fan, destination);
    EXPECT_GT(tangent.computeparents(), 0);
    tTindex& entry = tangent.entries()[0];
    for (size_t j = 0; j < seeds.size(); ++j) entry.tangents[j] = seeds[j];
    entry.used = static_cast<int32_t>(seeds.size());
    EXPECT_TRUE(tangent.rearrange(degrees));
    return listOf(destination.indices);
  };
  const float melt = static_cast<float>(-std::cos(30.0 * kDegreesToRadians));
  const float atAngle = -melt;
  const float inside = std::nextafter(atAngle, 1.0f);
  const Vector3 x{1, 0, 0};
  const Vector3 y{0, 1, 0};

  // Exactly at the melting angle is apart; a hair inside merges.
  EXPECT_EQ(regroup({x, {atAngle, 0.5f, 0}, y}, 30.0f), (Indices{0, 1, 2, 7, 3, 4, 8, 5, 6}));
  EXPECT_EQ(regroup({x, {inside, 0.5f, 0}, y}, 30.0f), (Indices{0, 1, 2, 0, 3, 4, 7, 5, 6}));
  // A group's later members are compared with the seed, not with its mark.
  EXPECT_EQ(regroup({y, x, x}, 30.0f), (Indices{0, 1, 2, 7, 3, 4, 7, 5, 6}));

  Vector3 near{1, 0.2f, 0};
  near.normalize();
  regroup({x, y, near}, 30.0f);
  Vector3 expected = x;
  expected.add(near);
  expected.normalize();
  expectVector(destination.tangents[0], expected.x, expected.y, expected.z);
  expectVector(destination.tangents[7], 0, 1, 0);
  EXPECT_EQ(destination.positions.count, 8);
}

TEST(Tangent, EvenlyMappedGridStaysWholeAndUnusedVerticesAreZero) {
  MeshGeometry grid, destination;
  std::vector<Vector3> positions;
  std::vector<TexCoord2> uv;
  Indices indices;
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      positions.push_back({float(j), float(i), 0});
      uv.push_back({j * 0.25f, i * 0.25f});
    }
  }
  for (uint16_t i = 0; i < 3; ++i) {
    for (uint16_t j = 0; j < 3; ++j) {
      const uint16_t a = uint16_t(4 * i + j);
      indices.insert(indices.end(), {a, uint16_t(a + 1), uint16_t(a + 4), uint16_t(a + 4),
                                     uint16_t(a + 1), uint16_t(a + 5)});
    }
  }
  positions.push_back({9, 9, 9});  // vertex 16: used by no triangle
  uv.push_back({9, 9});
  setTriangles(grid, positions, indices);
  setList(grid.texCoords0, uv);
  setList(grid.texCoords1, uv);
  setList(grid.blendWeights, std::vector<float>(17, 0.75f));
  CTangent tangent;
  ASSERT_TRUE(tangent.create(grid, destination, 30.0f));
  EXPECT_EQ(listOf(destination.indices), indices);
  ASSERT_EQ(destination.positions.count, 17);
  for (int v = 0; v < 16; ++v) expectVector(destination.tangents[v], 1, 0, 0);
  EXPECT_EQ(destination.positions[16].x, 0.0f);
  EXPECT_EQ(destination.texCoords1[16].u, 0.0f);
  EXPECT_EQ(destination.blendWeights[16], 0.0f);
  EXPECT_EQ(destination.blendWeights[15], 0.75f);
  EXPECT_EQ(destination.normals.count, 0);
}

TEST(Tangent, FailedBuildsLeaveSourceIntactAndDestinationEmpty) {
  LogCapture log;
  CTangent tangent;
  MeshGeometry source, destination;
  makeFoldedQuad(source);
  source.texCoords0.free();
  EXPECT_FALSE(tangent.create(source, destination, 30.0f));
  EXPECT_EQ(log.lines().back(),
            "<error> CTangent::create() no texCoords0 for every vertex, texco0 num:  0");
  EXPECT_EQ(destination.positions.count + destination.indices.count + destination.normals.count, 0);
  EXPECT_EQ(source.positions.count, 4);

  MeshGeometry noIndices;
  makeFoldedQuad(noIndices);
  noIndices.indices.free();
  EXPECT_FALSE(tangent.create(noIndices, destination, 30.0f));
  EXPECT_EQ(log.lines().back(), "<error> CTangent::computeparents() No mem for dump:  0");

  MeshGeometry outOfRange;
  makeFoldedQuad(outOfRange);
  outOfRange.indices[5] = 4;
  EXPECT_FALSE(tangent.create(outOfRange, destination, 30.0f));
  EXPECT_EQ(log.lines().back(), "<error> CTangent::computeparents() index beyond vertex count:  4");

  // A split that needs vertex number 65535 or more fails instead of wrapping.
  MeshGeometry full;
  makeFoldedQuad(full);
  full.blendWeights.free();
  full.paletteIndices.free();
  full.normals.free();
  setList(full.positions, std::vector<Vector3>(65535));
  std::vector<TexCoord2> uv(65535);
  uv[1] = {1, 0};
  uv[2] = {0, 1};
  for (int v = 0; v < 4; ++v) full.positions[v] = source.positions[v];
  setList(full.texCoords0, uv);
  EXPECT_FALSE(tangent.create(full, destination, 30.0f));
  EXPECT_EQ(log.lines().back(), "<error> rearrange() new vertex count over 65535:  65537");
  EXPECT_EQ(destination.positions.count + destination.tangents.count + destination.indices.count,
            0);
  EXPECT_EQ(listOf(full.indices), (Indices{0, 1, 2, 2, 1, 3}));
}

}  // namespace
