#include "geometry/shadow_volume.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/edge_partners.h"
#include "tests/support/log_capture.h"
#include "tests/support/test_meshes.h"

namespace {

using Indices = std::vector<uint16_t>;

bool samePoint(const Vector3& a, const Vector3& b) {
  return a.x == b.x && a.y == b.y && a.z == b.z;
}

// Builds from positions and indices; returns the new index list, empty on failure.
Indices shadowIndices(const std::vector<Vector3>& positions, const Indices& indices) {
  MeshGeometry source, destination;
  setTriangles(source, positions, indices);
  CShadowVolume builder;
  if (!builder.create(source, destination)) return {};
  return listOf(destination.indices);
}

TEST(ShadowVolume, SharedEdgeGetsOneQuadOnlyInOppositeDirections) {
  LogCapture log;
  const std::vector<Vector3> p = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, -1, 0}};
  MeshGeometry source, destination;
  setTriangles(source, p, {0, 1, 2, 1, 0, 3});
  source.chunkFlags[CHUNK_INDICES] = 1;
  source.reserved = 7;
  CShadowVolume builder;
  ASSERT_TRUE(builder.create(source, destination));

  EXPECT_EQ(listOf(destination.indices), (Indices{0, 1, 2, 3, 4, 5, 0, 4, 1, 1, 4, 3}));
  ASSERT_EQ(destination.positions.count, 6);
  const int from[6] = {0, 1, 2, 1, 0, 3};
  for (int k = 0; k < 6; ++k) {
    EXPECT_TRUE(samePoint(destination.positions[k], p[from[k]])) << k;
    // Neighbours are the other corners of the vertex's own surface triangle.
    const int first = k - k % 3;
    EXPECT_TRUE(samePoint(destination.shadowNeighbourA[k], p[from[first + (k + 1) % 3]])) << k;
    EXPECT_TRUE(samePoint(destination.shadowNeighbourB[k], p[from[first + (k + 2) % 3]])) << k;
  }
  EXPECT_EQ(destination.isShadowVolume, 1);
  EXPECT_EQ(destination.hasTangents, 0);
  EXPECT_EQ(destination.chunkFlags[CHUNK_INDICES], 0);
  EXPECT_EQ(destination.reserved, 7u);
  EXPECT_EQ(log.lines(), (std::vector<std::string>{
                             "------ creating ShadowVolume mesh (GPU only) --------- ",
                             "new shadowtri count:  4", "----- ShadowVolume mesh done ------ "}));

  // The same edge running the same way (opposite winding) is no partner.
  EXPECT_EQ(shadowIndices(p, {0, 1, 2, 0, 1, 3}), (Indices{0, 1, 2, 3, 4, 5}));
  // The lowest later triangle wins over a lower edge number in a later one.
  const std::vector<Vector3> q = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0, -1, 0}};
  EXPECT_EQ(shadowIndices(q, {0, 1, 2, 3, 1, 0, 1, 0, 4}),
            (Indices{0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 5, 1, 1, 5, 4}));
}

TEST(ShadowVolume, ClosedTetrahedronHasSixDegenerateQuadsAndSurfaceNeighbours) {
  LogCapture log;
  const std::vector<Vector3> p = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
  MeshGeometry source, destination;
  setTriangles(source, p, {0, 1, 2, 0, 3, 1, 1, 3, 2, 2, 3, 0});
  CShadowVolume builder;
  ASSERT_TRUE(builder.create(source, destination));
  ASSERT_EQ(destination.indices.count, 48);
  EXPECT_EQ(log.lines()[1], "new shadowtri count:  16");
  for (int k = 12; k < 48; k += 6) {
    // Quad (i0, j1, i1, i1, j1, j0): i0 sits on j1 and i1 on j0.
    const auto at = [&](int i) { return destination.positions[destination.indices[k + i]]; };
    EXPECT_TRUE(samePoint(at(0), at(1)));
    EXPECT_TRUE(samePoint(at(2), at(5)));
    EXPECT_FALSE(samePoint(at(0), at(2)));
  }
  for (int k = 0; k < 12; ++k) {
    const int first = k - k % 3;
    EXPECT_TRUE(
        samePoint(destination.shadowNeighbourA[k], destination.positions[first + (k + 1) % 3]));
    EXPECT_TRUE(
        samePoint(destination.shadowNeighbourB[k], destination.positions[first + (k + 2) % 3]));
  }
}

TEST(ShadowVolume, CornersMatchWithinTheBoundIncludedAcrossCellsAndNeverWhenNotFinite) {
  const float bound = 0.00001f;
  const float wall = static_cast<float>(1.5 * kEdgeCellSize);  // a wall between two hash cells
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  // Vertex 4 stands in for vertex 0 in the second triangle (p1, p0', p3).
  struct Case {
    Vector3 p0, p0copy;
    bool matches;
  } cases[] = {
      {{0, 0, 0}, {bound, 0, 0}, true},
      {{0, 0, 0}, {0, -bound, 0}, true},
      {{0, 0, 0}, {0, 0, bound}, true},
      {{0, 0, 0}, {2 * bound, 0, 0}, false},
      {{0, 0, 0}, {0, 0, -2 * bound}, false},
      {{wall - 0.000004f, 0, 0}, {wall + 0.000004f, 0, 0}, true},
      {{0, 0, -wall + 0.000004f}, {0, 0, -wall - 0.000004f}, true},
      {{0, wall - 0.000015f, 0}, {0, wall + 0.000006f, 0}, false},
      {{nan, 0, 0}, {nan, 0, 0}, false},
      {{0, inf, 0}, {0, inf, 0}, false},
      {{-inf, 0, 0}, {-inf, 0, 0}, false},
  };
  for (const Case& c : cases) {
    const std::vector<Vector3> p = {c.p0, {1, 0, 0}, {0, 1, 0}, {1, -1, 0}, c.p0copy};
    const Indices result = shadowIndices(p, {0, 1, 2, 1, 4, 3});
    EXPECT_EQ(result.size(), c.matches ? 12u : 6u) << c.p0.x << " " << c.p0copy.x;
  }
}

TEST(ShadowVolume, EveryCornerCarriesItsVertexBlendData) {
  MeshGeometry source, destination;
  std::vector<Vector3> positions;
  std::vector<float> weights;
  std::vector<uint8_t> palette;
  Indices fan;
  for (int v = 0; v < 7; ++v) {
    positions.push_back({std::cos(v * 1.0f), std::sin(v * 1.0f), v == 0 ? 1.0f : 0.0f});
    weights.insert(weights.end(), {v + 0.1f, v + 0.2f, v + 0.3f});
    palette.insert(palette.end(), {uint8_t(v), uint8_t(10 + v), uint8_t(20 + v), uint8_t(30 + v)});
  }
  for (uint16_t t = 1; t <= 5; ++t) fan.insert(fan.end(), {0, t, uint16_t(t + 1)});
  setTriangles(source, positions, fan);
  setList(source.blendWeights, weights);
  setList(source.paletteIndices, palette);
  source.weightsPerVertex = 3;
  source.paletteIndicesPerVertex = 4;
  CShadowVolume builder;
  ASSERT_TRUE(builder.create(source, destination));
  ASSERT_EQ(destination.blendWeights.count, 15 * 3);
  ASSERT_EQ(destination.paletteIndices.count, 15 * 4);
  EXPECT_EQ(destination.weightsPerVertex, 3u);
  EXPECT_EQ(destination.paletteIndicesPerVertex, 4u);
  for (int k = 0; k < 15; ++k) {
    const int v = fan[k];
    for (int i = 0; i < 3; ++i) EXPECT_EQ(destination.blendWeights[3 * k + i], weights[3 * v + i]);
    for (int i = 0; i < 4; ++i)
      EXPECT_EQ(destination.paletteIndices[4 * k + i], palette[4 * v + i]);
  }

  // Without blend data the shadow mesh has none either.
  MeshGeometry bare, bareShadow;
  setTriangles(bare, positions, fan);
  ASSERT_TRUE(builder.create(bare, bareShadow));
  EXPECT_EQ(bareShadow.blendWeights.count, 0);
  EXPECT_EQ(bareShadow.paletteIndices.count, 0);
}

TEST(ShadowVolume, FailedBuildsLeaveSourceIntactAndDestinationEmpty) {
  LogCapture log;
  CShadowVolume builder;
  MeshGeometry empty, destination;
  setList(empty.positions, {{0, 0, 0}});
  EXPECT_FALSE(builder.create(empty, destination));
  EXPECT_EQ(log.lines(), (std::vector<std::string>{
                             "------ creating ShadowVolume mesh (GPU only) --------- ",
                             "new shadowtri count:  0",
                             "<error> CShadowVolume:: no mem for the extra two vectors.. (sigh)"}));
  EXPECT_EQ(destination.isShadowVolume, 0);

  MeshGeometry outOfRange;
  setTriangles(outOfRange, {{0, 0, 0}, {1, 0, 0}}, {0, 1, 2});
  EXPECT_FALSE(builder.create(outOfRange, destination));
  EXPECT_EQ(log.lines().back(), "<error> CShadowVolume::create() index beyond vertex count:  2");

  MeshGeometry shortWeights;
  setTriangles(shortWeights, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {0, 1, 2});
  setList(shortWeights.blendWeights, {1.0f, 1.0f});
  shortWeights.weightsPerVertex = 1;
  EXPECT_FALSE(builder.create(shortWeights, destination));
  EXPECT_EQ(log.lines().back(), "<error> CShadowVolume::create() too few blend weights:  2");

  // A closed mesh gets 4n indices: 16380 corners still fit in 16 bits, 16512 do not.
  MeshGeometry fits, tooBig;
  makeTorus(fits, 65, 42);
  ASSERT_TRUE(builder.create(fits, destination));
  EXPECT_EQ(destination.indices.count, 65520);
  makeTorus(tooBig, 64, 43);
  const Indices before = listOf(tooBig.indices);
  EXPECT_FALSE(builder.create(tooBig, destination));
  EXPECT_EQ(log.lines().back(), "<error> createnewindices() index count over 65535:  66048");
  EXPECT_EQ(listOf(tooBig.indices), before);
  EXPECT_EQ(destination.positions.count + destination.indices.count +
                destination.blendWeights.count + destination.paletteIndices.count +
                destination.shadowNeighbourA.count,
            0);
  EXPECT_EQ(destination.isShadowVolume, 0);
}

}  // namespace
