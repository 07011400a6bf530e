#pragma once
#include "import/transform_math.h"

// Where a converted model goes and how big it is, as the viewer's start
// camera sees it: the larger of its width and height fills kViewShare of the
// view's height at the front of its bounding box, whatever its depth, so a long thin model is as
// easy to see as a round one. The model stays in front of the wall (moving
// towards the camera when it needs the room) and clear of the camera; a model
// much deeper than it is wide or tall is made as big as that room allows.
inline constexpr double kViewShare = 0.3;

struct ViewFit {
  double scale = 1.0;
  Vec3d centre;  // where the box's centre goes
};

// extent: the model's bounding box size as it will stand (x across the view,
// y up, z away from the camera). A box without width and height keeps its
// size and goes to the usual place.
ViewFit fitToView(const Vec3d& extent);

// The scene the fit works in, as the viewer sets it up.
namespace view_room {
inline constexpr Vec3d kPlace{1.5, 0.0, -1.5};  // right of the shadow-map display, before the wall
inline constexpr Vec3d kEye{0.0, 0.0, -10.0};   // looks along +z with a 90-degree square view
inline constexpr double kHalfViewTangent = 1.0;
inline constexpr Vec3d kWallPoint{4.0, 0.0, 0.0};
inline constexpr Vec3d kWallNormal{-0.70710678, 0.0, -0.70710678};  // towards the camera
inline constexpr double kWallMargin = 0.2;
inline constexpr double kNearestDepth = 2.5;  // the camera's near plane is at 1
inline constexpr double kLargestMoveToCamera = 2.0;
}  // namespace view_room
