#include "platform/backend.h"

#include <exception>
#include <new>

namespace {

GraphicsBackend* g_installedBackend = nullptr;

}  // namespace

GraphicsBackend& CurrentGraphicsBackend() {
  return g_installedBackend != nullptr ? *g_installedBackend : DefaultGraphicsBackend();
}

GraphicsBackend* InstallGraphicsBackend(GraphicsBackend* backend) {
  GraphicsBackend* previous = g_installedBackend;
  g_installedBackend = backend;
  return previous;
}

IDirect3D9* Direct3DCreate9(UINT SDKVersion) {
  return CurrentGraphicsBackend().CreateDirect3D(SDKVersion);
}

HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Width,
                                     UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                     D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                     D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                     PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture) {
  // No exception crosses the D3DX boundary: callers expect an error code.
  try {
    return CurrentGraphicsBackend().CreateTextureFromFile(pDevice, pSrcFile, Width, Height,
                                                          MipLevels, Usage, Format, Pool, Filter,
                                                          MipFilter, ColorKey, pSrcInfo, pPalette,
                                                          ppTexture);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception&) {
    return D3DXERR_INVALIDDATA;
  }
}

HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                  const D3DXMACRO* pDefines, ID3DXInclude* pInclude, DWORD Flags,
                                  ID3DXEffectPool* pPool, ID3DXEffect** ppEffect,
                                  ID3DXBuffer** ppCompilationErrors) {
  try {
    return CurrentGraphicsBackend().CreateEffectFromFile(pDevice, pSrcFile, pDefines, pInclude,
                                                         Flags, pPool, ppEffect,
                                                         ppCompilationErrors);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (const std::exception&) {
    return D3DXERR_INVALIDDATA;
  }
}
