#include "platform/d3d9_device_state.h"

#include <bit>

#include "platform/d3d9_rules.h"
#include "platform/d3d9_util.h"

D3D9DeviceState::D3D9DeviceState(bool autoDepthStencil, const D3DSURFACE_DESC& target) {
  for (const DefaultRenderState& entry : DefaultRenderStates(autoDepthStencil)) {
    renderStates_[entry.state] = entry.value;
  }
  for (DWORD stage = 0; stage < kMaxTextureStages; ++stage) {
    auto& states = stageStates_[stage];
    states[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    states[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    states[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    states[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    states[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    states[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    states[D3DTSS_TEXCOORDINDEX] = stage;
  }
  for (auto& sampler : samplerStates_) {
    sampler[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    sampler[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    sampler[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    sampler[D3DSAMP_MAXANISOTROPY] = 1;
  }
  samplerChanged_.fill(true);
  viewport_ = FullViewport(target);
}

HRESULT D3D9DeviceState::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  if (state >= kRenderStateCount) return D3DERR_INVALIDCALL;
  if (renderStates_[state] != value) renderStateChanged_ = true;
  renderStates_[state] = value;
  return D3D_OK;
}

HRESULT D3D9DeviceState::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const {
  if (value == nullptr || state >= kRenderStateCount) return D3DERR_INVALIDCALL;
  *value = renderStates_[state];
  return D3D_OK;
}

HRESULT D3D9DeviceState::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD value) {
  if (stage >= kMaxTextureStages || type >= kStageStateCount) return D3DERR_INVALIDCALL;
  stageStates_[stage][type] = value;
  return D3D_OK;
}

HRESULT D3D9DeviceState::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type,
                                              DWORD* value) const {
  if (value == nullptr || stage >= kMaxTextureStages || type >= kStageStateCount) {
    return D3DERR_INVALIDCALL;
  }
  *value = stageStates_[stage][type];
  return D3D_OK;
}

HRESULT D3D9DeviceState::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value) {
  if (sampler >= kMaxSamplers || type >= kSamplerStateCount) return D3DERR_INVALIDCALL;
  samplerStates_[sampler][type] = value;
  samplerChanged_[sampler] = true;
  return D3D_OK;
}

HRESULT D3D9DeviceState::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type,
                                         DWORD* value) const {
  if (value == nullptr || sampler >= kMaxSamplers || type >= kSamplerStateCount) {
    return D3DERR_INVALIDCALL;
  }
  *value = samplerStates_[sampler][type];
  return D3D_OK;
}

HRESULT D3D9DeviceState::SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix) {
  if (matrix == nullptr) return D3DERR_INVALIDCALL;
  transforms_[state] = *matrix;
  return D3D_OK;
}

HRESULT D3D9DeviceState::GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) const {
  if (matrix == nullptr) return D3DERR_INVALIDCALL;
  *matrix = Transform(state);
  return D3D_OK;
}

HRESULT D3D9DeviceState::SetViewport(const D3DVIEWPORT9* viewport, const D3DSURFACE_DESC& target) {
  const HRESULT checked = CheckViewport(viewport, target);
  if (checked == D3D_OK) viewport_ = *viewport;
  return checked;
}

HRESULT D3D9DeviceState::GetViewport(D3DVIEWPORT9* viewport) const {
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  *viewport = viewport_;
  return D3D_OK;
}

HRESULT D3D9DeviceState::SetFVF(DWORD fvf) {
  fvf_ = fvf;
  return D3D_OK;
}

HRESULT D3D9DeviceState::GetFVF(DWORD* fvf) const {
  if (fvf == nullptr) return D3DERR_INVALIDCALL;
  *fvf = fvf_;
  return D3D_OK;
}

HRESULT D3D9DeviceState::BeginScene() {
  if (inScene_) return D3DERR_INVALIDCALL;
  inScene_ = true;
  return D3D_OK;
}

HRESULT D3D9DeviceState::EndScene() {
  if (!inScene_) return D3DERR_INVALIDCALL;
  inScene_ = false;
  return D3D_OK;
}

void D3D9DeviceState::TargetChanged(const D3DSURFACE_DESC& target) {
  viewport_ = FullViewport(target);
}

DWORD D3D9DeviceState::RenderState(D3DRENDERSTATETYPE state) const {
  return state < kRenderStateCount ? renderStates_[state] : 0;
}

float D3D9DeviceState::RenderStateFloat(D3DRENDERSTATETYPE state) const {
  return std::bit_cast<float>(RenderState(state));
}

DWORD D3D9DeviceState::TextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
  return stage < kMaxTextureStages && type < kStageStateCount ? stageStates_[stage][type] : 0;
}

DWORD D3D9DeviceState::SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const {
  return sampler < kMaxSamplers && type < kSamplerStateCount ? samplerStates_[sampler][type] : 0;
}

Matrix4 D3D9DeviceState::Transform(D3DTRANSFORMSTATETYPE state) const {
  auto found = transforms_.find(state);
  if (found != transforms_.end()) return found->second;
  Matrix4 identity;
  identity.setIdentity();
  return identity;
}

bool D3D9DeviceState::TakeRenderStateChange() {
  const bool changed = renderStateChanged_;
  renderStateChanged_ = false;
  return changed;
}

bool D3D9DeviceState::TakeSamplerChange(DWORD sampler) {
  if (sampler >= kMaxSamplers || !samplerChanged_[sampler]) return false;
  samplerChanged_[sampler] = false;
  return true;
}
