#pragma once
#include <cstdint>

#include "geometry/matrix4.h"
#include "geometry/vector3.h"
#include "platform/win/windows_api.h"

class CCamera;
class RenderModel;

// The eye on a horizontal circle of radius distance round the origin at
// angleDegrees (eye.y is left as it is), and the unit direction from it to
// the origin ((0, 0, 0) when the eye is at the origin).
void ComputeOrbit(Vector3* eye, Vector3* direction, float angleDegrees, float distance);

// What the user's input has done to the view, and the per-frame steps that
// turn input into camera and model changes. The main loop runs the steps in
// its fixed frame order.
class ViewerControls {
 public:
  static constexpr float kStartAngle = 270.0f;
  static constexpr float kStartDistance = 10.0f;
  static constexpr float kSpinDegreesPerPixel = 1.1f;
  static constexpr float kZoomPerFrame = 0.01f;
  static constexpr float kDegreesPerNotch = 10.0f;
  static constexpr int kWheelDelta = WHEEL_DELTA;
  static constexpr float kFullCircle = 360.0f;
  static constexpr int32_t kStartAnimation = 2;

  static constexpr UINT kEscapeKey = 0x1B;
  static constexpr UINT kUpKey = 0x26;
  static constexpr UINT kDownKey = 0x28;
  static constexpr UINT kShadowMapKey = 0x4F;  // O
  static constexpr UINT kPcfKey = 0x50;        // P

  ViewerControls();

  // Puts the camera on its circle at the current angle and distance.
  void PlaceCamera(CCamera& camera);

  // While the left button is held, rotates the model by the pointer's offset
  // from where the drag began (rebuilt each frame, not accumulated).
  void SpinStep();
  // Takes at most one message from the queue and dispatches it, keeping its
  // identifier and wParam for the rest of the frame. True when the viewer is
  // to end: the quit message arrived or Escape is held.
  bool MessageStep();
  // P flips the PCF toggle and O the shadow-map toggle, once per press.
  void ToggleStep();
  // A right-button release selects the model's next animation, wrapping to
  // the first past the last.
  void AnimationStep(const RenderModel& model);
  // Up and Down change the distance; a wheel message moves the camera round
  // the circle. The camera is rebuilt only when either happened.
  void ZoomAndOrbitStep(CCamera& camera);

  float orbitAngle = kStartAngle;
  float orbitDistance = kStartDistance;
  float lastDistance = kStartDistance;
  Vector3 orbitEye;
  Vector3 orbitDirection;
  bool dragging = false;
  int32_t dragStartX = 0;
  int32_t dragStartY = 0;
  Matrix4 modelRotation;
  int8_t pcf = 0;
  int8_t drawShadowMap = 0;
  int32_t animationIndex = kStartAnimation;

  // The message removed in this frame; 0 when none was.
  UINT keptMessage = 0;
  WPARAM keptWParam = 0;
  // Set while the left button is busy elsewhere (seeking on the timeline):
  // the model does not spin.
  bool holdSpin = false;
};
