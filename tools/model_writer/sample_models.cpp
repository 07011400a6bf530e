#include "tools/model_writer/sample_models.h"

namespace {

// A matrix whose elements count up from base, so every key differs.
Matrix4 numberedMatrix(float base) {
  Matrix4 matrix;
  for (int i = 0; i < 16; ++i) matrix.m[i] = base + static_cast<float>(i);
  return matrix;
}

}  // namespace

ModelDescription sampleStaticModel() {
  ModelDescription model;
  model.positions = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0.5f}};
  model.normals = {{0, 0, -1}, {0, 0, -1}, {0, 0.6f, -0.8f}, {0, 0, -1}};
  model.texCoords0 = {{0, 0}, {1, 0}, {1, 1}, {0, 0.25f}};
  model.indices = {0, 1, 2, 0, 2, 3};
  return model;
}

ModelDescription sampleSkinnedModel() {
  ModelDescription model = sampleStaticModel();
  model.texCoords1 = {{0.5f, 0.5f}, {0.75f, 0.5f}, {0.75f, 0.75f}, {0.5f, 0.75f}};
  model.weightsPerVertex = 2;
  model.blendWeights = {1, 0, 0.5f, 0.5f, 0.25f, 0.75f, 0, 1};
  model.paletteIndicesPerVertex = 2;
  model.paletteIndices = {0, 1, 0, 1, 1, 0, 1, 1};
  model.materialOffsets = {0, 6};
  CMaterial material;
  for (int i = 0; i < 17; ++i) material.values[i] = 0.5f * static_cast<float>(i);
  model.materials = {material, CMaterial{}};
  for (int b = 0; b < 2; ++b) {
    WrittenTrack track;
    track.tag = 10 + b;
    for (int k = 0; k < 3; ++k) {
      WrittenKey key;
      key.tag = 100 * b + k;
      const Matrix4 local = numberedMatrix(static_cast<float>(10 * b + k));
      key.values.assign(local.m, local.m + 16);
      track.keys.push_back(key);
    }
    track.offset = numberedMatrix(-static_cast<float>(b));
    model.bones.push_back(track);
  }
  model.boneParents = {255, 0};
  model.boneOrder = {0, 1};
  return model;
}
