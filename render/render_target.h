#pragma once
#include "geometry/matrix4.h"
#include "platform/d3d9.h"

class Texture;

// One complete drawing destination of the device: the colour surface, the
// World, View and Projection transforms and the viewport. Either saved from
// the device (the screen) or made for a render-target texture (the shadow
// map), and made current again with Apply. Holds one reference to its
// surface; the texture is not owned.
class RenderTarget {
 public:
  RenderTarget();
  ~RenderTarget();
  RenderTarget(const RenderTarget&) = delete;
  RenderTarget& operator=(const RenderTarget&) = delete;

  // Reads the device's current target, transforms and viewport.
  bool SaveFromDevice();
  // For level 0 of a render-target texture. Missing matrices default to the
  // identity World, a View from the origin along +z and a 90-degree
  // projection with the texture's aspect over zn..zf. The viewport is the
  // whole texture with depth range 0..1.
  bool InitForTexture(Texture* texture, float zn, float zf, const Matrix4* world = nullptr,
                      const Matrix4* view = nullptr, const Matrix4* proj = nullptr);
  // Sets target, World, View, Projection and viewport, stopping at the first
  // call that fails.
  bool Apply();
  // Store the matrix and, once valid, set it on the device at once.
  void SetWorld(const Matrix4& world);
  void SetView(const Matrix4& view);

  void GetWorld(Matrix4& out) const { out = world_; }
  void GetView(Matrix4& out) const { out = view_; }
  void GetProj(Matrix4& out) const { out = proj_; }
  Texture* GetTexture() const { return texture_; }
  const D3DVIEWPORT9& GetViewport() const { return viewport_; }
  IDirect3DSurface9* GetSurface() const { return surface_; }
  bool IsValid() const { return valid_; }

  // Drops the surface reference and the texture; matrices and viewport stay.
  void Reset();

 private:
  IDirect3DSurface9* surface_ = nullptr;
  Matrix4 world_;
  Matrix4 view_;
  Matrix4 proj_;
  D3DVIEWPORT9 viewport_;
  bool valid_ = false;
  Texture* texture_ = nullptr;
};
