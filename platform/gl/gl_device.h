#pragma once
#include <epoxy/gl.h>

#include <array>
#include <map>
#include <memory>
#include <vector>

#include "platform/d3d9.h"
#include "platform/d3d9_device.h"
#include "platform/gl/gl_buffers.h"
#include "platform/gl/gl_context.h"
#include "platform/gl/gl_draw_state.h"
#include "platform/gl/gl_fixed_function.h"
#include "platform/gl/gl_shader.h"
#include "platform/gl/gl_texture.h"
#include "platform/gl/gl_vertex_input.h"

// A GL program that draws instead of the fixed-function pipeline while it is
// set (the effect runtime's passes): its vertex inputs by HLSL semantic and
// its position fix-up (see gl_shader.h). Samplers read texture unit n for
// the texture and sampler states of device stage n.
struct GlEffectProgram {
  GLuint program = 0;
  std::vector<GlInputLocation> inputs;
  GlPositionFixup fixup;
};

// The back buffer's pixels as A8R8G8B8 words in memory order (B, G, R, A
// bytes), row 0 the top row.
struct GlImage {
  UINT width = 0;
  UINT height = 0;
  std::vector<uint8_t> bgra;

  // The pixel as a D3DCOLOR (0xAARRGGBB).
  D3DCOLOR Pixel(UINT x, UINT y) const;
};

// How the GL device holds what is bound to it: by counted reference.
struct GlBoundObjects {
  using Surface = GlSurface;
  using VertexBuffer = GlVertexBuffer;
  using IndexBuffer = GlIndexBuffer;
  using Texture = GlTexture;
  static GlSurface* From(IDirect3DSurface9* object) { return AsGlSurface(object); }
  static GlVertexBuffer* From(IDirect3DVertexBuffer9* object) { return AsGlVertexBuffer(object); }
  static GlIndexBuffer* From(IDirect3DIndexBuffer9* object) { return AsGlIndexBuffer(object); }
  static GlTexture* From(IDirect3DTexture9* object) { return AsGlTexture(object); }
  static void Keep(IUnknown* object) { object->AddRef(); }
  static void Let(IUnknown* object) { object->Release(); }
  static const D3DSURFACE_DESC& Desc(const GlSurface* surface) { return surface->Desc(); }
};

// The Direct3D 9 device on an OpenGL 3.3 core context. The back buffer is an
// off-screen RGBA8 framebuffer of the created size with one D24S8
// depth-stencil buffer, shared by every render target; Present scales it
// into the window. Everything is drawn the Direct3D way up: row 0 of every
// target and texture is its top row in GL memory too, only Present flips.
// When the window has the back buffer's size (and its own depth-stencil
// buffer, clip control, a discarding swap and a software rasterizer, whose
// swap leaves the back buffer readable), a frame is drawn straight into
// the window instead, saving Present's copy: clip control then keeps GL's
// lower-left origin, so the image lands upright in the window's bottom-up
// rows, and viewports and scissors are mirrored to match.
class GlDevice final : public D3D9Device<GlBoundObjects> {
 public:
  // Made by GlDirect3D::CreateDevice.
  static HRESULT Create(IDirect3D9* direct3d, std::shared_ptr<GlContext> context, D3DDEVTYPE type,
                        DWORD behaviorFlags, const D3DPRESENT_PARAMETERS& parameters,
                        GlDevice** device);

  ULONG AddRef() override;
  ULONG Release() override;

  // ---- for the effect runtime and the rest of platform/ ----
  // Makes the device's context current (before any GL call of one's own).
  void MakeCurrent() { context_->MakeCurrent(); }
  bool HasClipControl() const { return context_->HasClipControl(); }
  // Draws with this program until it is set back to null (the fixed-function
  // pipeline); the program must stay alive while set.
  void SetEffectProgram(const GlEffectProgram* program) { effect_ = program; }
  const GlEffectProgram* EffectProgram() const { return effect_; }
  const std::shared_ptr<GlContext>& Context() const { return context_; }
  D3DDEVTYPE DeviceType() const { return type_; }
  const D3DPRESENT_PARAMETERS& PresentParameters() const { return parameters_; }

  // The back buffer as it is now (after Present: as it was presented).
  bool ReadBackBuffer(GlImage* image);
  // True while back-buffer frames are drawn straight into the window.
  bool DrawsIntoWindow() const { return drawIntoWindow_; }
  // While on, Present also reads back what it put into the window (before
  // the swap), so tests can see the scaled image.
  void KeepPresentedFrames(bool keep) { keepPresented_ = keep; }
  const GlImage& LastPresentedFrame() const { return lastPresented_; }

 private:
  GlDevice(IDirect3D9* direct3d, std::shared_ptr<GlContext> context, D3DDEVTYPE type,
           DWORD behaviorFlags, const D3DPRESENT_PARAMETERS& parameters);
  ~GlDevice();
  bool MakeGlObjects();

  HRESULT ClearTarget(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z,
                      DWORD stencil) override;
  HRESULT PresentFrame() override;
  HRESULT MakeVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                           IDirect3DVertexBuffer9** buffer) override;
  HRESULT MakeIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DIndexBuffer9** buffer) override;
  HRESULT MakeTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                      D3DPOOL pool, IDirect3DTexture9** texture) override;
  HRESULT DrawIndexed(D3DPRIMITIVETYPE type, INT baseVertex, UINT startIndex,
                      UINT primitiveCount) override;
  HRESULT DrawUser(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                   UINT stride) override;

  // Binds the current target's framebuffer (with the shared depth buffer)
  // and the viewport; false when the target cannot be drawn into.
  bool BindTarget();
  bool EnsureDepthBuffer(UINT width, UINT height);
  // Where the next frame of the back buffer goes (see the class comment).
  void ChooseBackBufferPath();
  // Clip-space origin for drawing into the window (lower-left) or into an
  // off-screen target (upper-left).
  void SetWindowOrientation(bool window);
  // GL's first row of a rectangle of the current target given from the top.
  GLint TargetRow(LONG top, LONG height) const;
  // Copies the window's front or back buffer, turned upright, into image.
  void ReadWindow(GLenum buffer, int width, int height, GlImage* image);
  void ApplyRenderStates();
  void BindTexturesAndSamplers(bool fixedFunction);
  FfSettings FixedFunctionSettings(const FvfLayout& layout) const;
  // Everything a draw needs except the draw call itself, with the vertices
  // in `buffer` from `offset` on.
  bool PrepareDraw(GLuint buffer, uintptr_t offset, GLsizei stride);

  DWORD RenderStateValue(D3DRENDERSTATETYPE state) const { return state_.RenderState(state); }
  float RenderStateFloat(D3DRENDERSTATETYPE state) const { return state_.RenderStateFloat(state); }

  ULONG references_ = 1;
  IDirect3D9* direct3d_;
  std::shared_ptr<GlContext> context_;
  D3DDEVTYPE type_;
  DWORD behaviorFlags_;
  D3DPRESENT_PARAMETERS parameters_;

  GlSurface* backBuffer_ = nullptr;
  const GlEffectProgram* effect_ = nullptr;

  GLuint vertexArray_ = 0;
  GLuint userVertices_ = 0;  // DrawPrimitiveUP's vertices
  GlStreamBuffer userStream_;
  GlDrawState drawState_;
  std::array<GLuint, kMaxSamplers> samplers_{};
  GLuint depthBuffer_ = 0;
  UINT depthWidth_ = 0;
  UINT depthHeight_ = 0;
  GlFixedFunction fixedFunction_;

  bool keepPresented_ = false;
  GlImage lastPresented_;

  // Where the back buffer's latest pixels are: its own framebuffer or the
  // window's back buffer, not yet presented or presented.
  enum class BackBufferPixels { OffScreen, WindowBack, WindowFront };
  // Size aside: the window has a D24S8 depth-stencil buffer, there is clip
  // control, the swap discards, the rasterizer is software, and no read-back
  // after Present has asked for the own framebuffer.
  bool windowCanTakeFrames_ = false;
  bool drawIntoWindow_ = false;
  bool windowOrientation_ = false;
  BackBufferPixels backBufferPixels_ = BackBufferPixels::OffScreen;
};

// This backend's device behind an interface pointer; null for another.
GlDevice* AsGlDevice(IDirect3DDevice9* device);
