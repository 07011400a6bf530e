#include "platform/gl/gl_backend.h"

#include <new>

#include "platform/gl/gl_device.h"
#include "platform/gl/gl_direct3d.h"
#include "platform/gl/gl_effect.h"
#include "platform/gl/gl_texture_file.h"

namespace {

GlEffectCompiler g_effectCompiler = gl_create_effect_from_file;

class GlGraphicsBackend final : public GraphicsBackend {
 public:
  const char* Name() const override { return "gl"; }

  IDirect3D9* CreateDirect3D(UINT sdkVersion) override {
    return new (std::nothrow) GlDirect3D(sdkVersion);
  }

  HRESULT CreateTextureFromFile(IDirect3DDevice9* device, LPCSTR file, UINT width, UINT height,
                                UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                D3DXIMAGE_INFO* sourceInfo, PALETTEENTRY* palette,
                                IDirect3DTexture9** texture) override {
    return gl_create_texture_from_file(device, file, width, height, mipLevels, usage, format,
                                       pool, filter, mipFilter, colorKey, sourceInfo, palette,
                                       texture);
  }

  HRESULT CreateEffectFromFile(IDirect3DDevice9* device, LPCSTR file, const D3DXMACRO* defines,
                               ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool,
                               ID3DXEffect** effect, ID3DXBuffer** errors) override {
    if (effect != nullptr) *effect = nullptr;
    if (errors != nullptr) *errors = nullptr;
    GlDevice* glDevice = AsGlDevice(device);
    if (glDevice == nullptr || file == nullptr || effect == nullptr) return D3DERR_INVALIDCALL;
    if (g_effectCompiler == nullptr) return D3DERR_NOTAVAILABLE;
    return g_effectCompiler(*glDevice, file, defines, include, flags, pool, effect, errors);
  }
};

}  // namespace

GraphicsBackend& gl_graphics_backend() {
  static GlGraphicsBackend backend;
  return backend;
}

void gl_set_effect_compiler(GlEffectCompiler compiler) { g_effectCompiler = compiler; }
