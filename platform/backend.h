#pragma once
#include "platform/d3dx9.h"

// The graphics backend behind Direct3DCreate9 and the D3DX loaders. The one
// in use is chosen in backend.cpp and nowhere else: the OpenGL backend for
// the viewer, the recording backend (platform/record) for tests that install
// it with ScopedGraphicsBackend.
class GraphicsBackend {
 public:
  virtual ~GraphicsBackend() = default;

  virtual const char* Name() const = 0;
  virtual IDirect3D9* CreateDirect3D(UINT sdkVersion) = 0;
  // Both loaders receive a device of this backend (or null, which they
  // reject with D3DERR_INVALIDCALL).
  virtual HRESULT CreateTextureFromFile(IDirect3DDevice9* device, LPCSTR file, UINT width,
                                        UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                        D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                        D3DCOLOR colorKey, D3DXIMAGE_INFO* sourceInfo,
                                        PALETTEENTRY* palette, IDirect3DTexture9** texture) = 0;
  virtual HRESULT CreateEffectFromFile(IDirect3DDevice9* device, LPCSTR file,
                                       const D3DXMACRO* defines, ID3DXInclude* include, DWORD flags,
                                       ID3DXEffectPool* pool, ID3DXEffect** effect,
                                       ID3DXBuffer** compilationErrors) = 0;
};

// The backend in use: an installed one, else the default of this build.
GraphicsBackend& CurrentGraphicsBackend();

// The build's own backend, in use while no other is installed.
GraphicsBackend& DefaultGraphicsBackend();

// Installs a backend (not owned; null returns to the default) and gives back
// the one installed before.
GraphicsBackend* InstallGraphicsBackend(GraphicsBackend* backend);

// Installs a backend for the life of the object, then puts the previous one
// back.
class ScopedGraphicsBackend {
 public:
  explicit ScopedGraphicsBackend(GraphicsBackend& backend)
      : previous_(InstallGraphicsBackend(&backend)) {}
  ~ScopedGraphicsBackend() { InstallGraphicsBackend(previous_); }
  ScopedGraphicsBackend(const ScopedGraphicsBackend&) = delete;
  ScopedGraphicsBackend& operator=(const ScopedGraphicsBackend&) = delete;

 private:
  GraphicsBackend* previous_;
};
