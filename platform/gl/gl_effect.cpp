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
  }
  std::vector<D3DXTechniqueInfo> techniques;
  for (size_t t = 0; t < effect_->techniques.size(); ++t) {
    techniques.push_back({effect_->techniques[t].name, programs_->TechniqueRuns(t),
                          UINT(effect_->techniques[t].passes.size())});
  }
  SetTechniques(std::move(techniques));
}

GlEffect::~GlEffect() {
  EndIfBegun();
  for (IDirect3DBaseTexture9*& texture : textures_) {
    if (texture != nullptr) texture->Release();
    texture = nullptr;
  }
  parameters_.reset();
  programs_.reset();
  device_->Release();
}

HRESULT GlEffect::BeginTechnique(size_t technique, DWORD flags) {
  if ((flags & kGlEffectDoNotSaveState) == 0) {
    saved_.Capture(device_, *effect_, effect_->techniques[technique]);
  }
  return D3D_OK;
}

HRESULT GlEffect::ApplyPass(size_t technique, UINT Pass) {
  const fx::EffectPass& pass = effect_->techniques[technique].passes[Pass];
  GlEffectProgram& draw = draws_[technique][Pass];
  if (draw.program == 0) return D3DERR_INVALIDCALL;
  device_->MakeCurrent();
  for (const fx::RenderStateSetting& setting : pass.render_states) {
    device_->SetRenderState(D3DRENDERSTATETYPE(setting.state), setting.value);
  }
  for (const fx::SamplerBinding& binding : pass.samplers) {
    if (binding.sampler >= effect_->samplers.size()) continue;
    for (const GlSamplerStateValue& state :
         gl_effect_sampler_states(effect_->samplers[binding.sampler])) {
      device_->SetSamplerState(binding.unit, state.type, state.value);
    }
  }
  BindPassTextures(technique, Pass, nullptr);
  parameters_->Bind();
  device_->SetEffectProgram(&draw);
  return D3D_OK;
}

void GlEffect::EndTechnique(size_t technique, int pass) {
  if (pass >= 0 && device_->EffectProgram() == &draws_[technique][size_t(pass)]) {
    device_->SetEffectProgram(nullptr);
  }
  saved_.Restore(device_);
}

bool GlEffect::PassActive() const {
  return BegunTechnique() >= 0 && CurrentPass() >= 0 &&
         device_->EffectProgram() == &draws_[size_t(BegunTechnique())][size_t(CurrentPass())];
}

IDirect3DBaseTexture9* GlEffect::TextureFor(const std::string& textureName) const {
  const int index = effect_->find_texture(textureName);
  return index >= 0 ? textures_[size_t(index)] : nullptr;
}

void GlEffect::BindPassTextures(size_t technique, UINT passIndex, const std::string* onlyTexture) {
  const fx::EffectPass& pass = effect_->techniques[technique].passes[passIndex];
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

HRESULT GlEffect::StoreParameter(const D3DXParameterWrite& write) {
  HRESULT result = D3DERR_INVALIDCALL;
  switch (write.kind) {
    case D3DXParameterWrite::Kind::Matrix:
      result = parameters_->SetMatrix(write.name, static_cast<const D3DXMATRIX*>(write.data));
      break;
    case D3DXParameterWrite::Kind::MatrixArray:
      result = parameters_->SetMatrixArray(write.name, static_cast<const D3DXMATRIX*>(write.data),
                                           write.count);
      break;
    case D3DXParameterWrite::Kind::Value:
      result = parameters_->SetValue(write.name, write.data, write.count);
      break;
  }
  return Changed(result);
}

HRESULT GlEffect::StoreTexture(D3DXHANDLE name, IDirect3DBaseTexture9* texture) {
  const int index = effect_->find_texture(name);
  if (index < 0 || (texture != nullptr && AsGlTexture(texture) == nullptr)) {
    return D3DERR_INVALIDCALL;
  }
  IDirect3DBaseTexture9*& held = textures_[size_t(index)];
  if (texture != nullptr) texture->AddRef();
  if (held != nullptr) held->Release();
  held = texture;
  if (PassActive()) {
    BindPassTextures(size_t(BegunTechnique()), UINT(CurrentPass()),
                     &effect_->textures[size_t(index)].name);
  }
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
                                           ? std::string(file) +
                                                 ": error: the effect could not be compiled"
                                           : compiled.messages);
    }
    return D3DXERR_INVALIDDATA;
  }
  GlEffect* created = GlEffect::Create(&device, compiled.effect);
  if (created == nullptr) return E_OUTOFMEMORY;
  *effect = created;
  return D3D_OK;
}
