#pragma once
#include <cstddef>

#include "import/model_parts.h"

// What a simplification reached.
struct SimplifyResult {
  size_t indicesBefore = 0;
  size_t indicesAfter = 0;
  float error = 0.0f;  // the largest deviation, as a share of the mesh's extent
};

// Lessens each material's triangles to ratio of them (ratio 0: as many as
// let the whole fit one model file) with meshoptimizer; the vertices kept are
// the mesh's own, unmoved. Tries harder, up to a few rounds, when the
// simplifier stops short of a fit.
SimplifyResult simplifyMesh(WideMesh& mesh, double ratio);
