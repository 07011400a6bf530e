// The fast shadow-volume and tangent builders against the plain quadratic
// reference on many small random meshes: the destination records must agree
// byte for byte, failures included.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>

#include "geometry/edge_partners.h"
#include "geometry/shadow_volume.h"
#include "geometry/tangent.h"
#include "tests/support/geometry_reference.h"
#include "tests/support/test_meshes.h"

namespace {

template <typename T>
bool sameBytes(const BoundedArray<T>& a, const BoundedArray<T>& b) {
  return a.count == b.count &&
         (a.count == 0 ||
          std::memcmp(a.data, b.data, sizeof(T) * static_cast<size_t>(a.count)) == 0);
}

void expectSameMesh(const MeshGeometry& a, const MeshGeometry& b) {
  EXPECT_TRUE(sameBytes(a.positions, b.positions));
  EXPECT_TRUE(sameBytes(a.blendWeights, b.blendWeights));
  EXPECT_TRUE(sameBytes(a.paletteIndices, b.paletteIndices));
  EXPECT_TRUE(sameBytes(a.normals, b.normals));
  EXPECT_TRUE(sameBytes(a.texCoords0, b.texCoords0));
  EXPECT_TRUE(sameBytes(a.texCoords1, b.texCoords1));
  EXPECT_EQ(listOf(a.indices), listOf(b.indices));
  EXPECT_TRUE(sameBytes(a.tangents, b.tangents));
  EXPECT_TRUE(sameBytes(a.shadowNeighbourA, b.shadowNeighbourA));
  EXPECT_TRUE(sameBytes(a.shadowNeighbourB, b.shadowNeighbourB));
  EXPECT_EQ(a.weightsPerVertex, b.weightsPerVertex);
  EXPECT_EQ(a.paletteIndicesPerVertex, b.paletteIndicesPerVertex);
  EXPECT_EQ(0, std::memcmp(a.chunkFlags, b.chunkFlags, sizeof a.chunkFlags));
  EXPECT_EQ(a.reserved, b.reserved);
  EXPECT_EQ(a.hasTangents, b.hasTangents);
  EXPECT_EQ(a.isShadowVolume, b.isShadowVolume);
}

class RandomMeshes {
 public:
  explicit RandomMeshes(uint32_t seed) : rng_(seed) {}

  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  bool chance(int percent) { return below(100) < percent; }

  void make(MeshGeometry& mesh) {
    const int vertexCount = 1 + below(10);
    std::vector<Vector3> positions;
    for (int v = 0; v < vertexCount; ++v) {
      // Seams: another vertex at the same place.
      positions.push_back(v > 0 && chance(30) ? positions[below(v)]
                                              : Vector3{coordinate(), coordinate(), coordinate()});
    }
    std::vector<uint16_t> indices;
    const bool crowded = chance(1);
    const int triangles = crowded ? 150 + below(20) : below(13);
    for (int t = 0; t < triangles; ++t) {
      const auto vertex = [&] { return static_cast<uint16_t>(below(vertexCount)); };
      uint16_t a = vertex(), b = vertex(), c = vertex();
      if (t > 0 && chance(50)) {
        // Reuse an earlier edge, mostly reversed (a partner), sometimes as it runs.
        const int corner = below(t * 3);
        const int first = corner - corner % 3;
        const uint16_t from = indices[corner];
        const uint16_t to = indices[corner % 3 == 2 ? first : corner + 1];
        a = chance(80) ? to : from;
        b = a == to ? from : to;
      }
      if (crowded) b = a = 0;  // vertex 0 gets more than 256 corners
      indices.insert(indices.end(), {a, b, c});
    }
    if (chance(5)) indices.push_back(static_cast<uint16_t>(below(vertexCount)));
    if (chance(1) && !indices.empty()) indices[below(static_cast<int>(indices.size()))] = 10;
    setTriangles(mesh, positions, indices);

    mesh.weightsPerVertex = below(5);
    mesh.paletteIndicesPerVertex = below(5);
    std::vector<float> weights(vertexCount * mesh.weightsPerVertex);
    for (float& w : weights) w = coordinate();
    std::vector<uint8_t> palette(vertexCount * mesh.paletteIndicesPerVertex);
    for (uint8_t& p : palette) p = static_cast<uint8_t>(below(256));
    setList(mesh.blendWeights, weights);
    setList(mesh.paletteIndices, palette);
    if (chance(70)) setList(mesh.normals, std::vector<Vector3>(vertexCount, {0, 0, coordinate()}));
    if (chance(95)) setList(mesh.texCoords0, texCoords(vertexCount));
    if (chance(50)) setList(mesh.texCoords1, texCoords(vertexCount));
    mesh.chunkFlags[below(kChunkTypeCount)] = 1;
    mesh.reserved = below(3);
    mesh.hasTangents = 1;
  }

  float meltingDegree() {
    const float angles[] = {0.0f, 1.0f, 30.0f, 45.0f, 89.9f, 90.0f, 135.0f, 180.0f};
    return angles[below(8)];
  }

 private:
  // Mostly values that sit exactly on, within or just past the tolerance of
  // each other, and around a hash-cell boundary.
  float coordinate() {
    const float bound = 0.00001f;
    const float wall = static_cast<float>(kEdgeCellSize / 2);
    const float values[] = {
        0.0f,         -0.0f, bound, -bound,           2 * bound,        1.0f,
        1.0f + bound, 0.5f,  wall,  wall - bound / 2, wall + bound / 2, -wall - bound,
        3.0f};
    if (chance(1))
      return chance(50) ? std::numeric_limits<float>::quiet_NaN()
                        : std::numeric_limits<float>::infinity();
    if (chance(80)) return values[below(sizeof values / sizeof values[0])];
    return std::uniform_real_distribution<float>(-1.0f, 1.0f)(rng_);
  }

  std::vector<TexCoord2> texCoords(int count) {
    std::vector<TexCoord2> uv(count);
    const bool flat = chance(20);  // zero texture gradients everywhere
    for (TexCoord2& t : uv)
      t = flat ? TexCoord2{0.25f, 0.25f} : TexCoord2{coordinate(), coordinate()};
    return uv;
  }

  std::mt19937 rng_;
};

TEST(GeometryDifferential, ShadowVolumeMatchesTheQuadraticReference) {
  RandomMeshes random(20240611);
  int built = 0, quads = 0;
  for (int round = 0; round < 10000; ++round) {
    MeshGeometry source, fast, slow;
    random.make(source);
    CShadowVolume builder;
    const bool fastOk = builder.create(source, fast);
    ASSERT_EQ(fastOk, reference::shadowVolume(source, slow)) << "mesh " << round;
    expectSameMesh(fast, slow);
    if (HasFailure()) FAIL() << "mesh " << round;
    built += fastOk;
    quads += fast.indices.count > source.indices.count;
  }
  // The random meshes must exercise both matched edges and clean failures.
  EXPECT_GT(built, 9000);
  EXPECT_GT(quads, 4000);
}

TEST(GeometryDifferential, TangentsAndCornerListsMatchTheQuadraticReference) {
  RandomMeshes random(777);
  int built = 0, split = 0;
  for (int round = 0; round < 10000; ++round) {
    MeshGeometry source, fast, slow;
    random.make(source);

    CTangent tangent;
    tangent.bind(source, fast);
    std::vector<reference::CornerList> lists;
    ASSERT_EQ(tangent.computeparents(), reference::collectCorners(source, lists))
        << "mesh " << round;
    for (int v = 0; v < tangent.entries().count; ++v) {
      ASSERT_EQ(listOf(tangent.entries()[v].corners), lists[v].corners) << "mesh " << round;
    }

    const float degrees = random.meltingDegree();
    const bool fastOk = tangent.create(source, fast, degrees);
    ASSERT_EQ(fastOk, reference::tangents(source, slow, degrees)) << "mesh " << round;
    expectSameMesh(fast, slow);
    if (HasFailure()) FAIL() << "mesh " << round << " angle " << degrees;
    built += fastOk;
    split += fast.positions.count > source.positions.count;
  }
  EXPECT_GT(built, 8000);
  EXPECT_GT(split, 2000);
}

}  // namespace
