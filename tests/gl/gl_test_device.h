#pragma once
// A headless device of the OpenGL backend on an SDL window of its own, for
// the pixel and resource tests (SDL's offscreen video driver unless the
// environment chooses another).
#include <SDL2/SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/d3dx9.h"
#include "platform/gl/gl_device.h"
#include "platform/gl/gl_direct3d.h"
#include "platform/gl/gl_test_hooks.h"
#include "platform/gl/gl_texture.h"
#include "platform/win/sdl_window.h"
#include "tests/support/present_parameters.h"

class GlTestDevice {
 public:
  // The window has the back buffer's size unless one is given.
  GlTestDevice(UINT width, UINT height, D3DDEVTYPE type = D3DDEVTYPE_HAL, int windowWidth = 0,
               int windowHeight = 0) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return;
    // Loaded once for the whole run: SDL unloads the GL driver with the last
    // GL window otherwise, and the driver leaks a little on each unload.
    static const bool driverLoaded = SDL_GL_LoadLibrary(nullptr) == 0;
    if (!driverLoaded) return;
    // The window's pixel format is fixed when it is made: ask for what the
    // backend's context wants, as the window layer does.
    platform_request_gl_pixel_format(false);
    window_ = SDL_CreateWindow("gl test", 0, 0, windowWidth > 0 ? windowWidth : int(width),
                               windowHeight > 0 ? windowHeight : int(height),
                               SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE);
    if (window_ == nullptr) return;
    direct3d_ = new GlDirect3D(31);
    D3DPRESENT_PARAMETERS parameters = WindowedPresentParameters(width, height);
    result_ = direct3d_->CreateDeviceOnWindow(
        window_, nullptr, type, D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device_);
  }
  ~GlTestDevice() {
    if (device_ != nullptr) device_->Release();
    if (direct3d_ != nullptr) direct3d_->Release();
    if (window_ != nullptr) SDL_DestroyWindow(window_);
  }
  GlTestDevice(const GlTestDevice&) = delete;
  GlTestDevice& operator=(const GlTestDevice&) = delete;

  bool ok() const { return device_ != nullptr; }
  HRESULT result() const { return result_; }
  IDirect3DDevice9* operator->() const { return device_; }
  IDirect3DDevice9* get() const { return device_; }
  GlDevice* gl() const { return AsGlDevice(device_); }
  SDL_Window* window() const { return window_; }

  GlImage Capture() const {
    GlImage image;
    EXPECT_TRUE(gl()->ReadBackBuffer(&image));
    return image;
  }

 private:
  SDL_Window* window_ = nullptr;
  GlDirect3D* direct3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  HRESULT result_ = E_FAIL;
};

// Forces the shader fall-back for clip space while alive.
class NoClipControl {
 public:
  explicit NoClipControl(bool on) { gl_hook_disable_clip_control(on); }
  ~NoClipControl() { gl_hook_disable_clip_control(false); }
};

struct Releaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
template <class T>
using Held = std::unique_ptr<T, Releaser>;

// A managed A8R8G8B8 texture of these texels (0xAARRGGBB, rows top first).
inline Held<IDirect3DTexture9> MakeTexture(IDirect3DDevice9* device, UINT width, UINT height,
                                           const std::vector<D3DCOLOR>& texels) {
  IDirect3DTexture9* texture = nullptr;
  EXPECT_EQ(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                  nullptr),
            D3D_OK);
  if (texture != nullptr) {
    EXPECT_EQ(AsGlTexture(texture)->FillLevel0(texels.data(), texels.size() * 4), D3D_OK);
  }
  return Held<IDirect3DTexture9>(texture);
}
inline Held<IDirect3DTexture9> MakeTexture(const GlTestDevice& device, UINT width, UINT height,
                                           const std::vector<D3DCOLOR>& texels) {
  return MakeTexture(device.get(), width, height, texels);
}

inline void UseDiffuseColour(IDirect3DDevice9* device) {
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
}

// Camera at the origin looking along +z, 90 degrees, square pixels: a point
// (x, y, z) lands on pixel ((x/z + 1) * w/2, (1 - y/z * w/h) * h/2).
inline void LookAlongZ(IDirect3DDevice9* device, float aspect) {
  Matrix4 identity;
  identity.setIdentity();
  Matrix4 projection;
  D3DXMatrixPerspectiveFovLH(&projection, 3.14159265f / 2.0f, aspect, 1.0f, 100.0f);
  device->SetTransform(D3DTS_WORLD, &identity);
  device->SetTransform(D3DTS_VIEW, &identity);
  device->SetTransform(D3DTS_PROJECTION, &projection);
}

// "RRGGBB" of a pixel, for readable failures.
inline DWORD Rgb(D3DCOLOR color) { return color & 0x00FFFFFF; }

// One level of a GL texture as D3DCOLOR values, row 0 first.
inline std::vector<D3DCOLOR> ReadLevel(GlTestDevice& device, IDirect3DTexture9* texture,
                                       UINT level) {
  D3DSURFACE_DESC desc{};
  texture->GetLevelDesc(level, &desc);
  std::vector<D3DCOLOR> texels(size_t(desc.Width) * desc.Height);
  device.gl()->MakeCurrent();
  glBindTexture(GL_TEXTURE_2D, AsGlTexture(texture)->Name());
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glGetTexImage(GL_TEXTURE_2D, GLint(level), GL_BGRA, GL_UNSIGNED_BYTE, texels.data());
  glBindTexture(GL_TEXTURE_2D, 0);
  return texels;
}
