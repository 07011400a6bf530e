#include "platform/gl/gl_direct3d.h"

#include "platform/gl/gl_context.h"
#include "platform/gl/gl_device.h"
#include "platform/win/sdl_window.h"

HRESULT GlDirect3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                                 DWORD BehaviorFlags,
                                 D3DPRESENT_PARAMETERS* pPresentationParameters,
                                 IDirect3DDevice9** ppReturnedDeviceInterface) {
  if (ppReturnedDeviceInterface != nullptr) *ppReturnedDeviceInterface = nullptr;
  if (pPresentationParameters == nullptr) return D3DERR_INVALIDCALL;
  HWND window = pPresentationParameters->hDeviceWindow != nullptr
                    ? pPresentationParameters->hDeviceWindow
                    : hFocusWindow;
  if (Adapter != D3DADAPTER_DEFAULT || window == nullptr) return D3DERR_INVALIDCALL;
  SDL_Window* sdlWindow = platform_sdl_window(window);
  if (sdlWindow == nullptr) return D3DERR_INVALIDCALL;
  return CreateDeviceOnWindow(sdlWindow, window, DeviceType, BehaviorFlags,
                              pPresentationParameters, ppReturnedDeviceInterface);
}

HRESULT GlDirect3D::CreateDeviceOnWindow(SDL_Window* window, HWND hwnd, D3DDEVTYPE DeviceType,
                                         DWORD BehaviorFlags,
                                         D3DPRESENT_PARAMETERS* pPresentationParameters,
                                         IDirect3DDevice9** ppReturnedDeviceInterface) {
  if (ppReturnedDeviceInterface != nullptr) *ppReturnedDeviceInterface = nullptr;
  if (ppReturnedDeviceInterface == nullptr || pPresentationParameters == nullptr ||
      window == nullptr) {
    return D3DERR_INVALIDCALL;
  }
  const DWORD modes = BehaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                       D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                       D3DCREATE_MIXED_VERTEXPROCESSING);
  if (modes == 0 || (modes & (modes - 1)) != 0) return D3DERR_INVALIDCALL;
  if (DeviceType != D3DDEVTYPE_HAL && DeviceType != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
  D3DPRESENT_PARAMETERS& parameters = *pPresentationParameters;
  const D3DFORMAT format = parameters.BackBufferFormat;
  if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8 && format != D3DFMT_UNKNOWN) {
    return D3DERR_NOTAVAILABLE;
  }
  // Like a windowed Direct3D device: a zero size takes the window's.
  if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0) {
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window, &width, &height);
    if (parameters.BackBufferWidth == 0) parameters.BackBufferWidth = UINT(width);
    if (parameters.BackBufferHeight == 0) parameters.BackBufferHeight = UINT(height);
  }
  if (parameters.BackBufferFormat == D3DFMT_UNKNOWN) parameters.BackBufferFormat = D3DFMT_X8R8G8B8;
  if (parameters.BackBufferCount == 0) parameters.BackBufferCount = 1;

  HRESULT result = D3DERR_NOTAVAILABLE;
  std::shared_ptr<GlContext> context = GlContext::Create(window, hwnd, DeviceType, &result);
  if (context == nullptr) return FAILED(result) ? result : D3DERR_NOTAVAILABLE;
  GlDevice* device = nullptr;
  result = GlDevice::Create(this, std::move(context), DeviceType, BehaviorFlags, parameters,
                            &device);
  if (FAILED(result)) return result;
  *ppReturnedDeviceInterface = device;
  return D3D_OK;
}
