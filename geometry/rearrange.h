#pragma once
#include <cstdint>

#include "base/bounded_array.h"
#include "geometry/mesh_geometry.h"
#include "geometry/vector3.h"

// Writes the destination with the new vertex numbering: `remap` gives the new
// vertex of every corner (one entry per source index), `newTangents` the
// tangent of every new vertex (at least newCount entries). Each new vertex is
// a copy of the source vertex its corners name; vertices no corner names are
// all zero. Lists the source lacks stay empty. False (logged) on failure.
bool recreateALL(const BoundedArray<uint16_t>& remap, const BoundedArray<Vector3>& newTangents,
                 int32_t newCount, const MeshGeometry& source, MeshGeometry& destination);
