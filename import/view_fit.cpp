#include "import/view_fit.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace view_room;

double dot(const Vec3d& a, const Vec3d& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The largest scale at which a box of that extent, centred at centre, fills
// no more than the share and stays clear of the wall and the camera.
double largestScale(const Vec3d& extent, const Vec3d& centre) {
  const double depth = centre.z - kEye.z;
  const double across = std::max(extent.x, extent.y);
  // The share is taken at the box's front, which looks biggest.
  double scale = kViewShare * 2.0 * kHalfViewTangent * depth /
                 (across + kViewShare * kHalfViewTangent * extent.z);
  // How far the box reaches towards the wall per unit of scale.
  const double reach =
      0.5 * (std::abs(kWallNormal.x) * extent.x + std::abs(kWallNormal.y) * extent.y +
             std::abs(kWallNormal.z) * extent.z);
  const double gap = dot(centre - kWallPoint, kWallNormal) - kWallMargin;
  if (reach > 0.0) scale = std::min(scale, gap / reach);
  if (extent.z > 0.0) scale = std::min(scale, 2.0 * (depth - kNearestDepth) / extent.z);
  return std::max(scale, 0.0);
}

}  // namespace

ViewFit fitToView(const Vec3d& extent) {
  ViewFit fit;
  fit.centre = kPlace;
  if (!(std::max(extent.x, extent.y) > 0.0) || !std::isfinite(extent.x + extent.y + extent.z)) {
    return fit;
  }
  // The nearest place (in steps of a hundredth) that gives the largest
  // scale: towards the camera the wall leaves more room but the view less.
  constexpr int kSteps = 200;
  for (int step = 0; step <= kSteps; ++step) {
    const Vec3d centre = kPlace - Vec3d{0.0, 0.0, kLargestMoveToCamera * step / kSteps};
    const double scale = largestScale(extent, centre);
    if (step == 0 || scale > fit.scale * (1.0 + 1e-9)) {
      fit.scale = scale;
      fit.centre = centre;
    }
  }
  return fit;
}
