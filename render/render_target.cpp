#include "render/render_target.h"

#include "render/device_globals.h"
#include "render/texture.h"

namespace {
constexpr float kDefaultFieldOfViewDegrees = 90.0f;
}

RenderTarget::RenderTarget() : viewport_{0, 0, 0, 0, 0.0f, 1.0f} {}

RenderTarget::~RenderTarget() { Reset(); }

void RenderTarget::Reset() {
  if (surface_ != nullptr) {
    surface_->Release();
    surface_ = nullptr;
  }
  valid_ = false;
  texture_ = nullptr;
}

bool RenderTarget::SaveFromDevice() {
  Reset();
  if (g_device == nullptr) return false;
  if (g_device->GetRenderTarget(0, &surface_) != D3D_OK) {
    surface_ = nullptr;
    return false;
  }
  if (g_device->GetTransform(D3DTS_WORLD, &world_) != D3D_OK) return false;
  if (g_device->GetTransform(D3DTS_VIEW, &view_) != D3D_OK) return false;
  if (g_device->GetTransform(D3DTS_PROJECTION, &proj_) != D3D_OK) return false;
  if (g_device->GetViewport(&viewport_) != D3D_OK) return false;
  valid_ = true;
  return true;
}

bool RenderTarget::InitForTexture(Texture* texture, float zn, float zf, const Matrix4* world,
                                  const Matrix4* view, const Matrix4* proj) {
  Reset();
  if (texture == nullptr) return false;
  int32_t width = 0;
  int32_t height = 0;
  texture->GetSize(&width, &height);
  IDirect3DTexture9* d3dTexture = texture->GetD3DTexture();
  if (width < 1 || height < 1 || d3dTexture == nullptr) return false;
  if (d3dTexture->GetSurfaceLevel(0, &surface_) != D3D_OK) {
    surface_ = nullptr;
    return false;
  }

  if (world != nullptr) {
    world_ = *world;
  } else {
    world_.setIdentity();
  }
  if (view != nullptr) {
    view_ = *view;
  } else {
    view_.lookAt(Vector3{0.0f, 0.0f, 0.0f}, Vector3{0.0f, 0.0f, 1.0f}, Vector3{0.0f, 1.0f, 0.0f});
  }
  if (proj != nullptr) {
    proj_ = *proj;
  } else {
    proj_.perspectiveFov(kDefaultFieldOfViewDegrees, float(width) / float(height), zn, zf);
  }
  // The device takes depth ranges within 0..1 only; zn and zf already shape
  // the projection.
  viewport_ = D3DVIEWPORT9{0, 0, static_cast<DWORD>(width), static_cast<DWORD>(height), 0.0f,
                           1.0f};
  texture_ = texture;
  valid_ = true;
  return true;
}

bool RenderTarget::Apply() {
  if (!valid_ || g_device == nullptr) return false;
  if (g_device->SetRenderTarget(0, surface_) != D3D_OK) return false;
  if (g_device->SetTransform(D3DTS_WORLD, &world_) != D3D_OK) return false;
  if (g_device->SetTransform(D3DTS_VIEW, &view_) != D3D_OK) return false;
  if (g_device->SetTransform(D3DTS_PROJECTION, &proj_) != D3D_OK) return false;
  return g_device->SetViewport(&viewport_) == D3D_OK;
}

void RenderTarget::SetWorld(const Matrix4& world) {
  world_ = world;
  if (valid_ && g_device != nullptr) g_device->SetTransform(D3DTS_WORLD, &world_);
}

void RenderTarget::SetView(const Matrix4& view) {
  view_ = view;
  if (valid_ && g_device != nullptr) g_device->SetTransform(D3DTS_VIEW, &view_);
}
