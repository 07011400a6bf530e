#pragma once
#include "tools/model_writer/model_writer.h"

// Small consistent models for tests, fuzz seeds and examples.

// A quad of two triangles with normals and one texture set.
ModelDescription sampleStaticModel();

// The quad skinned to two bones (bone 1 child of bone 0, three keys of 16
// values each), with both texture sets, materials and material offsets.
ModelDescription sampleSkinnedModel();
