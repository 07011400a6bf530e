#pragma once
#include <cstdint>
#include <vector>

#include "base/bounded_array.h"
#include "geometry/matrix4.h"
#include "geometry/vector3.h"

class RenderModel;

// Pairs of points, each pair one line segment (model space).
using LineList = std::vector<Vector3>;

// The joints of a posed skeleton and its bones as segments from each joint
// to its parent's, read from the bone world matrices that the last
// BuildBonePalette left: a joint is where the palette takes a vertex lying
// at the bone's own origin, so it sits where the GPU puts that vertex.
struct SkeletonPose {
  std::vector<Vector3> joints;  // one per bone
  LineList bones;               // joint of the parent, joint of the child
};
// False (and an empty pose) for a model without bones or without a pose yet.
bool BuildSkeletonPose(const RenderModel& model, SkeletonPose* pose);

// The model's vertex stream as read back once from its vertex buffer, so
// that the CPU can skin it with the same palette the effect gets: the
// overlays of normals, tangents and triangle edges then follow the pose the
// GPU draws. Skinning follows the shipped effects: up to four weights, a
// missing input read as (0, 0, 0, 1), a filler 1 behind weights that already
// add up not counted, affine bone matrices.
class SkinnedMesh {
 public:
  // Reads vertices and indices back from the model's buffers. False when
  // the model has none or their layout cannot be read; the mesh is empty.
  bool Capture(const RenderModel& model);
  bool Empty() const { return positions_.empty(); }
  bool HasNormals() const { return !normals_.empty(); }
  bool HasTangents() const { return !tangents_.empty(); }
  // Diagonal of the bounding box of the positions as read.
  float Extent() const { return extent_; }

  // Vertices posed with palette (positions as stored when palette is null
  // or too short for an index: a rigid model). Normals and tangents stay
  // unit length.
  void Pose(const BoundedArray<Matrix4>* palette);
  const std::vector<Vector3>& Positions() const { return posed_; }

  // Every triangle's three edges, each shared edge once per triangle.
  LineList Edges() const;
  // From every vertex, a segment of the given length along its normal or
  // tangent; empty when the stream has none.
  LineList Normals(float length) const;
  LineList Tangents(float length) const;

 private:
  std::vector<Vector3> positions_;
  std::vector<float> weights_;    // four per vertex
  std::vector<uint8_t> indices_;  // four per vertex
  std::vector<Vector3> normals_;
  std::vector<Vector3> tangents_;
  std::vector<uint16_t> triangles_;
  std::vector<Vector3> posed_;
  std::vector<Vector3> posedNormals_;
  std::vector<Vector3> posedTangents_;
  float extent_ = 0.0f;
};

// Where the vertex-stream components sit, from an FVF code.
struct StreamLayout {
  static constexpr int32_t kAbsent = -1;
  uint32_t stride = 0;
  int32_t weights = kAbsent;  // first float of the weights
  int32_t weightCount = 0;
  int32_t indices = kAbsent;  // four bytes
  int32_t normal = kAbsent;
  int32_t tangent = kAbsent;  // the first three-float texture set
};
// False for codes the overlay cannot read (no XYZ position, pre-transformed).
bool DescribeStream(uint32_t fvf, StreamLayout* layout);
