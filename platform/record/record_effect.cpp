#include "platform/record/record_effect.h"

#include <algorithm>

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
    : Recorded(std::move(recorder), RecordKind::Effect, "Effect"),
      file_(std::move(file)),
      setup_(setup) {
  const int total = std::max(0, setup.invalidTechniques) + std::max(0, setup.validTechniques);
  for (int i = 0; i < total; ++i) techniques_.push_back("technique" + std::to_string(i));
}

RecordEffect::~RecordEffect() {
  for (auto& [name, texture] : textures_) {
    if (texture != nullptr) texture->Drop();
  }
}

int RecordEffect::TechniqueIndex(D3DXHANDLE handle) const {
  if (handle == nullptr) return -1;
  for (size_t i = 0; i < techniques_.size(); ++i) {
    if (handle == techniques_[i].c_str() || techniques_[i] == handle) return static_cast<int>(i);
  }
  return -1;
}

HRESULT RecordEffect::FindNextValidTechnique(D3DXHANDLE hTechnique, D3DXHANDLE* pTechnique) {
  auto call =
      recorder().Begin("Effect::FindNextValidTechnique", this, {RecP(hTechnique), RecP(pTechnique)});
  if (pTechnique != nullptr) *pTechnique = nullptr;
  if (call.failure) return call.Finish(*call.failure);
  if (pTechnique == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  int start = 0;
  if (hTechnique != nullptr) {
    const int after = TechniqueIndex(hTechnique);
    if (after < 0) return call.Finish(D3DERR_INVALIDCALL);
    start = after + 1;
  }
  const int firstValid = std::max(0, setup_.invalidTechniques);
  const int next = std::max(start, firstValid);
  if (next >= static_cast<int>(techniques_.size())) return call.Finish(S_FALSE);
  *pTechnique = techniques_[next].c_str();
  return call.Finish(S_OK);
}

HRESULT RecordEffect::SetTechnique(D3DXHANDLE hTechnique) {
  auto call = recorder().Begin("Effect::SetTechnique", this, {RecP(hTechnique)});
  if (call.failure) return call.Finish(*call.failure);
  const int index = TechniqueIndex(hTechnique);
  if (index < 0) return call.Finish(D3DERR_INVALIDCALL);
  technique_ = index;
  return call.Finish(D3D_OK);
}

HRESULT RecordEffect::Begin(UINT* pPasses, DWORD Flags) {
  auto call = recorder().Begin("Effect::Begin", this, {RecP(pPasses), RecU(Flags)});
  if (call.failure) return call.Finish(*call.failure);
  if (pPasses == nullptr || technique_ < 0) return call.Finish(D3DERR_INVALIDCALL);
  *pPasses = setup_.passes;
  begun_ = true;
  pass_ = -1;
  return call.Finish(D3D_OK);
}

HRESULT RecordEffect::Pass(UINT Pass) {
  auto call = recorder().Begin("Effect::Pass", this, {RecU(Pass)});
  if (call.failure) return call.Finish(*call.failure);
  if (!begun_ || Pass >= setup_.passes) return call.Finish(D3DERR_INVALIDCALL);
  pass_ = static_cast<int>(Pass);
  return call.Finish(D3D_OK);
}

HRESULT RecordEffect::End() {
  auto call = recorder().Begin("Effect::End", this, {});
  if (call.failure) return call.Finish(*call.failure);
  if (!begun_) return call.Finish(D3DERR_INVALIDCALL);
  begun_ = false;
  pass_ = -1;
  return call.Finish(D3D_OK);
}

bool RecordEffect::Accepts(D3DXHANDLE name, size_t bytes) const {
  if (name == nullptr) return false;
  if (setup_.parameters.empty()) return true;
  auto found = setup_.parameters.find(name);
  return found != setup_.parameters.end() && bytes <= found->second;
}

HRESULT RecordEffect::Store(const Recorder::Call& call, D3DXHANDLE name, const void* data,
                            size_t bytes) {
  if (call.failure) return call.Finish(*call.failure);
  if (data == nullptr || !Accepts(name, bytes)) return call.Finish(D3DERR_INVALIDCALL);
  const auto* begin = static_cast<const uint8_t*>(data);
  values_[name].assign(begin, begin + bytes);
  return call.Finish(D3D_OK);
}

HRESULT RecordEffect::SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) {
  const size_t bytes = pMatrix != nullptr ? sizeof(D3DXMATRIX) : 0;
  auto call = recorder().Begin("Effect::SetMatrix", this, {RecS(hParameter), RecP(pMatrix)},
                               pMatrix, bytes);
  return Store(call, hParameter, pMatrix, bytes);
}

HRESULT RecordEffect::SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix,
                                     UINT Count) {
  const size_t bytes = pMatrix != nullptr ? sizeof(D3DXMATRIX) * Count : 0;
  auto call = recorder().Begin("Effect::SetMatrixArray", this,
                               {RecS(hParameter), RecP(pMatrix), RecU(Count)}, pMatrix, bytes);
  return Store(call, hParameter, pMatrix, bytes);
}

HRESULT RecordEffect::SetValue(D3DXHANDLE hParameter, const void* pData, UINT Bytes) {
  const size_t bytes = pData != nullptr ? Bytes : 0;
  auto call = recorder().Begin("Effect::SetValue", this,
                               {RecS(hParameter), RecP(pData), RecU(Bytes)}, pData, bytes);
  return Store(call, hParameter, pData, bytes);
}

HRESULT RecordEffect::SetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9* pTexture) {
  auto call = recorder().Begin("Effect::SetTexture", this, {RecS(hParameter), RecP(pTexture)});
  if (call.failure) return call.Finish(*call.failure);
  auto* texture = pTexture != nullptr ? dynamic_cast<RecordTexture*>(pTexture) : nullptr;
  if (!Accepts(hParameter, 0) || (pTexture != nullptr && texture == nullptr)) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  RecordTexture*& held = textures_[hParameter];
  if (texture != nullptr) texture->Grab();
  if (held != nullptr) held->Drop();
  held = texture;
  return call.Finish(D3D_OK);
}

std::vector<uint8_t> RecordEffect::Value(const std::string& name) const {
  auto found = values_.find(name);
  return found != values_.end() ? found->second : std::vector<uint8_t>{};
}

RecordTexture* RecordEffect::TextureOf(const std::string& name) const {
  auto found = textures_.find(name);
  return found != textures_.end() ? found->second : nullptr;
}
