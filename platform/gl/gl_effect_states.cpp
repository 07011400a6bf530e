#include "platform/gl/gl_effect_states.h"

#include <algorithm>
#include <bit>

bool gl_effect_render_state_applies(DWORD state) {
  // What GlDevice::ApplyRenderStates turns into GL state; the others only
  // steer the fixed-function pipeline, which an effect program replaces.
  switch (state) {
    case D3DRS_ZENABLE:
    case D3DRS_FILLMODE:
    case D3DRS_ZWRITEENABLE:
    case D3DRS_SRCBLEND:
    case D3DRS_DESTBLEND:
    case D3DRS_CULLMODE:
    case D3DRS_ZFUNC:
    case D3DRS_ALPHABLENDENABLE:
    case D3DRS_STENCILENABLE:
    case D3DRS_STENCILFAIL:
    case D3DRS_STENCILZFAIL:
    case D3DRS_STENCILPASS:
    case D3DRS_STENCILFUNC:
    case D3DRS_STENCILREF:
    case D3DRS_STENCILMASK:
    case D3DRS_STENCILWRITEMASK:
    case D3DRS_COLORWRITEENABLE:
    case D3DRS_BLENDOP:
    case D3DRS_SLOPESCALEDEPTHBIAS:
    case D3DRS_TWOSIDEDSTENCILMODE:
    case D3DRS_CCW_STENCILFAIL:
    case D3DRS_CCW_STENCILZFAIL:
    case D3DRS_CCW_STENCILPASS:
    case D3DRS_CCW_STENCILFUNC:
    case D3DRS_BLENDFACTOR:
    case D3DRS_DEPTHBIAS:
    case D3DRS_SEPARATEALPHABLENDENABLE:
    case D3DRS_SRCBLENDALPHA:
    case D3DRS_DESTBLENDALPHA:
    case D3DRS_BLENDOPALPHA:
      return true;
    default:
      return false;
  }
}

std::array<GlSamplerStateValue, kGlEffectSamplerStateCount> gl_effect_sampler_states(
    const fx::EffectSampler& s) {
  return {{{D3DSAMP_ADDRESSU, s.address_u},
           {D3DSAMP_ADDRESSV, s.address_v},
           {D3DSAMP_ADDRESSW, s.address_w},
           {D3DSAMP_BORDERCOLOR, s.border_color},
           {D3DSAMP_MAGFILTER, s.mag_filter},
           {D3DSAMP_MINFILTER, s.min_filter},
           {D3DSAMP_MIPFILTER, s.mip_filter},
           {D3DSAMP_MIPMAPLODBIAS, std::bit_cast<DWORD>(s.mip_lod_bias)},
           {D3DSAMP_MAXMIPLEVEL, s.max_mip_level},
           {D3DSAMP_MAXANISOTROPY, s.max_anisotropy},
           {D3DSAMP_SRGBTEXTURE, s.srgb_texture}}};
}

void GlEffectSavedStates::Capture(IDirect3DDevice9* device, const fx::CompiledEffect& effect,
                                  const fx::EffectTechnique& technique) {
  renderStates_.clear();
  samplerStates_.clear();
  units_.clear();
  for (const fx::EffectPass& pass : technique.passes) {
    for (const fx::RenderStateSetting& setting : pass.render_states) {
      const auto state = D3DRENDERSTATETYPE(setting.state);
      const bool known = std::any_of(renderStates_.begin(), renderStates_.end(),
                                     [&](const RenderState& saved) { return saved.state == state; });
      DWORD value = 0;
      if (!known && device->GetRenderState(state, &value) == D3D_OK) {
        renderStates_.push_back({state, value});
      }
    }
    for (const fx::SamplerBinding& binding : pass.samplers) {
      if (binding.sampler >= effect.samplers.size()) continue;
      if (!effect.samplers[binding.sampler].texture.empty() &&
          std::find(units_.begin(), units_.end(), binding.unit) == units_.end()) {
        units_.push_back(binding.unit);
      }
      const bool known = std::any_of(samplerStates_.begin(), samplerStates_.end(),
                                     [&](const SamplerState& saved) { return saved.unit == binding.unit; });
      if (known) continue;
      for (const GlSamplerStateValue& state : gl_effect_sampler_states(effect.samplers[binding.sampler])) {
        DWORD value = 0;
        if (device->GetSamplerState(binding.unit, state.type, &value) == D3D_OK) {
          samplerStates_.push_back({binding.unit, state.type, value});
        }
      }
    }
  }
}

void GlEffectSavedStates::Restore(IDirect3DDevice9* device) {
  for (const RenderState& saved : renderStates_) device->SetRenderState(saved.state, saved.value);
  for (const SamplerState& saved : samplerStates_) {
    device->SetSamplerState(saved.unit, saved.type, saved.value);
  }
  for (DWORD unit : units_) device->SetTexture(unit, nullptr);
  renderStates_.clear();
  samplerStates_.clear();
  units_.clear();
}
