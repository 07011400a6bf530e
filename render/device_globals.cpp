#include "render/device_globals.h"

IDirect3D9* g_d3d = nullptr;
IDirect3DDevice9* g_device = nullptr;
int32_t g_screenWidth = 0;
int32_t g_screenHeight = 0;

void ReleaseDeviceGlobals() {
  if (g_d3d != nullptr) {
    g_d3d->Release();
    g_d3d = nullptr;
  }
  if (g_device != nullptr) {
    g_device->Release();
    g_device = nullptr;
  }
  g_screenWidth = 0;
  g_screenHeight = 0;
}
