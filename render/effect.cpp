#include "render/effect.h"

#include <cstring>

#include "platform/win/windows_api.h"
#include "render/device_globals.h"
#include "render/texture.h"

Ceffect::Ceffect() {
  if (errortext.resize(kErrorTextSize)) errortext[0] = '\0';
}

Ceffect::~Ceffect() { ReleaseEffect(); }

void Ceffect::ReleaseEffect() {
  if (effect != nullptr) {
    effect->Release();
    effect = nullptr;
  }
  passcount = 0;
  techs.free();
}

void Ceffect::SetErrorText(const char* text) {
  if (errortext.count < 1) return;
  std::strncpy(errortext.data, text, static_cast<size_t>(errortext.count) - 1);
  errortext[errortext.count - 1] = '\0';
}

uint32_t Ceffect::LoadFromFile(const char* path) {
  ReleaseEffect();
  ID3DXBuffer* errors = nullptr;
  const HRESULT result =
      D3DXCreateEffectFromFileA(g_device, path, nullptr, nullptr, 0, nullptr, &effect, &errors);
  const char* message = errors != nullptr ? static_cast<const char*>(errors->GetBufferPointer())
                                          : nullptr;
  const bool hasMessage = message != nullptr && message[0] != '\0';

  if (FAILED(result)) {
    effect = nullptr;
    SetErrorText("not loaded");
    log.log_text2("<error at loading> Ceffect::LoadFromFile: ", path != nullptr ? path : "");
    if (hasMessage) {
      log.log_text2("compiler message:\n", message);
      MessageBoxA(nullptr, message, "compiler hiba!", MB_OK);
    } else {
      SetErrorText("bad filename");
      log.log_text("Cefect: file not excist...?");
    }
    if (errors != nullptr) errors->Release();
    return 0;
  }
  // Warnings of a successful compile are not shown.
  if (errors != nullptr) errors->Release();

  if (findtechs() == 0) {
    SetErrorText("no tech found");
    log.log_text2("<error> Ceffect::LoadFromFile: no technique found\nin file>",
                  path != nullptr ? path : "");
    // An effect without a usable technique counts as not loaded, setters included.
    ReleaseEffect();
    return 0;
  }
  return static_cast<uint32_t>(techs.count);
}

uint32_t Ceffect::findtechs() {
  if (effect == nullptr) return 0;
  D3DXHANDLE found[kMaxTechniques] = {};
  int32_t n = 0;
  HRESULT result = effect->FindNextValidTechnique(nullptr, &found[0]);
  while (result == S_OK) {
    ++n;
    if (n >= kMaxTechniques) {
      log.log_int("<error> Ceffect::findtechs(): too many techniques! max> ", kMaxTechniques);
      return 0;
    }
    result = effect->FindNextValidTechnique(found[n - 1], &found[n]);
  }
  if (!techs.resize(n)) {
    log.log_int("<error> Ceffect::findtechs(): no mem? (char*)", n);
    return 0;
  }
  for (int32_t i = 0; i < n; ++i) techs[i] = found[i];
  return static_cast<uint32_t>(n);
}

uint32_t Ceffect::SetTech(int32_t index, uint32_t flags) {
  if (effect == nullptr || index < 0 || index >= techs.count) {
    SetErrorText("bad Tech index");
    return 0;
  }
  if (FAILED(effect->SetTechnique(techs[index]))) {
    SetErrorText("SetTech failed");
    return 0;
  }
  UINT passes = 0;
  if (FAILED(effect->Begin(&passes, flags))) {
    // Nothing is begun, so nothing must be ended either.
    passcount = 0;
    SetErrorText("Begin failed");
    return 0;
  }
  passcount = passes;
  passindex = 0;
  return passcount;
}

bool Ceffect::SetPass(int32_t n) {
  if (passcount < 1 || n < 0 || static_cast<uint32_t>(n) >= passcount) {
    SetErrorText("wrong pass");
    return false;
  }
  passindex = n + 1;
  if (FAILED(effect->Pass(static_cast<UINT>(n)))) {
    SetErrorText("setpass failed");
    return false;
  }
  return true;
}

void Ceffect::EndTech() {
  if (passcount == 0) return;
  passcount = 0;
  if (effect != nullptr) effect->End();
}

bool Ceffect::Finish(HRESULT result) {
  lastresult = result;
  return result == 0;
}

bool Ceffect::SetMatrixArray(const char* name, const Matrix4* matrices, uint32_t count) {
  if (effect == nullptr) return false;
  return Finish(effect->SetMatrixArray(name, matrices, count));
}

bool Ceffect::SetValue(const char* name, const float* values, uint32_t count) {
  if (effect == nullptr) return false;
  return Finish(effect->SetValue(name, values, count * sizeof(float)));
}

bool Ceffect::SetMatrix(const char* name, const Matrix4* matrix) {
  if (effect == nullptr) return false;
  return Finish(effect->SetMatrix(name, matrix));
}

bool Ceffect::SetTexture(const char* name, const Texture* texture) {
  if (effect == nullptr) return false;
  IDirect3DTexture9* held = texture != nullptr ? texture->GetD3DTexture() : nullptr;
  return Finish(effect->SetTexture(name, held));
}
