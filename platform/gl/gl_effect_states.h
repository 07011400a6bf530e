#pragma once
#include <array>
#include <vector>

#include "platform/d3d9.h"
#include "platform/fx/compiled_effect.h"

// The device states an effect pass sets, and keeping the device's own values
// across Begin/End so fixed-function drawing after End looks as before.

// True for the render states this backend's draws honour while an effect
// program draws; a pass's other states are stored but change nothing.
bool gl_effect_render_state_applies(DWORD state);

struct GlSamplerStateValue {
  D3DSAMPLERSTATETYPE type;
  DWORD value;
};
inline constexpr size_t kGlEffectSamplerStateCount = 11;

// The sampler states a sampler_state block gives its texture unit, with
// Direct3D 9's defaults for those it leaves out.
std::array<GlSamplerStateValue, kGlEffectSamplerStateCount> gl_effect_sampler_states(
    const fx::EffectSampler& sampler);

// Begin without D3DXFX_DONOTSAVESTATE keeps the states the technique will
// change; End puts them back.
inline constexpr DWORD kGlEffectDoNotSaveState = 1;

class GlEffectSavedStates {
 public:
  // Reads from the device every render state and every sampler state that a
  // pass of the technique sets.
  void Capture(IDirect3DDevice9* device, const fx::CompiledEffect& effect,
               const fx::EffectTechnique& technique);
  // Writes the captured values back and unbinds the textures the passes
  // bound (the device cannot say what was bound before); forgets them.
  void Restore(IDirect3DDevice9* device);
  bool Empty() const { return renderStates_.empty() && samplerStates_.empty() && units_.empty(); }

 private:
  struct RenderState {
    D3DRENDERSTATETYPE state;
    DWORD value;
  };
  struct SamplerState {
    DWORD unit;
    D3DSAMPLERSTATETYPE type;
    DWORD value;
  };
  std::vector<RenderState> renderStates_;
  std::vector<SamplerState> samplerStates_;
  std::vector<DWORD> units_;  // units that a pass binds a texture to
};
