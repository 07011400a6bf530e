#include "import/material_records.h"

#include <assimp/material.h>

#include "render/material_ranges.h"

namespace {

void putColour(const aiMaterial& material, const char* key, unsigned type, unsigned index,
               float* out) {
  aiColor4D colour;
  if (material.Get(key, type, index, colour) != aiReturn_SUCCESS) return;
  out[0] = colour.r;
  out[1] = colour.g;
  out[2] = colour.b;
}

}  // namespace

CMaterial materialRecord(const aiMaterial* material) {
  CMaterial record;
  float* v = record.values;
  for (int i = 0; i < 16; ++i) v[i] = 0.0f;
  v[kMaterialDiffuse + 0] = v[kMaterialDiffuse + 1] = v[kMaterialDiffuse + 2] = 1.0f;
  v[kMaterialDiffuse + 3] = v[kMaterialAmbient + 3] = v[kMaterialSpecular + 3] =
      v[kMaterialEmissive + 3] = 1.0f;
  v[kMaterialPower] = 0.0f;
  if (material == nullptr) return record;
  putColour(*material, AI_MATKEY_COLOR_DIFFUSE, v + kMaterialDiffuse);
  putColour(*material, AI_MATKEY_COLOR_AMBIENT, v + kMaterialAmbient);
  putColour(*material, AI_MATKEY_COLOR_SPECULAR, v + kMaterialSpecular);
  putColour(*material, AI_MATKEY_COLOR_EMISSIVE, v + kMaterialEmissive);
  float opacity = 1.0f;
  if (material->Get(AI_MATKEY_OPACITY, opacity) == aiReturn_SUCCESS && opacity >= 0.0f &&
      opacity <= 1.0f) {
    v[kMaterialDiffuse + 3] = opacity;
  }
  float power = 0.0f;
  if (material->Get(AI_MATKEY_SHININESS, power) == aiReturn_SUCCESS && power >= 0.0f) {
    v[kMaterialPower] = power;
  }
  return record;
}
