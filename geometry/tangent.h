#pragma once
#include <cstdint>

#include "base/bounded_array.h"
#include "geometry/mesh_geometry.h"
#include "geometry/vector3.h"

// What the tangent build gathers for one source vertex.
struct tTindex {
  // One slot per recorded corner; tangent j belongs to corner j.
  BoundedArray<Vector3> tangents;
  int32_t used = 0;
  // The corners (positions in the index list) that use the vertex, ascending.
  BoundedArray<uint16_t> corners;
};

// Per-vertex tangents for bump mapping: one tangent per triangle (the surface
// direction in which texture coordinate u grows), gathered at the triangle's
// corners, merged where they lie within the melting angle of each other and
// split into new vertices where they do not. The result is a complete,
// re-arranged copy of the source with `tangents`.
//
// The source is never changed. On failure (logged) every vertex list and the
// index list of the destination are left empty: the caller must keep its mesh
// as it was and must not take the destination over.
class CTangent {
 public:
  static constexpr int32_t kMaxCornersPerVertex = 256;
  // An index of this value is never collected (it marks a collected corner).
  static constexpr uint16_t kCollectedCorner = 65535;
  static constexpr int32_t kMaxIndexCount = 65535;
  static constexpr int32_t kMaxVertexCount = 65535;

  bool create(const MeshGeometry& source, MeshGeometry& destination, float meltingDegree);

  // The steps of create, in calling order; bind() first to run them alone.
  void bind(const MeshGeometry& source, MeshGeometry& destination);
  // Fills the entry list with each vertex's corners (at most 256, ascending);
  // returns the largest corner count of a vertex, 0 meaning failure.
  int32_t computeparents();
  // Needs texCoords0 for every vertex (create checks it).
  void computetangents();
  // Groups the tangents, numbers the new vertices and writes the destination.
  bool rearrange(float meltingDegree);

  BoundedArray<tTindex>& entries() { return entries_; }
  const BoundedArray<tTindex>& entries() const { return entries_; }

 private:
  bool checkvertexlists() const;
  void discardresult();

  const MeshGeometry* source_ = nullptr;
  MeshGeometry* destination_ = nullptr;
  BoundedArray<tTindex> entries_;
};
