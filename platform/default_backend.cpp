#include "platform/backend.h"

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

}  // namespace

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
