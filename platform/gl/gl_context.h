#pragma once
#include <memory>

#include <SDL2/SDL.h>
#include <epoxy/gl.h>

#include "platform/d3d9_types.h"

// One OpenGL 3.3 core context on an SDL window, shared by a device and every
// resource it made, so resources released after their device still have a
// context to free their GL objects in. Knows how the context maps Direct3D's
// clip space (see HasClipControl).
class GlContext {
 public:
  // HAL: any GL 3.3 core context. REF: a software rasterizer requested
  // explicitly (not accelerated), refused when the driver hands out a
  // hardware one. Other device types are D3DERR_NOTAVAILABLE. `hwnd`, when
  // given, is the window handle whose SDL window is held for the context's
  // life.
  static std::shared_ptr<GlContext> Create(SDL_Window* window, HWND hwnd, D3DDEVTYPE type,
                                           HRESULT* result);
  ~GlContext();
  GlContext(const GlContext&) = delete;
  GlContext& operator=(const GlContext&) = delete;

  // Makes this context current on its window when it is not already.
  void MakeCurrent();

  SDL_Window* Window() const { return window_; }
  // True when glClipControl gives Direct3D's upper-left origin and 0..1
  // depth; otherwise shaders flip y and remap z themselves.
  bool HasClipControl() const { return clipControl_; }
  bool IsSoftware() const { return software_; }
  GLint MaxTextureSize() const { return maxTextureSize_; }
  float MaxPointSize() const { return maxPointSize_; }

 private:
  GlContext() = default;

  SDL_Window* window_ = nullptr;
  SDL_Window* spareWindow_ = nullptr;  // only once window_ is gone
  SDL_GLContext context_ = nullptr;
  HWND hwnd_ = nullptr;
  bool clipControl_ = false;
  bool software_ = false;
  GLint maxTextureSize_ = 0;
  float maxPointSize_ = 1.0f;
};
