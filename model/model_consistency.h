#pragma once
#include <functional>

#include "geometry/mesh_geometry.h"

class RenderModel;

// Receives one violation as a complete "<error> " log line; returns false to
// stop the check there.
using ConsistencySink = std::function<bool(const char* line)>;

// Checks what the geometry builders, the upload and the animation rely on
// before any of them runs: one entry per vertex in every per-vertex list,
// indices below the vertex count (a multiple of 3, at most 65,535), 1-4
// weights and palette indices per vertex, palette indices below the bone
// count, equal key counts with at least 16 values per key, and an armature
// that matches the animation and lists every parent before its children.
// Each broken rule is reported once (with how often it is broken and its
// first case) until the sink says stop. model may be null (no skeleton).
// Returns the number of violations reported.
int checkModelConsistency(const MeshGeometry& mesh, const RenderModel* model,
                          const ConsistencySink& sink);
