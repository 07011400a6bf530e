#pragma once
#include <cstdint>

#include "base/bounded_array.h"
#include "base/cbase.h"
#include "geometry/matrix4.h"
#include "platform/d3dx9.h"

class Texture;

// One effect file compiled for the device: its valid techniques, the begun
// technique with its passes, and named parameters. Failures are logged (a
// compile failure also shows the compiler's text in a message box) and named
// in errortext.
class Ceffect {
 public:
  // More valid techniques than this minus one make the load fail.
  static constexpr int kMaxTechniques = 128;
  static constexpr int kErrorTextSize = 32;

  Ceffect();
  ~Ceffect();
  Ceffect(const Ceffect&) = delete;
  Ceffect& operator=(const Ceffect&) = delete;

  // Creates the effect from path (folder and file name); returns the number
  // of valid techniques (1..127), 0 on any failure. A repeated load releases
  // the earlier effect first.
  uint32_t LoadFromFile(const char* path);
  // Collects the valid techniques; their number, 0 on failure.
  uint32_t findtechs();

  // Selects technique index and begins it: its number of passes, 0 on failure.
  uint32_t SetTech(int32_t index, uint32_t flags);
  // Applies pass n of the begun technique.
  bool SetPass(int32_t n);
  // Ends the begun technique; nothing when none is begun.
  void EndTech();

  // Each true exactly when the effect took the value; false without touching
  // lastresult when no effect is loaded.
  bool SetMatrixArray(const char* name, const Matrix4* matrices, uint32_t count);
  bool SetValue(const char* name, const float* values, uint32_t count);
  bool SetMatrix(const char* name, const Matrix4* matrix);
  // A null texture (or one holding nothing) unbinds.
  bool SetTexture(const char* name, const Texture* texture);

  HRESULT LastResult() const { return lastresult; }
  int32_t PassIndex() const { return passindex; }
  uint32_t PassCount() const { return passcount; }
  ID3DXEffect* GetEffect() const { return effect; }
  int32_t TechniqueCount() const { return techs.count; }
  const char* ErrorText() const { return errortext.data != nullptr ? errortext.data : ""; }

 private:
  void SetErrorText(const char* text);
  void ReleaseEffect();
  bool Finish(HRESULT result);

  HRESULT lastresult = 0;
  int32_t passindex = 0;
  uint32_t passcount = 0;
  ID3DXEffect* effect = nullptr;
  BoundedArray<D3DXHANDLE> techs;
  BoundedArray<char> errortext;
  CBase log;
};
