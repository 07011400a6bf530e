#pragma once
#include <cstdint>

#include "geometry/mesh_geometry.h"

// Builds the shadow-volume mesh of a triangle list: one vertex per corner
// (position and blend data of the vertex it came from), the surface triangles
// on those vertices, a degenerate edge quad along every edge that two
// triangles share in opposite directions, and per vertex the other two
// corners of its surface triangle (shadowNeighbourA/B).
//
// The source is never changed. On success the destination holds the complete
// mesh; on failure (logged) every list the build writes is left empty and
// isShadowVolume is 0, so a failed build can never be taken for a mesh.
class CShadowVolume {
 public:
  // Largest index count (and so vertex number + 1) of a 16-bit index list.
  static constexpr int32_t kMaxIndexCount = 65535;

  bool create(const MeshGeometry& source, MeshGeometry& destination);

 private:
  bool checksource();
  bool createvertices();
  bool createnewindices();
  bool createextravectors();
  void discardresult();

  const MeshGeometry* source_ = nullptr;
  MeshGeometry* destination_ = nullptr;
};
