#pragma once
#include <cstdint>

#include "base/cbase.h"
#include "base/text_string.h"

// The data folders, worked out once at start-up: the start folder, its parent,
// and the "texture" and "effect" folders in that parent (each with a trailing
// separator, so a file name from a script is simply appended).
extern TextString g_startFolder;
extern TextString g_rootFolder;
extern TextString g_textureFolder;
extern TextString g_effectFolder;

class CDirs : public CBase {
 public:
  static constexpr int kPathBufferSize = 2040;

  // 1 on success; 0 when a working directory could not be read or changed (logged).
  uint32_t Call_1_START();

  static void GetTextureDir(TextString& out) { out = g_textureFolder; }
  static void GetEffectDir(TextString& out) { out = g_effectFolder; }
  static const TextString& EffectDir() { return g_effectFolder; }
};
