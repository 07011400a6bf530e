#include "platform/gl/gl_effect.h"

#include <cstring>
#include <new>
#include <string>

#include "platform/fx/effect_cache.h"
#include "platform/gl/gl_device.h"
#include "platform/gl/gl_effect_buffer.h"
#include "platform/gl/gl_texture.h"

GlEffect* GlEffect::Create(GlDevice* device, std::shared_ptr<const fx::CompiledEffect> effect) {
  device->MakeCurrent();
  GlEffect* created = new (std::nothrow) GlEffect(device, std::move(effect));
  if (created != nullptr && !created->parameters_->Ready()) {
    created->Release();
    return nullptr;
  }
  return created;
}

GlEffect::GlEffect(GlDevice* device, std::shared_ptr<const fx::CompiledEffect> effect)
    : device_(device),
      effect_(std::move(effect)),
      programs_(GlEffectPrograms::For(device->Context(), effect_)),
      parameters_(std::make_unique<GlEffectParameters>(effect_, device->Context(),
                                                       size_t(programs_->BlockBytes()))),
      textures_(effect_->textures.size(), nullptr) {
  device_->AddRef();
  // Each effect draws through its own copies, so the device's current
  // program tells which effect's pass is applied.
  for (size_t t = 0; t < effect_->techniques.size(); ++t) {
    std::vector<GlEffectProgram>& passes = draws_.emplace_back();
    for (size_t p = 0; p < effect_->techniques[t].passes.size(); ++p) {
      passes.push_back(programs_->Pass(t, p).draw);
    }
    if (technique_ < 0 && programs_->TechniqueRuns(t)) technique_ = int(t);
  }
}

GlEffect::~GlEffect() {
  if (begun_ >= 0) End();
  for (IDirect3DBaseTexture9*& texture : textures_) {
    if (texture != nullptr) texture->Release();
    texture = nullptr;
  }
  parameters_.reset();
  programs_.reset();
  device_->Release();
}

int GlEffect::TechniqueIndex(D3DXHANDLE handle) const {
  if (handle == nullptr) return -1;
  const auto& techniques = effect_->techniques;
  for (size_t t = 0; t < techniques.size(); ++t) {
    if (techniques[t].name.c_str() == handle) return int(t);
  }
  for (size_t t = 0; t < techniques.size(); ++t) {
    if (techniques[t].name == handle) return int(t);
  }
  return -1;
}

HRESULT GlEffect::FindNextValidTechnique(D3DXHANDLE hTechnique, D3DXHANDLE* pTechnique) {
  if (pTechnique == nullptr) return D3DERR_INVALIDCALL;
  *pTechnique = nullptr;
  size_t next = 0;
  if (hTechnique != nullptr) {
    const int current = TechniqueIndex(hTechnique);
    if (current < 0) return D3DERR_INVALIDCALL;
    next = size_t(current) + 1;
  }
  for (; next < effect_->techniques.size(); ++next) {
    if (programs_->TechniqueRuns(next)) {
      *pTechnique = effect_->techniques[next].name.c_str();
      return D3D_OK;
    }
  }
  return S_FALSE;
}

HRESULT GlEffect::SetTechnique(D3DXHANDLE hTechnique) {
  const int index = TechniqueIndex(hTechnique);
  if (index < 0 || !programs_->TechniqueRuns(size_t(index))) return D3DERR_INVALIDCALL;
  technique_ = index;
  return D3D_OK;
}

HRESULT GlEffect::Begin(UINT* pPasses, DWORD Flags) {
  if (technique_ < 0) return D3DERR_INVALIDCALL;
  // A second Begin without End ends the first, so its saved states are not lost.
  if (begun_ >= 0) End();
  const fx::EffectTechnique& technique = effect_->techniques[size_t(technique_)];
  if ((Flags & kGlEffectDoNotSaveState) == 0) saved_.Capture(device_, *effect_, technique);
  begun_ = technique_;
  pass_ = -1;
  if (pPasses != nullptr) *pPasses = UINT(technique.passes.size());
  return D3D_OK;
}

HRESULT GlEffect::Pass(UINT Pass) {
  if (begun_ < 0 || Pass >= draws_[size_t(begun_)].size()) return D3DERR_INVALIDCALL;
  const fx::EffectPass& pass = effect_->techniques[size_t(begun_)].passes[Pass];
  GlEffectProgram& draw = draws_[size_t(begun_)][Pass];
  if (draw.program == 0) return D3DERR_INVALIDCALL;
  device_->MakeCurrent();
  for (const fx::RenderStateSetting& setting : pass.render_states) {
    device_->SetRenderState(D3DRENDERSTATETYPE(setting.state), setting.value);
  }
  for (const fx::SamplerBinding& binding : pass.samplers) {
    if (binding.sampler >= effect_->samplers.size()) continue;
    for (const GlSamplerStateValue& state : gl_effect_sampler_states(effect_->samplers[binding.sampler])) {
      device_->SetSamplerState(binding.unit, state.type, state.value);
    }
  }
  pass_ = int(Pass);
  BindPassTextures(nullptr);
  parameters_->Bind();
  device_->SetEffectProgram(&draw);
  return D3D_OK;
}

HRESULT GlEffect::End() {
  if (begun_ < 0) return D3DERR_INVALIDCALL;
  if (PassActive()) device_->SetEffectProgram(nullptr);
  saved_.Restore(device_);
  begun_ = -1;
  pass_ = -1;
  return D3D_OK;
}

bool GlEffect::PassActive() const {
  return begun_ >= 0 && pass_ >= 0 &&
         device_->EffectProgram() == &draws_[size_t(begun_)][size_t(pass_)];
}

IDirect3DBaseTexture9* GlEffect::TextureFor(const std::string& textureName) const {
  const int index = effect_->find_texture(textureName);
  return index >= 0 ? textures_[size_t(index)] : nullptr;
}

void GlEffect::BindPassTextures(const std::string* onlyTexture) {
  if (begun_ < 0 || pass_ < 0) return;
  const fx::EffectPass& pass = effect_->techniques[size_t(begun_)].passes[size_t(pass_)];
  for (const fx::SamplerBinding& binding : pass.samplers) {
    if (binding.sampler >= effect_->samplers.size()) continue;
    const std::string& texture = effect_->samplers[binding.sampler].texture;
    // A sampler without a Texture state reads whatever the device has bound.
    if (texture.empty() || (onlyTexture != nullptr && *onlyTexture != texture)) continue;
    device_->SetTexture(binding.unit, TextureFor(texture));
  }
}

HRESULT GlEffect::Changed(HRESULT result) {
  if (result == D3D_OK && parameters_->Changed() && PassActive()) {
    device_->MakeCurrent();
    parameters_->Bind();
  }
  return result;
}

HRESULT GlEffect::SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) {
  return Changed(parameters_->SetMatrix(hParameter, pMatrix));
}

HRESULT GlEffect::SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix, UINT Count) {
  return Changed(parameters_->SetMatrixArray(hParameter, pMatrix, Count));
}

HRESULT GlEffect::SetValue(D3DXHANDLE hParameter, const void* pData, UINT Bytes) {
  return Changed(parameters_->SetValue(hParameter, pData, Bytes));
}

HRESULT GlEffect::SetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9* pTexture) {
  const int index = hParameter != nullptr ? effect_->find_texture(hParameter) : -1;
  if (index < 0 || (pTexture != nullptr && AsGlTexture(pTexture) == nullptr)) {
    return D3DERR_INVALIDCALL;
  }
  IDirect3DBaseTexture9*& held = textures_[size_t(index)];
  if (pTexture != nullptr) pTexture->AddRef();
  if (held != nullptr) held->Release();
  held = pTexture;
  if (PassActive()) BindPassTextures(&effect_->textures[size_t(index)].name);
  return D3D_OK;
}

HRESULT gl_create_effect_from_file(GlDevice& device, LPCSTR file, const D3DXMACRO* defines,
                                   ID3DXInclude* include, DWORD, ID3DXEffectPool* pool,
                                   ID3DXEffect** effect, ID3DXBuffer** errors) {
  if (effect != nullptr) *effect = nullptr;
  if (errors != nullptr) *errors = nullptr;
  const bool macros = defines != nullptr && defines[0].Name != nullptr;
  if (file == nullptr || effect == nullptr || macros || include != nullptr || pool != nullptr) {
    return D3DERR_INVALIDCALL;
  }
  const fx::EffectCompileResult compiled = fx::shared_effect_cache().compile_file(file);
  if (compiled.status == fx::EffectStatus::FileNotFound) return D3DERR_NOTFOUND;
  if (!compiled.compiled()) {
    if (errors != nullptr) {
      *errors = GlEffectBuffer::Create(compiled.messages.empty()
                                           ? std::string(file) + ": error: the effect could not be compiled"
                                           : compiled.messages);
    }
    return D3DXERR_INVALIDDATA;
  }
  GlEffect* created = GlEffect::Create(&device, compiled.effect);
  if (created == nullptr) return E_OUTOFMEMORY;
  *effect = created;
  return D3D_OK;
}
