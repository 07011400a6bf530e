#pragma once
#include "platform/d3d9_types.h"

// The Direct3D 9 interfaces this system calls, reduced to the operations it
// uses and with the arguments it passes. Every object is reference counted:
// a creating call hands out one reference, AddRef adds one, Release drops one
// and destroys the object at zero. Backends (platform/gl, platform/record)
// implement these; nothing above platform/ knows which one is in use.
//
// Results follow Direct3D: D3D_OK (0) on success, D3DERR_INVALIDCALL for
// arguments or states the call cannot take, D3DERR_NOTAVAILABLE for a device
// type or feature the machine lacks, D3DERR_OUTOFVIDEOMEMORY when a resource
// cannot be allocated.

class IUnknown {
 public:
  virtual ULONG AddRef() = 0;
  // Returns the references left; the object is gone when that is 0.
  virtual ULONG Release() = 0;

 protected:
  // Objects die through Release only.
  virtual ~IUnknown() = default;
};

class IDirect3DSurface9 : public IUnknown {
 public:
  virtual HRESULT GetDesc(D3DSURFACE_DESC* pDesc) = 0;
};

class IDirect3DTexture9 : public IUnknown {
 public:
  virtual DWORD GetLevelCount() = 0;
  virtual HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) = 0;
  // The surface of one mip level; the caller releases it. A level surface
  // shares its texture's life: holding it keeps the texture alive.
  virtual HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) = 0;
};

// Direct3D binds textures through their base interface; this system has only
// 2D textures.
using IDirect3DBaseTexture9 = IDirect3DTexture9;

class IDirect3DVertexBuffer9 : public IUnknown {
 public:
  // SizeToLock 0 locks from OffsetToLock to the end. The pointer stays valid
  // until Unlock.
  virtual HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) = 0;
};

class IDirect3DIndexBuffer9 : public IUnknown {
 public:
  virtual HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) = 0;
  virtual HRESULT Unlock() = 0;
  virtual HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) = 0;
};

class IDirect3DDevice9 : public IUnknown {
 public:
  // ---- frame ----
  // Count 0 with null rectangles clears the whole viewport.
  virtual HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                        DWORD Stencil) = 0;
  virtual HRESULT BeginScene() = 0;
  virtual HRESULT EndScene() = 0;
  // All four null: the whole back buffer to the device window.
  virtual HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect,
                          HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) = 0;

  // ---- states ----
  virtual HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) = 0;
  virtual HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) = 0;
  virtual HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                       DWORD Value) = 0;
  virtual HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                       DWORD* pValue) = 0;
  virtual HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) = 0;
  virtual HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) = 0;
  virtual HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) = 0;
  virtual HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) = 0;

  // ---- destination ----
  // The current colour target; the caller releases it.
  virtual HRESULT GetRenderTarget(DWORD RenderTargetIndex,
                                  IDirect3DSurface9** ppRenderTarget) = 0;
  // Also resets the viewport to the whole new target, as Direct3D does.
  virtual HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) = 0;
  virtual HRESULT GetViewport(D3DVIEWPORT9* pViewport) = 0;
  // Fails for a rectangle outside the current target or a depth range
  // outside 0..1.
  virtual HRESULT SetViewport(const D3DVIEWPORT9* pViewport) = 0;

  // ---- resources ----
  virtual HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                     IDirect3DVertexBuffer9** ppVertexBuffer,
                                     HANDLE* pSharedHandle) = 0;
  virtual HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                    IDirect3DIndexBuffer9** ppIndexBuffer,
                                    HANDLE* pSharedHandle) = 0;
  // Levels 0 makes a full mip chain.
  virtual HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                                HANDLE* pSharedHandle) = 0;

  // ---- input bindings (the device holds a reference to what is bound) ----
  virtual HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                  UINT OffsetInBytes, UINT Stride) = 0;
  virtual HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) = 0;
  virtual HRESULT SetFVF(DWORD FVF) = 0;
  virtual HRESULT GetFVF(DWORD* pFVF) = 0;
  virtual HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) = 0;

  // ---- drawing ----
  virtual HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                       UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                       UINT primCount) = 0;
  // Vertices from user memory on stream 0; the data is read before the call
  // returns.
  virtual HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                  const void* pVertexStreamZeroData,
                                  UINT VertexStreamZeroStride) = 0;
};

class IDirect3D9 : public IUnknown {
 public:
  // The device window is pPresentationParameters->hDeviceWindow, or the focus
  // window when that is null. A device holds a reference to its IDirect3D9.
  virtual HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                               DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                               IDirect3DDevice9** ppReturnedDeviceInterface) = 0;
};

// The Direct3D object of the backend in use (platform/backend.h); null when
// the backend has none. The SDK version is recorded, not checked.
IDirect3D9* Direct3DCreate9(UINT SDKVersion);
