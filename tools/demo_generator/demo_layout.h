#pragma once
#include "geometry/vector3.h"

// File names and scene placement of the bundled demo. The scene values
// mirror what the viewer does with its two models; the demo's models are
// built to look right from there.
namespace demo {

inline constexpr char kInputFile[] = "input.txt";
inline constexpr char kFigureModel[] = "walker.x_out";
inline constexpr char kWallModel[] = "wall.x_out";  // the viewer loads this name itself
inline constexpr char kFontImage[] = "font.bmp";
inline constexpr char kFontTable[] = "font.fnd";

inline constexpr char kFigureTexture[] = "walker.bmp";
inline constexpr char kFigureNormalMap[] = "walker_normal.bmp";
inline constexpr char kWallTexture[] = "wall.bmp";
inline constexpr char kWallNormalMap[] = "wall_normal.bmp";

// Effect files as the scripts name them: the viewer takes effect names as
// they stand, relative to its start folder (bin/), and the effects sit in
// the effect folder beside it.
inline constexpr char kEffectFolderFromBin[] = "../effect/";
inline constexpr char kSkinnedEffect[] = "skinned.fx";
inline constexpr char kWallEffect[] = "static.fx";  // rigid models
inline constexpr char kShadowVolumeEffect[] = "shadow_volume.fx";

// Where the viewer puts things: the wall model is drawn translated by
// kWallOffset; the light sits at kLightPosition looking along +x; the camera
// starts at kCameraEye looking at the origin with a 90-degree square view.
inline constexpr Vector3 kWallOffset{10.0f, 0.0f, 0.0f};
inline constexpr Vector3 kLightPosition{-10.0f, 0.0f, 0.0f};
inline constexpr Vector3 kCameraEye{0.0f, 0.0f, -10.0f};

// The wall's front: a plane through kWallCentre facing kWallNormal (towards
// both the light and the camera), kWallHalfWidth either side horizontally
// and kWallHalfHeight up and down, kWallThickness deep behind its front.
inline constexpr Vector3 kWallCentre{4.0f, 0.0f, 0.0f};
inline constexpr Vector3 kWallNormal{-0.70710678f, 0.0f, -0.70710678f};
inline constexpr Vector3 kWallAlong{0.70710678f, 0.0f, -0.70710678f};
inline constexpr float kWallHalfWidth = 9.0f;
inline constexpr float kWallHalfHeight = 6.0f;
inline constexpr float kWallThickness = 0.3f;

// The figure turns this far round the vertical axis from facing the camera,
// so that both the camera and the light see it three-quarters on, and
// stands a little right of the origin, so that it stays clear of the
// shadow-map display that covers the left half of the screen. kFigureRoot is
// where its pelvis joint is.
inline constexpr float kFigureYawDegrees = 45.0f;
inline constexpr Vector3 kFigureRoot{1.6f, -0.1f, 0.0f};

}  // namespace demo
