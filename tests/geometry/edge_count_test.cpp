// The cheap count of edges between identical points that lets the shadow
// volume refuse an oversized mesh before its edge search: never more than the
// search pairs, and the same on meshes whose shared points are bit-identical.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "geometry/edge_partners.h"
#include "tests/support/test_meshes.h"

namespace {

int32_t pairedBySearch(const std::vector<Vector3>& corners) {
  int32_t paired = 0;
  for (int32_t partner : findEdgePartners(corners.data(), static_cast<int32_t>(corners.size()))) {
    paired += partner >= 0;
  }
  return paired;
}

int32_t countedCheaply(const std::vector<Vector3>& corners) {
  return countIdenticalEdgePartners(corners.data(), static_cast<int32_t>(corners.size()));
}

std::vector<Vector3> cornersOf(const MeshGeometry& mesh) {
  std::vector<Vector3> corners;
  for (uint16_t index : listOf(mesh.indices)) corners.push_back(mesh.positions[index]);
  return corners;
}

TEST(IdenticalEdgeCount, MatchesTheSearchWhereSharedPointsAreIdentical) {
  for (auto [rings, sides] : {std::pair{3, 3}, std::pair{16, 9}, std::pair{64, 43}}) {
    MeshGeometry torus;
    makeTorus(torus, rings, sides);
    const std::vector<Vector3> corners = cornersOf(torus);
    EXPECT_EQ(countedCheaply(corners), pairedBySearch(corners)) << rings << " x " << sides;
  }
}

TEST(IdenticalEdgeCount, CountsOnlyWhatTheSearchSurelyPairs) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const Vector3 a{0, 0, 0}, b{1, 0, 0}, c{0, 1, 0}, d{1, 1, 0};
  struct Case {
    const char* name;
    std::vector<Vector3> corners;
    int32_t expected;
  };
  const std::vector<Case> cases = {
      {"two triangles sharing an edge the opposite way", {a, b, c, c, b, d}, 1},
      {"the shared edge running the same way pairs nothing", {a, b, c, b, c, d}, 0},
      {"-0 is the same point as 0", {a, b, c, c, b, Vector3{-0.0f, -0.0f, -0.0f}}, 3},
      {"a point a hair away: the search pairs it, the count does not",
       {a, b, c, Vector3{0.000001f, 1, 0}, b, d},
       0},
      {"a NaN point pairs nothing", {Vector3{nan, 0, 0}, b, c, c, b, Vector3{nan, 0, 0}}, 1},
      {"only later triangles count: the last one's edges are never counted", {a, b, c}, 0},
      {"a trailing partial triangle is ignored", {a, b, c, c, b}, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.name);
    EXPECT_EQ(countedCheaply(test.corners), test.expected);
    EXPECT_LE(countedCheaply(test.corners), pairedBySearch(test.corners));
  }
}

}  // namespace
