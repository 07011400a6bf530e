#pragma once
#include <array>
#include <map>
#include <memory>

#include "platform/d3d9.h"
#include "platform/d3d9_device_bindings.h"
#include "platform/d3d9_device_state.h"
#include "platform/record/record_buffers.h"
#include "platform/record/record_object.h"
#include "platform/record/record_texture.h"

// How the recording device holds what is bound to it: by references of its
// own, which are not logged as the caller's AddRef and Release are.
struct RecordBoundObjects {
  using Surface = RecordSurface;
  using VertexBuffer = RecordVertexBuffer;
  using IndexBuffer = RecordIndexBuffer;
  using Texture = RecordTexture;
  static RecordSurface* From(IDirect3DSurface9* object);
  static RecordVertexBuffer* From(IDirect3DVertexBuffer9* object);
  static RecordIndexBuffer* From(IDirect3DIndexBuffer9* object);
  static RecordTexture* From(IDirect3DTexture9* object);
  template <class T>
  static void Keep(T* object) {
    object->Grab();
  }
  template <class T>
  static void Let(T* object) {
    object->Drop();
  }
  static const D3DSURFACE_DESC& Desc(const RecordSurface* surface) { return surface->Desc(); }
};

// A device of the recording backend. Every call is logged with its
// arguments; the device keeps the state the calls set (render, texture-stage
// and sampler states with Direct3D's defaults, transforms, target, viewport,
// bindings, scene) so tests can read it back, and it refuses what Direct3D
// refuses (see each call). It holds references to its Direct3D object, its
// back buffer, the current target and everything bound, as Direct3D does.
class RecordDevice final : public Recorded<IDirect3DDevice9> {
 public:
  RecordDevice(std::shared_ptr<Recorder> recorder, Recorded<IDirect3D9>* direct3d, D3DDEVTYPE type,
               HWND focusWindow, DWORD behaviorFlags, const D3DPRESENT_PARAMETERS& parameters);
  ~RecordDevice() override;

  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                DWORD Stencil) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override;
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override;
  HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
  HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override;
  HRESULT GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override;
  HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override;
  HRESULT GetViewport(D3DVIEWPORT9* pViewport) override;
  HRESULT SetViewport(const D3DVIEWPORT9* pViewport) override;
  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                             IDirect3DVertexBuffer9** ppVertexBuffer,
                             HANDLE* pSharedHandle) override;
  HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override;
  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                        D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                        HANDLE* pSharedHandle) override;
  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                          UINT OffsetInBytes, UINT Stride) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
  HRESULT SetFVF(DWORD FVF) override;
  HRESULT GetFVF(DWORD* pFVF) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                               UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                               UINT primCount) override;
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                          const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) override;

  // A texture made without logging a CreateTexture call (the D3DX loader's
  // own creation); same checks and results as CreateTexture.
  HRESULT MakeTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                      D3DPOOL pool, std::string sourceFile, RecordTexture** texture);

  // ---- state, for tests ----
  D3DDEVTYPE DeviceType() const { return type_; }
  DWORD BehaviorFlags() const { return behaviorFlags_; }
  HWND FocusWindow() const { return focusWindow_; }
  const D3DPRESENT_PARAMETERS& PresentParameters() const { return parameters_; }
  DWORD RenderState(D3DRENDERSTATETYPE state) const { return state_.RenderState(state); }
  DWORD TextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
    return state_.TextureStageState(stage, type);
  }
  DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const {
    return state_.SamplerState(sampler, type);
  }
  // The identity for a transform never set.
  Matrix4 Transform(D3DTRANSFORMSTATETYPE state) const { return state_.Transform(state); }
  const D3DVIEWPORT9& Viewport() const { return state_.Viewport(); }
  RecordSurface* BackBuffer() const { return backBuffer_; }
  RecordSurface* RenderTarget() const { return bindings_.Target(); }
  RecordVertexBuffer* StreamSource(UINT stream) const { return bindings_.StreamAt(stream).buffer; }
  UINT StreamOffset(UINT stream) const { return bindings_.StreamAt(stream).offset; }
  UINT StreamStride(UINT stream) const { return bindings_.StreamAt(stream).stride; }
  RecordIndexBuffer* Indices() const { return bindings_.Indices(); }
  DWORD FVF() const { return state_.FVF(); }
  RecordTexture* BoundTexture(DWORD stage) const { return bindings_.TextureAt(stage); }
  bool InScene() const { return state_.InScene(); }

 private:
  HRESULT CheckTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DPOOL pool,
                       UINT* resolvedLevels) const;

  Recorded<IDirect3D9>* direct3d_;  // held without logging, as bindings are
  D3DDEVTYPE type_;
  HWND focusWindow_;
  DWORD behaviorFlags_;
  D3DPRESENT_PARAMETERS parameters_;
  D3D9DeviceState state_;
  RecordSurface* backBuffer_ = nullptr;
  D3D9DeviceBindings<RecordBoundObjects> bindings_;
};

// The recording device behind an interface pointer; null for another backend.
RecordDevice* AsRecordDevice(IDirect3DDevice9* device);
