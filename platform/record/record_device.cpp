#include "platform/record/record_device.h"

#include <bit>

#include "platform/d3d9_rules.h"
#include "platform/d3d9_util.h"

namespace {

template <class Concrete, class Interface>
Concrete* AsRecorded(Interface* object) {
  return object != nullptr ? dynamic_cast<Concrete*>(object) : nullptr;
}

}  // namespace

RecordDevice* AsRecordDevice(IDirect3DDevice9* device) { return AsRecorded<RecordDevice>(device); }

RecordSurface* RecordBoundObjects::From(IDirect3DSurface9* object) {
  return AsRecorded<RecordSurface>(object);
}
RecordVertexBuffer* RecordBoundObjects::From(IDirect3DVertexBuffer9* object) {
  return AsRecorded<RecordVertexBuffer>(object);
}
RecordIndexBuffer* RecordBoundObjects::From(IDirect3DIndexBuffer9* object) {
  return AsRecorded<RecordIndexBuffer>(object);
}
RecordTexture* RecordBoundObjects::From(IDirect3DTexture9* object) {
  return AsRecorded<RecordTexture>(object);
}

RecordDevice::RecordDevice(std::shared_ptr<Recorder> recorder, Recorded<IDirect3D9>* direct3d,
                           D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                           const D3DPRESENT_PARAMETERS& parameters)
    : Recorded(std::move(recorder), RecordKind::Device, "Device"),
      direct3d_(direct3d),
      type_(type),
      focusWindow_(focusWindow),
      behaviorFlags_(behaviorFlags),
      parameters_(parameters),
      state_(parameters.EnableAutoDepthStencil != 0, BackBufferDesc(parameters)) {
  direct3d_->Grab();
  backBuffer_ = new RecordSurface(sharedRecorder(), nullptr, BackBufferDesc(parameters));
  bindings_.BindFirstTarget(backBuffer_);
}

RecordDevice::~RecordDevice() {
  bindings_.UnbindAll();
  backBuffer_->Drop();
  direct3d_->Drop();
}

// ---- frame -------------------------------------------------------------

HRESULT RecordDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color,
                            float Z, DWORD Stencil) {
  auto call = recorder().Begin(
      "Clear", this, {RecU(Count), RecP(pRects), RecU(Flags), RecU(Color), RecF(Z), RecU(Stencil)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(CheckClear(Count, pRects, Flags, Z, parameters_.EnableAutoDepthStencil));
}

HRESULT RecordDevice::BeginScene() {
  auto call = recorder().Begin("BeginScene", this, {});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.BeginScene());
}

HRESULT RecordDevice::EndScene() {
  auto call = recorder().Begin("EndScene", this, {});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.EndScene());
}

HRESULT RecordDevice::Present(const RECT* pSourceRect, const RECT* pDestRect,
                              HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) {
  auto call = recorder().Begin(
      "Present", this,
      {RecP(pSourceRect), RecP(pDestRect), RecP(hDestWindowOverride), RecP(pDirtyRegion)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(D3D_OK);
}

// ---- states ------------------------------------------------------------

HRESULT RecordDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  auto call = recorder().Begin("SetRenderState", this, {RecU(State), RecU(Value)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.SetRenderState(State, Value));
}

HRESULT RecordDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  auto call = recorder().Begin("GetRenderState", this, {RecU(State), RecP(pValue)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.GetRenderState(State, pValue));
}

HRESULT RecordDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                           DWORD Value) {
  auto call =
      recorder().Begin("SetTextureStageState", this, {RecU(Stage), RecU(Type), RecU(Value)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.SetTextureStageState(Stage, Type, Value));
}

HRESULT RecordDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                           DWORD* pValue) {
  auto call =
      recorder().Begin("GetTextureStageState", this, {RecU(Stage), RecU(Type), RecP(pValue)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.GetTextureStageState(Stage, Type, pValue));
}

HRESULT RecordDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  auto call = recorder().Begin("SetSamplerState", this, {RecU(Sampler), RecU(Type), RecU(Value)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.SetSamplerState(Sampler, Type, Value));
}

HRESULT RecordDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
  auto call = recorder().Begin("GetSamplerState", this, {RecU(Sampler), RecU(Type), RecP(pValue)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.GetSamplerState(Sampler, Type, pValue));
}

HRESULT RecordDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  auto call = recorder().Begin("SetTransform", this, {RecU(State), RecP(pMatrix)}, pMatrix,
                               pMatrix != nullptr ? sizeof(D3DMATRIX) : 0);
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.SetTransform(State, pMatrix));
}

HRESULT RecordDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  auto call = recorder().Begin("GetTransform", this, {RecU(State), RecP(pMatrix)});
  if (call.failure) return call.Finish(*call.failure);
  const HRESULT result = state_.GetTransform(State, pMatrix);
  if (result == D3D_OK) call.AddData(pMatrix, sizeof(D3DMATRIX));
  return call.Finish(result);
}

// ---- destination -------------------------------------------------------

HRESULT RecordDevice::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) {
  auto call =
      recorder().Begin("GetRenderTarget", this, {RecU(RenderTargetIndex), RecP(ppRenderTarget)});
  if (ppRenderTarget != nullptr) *ppRenderTarget = nullptr;
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(bindings_.GetRenderTarget(RenderTargetIndex, ppRenderTarget));
}

HRESULT RecordDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
  auto call =
      recorder().Begin("SetRenderTarget", this, {RecU(RenderTargetIndex), RecP(pRenderTarget)});
  if (call.failure) return call.Finish(*call.failure);
  const HRESULT bound = bindings_.SetRenderTarget(RenderTargetIndex, pRenderTarget);
  if (bound == D3D_OK) state_.TargetChanged(bindings_.TargetDesc());
  return call.Finish(bound);
}

HRESULT RecordDevice::GetViewport(D3DVIEWPORT9* pViewport) {
  auto call = recorder().Begin("GetViewport", this, {RecP(pViewport)});
  if (call.failure) return call.Finish(*call.failure);
  const HRESULT result = state_.GetViewport(pViewport);
  if (result == D3D_OK) call.AddData(pViewport, sizeof(D3DVIEWPORT9));
  return call.Finish(result);
}

HRESULT RecordDevice::SetViewport(const D3DVIEWPORT9* pViewport) {
  auto call = recorder().Begin("SetViewport", this, {RecP(pViewport)}, pViewport,
                               pViewport != nullptr ? sizeof(D3DVIEWPORT9) : 0);
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.SetViewport(pViewport, bindings_.TargetDesc()));
}

// ---- resources ---------------------------------------------------------

HRESULT RecordDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                         IDirect3DVertexBuffer9** ppVertexBuffer,
                                         HANDLE* pSharedHandle) {
  auto call = recorder().Begin("CreateVertexBuffer", this,
                               {RecU(Length), RecU(Usage), RecU(FVF), RecU(Pool),
                                RecP(ppVertexBuffer), RecP(pSharedHandle)});
  if (ppVertexBuffer != nullptr) *ppVertexBuffer = nullptr;
  if (call.failure) return call.Finish(*call.failure);
  const HRESULT checked = CheckVertexBuffer(Length, FVF, Pool, ppVertexBuffer, pSharedHandle);
  if (checked != D3D_OK) return call.Finish(checked);
  *ppVertexBuffer = new RecordVertexBuffer(sharedRecorder(), Length, Usage, FVF, Pool);
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                        IDirect3DIndexBuffer9** ppIndexBuffer,
                                        HANDLE* pSharedHandle) {
  auto call = recorder().Begin("CreateIndexBuffer", this,
                               {RecU(Length), RecU(Usage), RecU(Format), RecU(Pool),
                                RecP(ppIndexBuffer), RecP(pSharedHandle)});
  if (ppIndexBuffer != nullptr) *ppIndexBuffer = nullptr;
  if (call.failure) return call.Finish(*call.failure);
  const HRESULT checked = CheckIndexBuffer(Length, Format, Pool, ppIndexBuffer, pSharedHandle);
  if (checked != D3D_OK) return call.Finish(checked);
  *ppIndexBuffer = new RecordIndexBuffer(sharedRecorder(), Length, Usage, Format, Pool);
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::CheckTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DPOOL pool,
                                   UINT* resolvedLevels) const {
  *resolvedLevels = levels;
  // Every format is accepted: recorded textures hold no texels.
  return ::CheckTexture(width, height, usage, pool, true, recorder().MaxTextureSize(),
                        resolvedLevels);
}

HRESULT RecordDevice::MakeTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, std::string sourceFile,
                                  RecordTexture** texture) {
  *texture = nullptr;
  UINT resolved = 0;
  const HRESULT checked = CheckTexture(width, height, levels, usage, pool, &resolved);
  if (FAILED(checked)) return checked;
  *texture = new RecordTexture(sharedRecorder(), width, height, resolved, usage, format, pool,
                               std::move(sourceFile));
  return D3D_OK;
}

HRESULT RecordDevice::CreateTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage,
                                    D3DFORMAT Format, D3DPOOL Pool, IDirect3DTexture9** ppTexture,
                                    HANDLE* pSharedHandle) {
  auto call = recorder().Begin("CreateTexture", this,
                               {RecU(Width), RecU(Height), RecU(Levels), RecU(Usage), RecU(Format),
                                RecU(Pool), RecP(ppTexture), RecP(pSharedHandle)});
  if (ppTexture != nullptr) *ppTexture = nullptr;
  if (call.failure) return call.Finish(*call.failure);
  if (ppTexture == nullptr || pSharedHandle != nullptr) return call.Finish(D3DERR_INVALIDCALL);
  RecordTexture* texture = nullptr;
  const HRESULT result = MakeTexture(Width, Height, Levels, Usage, Format, Pool, "", &texture);
  *ppTexture = texture;
  return call.Finish(result);
}

// ---- bindings ----------------------------------------------------------

HRESULT RecordDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData,
                                      UINT OffsetInBytes, UINT Stride) {
  auto call =
      recorder().Begin("SetStreamSource", this,
                       {RecU(StreamNumber), RecP(pStreamData), RecU(OffsetInBytes), RecU(Stride)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(bindings_.SetStreamSource(StreamNumber, pStreamData, OffsetInBytes, Stride));
}

HRESULT RecordDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  auto call = recorder().Begin("SetIndices", this, {RecP(pIndexData)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(bindings_.SetIndices(pIndexData));
}

HRESULT RecordDevice::SetFVF(DWORD FVF) {
  auto call = recorder().Begin("SetFVF", this, {RecU(FVF)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.SetFVF(FVF));
}

HRESULT RecordDevice::GetFVF(DWORD* pFVF) {
  auto call = recorder().Begin("GetFVF", this, {RecP(pFVF)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(state_.GetFVF(pFVF));
}

HRESULT RecordDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  auto call = recorder().Begin("SetTexture", this, {RecU(Stage), RecP(pTexture)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(bindings_.SetTexture(Stage, pTexture));
}

// ---- drawing -----------------------------------------------------------

HRESULT RecordDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                           UINT MinVertexIndex, UINT NumVertices, UINT startIndex,
                                           UINT primCount) {
  auto call = recorder().Begin("DrawIndexedPrimitive", this,
                               {RecU(PrimitiveType), RecI(BaseVertexIndex), RecU(MinVertexIndex),
                                RecU(NumVertices), RecU(startIndex), RecU(primCount)});
  if (call.failure) return call.Finish(*call.failure);
  const auto& stream = bindings_.StreamAt(0);
  const RecordIndexBuffer* indices = bindings_.Indices();
  return call.Finish(CheckIndexedDraw(PrimitiveType, primCount, startIndex, indices != nullptr,
                                      indices != nullptr ? indices->IndexCount() : 0,
                                      stream.buffer != nullptr, stream.stride));
}

HRESULT RecordDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                      const void* pVertexStreamZeroData,
                                      UINT VertexStreamZeroStride) {
  const UINT vertices = VertexCountForPrimitives(PrimitiveType, PrimitiveCount);
  const bool readable = pVertexStreamZeroData != nullptr && vertices > 0;
  auto call = recorder().Begin("DrawPrimitiveUP", this,
                               {RecU(PrimitiveType), RecU(PrimitiveCount),
                                RecP(pVertexStreamZeroData), RecU(VertexStreamZeroStride)},
                               pVertexStreamZeroData,
                               readable ? size_t(vertices) * VertexStreamZeroStride : 0);
  if (call.failure) return call.Finish(*call.failure);
  const HRESULT checked =
      CheckUserDraw(PrimitiveType, PrimitiveCount, pVertexStreamZeroData, VertexStreamZeroStride);
  if (checked == D3D_OK) bindings_.AfterUserDraw();
  return call.Finish(checked);
}
