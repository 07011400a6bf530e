// Converted models fill a fixed share of the viewer's view whatever their
// shape, in front of the wall and clear of the camera.
#include "import/view_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "import/model_assembly.h"

namespace {

using namespace view_room;

struct Placed {
  double share;    // larger of width and height over the view's height at the centre
  double wallGap;  // nearest corner to the wall's front
  double depth;    // nearest corner to the camera, along the view
};

Placed placed(const Vec3d& extent, const ViewFit& fit) {
  const Vec3d half = extent * (0.5 * fit.scale);
  const double viewHeight = 2.0 * kHalfViewTangent * (fit.centre.z - half.z - kEye.z);
  Placed out{std::max(extent.x, extent.y) * fit.scale / viewHeight, 1e300, 1e300};
  for (int corner = 0; corner < 8; ++corner) {
    const Vec3d p{fit.centre.x + ((corner & 1) ? half.x : -half.x),
                  fit.centre.y + ((corner & 2) ? half.y : -half.y),
                  fit.centre.z + ((corner & 4) ? half.z : -half.z)};
    const Vec3d fromWall = p - kWallPoint;
    out.wallGap = std::min(out.wallGap, fromWall.x * kWallNormal.x + fromWall.y * kWallNormal.y +
                                            fromWall.z * kWallNormal.z);
    out.depth = std::min(out.depth, p.z - kEye.z);
  }
  return out;
}

}  // namespace

TEST(ViewFit, EveryShapeFillsTheShareInFrontOfTheWall) {
  struct Case {
    const char* shape;
    Vec3d extent;
  };
  const std::vector<Case> cases = {
      {"cube", {1, 1, 1}},
      {"long thin box across the view", {40, 1, 1}},
      {"tall thin box", {1, 40, 1}},
      {"flat plate", {10, 0, 10}},
      {"huge cube in other units", {2000, 2000, 2000}},
      {"tiny box", {1e-4, 2e-4, 1e-4}},
  };
  for (const Case& c : cases) {
    const ViewFit fit = fitToView(c.extent);
    const Placed result = placed(c.extent, fit);
    EXPECT_NEAR(result.share, kViewShare, 1e-3) << c.shape;
    EXPECT_GE(result.wallGap, kWallMargin - 1e-9) << c.shape;
    EXPECT_GE(result.depth, kNearestDepth - 1e-9) << c.shape;
    EXPECT_EQ(fit.centre.x, kPlace.x) << c.shape;
    EXPECT_EQ(fit.centre.y, kPlace.y) << c.shape;
  }
}

TEST(ViewFit, ALongBoxAndACubeFillTheSameShareWhereTheDiagonalWouldNot) {
  const Vec3d cube{1, 1, 1}, bar{40, 1, 1};
  EXPECT_NEAR(placed(cube, fitToView(cube)).share, placed(bar, fitToView(bar)).share, 1e-3);
  // The long box needs no room from the wall: it stays at the usual place.
  EXPECT_EQ(fitToView(bar).centre.z, kPlace.z);
}

TEST(ViewFit, ABoxDeeperThanWideIsAsBigAsTheRoomAllows) {
  const Vec3d deep{1, 1, 40};
  const ViewFit fit = fitToView(deep);
  const Placed result = placed(deep, fit);
  EXPECT_LT(result.share, kViewShare);
  EXPECT_GT(fit.scale, 0.0);
  // The room is used up: the wall or the camera is as near as allowed.
  EXPECT_TRUE(std::abs(result.wallGap - kWallMargin) < 1e-6 ||
              std::abs(result.depth - kNearestDepth) < 1e-6)
      << result.wallGap << " " << result.depth;
}

TEST(ViewFit, ABoxWithoutWidthAndHeightKeepsItsSize) {
  for (const Vec3d& extent : {Vec3d{0, 0, 0}, Vec3d{0, 0, 5}, Vec3d{NAN, 1, 1}}) {
    const ViewFit fit = fitToView(extent);
    EXPECT_EQ(fit.scale, 1.0);
    EXPECT_EQ(fit.centre.z, kPlace.z);
  }
}
