#include "platform/backend.h"

#include <exception>
#include <new>

#ifdef MESHVIEW_HAVE_GL_BACKEND
#include "platform/gl/gl_backend.h"
#endif

namespace {

// The default until this build carries a real backend: there is no Direct3D
// object, so start-up reports a missing device instead of drawing nothing.
class UnavailableBackend final : public GraphicsBackend {
 public:
  const char* Name() const override { return "none"; }
  IDirect3D9* CreateDirect3D(UINT) override { return nullptr; }
  HRESULT CreateTextureFromFile(IDirect3DDevice9*, LPCSTR, UINT, UINT, UINT, DWORD, D3DFORMAT,
                                D3DPOOL, DWORD, DWORD, D3DCOLOR, D3DXIMAGE_INFO*, PALETTEENTRY*,
                                IDirect3DTexture9** texture) override {
    if (texture != nullptr) *texture = nullptr;
    return D3DERR_NOTAVAILABLE;
  }
  HRESULT CreateEffectFromFile(IDirect3DDevice9*, LPCSTR, const D3DXMACRO*, ID3DXInclude*, DWORD,
                               ID3DXEffectPool*, ID3DXEffect** effect,
                               ID3DXBuffer** errors) override {
    if (effect != nullptr) *effect = nullptr;
    if (errors != nullptr) *errors = nullptr;
    return D3DERR_NOTAVAILABLE;
  }
};

// The one place where the build's backend is chosen: OpenGL when the build
// has it; tests install the recording backend over it.
GraphicsBackend& DefaultGraphicsBackend() {
#ifdef MESHVIEW_HAVE_GL_BACKEND
  return gl_graphics_backend();
#else
  static UnavailableBackend backend;
  return backend;
#endif
}

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
