#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx9.h"
#include "platform/d3dx9_effect.h"
#include "platform/record/record_object.h"
#include "platform/record/record_texture.h"

// The compiler-message buffer handed back by a failed effect creation.
class RecordBuffer final : public Recorded<ID3DXBuffer> {
 public:
  // Keeps the text with its terminator.
  RecordBuffer(std::shared_ptr<Recorder> recorder, const std::string& text);
  ~RecordBuffer() override = default;

  void* GetBufferPointer() override;
  DWORD GetBufferSize() override;

 private:
  std::vector<char> bytes_;
};

// An effect of the recording backend, shaped by its EffectSetup: techniques
// "technique0", "technique1"... in file order (the invalid ones first), each
// with the same number of passes, under the effect core's rules, with every
// call logged. Parameter values and textures are kept by name (textures
// with a reference, as D3DX does).
class RecordEffect final : public D3DXEffectBase<Recorded<ID3DXEffect>> {
 public:
  RecordEffect(std::shared_ptr<Recorder> recorder, std::string file, const EffectSetup& setup);
  ~RecordEffect() override;

  const std::string& File() const { return file_; }
  // The last bytes set for a parameter (empty when never set).
  std::vector<uint8_t> Value(const std::string& name) const;
  RecordTexture* TextureOf(const std::string& name) const;

 private:
  HRESULT Run(const D3D9Call& call, D3D9CallBody body) override;
  HRESULT StoreParameter(const D3DXParameterWrite& write) override;
  HRESULT StoreTexture(D3DXHANDLE name, IDirect3DBaseTexture9* texture) override;
  bool Accepts(D3DXHANDLE name, size_t bytes) const;

  std::string file_;
  EffectSetup setup_;
  std::map<std::string, std::vector<uint8_t>> values_;
  std::map<std::string, RecordTexture*> textures_;
};
