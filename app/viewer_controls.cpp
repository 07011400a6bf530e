#include "app/viewer_controls.h"

#include <cmath>

#include "app/camera.h"
#include "app/window.h"
#include "render/render_model.h"

void ComputeOrbit(Vector3* eye, Vector3* direction, float angleDegrees, float distance) {
  const float radians = angleDegrees * kDegreesToRadians;
  eye->x = std::cos(radians) * distance;
  eye->z = std::sin(radians) * distance;
  *direction = eye->negate();
  direction->normalize();
}

namespace {

// One press flips the toggle once however long the key is held: the latch
// stays set until the key is released.
void AdvanceToggle(UINT key, int8_t& toggle) {
  if (g_keyLatch[key] == 0) {
    if (g_keyDown[key] != 0) {
      g_keyLatch[key] = 1;
      toggle = static_cast<int8_t>(toggle + 1);
      if (toggle > 1) toggle = 0;
    }
  } else if (g_keyLatch[key] == 1 && g_keyDown[key] == 0) {
    g_keyLatch[key] = 0;
  }
}

// Whole notches of a wheel message; a high-resolution wheel's fraction of a
// notch counts as none.
int WheelNotches(WPARAM wParam) {
  const auto delta = static_cast<int16_t>((wParam >> 16) & 0xFFFF);
  return delta / ViewerControls::kWheelDelta;
}

}  // namespace

ViewerControls::ViewerControls() { modelRotation.setIdentity(); }

void ViewerControls::PlaceCamera(CCamera& camera) {
  ComputeOrbit(&orbitEye, &orbitDirection, orbitAngle, orbitDistance);
  camera.SetEye(orbitEye.x, orbitEye.y, orbitEye.z);
  camera.LookAlong(orbitDirection.x, orbitDirection.y, orbitDirection.z);
  camera.UpdateView();
}

void ViewerControls::SpinStep() {
  if (g_leftDown == 0 || holdSpin) {
    dragging = false;
    return;
  }
  if (!dragging) {
    dragging = true;
    dragStartX = static_cast<int32_t>(g_mouseX);
    dragStartY = static_cast<int32_t>(g_mouseY);
    return;
  }
  const int32_t dx = dragStartX - static_cast<int32_t>(g_mouseX);
  const int32_t dy = static_cast<int32_t>(g_mouseY) - dragStartY;
  modelRotation.rotationYawPitchRoll(static_cast<float>(dx) * kSpinDegreesPerPixel,
                                     static_cast<float>(dy) * kSpinDegreesPerPixel, 0.0f);
}

bool ViewerControls::MessageStep() {
  keptMessage = 0;
  keptWParam = 0;
  MSG msg{};
  if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    keptMessage = msg.message;
    keptWParam = msg.wParam;
    if (msg.message == WM_QUIT) return true;
  }
  return g_keyDown[kEscapeKey] != 0;
}

void ViewerControls::ToggleStep() {
  AdvanceToggle(kPcfKey, pcf);
  AdvanceToggle(kShadowMapKey, drawShadowMap);
}

void ViewerControls::AnimationStep(const RenderModel& model) {
  if (keptMessage != WM_RBUTTONUP) return;
  animationIndex += 1;
  const BoundedArray<NamedAnimation>* animations = model.GetAnimations();
  if (animations != nullptr && animations->count <= animationIndex) animationIndex = 0;
}

void ViewerControls::ZoomAndOrbitStep(CCamera& camera) {
  // Up and Down held together cancel exactly, so they never nudge the
  // distance by a rounding step.
  float zoom = 0.0f;
  if (g_keyDown[kUpKey] != 0) zoom -= kZoomPerFrame;
  if (g_keyDown[kDownKey] != 0) zoom += kZoomPerFrame;
  if (zoom != 0.0f) orbitDistance += zoom;

  const bool wheel = keptMessage == WM_MOUSEWHEEL;
  if (!wheel && orbitDistance == lastDistance) return;
  lastDistance = orbitDistance;

  const int notches = wheel ? WheelNotches(keptWParam) : 0;
  orbitAngle += static_cast<float>(notches) * kDegreesPerNotch;
  if (orbitAngle < 0.0f) orbitAngle += kFullCircle;
  if (orbitAngle > kFullCircle) orbitAngle -= kFullCircle;
  PlaceCamera(camera);
}
