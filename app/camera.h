#pragma once
#include "base/cbase.h"
#include "geometry/matrix4.h"
#include "geometry/vector3.h"

// The viewer's camera: an eye, a point it looks at and an up direction. The
// view and projection it builds are set on the process-wide device at once.
class CCamera : public CBase {
 public:
  // The projection keeps a square aspect whatever the window's shape, so a
  // non-square back buffer shows the scene stretched.
  static constexpr float kAspectRatio = 1.0f;

  CCamera();

  // Perspective projection of fovDegrees (vertical) over zNear..zFar, set as
  // the device's projection transform; the camera keeps no copy.
  void SetProjection(float fovDegrees, float zNear, float zFar);
  void SetEye(float x, float y, float z);
  // Aims at eye + (dx, dy, dz).
  void LookAlong(float dx, float dy, float dz);
  // Rebuilds the view from eye, target and up and sets it on the device.
  void UpdateView();

  void GetEye(Vector3* out) const;
  // Nothing when out is null.
  void GetView(Matrix4* out) const;
  // The device's current projection transform; out is left alone when there
  // is no device.
  void GetProjection(Matrix4* out) const;

 private:
  Vector3 eye{0.0f, 0.0f, 0.0f};
  Vector3 target{0.0f, 0.0f, 1.0f};
  Vector3 up{0.0f, 1.0f, 0.0f};
  Matrix4 view;
};
