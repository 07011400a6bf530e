#pragma once
#include <SDL2/SDL.h>

#include "platform/d3d9.h"
#include "platform/gl/gl_ref_counted.h"

// The Direct3D object of the GL backend: makes devices on SDL windows.
// HAL is a GL 3.3 core context, REF a software-rendered one; SW and NULLREF
// are D3DERR_NOTAVAILABLE.
class GlDirect3D final : public GlRefCounted<IDirect3D9> {
 public:
  explicit GlDirect3D(UINT sdkVersion) : sdkVersion_(sdkVersion) {}

  // The device window comes from the window layer (platform/win).
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                       DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;

  // The same on an SDL window made with SDL_WINDOW_OPENGL, for platform code
  // and tests without a window handle; `hwnd` may be null.
  HRESULT CreateDeviceOnWindow(SDL_Window* window, HWND hwnd, D3DDEVTYPE DeviceType,
                               DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                               IDirect3DDevice9** ppReturnedDeviceInterface);

  UINT SdkVersion() const { return sdkVersion_; }

 private:
  ~GlDirect3D() override = default;

  UINT sdkVersion_;
};
