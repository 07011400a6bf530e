#pragma once
// The presentation parameters the device tests create their devices with:
// a windowed A8R8G8B8 back buffer of the given size, discarded on Present,
// with a D24S8 automatic depth-stencil buffer and no wait for the display.
#include "platform/d3d9.h"

inline D3DPRESENT_PARAMETERS WindowedPresentParameters(UINT width, UINT height) {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = width;
  parameters.BackBufferHeight = height;
  parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.Windowed = 1;
  parameters.EnableAutoDepthStencil = 1;
  parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  return parameters;
}
