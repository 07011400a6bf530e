#pragma once
#include <cstdint>

#include "geometry/matrix4.h"
#include "geometry/vector3.h"
#include "tools/model_writer/model_writer.h"

// A rigid transform's inverse (rotation transposed, translation undone);
// enough for the demo's bind poses, which neither scale nor shear.
Matrix4 inverseRigid(const Matrix4& m);
// p x m for a point (w = 1) and for a direction (w = 0).
Vector3 transformPoint(const Vector3& p, const Matrix4& m);
Vector3 transformDirection(const Vector3& d, const Matrix4& m);

// Builds the demo's meshes out of boxes into a model description: per face
// four vertices with the face's normal and the whole 0..1 texture square, two
// triangles wound so that the normal side is the front (clockwise as seen
// from outside, as the device culls).
class BoxMeshBuilder {
 public:
  // skinned: every vertex also gets four blend weights (1, 0, 0, 0) and four
  // palette indices all naming its box's bone, which reads the same whichever
  // way a shader combines them.
  BoxMeshBuilder(ModelDescription& model, bool skinned);

  // The box min..max given in a frame that toModel places in the model
  // (a rotation and a move: a mirroring frame would mirror the textures).
  void addBox(const Vector3& min, const Vector3& max, const Matrix4& toModel, uint8_t bone = 0);
  // One face: corners in order round the face, all in model space.
  void addQuad(const Vector3 corners[4], const Vector3& normal, uint8_t bone = 0);

 private:
  void addVertex(const Vector3& position, const Vector3& normal, TexCoord2 uv, uint8_t bone);

  ModelDescription& model_;
  bool skinned_;
};
