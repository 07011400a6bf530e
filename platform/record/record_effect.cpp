#include "platform/record/record_effect.h"

#include <algorithm>

#include "platform/record/recorded_call.h"

RecordBuffer::RecordBuffer(std::shared_ptr<Recorder> recorder, const std::string& text)
    : Recorded(std::move(recorder), RecordKind::Buffer, "Buffer"),
      bytes_(text.begin(), text.end()) {
  bytes_.push_back('\0');
}

void* RecordBuffer::GetBufferPointer() {
  recorder().Begin("Buffer::GetBufferPointer", this, {}).Finish(S_OK);
  return bytes_.data();
}

DWORD RecordBuffer::GetBufferSize() {
  recorder().Begin("Buffer::GetBufferSize", this, {}).Finish(S_OK);
  return static_cast<DWORD>(bytes_.size());
}

RecordEffect::RecordEffect(std::shared_ptr<Recorder> recorder, std::string file,
                           const EffectSetup& setup)
    : D3DXEffectBase(std::move(recorder), RecordKind::Effect, "Effect"),
      file_(std::move(file)),
      setup_(setup) {
  const int invalid = std::max(0, setup.invalidTechniques);
  const int total = invalid + std::max(0, setup.validTechniques);
  std::vector<D3DXTechniqueInfo> techniques;
  for (int i = 0; i < total; ++i) {
    techniques.push_back({"technique" + std::to_string(i), i >= invalid, setup.passes});
  }
  SetTechniques(std::move(techniques));
}

RecordEffect::~RecordEffect() {
  for (auto& [name, texture] : textures_) {
    if (texture != nullptr) texture->Drop();
  }
}

HRESULT RecordEffect::Run(const D3D9Call& call, D3D9CallBody body) {
  return RunRecorded(recorder(), this, Op(call.name), call, body);
}

bool RecordEffect::Accepts(D3DXHANDLE name, size_t bytes) const {
  if (setup_.parameters.empty()) return true;
  auto found = setup_.parameters.find(name);
  return found != setup_.parameters.end() && bytes <= found->second;
}

HRESULT RecordEffect::StoreParameter(const D3DXParameterWrite& write) {
  if (!Accepts(write.name, write.bytes)) return D3DERR_INVALIDCALL;
  const auto* begin = static_cast<const uint8_t*>(write.data);
  values_[write.name].assign(begin, begin + write.bytes);
  return D3D_OK;
}

HRESULT RecordEffect::StoreTexture(D3DXHANDLE name, IDirect3DBaseTexture9* texture) {
  auto* recorded = texture != nullptr ? dynamic_cast<RecordTexture*>(texture) : nullptr;
  if (!Accepts(name, 0) || (texture != nullptr && recorded == nullptr)) {
    return D3DERR_INVALIDCALL;
  }
  RecordTexture*& held = textures_[name];
  if (recorded != nullptr) recorded->Grab();
  if (held != nullptr) held->Drop();
  held = recorded;
  return D3D_OK;
}

std::vector<uint8_t> RecordEffect::Value(const std::string& name) const {
  auto found = values_.find(name);
  return found != values_.end() ? found->second : std::vector<uint8_t>{};
}

RecordTexture* RecordEffect::TextureOf(const std::string& name) const {
  auto found = textures_.find(name);
  return found != textures_.end() ? found->second : nullptr;
}
