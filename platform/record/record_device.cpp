#include "platform/record/record_device.h"

#include <bit>

#include "platform/d3d9_util.h"
#include "platform/record/record_direct3d.h"

namespace {

template <class T>
void Replace(T*& held, T* next) {
  if (next != nullptr) next->Grab();
  if (held != nullptr) held->Drop();
  held = next;
}

template <class Concrete, class Interface>
Concrete* AsRecorded(Interface* object) {
  return object != nullptr ? dynamic_cast<Concrete*>(object) : nullptr;
}


const DWORD* Lookup(const std::map<DWORD, DWORD>& states, DWORD key) {
  auto found = states.find(key);
  return found != states.end() ? &found->second : nullptr;
}

}  // namespace

RecordDevice* AsRecordDevice(IDirect3DDevice9* device) { return AsRecorded<RecordDevice>(device); }

RecordDevice::RecordDevice(std::shared_ptr<Recorder> recorder, RecordDirect3D* direct3d,
                           D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                           const D3DPRESENT_PARAMETERS& parameters)
    : Recorded(std::move(recorder), RecordKind::Device, "Device"),
      direct3d_(direct3d),
      type_(type),
      focusWindow_(focusWindow),
      behaviorFlags_(behaviorFlags),
      parameters_(parameters) {
  direct3d_->Grab();
  D3DSURFACE_DESC desc{};
  desc.Format = parameters.BackBufferFormat;
  desc.Type = D3DRTYPE_SURFACE;
  desc.Usage = D3DUSAGE_RENDERTARGET;
  desc.Pool = D3DPOOL_DEFAULT;
  desc.MultiSampleType = parameters.MultiSampleType;
  desc.MultiSampleQuality = parameters.MultiSampleQuality;
  desc.Width = parameters.BackBufferWidth;
  desc.Height = parameters.BackBufferHeight;
  backBuffer_ = new RecordSurface(sharedRecorder(), nullptr, desc);
  Replace(renderTarget_, backBuffer_);
  FullTargetViewport();
  SetDefaultStates();
}

RecordDevice::~RecordDevice() {
  for (RecordTexture*& texture : textures_) Replace(texture, static_cast<RecordTexture*>(nullptr));
  for (Stream& stream : streams_) Replace(stream.buffer, static_cast<RecordVertexBuffer*>(nullptr));
  Replace(indices_, static_cast<RecordIndexBuffer*>(nullptr));
  Replace(renderTarget_, static_cast<RecordSurface*>(nullptr));
  backBuffer_->Drop();
  direct3d_->Drop();
}

void RecordDevice::SetDefaultStates() {
  renderStates_.clear();
  for (const DefaultRenderState& entry : DefaultRenderStates(parameters_.EnableAutoDepthStencil)) {
    renderStates_[entry.state] = entry.value;
  }
  for (DWORD stage = 0; stage < kMaxTextureStages; ++stage) {
    stageStates_[stage] = {
        {D3DTSS_COLOROP, stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE},
        {D3DTSS_COLORARG1, D3DTA_TEXTURE},
        {D3DTSS_COLORARG2, D3DTA_CURRENT},
        {D3DTSS_ALPHAOP, stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE},
        {D3DTSS_ALPHAARG1, D3DTA_TEXTURE},
        {D3DTSS_ALPHAARG2, D3DTA_CURRENT},
        {D3DTSS_TEXCOORDINDEX, stage},
    };
  }
  for (auto& sampler : samplerStates_) {
    sampler = {
        {D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP}, {D3DSAMP_ADDRESSV, D3DTADDRESS_WRAP},
        {D3DSAMP_ADDRESSW, D3DTADDRESS_WRAP}, {D3DSAMP_MAGFILTER, D3DTEXF_POINT},
        {D3DSAMP_MINFILTER, D3DTEXF_POINT},   {D3DSAMP_MIPFILTER, D3DTEXF_NONE},
        {D3DSAMP_MAXANISOTROPY, 1},
    };
  }
}

void RecordDevice::FullTargetViewport() {
  viewport_ = D3DVIEWPORT9{0, 0, renderTarget_->Desc().Width, renderTarget_->Desc().Height, 0.0f,
                           1.0f};
}

// ---- frame -------------------------------------------------------------

HRESULT RecordDevice::Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color,
                            float Z, DWORD Stencil) {
  auto call = recorder().Begin(
      "Clear", this,
      {RecU(Count), RecP(pRects), RecU(Flags), RecU(Color), RecF(Z), RecU(Stencil)});
  if (call.failure) return call.Finish(*call.failure);
  if ((Count > 0 && pRects == nullptr) || Flags == 0) return call.Finish(D3DERR_INVALIDCALL);
  const bool depthOrStencil = (Flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0;
  if (depthOrStencil && !parameters_.EnableAutoDepthStencil) return call.Finish(D3DERR_INVALIDCALL);
  if ((Flags & D3DCLEAR_ZBUFFER) && !(Z >= 0.0f && Z <= 1.0f)) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::BeginScene() {
  auto call = recorder().Begin("BeginScene", this, {});
  if (call.failure) return call.Finish(*call.failure);
  if (inScene_) return call.Finish(D3DERR_INVALIDCALL);
  inScene_ = true;
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::EndScene() {
  auto call = recorder().Begin("EndScene", this, {});
  if (call.failure) return call.Finish(*call.failure);
  if (!inScene_) return call.Finish(D3DERR_INVALIDCALL);
  inScene_ = false;
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::Present(const RECT* pSourceRect, const RECT* pDestRect,
                              HWND hDestWindowOverride, const RGNDATA* pDirtyRegion) {
  auto call = recorder().Begin("Present", this,
                               {RecP(pSourceRect), RecP(pDestRect), RecP(hDestWindowOverride),
                                RecP(pDirtyRegion)});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(D3D_OK);
}

// ---- states ------------------------------------------------------------

HRESULT RecordDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  auto call = recorder().Begin("SetRenderState", this, {RecU(State), RecU(Value)});
  if (call.failure) return call.Finish(*call.failure);
  renderStates_[State] = Value;
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  auto call = recorder().Begin("GetRenderState", this, {RecU(State), RecP(pValue)});
  if (call.failure) return call.Finish(*call.failure);
  if (pValue == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  *pValue = RenderState(State);
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                           DWORD Value) {
  auto call =
      recorder().Begin("SetTextureStageState", this, {RecU(Stage), RecU(Type), RecU(Value)});
  if (call.failure) return call.Finish(*call.failure);
  if (Stage >= kMaxTextureStages) return call.Finish(D3DERR_INVALIDCALL);
  stageStates_[Stage][Type] = Value;
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                           DWORD* pValue) {
  auto call =
      recorder().Begin("GetTextureStageState", this, {RecU(Stage), RecU(Type), RecP(pValue)});
  if (call.failure) return call.Finish(*call.failure);
  if (pValue == nullptr || Stage >= kMaxTextureStages) return call.Finish(D3DERR_INVALIDCALL);
  *pValue = TextureStageState(Stage, Type);
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  auto call =
      recorder().Begin("SetSamplerState", this, {RecU(Sampler), RecU(Type), RecU(Value)});
  if (call.failure) return call.Finish(*call.failure);
  if (Sampler >= kMaxSamplers) return call.Finish(D3DERR_INVALIDCALL);
  samplerStates_[Sampler][Type] = Value;
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
  auto call =
      recorder().Begin("GetSamplerState", this, {RecU(Sampler), RecU(Type), RecP(pValue)});
  if (call.failure) return call.Finish(*call.failure);
  if (pValue == nullptr || Sampler >= kMaxSamplers) return call.Finish(D3DERR_INVALIDCALL);
  *pValue = SamplerState(Sampler, Type);
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  auto call = recorder().Begin("SetTransform", this, {RecU(State), RecP(pMatrix)}, pMatrix,
                               pMatrix != nullptr ? sizeof(D3DMATRIX) : 0);
  if (call.failure) return call.Finish(*call.failure);
  if (pMatrix == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  transforms_[State] = *pMatrix;
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  auto call = recorder().Begin("GetTransform", this, {RecU(State), RecP(pMatrix)});
  if (call.failure) return call.Finish(*call.failure);
  if (pMatrix == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  *pMatrix = Transform(State);
  call.AddData(pMatrix, sizeof(D3DMATRIX));
  return call.Finish(D3D_OK);
}

DWORD RecordDevice::RenderState(D3DRENDERSTATETYPE state) const {
  const DWORD* value = Lookup(renderStates_, state);
  return value != nullptr ? *value : 0;
}

DWORD RecordDevice::TextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
  if (stage >= kMaxTextureStages) return 0;
  const DWORD* value = Lookup(stageStates_[stage], type);
  return value != nullptr ? *value : 0;
}

DWORD RecordDevice::SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const {
  if (sampler >= kMaxSamplers) return 0;
  const DWORD* value = Lookup(samplerStates_[sampler], type);
  return value != nullptr ? *value : 0;
}

Matrix4 RecordDevice::Transform(D3DTRANSFORMSTATETYPE state) const {
  auto found = transforms_.find(state);
  if (found != transforms_.end()) return found->second;
  Matrix4 identity;
  identity.setIdentity();
  return identity;
}

// ---- destination -------------------------------------------------------

HRESULT RecordDevice::GetRenderTarget(DWORD RenderTargetIndex,
                                      IDirect3DSurface9** ppRenderTarget) {
  auto call =
      recorder().Begin("GetRenderTarget", this, {RecU(RenderTargetIndex), RecP(ppRenderTarget)});
  if (ppRenderTarget != nullptr) *ppRenderTarget = nullptr;
  if (call.failure) return call.Finish(*call.failure);
  if (ppRenderTarget == nullptr || RenderTargetIndex >= kMaxRenderTargets) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  renderTarget_->Grab();
  *ppRenderTarget = renderTarget_;
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
  auto call =
      recorder().Begin("SetRenderTarget", this, {RecU(RenderTargetIndex), RecP(pRenderTarget)});
  if (call.failure) return call.Finish(*call.failure);
  RecordSurface* surface = AsRecorded<RecordSurface>(pRenderTarget);
  if (RenderTargetIndex >= kMaxRenderTargets || surface == nullptr ||
      (surface->Desc().Usage & D3DUSAGE_RENDERTARGET) == 0) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  Replace(renderTarget_, surface);
  FullTargetViewport();
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::GetViewport(D3DVIEWPORT9* pViewport) {
  auto call = recorder().Begin("GetViewport", this, {RecP(pViewport)});
  if (call.failure) return call.Finish(*call.failure);
  if (pViewport == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  *pViewport = viewport_;
  call.AddData(pViewport, sizeof(D3DVIEWPORT9));
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::SetViewport(const D3DVIEWPORT9* pViewport) {
  auto call = recorder().Begin("SetViewport", this, {RecP(pViewport)}, pViewport,
                               pViewport != nullptr ? sizeof(D3DVIEWPORT9) : 0);
  if (call.failure) return call.Finish(*call.failure);
  if (pViewport == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  const D3DVIEWPORT9& v = *pViewport;
  const D3DSURFACE_DESC& target = renderTarget_->Desc();
  const bool inside = uint64_t(v.X) + v.Width <= target.Width &&
                      uint64_t(v.Y) + v.Height <= target.Height;
  const bool depthRange = v.MinZ >= 0.0f && v.MinZ <= 1.0f && v.MaxZ >= 0.0f && v.MaxZ <= 1.0f;
  if (!inside || !depthRange) return call.Finish(D3DERR_INVALIDCALL);
  viewport_ = v;
  return call.Finish(D3D_OK);
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
  const bool tooShort = FVF != 0 && Length < VertexSizeOfFVF(FVF);
  if (ppVertexBuffer == nullptr || Length == 0 || tooShort || pSharedHandle != nullptr ||
      Pool == D3DPOOL_SCRATCH) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
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
  const bool knownFormat = Format == D3DFMT_INDEX16 || Format == D3DFMT_INDEX32;
  if (ppIndexBuffer == nullptr || Length == 0 || !knownFormat || pSharedHandle != nullptr ||
      Pool == D3DPOOL_SCRATCH) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  *ppIndexBuffer = new RecordIndexBuffer(sharedRecorder(), Length, Usage, Format, Pool);
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::CheckTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                   D3DPOOL pool, UINT* resolvedLevels) const {
  if (width == 0 || height == 0 || pool == D3DPOOL_SCRATCH) return D3DERR_INVALIDCALL;
  if ((usage & D3DUSAGE_RENDERTARGET) && pool != D3DPOOL_DEFAULT) return D3DERR_INVALIDCALL;
  const UINT chain = FullMipChainLength(width, height);
  if (levels > chain) return D3DERR_INVALIDCALL;
  const bool videoMemory = pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED;
  const UINT limit = recorder().MaxTextureSize();
  if (videoMemory && (width > limit || height > limit)) return D3DERR_OUTOFVIDEOMEMORY;
  *resolvedLevels = levels == 0 ? chain : levels;
  return D3D_OK;
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
  auto call = recorder().Begin(
      "SetStreamSource", this,
      {RecU(StreamNumber), RecP(pStreamData), RecU(OffsetInBytes), RecU(Stride)});
  if (call.failure) return call.Finish(*call.failure);
  RecordVertexBuffer* buffer = AsRecorded<RecordVertexBuffer>(pStreamData);
  if (StreamNumber >= kMaxStreams || (pStreamData != nullptr && buffer == nullptr)) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  Replace(streams_[StreamNumber].buffer, buffer);
  streams_[StreamNumber].offset = OffsetInBytes;
  streams_[StreamNumber].stride = Stride;
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  auto call = recorder().Begin("SetIndices", this, {RecP(pIndexData)});
  if (call.failure) return call.Finish(*call.failure);
  RecordIndexBuffer* buffer = AsRecorded<RecordIndexBuffer>(pIndexData);
  if (pIndexData != nullptr && buffer == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  Replace(indices_, buffer);
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::SetFVF(DWORD FVF) {
  auto call = recorder().Begin("SetFVF", this, {RecU(FVF)});
  if (call.failure) return call.Finish(*call.failure);
  fvf_ = FVF;
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::GetFVF(DWORD* pFVF) {
  auto call = recorder().Begin("GetFVF", this, {RecP(pFVF)});
  if (call.failure) return call.Finish(*call.failure);
  if (pFVF == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  *pFVF = fvf_;
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  auto call = recorder().Begin("SetTexture", this, {RecU(Stage), RecP(pTexture)});
  if (call.failure) return call.Finish(*call.failure);
  RecordTexture* texture = AsRecorded<RecordTexture>(pTexture);
  if (Stage >= kMaxSamplers || (pTexture != nullptr && texture == nullptr)) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  Replace(textures_[Stage], texture);
  return call.Finish(D3D_OK);
}

// ---- drawing -----------------------------------------------------------

HRESULT RecordDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex,
                                           UINT MinVertexIndex, UINT NumVertices,
                                           UINT startIndex, UINT primCount) {
  auto call = recorder().Begin("DrawIndexedPrimitive", this,
                               {RecU(PrimitiveType), RecI(BaseVertexIndex), RecU(MinVertexIndex),
                                RecU(NumVertices), RecU(startIndex), RecU(primCount)});
  if (call.failure) return call.Finish(*call.failure);
  const UINT indexCount = VertexCountForPrimitives(PrimitiveType, primCount);
  const Stream& stream = streams_[0];
  if (indexCount == 0 || indices_ == nullptr || stream.buffer == nullptr || stream.stride == 0 ||
      uint64_t(startIndex) + indexCount > indices_->IndexCount()) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  return call.Finish(D3D_OK);
}

HRESULT RecordDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                                      const void* pVertexStreamZeroData,
                                      UINT VertexStreamZeroStride) {
  const UINT vertices = VertexCountForPrimitives(PrimitiveType, PrimitiveCount);
  const bool readable = pVertexStreamZeroData != nullptr && vertices > 0;
  auto call = recorder().Begin(
      "DrawPrimitiveUP", this,
      {RecU(PrimitiveType), RecU(PrimitiveCount), RecP(pVertexStreamZeroData),
       RecU(VertexStreamZeroStride)},
      pVertexStreamZeroData, readable ? size_t(vertices) * VertexStreamZeroStride : 0);
  if (call.failure) return call.Finish(*call.failure);
  if (!readable || VertexStreamZeroStride == 0) return call.Finish(D3DERR_INVALIDCALL);
  // Direct3D leaves stream 0 unbound after drawing from user memory.
  Replace(streams_[0].buffer, static_cast<RecordVertexBuffer*>(nullptr));
  streams_[0].offset = 0;
  streams_[0].stride = 0;
  return call.Finish(D3D_OK);
}
