#include "app/camera.h"

#include "platform/d3dx9.h"
#include "render/device_globals.h"

CCamera::CCamera() { view.setIdentity(); }

void CCamera::SetProjection(float fovDegrees, float zNear, float zFar) {
  Matrix4 projection;
  D3DXMatrixPerspectiveFovLH(&projection, fovDegrees * kDegreesToRadians, kAspectRatio, zNear,
                             zFar);
  if (g_device != nullptr) g_device->SetTransform(D3DTS_PROJECTION, &projection);
}

void CCamera::SetEye(float x, float y, float z) { eye = Vector3{x, y, z}; }

void CCamera::LookAlong(float dx, float dy, float dz) {
  target = Vector3{eye.x + dx, eye.y + dy, eye.z + dz};
}

void CCamera::UpdateView() {
  D3DXMatrixLookAtLH(&view, &eye, &target, &up);
  if (g_device != nullptr) g_device->SetTransform(D3DTS_VIEW, &view);
}

void CCamera::GetEye(Vector3* out) const {
  if (out != nullptr) *out = eye;
}

void CCamera::GetView(Matrix4* out) const {
  if (out != nullptr) *out = view;
}

void CCamera::GetProjection(Matrix4* out) const {
  if (out != nullptr && g_device != nullptr) g_device->GetTransform(D3DTS_PROJECTION, out);
}
