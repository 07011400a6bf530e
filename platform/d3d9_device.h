#pragma once
#include <utility>

#include "platform/d3d9.h"
#include "platform/d3d9_call.h"
#include "platform/d3d9_device_bindings.h"
#include "platform/d3d9_device_state.h"
#include "platform/d3d9_rules.h"
#include "platform/d3d9_util.h"

// The Direct3D 9 device every backend builds on: it answers every call the
// system makes with Direct3D's rules, keeps the state and the bindings, and
// leaves a backend only the work that is its own, through the hooks below.
// Alone it is a device that draws nothing. `Objects` says how the backend
// holds what is bound (see D3D9DeviceBindings); `Interface` is what the
// device derives from (IDirect3DDevice9 or a backend's wrapper of it).
//
// Every call runs through Run, where a backend that logs calls or fails
// them on purpose sees each one before it acts; out pointers are cleared
// first, as Direct3D clears them on failure.
template <class Objects, class Interface = IDirect3DDevice9>
class D3D9Device : public Interface {
 public:
  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z,
                DWORD Stencil) override {
    return Run(
        {"Clear",
         {CallU(Count), CallP(pRects), CallU(Flags), CallU(Color), CallF(Z), CallU(Stencil)}},
        [&] {
          const HRESULT checked = CheckClear(Count, pRects, Flags, Z, autoDepthStencil_);
          if (checked != D3D_OK) return checked;
          return ClearTarget(Count, pRects, Flags, Color, Z, Stencil);
        });
  }
  HRESULT BeginScene() override {
    return Run({"BeginScene", {}}, [&] { return state_.BeginScene(); });
  }
  HRESULT EndScene() override {
    return Run({"EndScene", {}}, [&] { return state_.EndScene(); });
  }
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override {
    return Run(
        {"Present",
         {CallP(pSourceRect), CallP(pDestRect), CallP(hDestWindowOverride), CallP(pDirtyRegion)}},
        [&] { return PresentFrame(); });
  }

  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override {
    return Run({"SetRenderState", {CallU(State), CallU(Value)}},
               [&] { return state_.SetRenderState(State, Value); });
  }
  HRESULT GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) override {
    return Run({"GetRenderState", {CallU(State), CallP(pValue)}},
               [&] { return state_.GetRenderState(State, pValue); });
  }
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override {
    return Run({"SetTextureStageState", {CallU(Stage), CallU(Type), CallU(Value)}},
               [&] { return state_.SetTextureStageState(Stage, Type, Value); });
  }
  HRESULT GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD* pValue) override {
    return Run({"GetTextureStageState", {CallU(Stage), CallU(Type), CallP(pValue)}},
               [&] { return state_.GetTextureStageState(Stage, Type, pValue); });
  }
  HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override {
    return Run({"SetSamplerState", {CallU(Sampler), CallU(Type), CallU(Value)}},
               [&] { return state_.SetSamplerState(Sampler, Type, Value); });
  }
  HRESULT GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) override {
    return Run({"GetSamplerState", {CallU(Sampler), CallU(Type), CallP(pValue)}},
               [&] { return state_.GetSamplerState(Sampler, Type, pValue); });
  }
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override {
    return Run({"SetTransform",
                {CallU(State), CallP(pMatrix)},
                pMatrix,
                pMatrix != nullptr ? sizeof(D3DMATRIX) : 0},
               [&] { return state_.SetTransform(State, pMatrix); });
  }
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) override {
    return Run(
        {"GetTransform", {CallU(State), CallP(pMatrix)}, nullptr, 0, pMatrix, sizeof(D3DMATRIX)},
        [&] { return state_.GetTransform(State, pMatrix); });
  }

  HRESULT GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) override {
    if (ppRenderTarget != nullptr) *ppRenderTarget = nullptr;
    return Run({"GetRenderTarget", {CallU(RenderTargetIndex), CallP(ppRenderTarget)}},
               [&] { return bindings_.GetRenderTarget(RenderTargetIndex, ppRenderTarget); });
  }
  HRESULT SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) override {
    return Run({"SetRenderTarget", {CallU(RenderTargetIndex), CallP(pRenderTarget)}}, [&] {
      const HRESULT bound = bindings_.SetRenderTarget(RenderTargetIndex, pRenderTarget);
      if (bound == D3D_OK) state_.TargetChanged(bindings_.TargetDesc());
      return bound;
    });
  }
  HRESULT GetViewport(D3DVIEWPORT9* pViewport) override {
    return Run({"GetViewport", {CallP(pViewport)}, nullptr, 0, pViewport, sizeof(D3DVIEWPORT9)},
               [&] { return state_.GetViewport(pViewport); });
  }
  HRESULT SetViewport(const D3DVIEWPORT9* pViewport) override {
    return Run({"SetViewport",
                {CallP(pViewport)},
                pViewport,
                pViewport != nullptr ? sizeof(D3DVIEWPORT9) : 0},
               [&] { return state_.SetViewport(pViewport, bindings_.TargetDesc()); });
  }

  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                             IDirect3DVertexBuffer9** ppVertexBuffer,
                             HANDLE* pSharedHandle) override {
    if (ppVertexBuffer != nullptr) *ppVertexBuffer = nullptr;
    return Run({"CreateVertexBuffer",
                {CallU(Length), CallU(Usage), CallU(FVF), CallU(Pool), CallP(ppVertexBuffer),
                 CallP(pSharedHandle)}},
               [&] {
                 const HRESULT checked =
                     CheckVertexBuffer(Length, FVF, Pool, ppVertexBuffer, pSharedHandle);
                 if (checked != D3D_OK) return checked;
                 return MakeVertexBuffer(Length, Usage, FVF, Pool, ppVertexBuffer);
               });
  }
  HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override {
    if (ppIndexBuffer != nullptr) *ppIndexBuffer = nullptr;
    return Run({"CreateIndexBuffer",
                {CallU(Length), CallU(Usage), CallU(Format), CallU(Pool), CallP(ppIndexBuffer),
                 CallP(pSharedHandle)}},
               [&] {
                 const HRESULT checked =
                     CheckIndexBuffer(Length, Format, Pool, ppIndexBuffer, pSharedHandle);
                 if (checked != D3D_OK) return checked;
                 return MakeIndexBuffer(Length, Usage, Format, Pool, ppIndexBuffer);
               });
  }
  HRESULT CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                        D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                        HANDLE* pSharedHandle) override {
    if (ppTexture != nullptr) *ppTexture = nullptr;
    return Run({"CreateTexture",
                {CallU(Width), CallU(Height), CallU(Levels), CallU(Usage), CallU(Format),
                 CallU(Pool), CallP(ppTexture), CallP(pSharedHandle)}},
               [&] {
                 if (ppTexture == nullptr || pSharedHandle != nullptr) return D3DERR_INVALIDCALL;
                 return MakeTexture(Width, Height, Levels, Usage, Format, Pool, ppTexture);
               });
  }

  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                          UINT OffsetInBytes, UINT Stride) override {
    return Run({"SetStreamSource",
                {CallU(StreamNumber), CallP(pStreamData), CallU(OffsetInBytes), CallU(Stride)}},
               [&] {
                 return bindings_.SetStreamSource(StreamNumber, pStreamData, OffsetInBytes, Stride);
               });
  }
  HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override {
    return Run({"SetIndices", {CallP(pIndexData)}},
               [&] { return bindings_.SetIndices(pIndexData); });
  }
  HRESULT SetFVF(DWORD FVF) override {
    return Run({"SetFVF", {CallU(FVF)}}, [&] { return state_.SetFVF(FVF); });
  }
  HRESULT GetFVF(DWORD* pFVF) override {
    return Run({"GetFVF", {CallP(pFVF)}}, [&] { return state_.GetFVF(pFVF); });
  }
  // A system-memory texture is accepted; a backend may sample it as none.
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override {
    return Run({"SetTexture", {CallU(Stage), CallP(pTexture)}},
               [&] { return bindings_.SetTexture(Stage, pTexture); });
  }

  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                               UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                               UINT primCount) override {
    return Run({"DrawIndexedPrimitive",
                {CallU(PrimitiveType), CallI(BaseVertexIndex), CallU(MinVertexIndex),
                 CallU(NumVertices), CallU(startIndex), CallU(primCount)}},
               [&] {
                 const auto& stream = bindings_.StreamAt(0);
                 const auto* indices = bindings_.Indices();
                 const HRESULT checked =
                     CheckIndexedDraw(PrimitiveType, primCount, startIndex, indices != nullptr,
                                      indices != nullptr ? indices->IndexCount() : 0,
                                      stream.buffer != nullptr, stream.stride);
                 if (checked != D3D_OK) return checked;
                 return DrawIndexed(PrimitiveType, BaseVertexIndex, startIndex, primCount);
               });
  }
  HRESULT DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                          const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) override {
    const UINT vertices = VertexCountForPrimitives(PrimitiveType, PrimitiveCount);
    const bool readable = pVertexStreamZeroData != nullptr && vertices > 0;
    return Run({"DrawPrimitiveUP",
                {CallU(PrimitiveType), CallU(PrimitiveCount), CallP(pVertexStreamZeroData),
                 CallU(VertexStreamZeroStride)},
                pVertexStreamZeroData,
                readable ? size_t(vertices) * VertexStreamZeroStride : 0},
               [&] {
                 const HRESULT checked = CheckUserDraw(
                     PrimitiveType, PrimitiveCount, pVertexStreamZeroData, VertexStreamZeroStride);
                 if (checked != D3D_OK) return checked;
                 const HRESULT drawn = DrawUser(PrimitiveType, PrimitiveCount,
                                                pVertexStreamZeroData, VertexStreamZeroStride);
                 // Direct3D leaves stream 0 unbound after drawing from user memory.
                 bindings_.AfterUserDraw();
                 return drawn;
               });
  }

 protected:
  using Bindings = D3D9DeviceBindings<Objects>;

  // `interfaceArguments` go to the Interface's constructor.
  template <class... InterfaceArguments>
  D3D9Device(const D3DPRESENT_PARAMETERS& parameters, InterfaceArguments&&... interfaceArguments)
      : Interface(std::forward<InterfaceArguments>(interfaceArguments)...),
        state_(parameters.EnableAutoDepthStencil != 0, BackBufferDesc(parameters)),
        autoDepthStencil_(parameters.EnableAutoDepthStencil != 0) {}

  // ---- hooks ----
  // Sees every call before it acts; `body` is the call's own work. A backend
  // that logs calls records the call here, and may answer without running
  // the body.
  virtual HRESULT Run(const D3D9Call& call, D3D9CallBody body) {
    (void)call;
    return body();
  }
  // The work of calls whose arguments the rules have accepted.
  virtual HRESULT ClearTarget(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color,
                              float z, DWORD stencil) {
    (void)count, (void)rects, (void)flags, (void)color, (void)z, (void)stencil;
    return D3D_OK;
  }
  virtual HRESULT PresentFrame() { return D3D_OK; }
  virtual HRESULT MakeVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                   IDirect3DVertexBuffer9** buffer) = 0;
  virtual HRESULT MakeIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                  IDirect3DIndexBuffer9** buffer) = 0;
  // Checks the size, levels, usage, pool and format (CheckTexture) as well.
  virtual HRESULT MakeTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                              D3DPOOL pool, IDirect3DTexture9** texture) = 0;
  // With indices and stream 0 bound as the rules require.
  virtual HRESULT DrawIndexed(D3DPRIMITIVETYPE type, INT baseVertex, UINT startIndex,
                              UINT primitiveCount) {
    (void)type, (void)baseVertex, (void)startIndex, (void)primitiveCount;
    return D3D_OK;
  }
  virtual HRESULT DrawUser(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                           UINT stride) {
    (void)type, (void)primitiveCount, (void)vertices, (void)stride;
    return D3D_OK;
  }

  D3D9DeviceState state_;
  Bindings bindings_;

 private:
  bool autoDepthStencil_;
};
