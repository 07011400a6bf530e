#include "platform/gl/gl_context.h"

#include <cstring>

#include "platform/gl/gl_test_hooks.h"
#include "platform/win/sdl_window.h"

namespace {

bool g_disableClipControl = false;

bool NamesSoftwareRenderer(const char* renderer) {
  if (renderer == nullptr) return false;
  for (const char* word : {"llvmpipe", "softpipe", "swrast", "Software", "software"}) {
    if (std::strstr(renderer, word) != nullptr) return true;
  }
  return false;
}

}  // namespace

void gl_hook_disable_clip_control(bool disable) { g_disableClipControl = disable; }
bool gl_hook_clip_control_disabled() { return g_disableClipControl; }

std::shared_ptr<GlContext> GlContext::Create(SDL_Window* window, HWND hwnd, D3DDEVTYPE type,
                                             HRESULT* result) {
  *result = D3DERR_NOTAVAILABLE;
  if (type != D3DDEVTYPE_HAL && type != D3DDEVTYPE_REF) return nullptr;
  if (window == nullptr) {
    *result = D3DERR_INVALIDCALL;
    return nullptr;
  }
  platform_request_gl_pixel_format(type == D3DDEVTYPE_REF);
  SDL_GLContext context = SDL_GL_CreateContext(window);
  SDL_GL_ResetAttributes();
  if (context == nullptr) return nullptr;
  if (SDL_GL_MakeCurrent(window, context) != 0 || epoxy_gl_version() < 33 ||
      epoxy_is_desktop_gl() == 0) {
    SDL_GL_DeleteContext(context);
    return nullptr;
  }
  const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  const bool software = NamesSoftwareRenderer(renderer);
  if (type == D3DDEVTYPE_REF && !software) {
    SDL_GL_DeleteContext(context);
    return nullptr;
  }

  std::shared_ptr<GlContext> made(new GlContext());
  made->window_ = window;
  made->context_ = context;
  made->software_ = software;
  made->hwnd_ = hwnd;
  if (hwnd != nullptr) platform_hold_sdl_window(hwnd);
  // Direct3D presents without waiting for the vertical blank.
  SDL_GL_SetSwapInterval(0);
  const bool clipControl =
      epoxy_gl_version() >= 45 || epoxy_has_gl_extension("GL_ARB_clip_control");
  made->clipControl_ = clipControl && !g_disableClipControl;
  if (made->clipControl_) glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &made->maxTextureSize_);
  GLfloat pointRange[2] = {1.0f, 1.0f};
  glGetFloatv(GL_ALIASED_POINT_SIZE_RANGE, pointRange);
  made->maxPointSize_ = pointRange[1];
  *result = D3D_OK;
  return made;
}

GlContext::~GlContext() {
  if (SDL_GL_GetCurrentContext() == context_) SDL_GL_MakeCurrent(nullptr, nullptr);
  SDL_GL_DeleteContext(context_);
  if (spareWindow_ != nullptr) SDL_DestroyWindow(spareWindow_);
  if (hwnd_ != nullptr) platform_release_sdl_window(hwnd_);
}

void GlContext::MakeCurrent() {
  if (SDL_GL_GetCurrentContext() == context_) return;
  if (SDL_GL_MakeCurrent(spareWindow_ != nullptr ? spareWindow_ : window_, context_) == 0) return;
  // The window was destroyed under us (its owner did not hold it): resources
  // still need a context to free their GL objects in, so give the context a
  // small hidden window of the same pixel format to be current on.
  if (spareWindow_ == nullptr) {
    platform_request_gl_pixel_format(software_);
    spareWindow_ = SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    SDL_GL_ResetAttributes();
  }
  if (spareWindow_ != nullptr) SDL_GL_MakeCurrent(spareWindow_, context_);
}
