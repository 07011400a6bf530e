#pragma once
#include <array>
#include <map>

#include "platform/d3d9_caps.h"
#include "platform/d3d9_types.h"

// The Direct3D 9 state a device keeps between calls (render, texture-stage
// and sampler states, transforms, viewport, vertex format, scene), with
// Direct3D's defaults and the argument rules of the calls that set and read
// it. Every backend's device holds one, so they start alike and refuse the
// same calls; what a backend does with the state (translating it to GL,
// recording it) is its own.
class D3D9DeviceState {
 public:
  // Direct3D's defaults for a new device; Z testing is on only with an
  // automatic depth-stencil buffer. The viewport covers `target`.
  D3D9DeviceState(bool autoDepthStencil, const D3DSURFACE_DESC& target);

  // ---- the calls, with Direct3D's results ----
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  HRESULT GetRenderState(D3DRENDERSTATETYPE state, DWORD* value) const;
  HRESULT SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
  HRESULT GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value) const;
  HRESULT SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value);
  HRESULT GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value) const;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE state, const D3DMATRIX* matrix);
  HRESULT GetTransform(D3DTRANSFORMSTATETYPE state, D3DMATRIX* matrix) const;
  // The viewport must lie inside `target`, the current render target.
  HRESULT SetViewport(const D3DVIEWPORT9* viewport, const D3DSURFACE_DESC& target);
  HRESULT GetViewport(D3DVIEWPORT9* viewport) const;
  HRESULT SetFVF(DWORD fvf);
  HRESULT GetFVF(DWORD* fvf) const;
  // A scene cannot begin inside another nor end outside one.
  HRESULT BeginScene();
  HRESULT EndScene();

  // A new render target resets the viewport to all of it, as Direct3D does.
  void TargetChanged(const D3DSURFACE_DESC& target);

  // ---- plain reads (0 for a slot out of range) ----
  DWORD RenderState(D3DRENDERSTATETYPE state) const;
  float RenderStateFloat(D3DRENDERSTATETYPE state) const;
  DWORD TextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const;
  DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const;
  // The identity for a transform never set.
  Matrix4 Transform(D3DTRANSFORMSTATETYPE state) const;
  const D3DVIEWPORT9& Viewport() const { return viewport_; }
  DWORD FVF() const { return fvf_; }
  bool InScene() const { return inScene_; }

  // True once after a sampler's states changed (all are changed at first),
  // for a backend that copies them into objects of its own.
  bool TakeSamplerChange(DWORD sampler);
  // True once after any render state took a new value (true at first).
  bool TakeRenderStateChange();

 private:
  std::array<DWORD, kRenderStateCount> renderStates_{};
  std::array<std::array<DWORD, kStageStateCount>, kMaxTextureStages> stageStates_{};
  std::array<std::array<DWORD, kSamplerStateCount>, kMaxSamplers> samplerStates_{};
  std::array<bool, kMaxSamplers> samplerChanged_{};
  bool renderStateChanged_ = true;
  std::map<DWORD, Matrix4> transforms_;
  D3DVIEWPORT9 viewport_{};
  DWORD fvf_ = 0;
  bool inScene_ = false;
};
