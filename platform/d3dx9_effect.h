#pragma once
#include <string>
#include <utility>
#include <vector>

#include "platform/d3d9_call.h"
#include "platform/d3dx9.h"

// One technique of an effect as the effect runtime sees it.
struct D3DXTechniqueInfo {
  std::string name;
  bool runs = true;  // validates on the device (its passes can be applied)
  UINT passes = 0;
};

// How a parameter setter writes: the kind of call and its data.
struct D3DXParameterWrite {
  enum class Kind { Matrix, MatrixArray, Value };
  Kind kind;
  D3DXHANDLE name;
  const void* data;
  UINT count;  // matrices for MatrixArray, bytes for Value, 1 for Matrix
  size_t bytes;
};

// The ID3DXEffect every backend builds on: the technique list, the
// Begin / Pass / End state with the rules of the D3DX calls, and the
// argument checks of the parameter setters. A backend supplies the
// techniques and the work of its own through the hooks below.
//
// The rules: technique handles are the names handed out by
// FindNextValidTechnique or any string equal to a name; the first technique
// that runs is current from the start; a technique that does not run
// cannot be set. Begin needs a current technique and somewhere to put the
// pass count, and a second Begin ends the first (so its saved states are
// put back); Pass needs a Begin and a pass of the begun technique; End
// needs a Begin. Setters need a name and their data.
//
// Every call runs through Run, where a backend that logs calls or fails
// them on purpose sees each one before it acts.
template <class Interface>
class D3DXEffectBase : public Interface {
 public:
  HRESULT FindNextValidTechnique(D3DXHANDLE hTechnique, D3DXHANDLE* pTechnique) override {
    if (pTechnique != nullptr) *pTechnique = nullptr;
    return Run({"FindNextValidTechnique", {CallP(hTechnique), CallP(pTechnique)}}, [&] {
      if (pTechnique == nullptr) return D3DERR_INVALIDCALL;
      size_t next = 0;
      if (hTechnique != nullptr) {
        const int after = TechniqueIndex(hTechnique);
        if (after < 0) return D3DERR_INVALIDCALL;
        next = size_t(after) + 1;
      }
      for (; next < techniques_.size(); ++next) {
        if (techniques_[next].runs) {
          *pTechnique = techniques_[next].name.c_str();
          return S_OK;
        }
      }
      return S_FALSE;
    });
  }
  HRESULT SetTechnique(D3DXHANDLE hTechnique) override {
    return Run({"SetTechnique", {CallP(hTechnique)}}, [&] {
      const int index = TechniqueIndex(hTechnique);
      if (index < 0 || !techniques_[size_t(index)].runs) return D3DERR_INVALIDCALL;
      technique_ = index;
      return D3D_OK;
    });
  }
  HRESULT Begin(UINT* pPasses, DWORD Flags) override {
    return Run({"Begin", {CallP(pPasses), CallU(Flags)}}, [&] {
      if (pPasses == nullptr || technique_ < 0) return D3DERR_INVALIDCALL;
      if (begun_ >= 0) Finish();
      const HRESULT begun = BeginTechnique(size_t(technique_), Flags);
      if (FAILED(begun)) return begun;
      begun_ = technique_;
      pass_ = -1;
      *pPasses = techniques_[size_t(begun_)].passes;
      return D3D_OK;
    });
  }
  HRESULT Pass(UINT Pass) override {
    return Run({"Pass", {CallU(Pass)}}, [&] {
      if (begun_ < 0 || Pass >= techniques_[size_t(begun_)].passes) return D3DERR_INVALIDCALL;
      const HRESULT applied = ApplyPass(size_t(begun_), Pass);
      if (FAILED(applied)) return applied;
      pass_ = int(Pass);
      return D3D_OK;
    });
  }
  HRESULT End() override {
    return Run({"End", {}}, [&] {
      if (begun_ < 0) return D3DERR_INVALIDCALL;
      Finish();
      return D3D_OK;
    });
  }

  HRESULT SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) override {
    const size_t bytes = pMatrix != nullptr ? sizeof(D3DXMATRIX) : 0;
    return Write({"SetMatrix", {CallName(hParameter), CallP(pMatrix)}, pMatrix, bytes},
                 {D3DXParameterWrite::Kind::Matrix, hParameter, pMatrix, 1, bytes});
  }
  HRESULT SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix, UINT Count) override {
    const size_t bytes = pMatrix != nullptr ? sizeof(D3DXMATRIX) * Count : 0;
    return Write(
        {"SetMatrixArray", {CallName(hParameter), CallP(pMatrix), CallU(Count)}, pMatrix, bytes},
        {D3DXParameterWrite::Kind::MatrixArray, hParameter, pMatrix, Count, bytes});
  }
  HRESULT SetValue(D3DXHANDLE hParameter, const void* pData, UINT Bytes) override {
    const size_t bytes = pData != nullptr ? Bytes : 0;
    return Write({"SetValue", {CallName(hParameter), CallP(pData), CallU(Bytes)}, pData, bytes},
                 {D3DXParameterWrite::Kind::Value, hParameter, pData, Bytes, bytes});
  }
  // Null unbinds; the effect holds a reference to the texture it keeps.
  HRESULT SetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9* pTexture) override {
    return Run({"SetTexture", {CallName(hParameter), CallP(pTexture)}}, [&] {
      if (hParameter == nullptr) return D3DERR_INVALIDCALL;
      return StoreTexture(hParameter, pTexture);
    });
  }

  // The technique SetTechnique chose (-1 when none runs), the one between
  // Begin and End (-1 outside), the pass applied last within it (-1 for
  // none yet).
  int CurrentTechnique() const { return technique_; }
  bool IsBegun() const { return begun_ >= 0; }
  int CurrentPass() const { return pass_; }

 protected:
  // `interfaceArguments` go to the Interface's constructor.
  template <class... InterfaceArguments>
  explicit D3DXEffectBase(InterfaceArguments&&... interfaceArguments)
      : Interface(std::forward<InterfaceArguments>(interfaceArguments)...) {}

  // The effect's techniques in file order; the first that runs becomes
  // current. Called once, by the backend's constructor.
  void SetTechniques(std::vector<D3DXTechniqueInfo> techniques) {
    techniques_ = std::move(techniques);
    for (size_t t = 0; t < techniques_.size() && technique_ < 0; ++t) {
      if (techniques_[t].runs) technique_ = int(t);
    }
  }
  const std::vector<D3DXTechniqueInfo>& Techniques() const { return techniques_; }
  int BegunTechnique() const { return begun_; }
  // Ends a begun technique (for a backend's destructor); nothing otherwise.
  void EndIfBegun() {
    if (begun_ >= 0) Finish();
  }

  // ---- hooks ----
  // Sees every call before it acts; `body` is the call's own work.
  virtual HRESULT Run(const D3D9Call& call, D3D9CallBody body) {
    (void)call;
    return body();
  }
  // Begin of a technique that runs (after the end of any begun before).
  virtual HRESULT BeginTechnique(size_t technique, DWORD flags) {
    (void)technique, (void)flags;
    return D3D_OK;
  }
  // A pass of the begun technique, inside its range.
  virtual HRESULT ApplyPass(size_t technique, UINT pass) {
    (void)technique, (void)pass;
    return D3D_OK;
  }
  // End of the begun technique; pass is the last applied (-1 for none).
  virtual void EndTechnique(size_t technique, int pass) { (void)technique, (void)pass; }
  // A setter with a name and its data: D3DERR_INVALIDCALL for an unknown
  // parameter or more data than it declares.
  virtual HRESULT StoreParameter(const D3DXParameterWrite& write) = 0;
  virtual HRESULT StoreTexture(D3DXHANDLE name, IDirect3DBaseTexture9* texture) = 0;

 private:
  int TechniqueIndex(D3DXHANDLE handle) const {
    if (handle == nullptr) return -1;
    for (size_t t = 0; t < techniques_.size(); ++t) {
      if (techniques_[t].name.c_str() == handle) return int(t);
    }
    for (size_t t = 0; t < techniques_.size(); ++t) {
      if (techniques_[t].name == handle) return int(t);
    }
    return -1;
  }
  void Finish() {
    const int technique = begun_;
    const int pass = pass_;
    begun_ = -1;
    pass_ = -1;
    EndTechnique(size_t(technique), pass);
  }
  HRESULT Write(const D3D9Call& call, const D3DXParameterWrite& write) {
    return Run(call, [&] {
      if (write.name == nullptr || write.data == nullptr) return D3DERR_INVALIDCALL;
      return StoreParameter(write);
    });
  }

  std::vector<D3DXTechniqueInfo> techniques_;
  int technique_ = -1;
  int begun_ = -1;
  int pass_ = -1;
};
