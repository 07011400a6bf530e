#pragma once
#include <epoxy/gl.h>

#include <memory>
#include <vector>

#include "platform/d3d9.h"
#include "platform/gl/gl_context.h"
#include "platform/gl/gl_enums.h"
#include "platform/gl/gl_ref_counted.h"

class GlTexture;

// A drawing surface: a level of a texture (sharing the texture's life) or
// the device's back buffer (owning its colour storage). Drawing into it
// goes through its framebuffer object, made on first use.
class GlSurface final : public IDirect3DSurface9 {
 public:
  // The back buffer: an RGBA8 renderbuffer of that size; null when GL
  // cannot make it.
  static GlSurface* MakeBackBuffer(std::shared_ptr<GlContext> context, UINT width, UINT height,
                                   D3DFORMAT format);
  GlSurface(GlTexture* container, UINT level, const D3DSURFACE_DESC& desc);

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;

  const D3DSURFACE_DESC& Desc() const { return desc_; }
  GlTexture* Container() const { return container_; }
  bool IsRenderTarget() const { return (desc_.Usage & D3DUSAGE_RENDERTARGET) != 0; }
  // The framebuffer object with this surface as colour attachment 0 (the
  // context must be current); 0 when it cannot be made.
  GLuint Framebuffer();
  // The depth-stencil renderbuffer attached to that framebuffer (0: none).
  GLuint AttachedDepth() const { return attachedDepth_; }
  void SetAttachedDepth(GLuint depth) { attachedDepth_ = depth; }

 private:
  friend class GlTexture;
  ~GlSurface() override;
  void FreeGlObjects();

  std::shared_ptr<GlContext> context_;  // back buffer only
  GlTexture* container_ = nullptr;
  UINT level_ = 0;
  D3DSURFACE_DESC desc_{};
  GLuint framebuffer_ = 0;
  GLuint colorBuffer_ = 0;  // back buffer only
  GLuint attachedDepth_ = 0;
  ULONG references_ = 1;  // back buffer only; levels count on their texture
};

// A 2D texture. Default- and managed-pool textures live in GL; system-memory
// textures keep their texels in a CPU copy and draw as no texture.
class GlTexture final : public GlRefCounted<IDirect3DTexture9> {
 public:
  // levels 0 makes a full chain. Results as Direct3D's CreateTexture.
  static HRESULT Create(std::shared_ptr<GlContext> context, UINT width, UINT height, UINT levels,
                        DWORD usage, D3DFORMAT format, D3DPOOL pool, GlTexture** texture);

  DWORD GetLevelCount() override { return DWORD(levels_.size()); }
  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;

  // Stores level 0 from texels in the texture's format, rows top first and
  // tightly packed, then derives the other levels. Fails with
  // D3DERR_INVALIDCALL when the byte count does not match.
  HRESULT FillLevel0(const void* texels, size_t bytes);

  UINT Width() const { return width_; }
  UINT Height() const { return height_; }
  D3DFORMAT Format() const { return format_; }
  D3DPOOL Pool() const { return pool_; }
  DWORD Usage() const { return usage_; }
  // The GL texture; 0 for system memory, which cannot be sampled.
  GLuint Name() const { return name_; }
  // Level 0 of a system-memory texture.
  const std::vector<uint8_t>& SystemCopy() const { return systemCopy_; }
  const std::shared_ptr<GlContext>& Context() const { return context_; }

 private:
  GlTexture() = default;
  ~GlTexture() override;
  // Levels 1 and on from level 0's bytes (8-bit channels), texture bound.
  void UploadBoxFilteredLevels(const uint8_t* level0);

  std::shared_ptr<GlContext> context_;
  UINT width_ = 0;
  UINT height_ = 0;
  DWORD usage_ = 0;
  D3DFORMAT format_ = D3DFMT_UNKNOWN;
  D3DPOOL pool_ = D3DPOOL_DEFAULT;
  GlTextureFormat glFormat_;
  GLuint name_ = 0;
  std::vector<uint8_t> systemCopy_;
  std::vector<GlSurface*> levels_;  // made on first request
  std::vector<D3DSURFACE_DESC> levelDescs_;
};

// This backend's texture behind an interface pointer; null for another.
GlTexture* AsGlTexture(IDirect3DBaseTexture9* texture);
GlSurface* AsGlSurface(IDirect3DSurface9* surface);
