#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/d3dx9.h"
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
// with the same number of passes. Parameter values and textures are kept by
// name (textures with a reference, as D3DX does).
class RecordEffect final : public Recorded<ID3DXEffect> {
 public:
  RecordEffect(std::shared_ptr<Recorder> recorder, std::string file, const EffectSetup& setup);
  ~RecordEffect() override;

  HRESULT FindNextValidTechnique(D3DXHANDLE hTechnique, D3DXHANDLE* pTechnique) override;
  HRESULT SetTechnique(D3DXHANDLE hTechnique) override;
  HRESULT Begin(UINT* pPasses, DWORD Flags) override;
  HRESULT Pass(UINT Pass) override;
  HRESULT End() override;
  HRESULT SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) override;
  HRESULT SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix, UINT Count) override;
  HRESULT SetValue(D3DXHANDLE hParameter, const void* pData, UINT Bytes) override;
  HRESULT SetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9* pTexture) override;

  const std::string& File() const { return file_; }
  // -1 before SetTechnique.
  int CurrentTechnique() const { return technique_; }
  bool IsBegun() const { return begun_; }
  // -1 while no pass is applied.
  int CurrentPass() const { return pass_; }
  // The last bytes set for a parameter (empty when never set).
  std::vector<uint8_t> Value(const std::string& name) const;
  RecordTexture* TextureOf(const std::string& name) const;

 private:
  int TechniqueIndex(D3DXHANDLE handle) const;
  bool Accepts(D3DXHANDLE name, size_t bytes) const;
  HRESULT Store(const Recorder::Call& call, D3DXHANDLE name, const void* data, size_t bytes);

  std::string file_;
  EffectSetup setup_;
  std::vector<std::string> techniques_;
  int technique_ = -1;
  bool begun_ = false;
  int pass_ = -1;
  std::map<std::string, std::vector<uint8_t>> values_;
  std::map<std::string, RecordTexture*> textures_;
};
