#pragma once
#include <assimp/matrix4x4.h>

#include "geometry/matrix4.h"

// Double-precision helpers for the converter: the viewer's convention (row
// vectors, p' = p x M, translation in row 3) throughout, so products read in
// the order the transforms apply.

struct Vec3d {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

Vec3d operator+(const Vec3d& a, const Vec3d& b);
Vec3d operator-(const Vec3d& a, const Vec3d& b);
Vec3d operator*(const Vec3d& a, double s);
double length(const Vec3d& a);
// The vector scaled to unit length; a zero vector stays zero.
Vec3d normalized(const Vec3d& a);

struct Mat4d {
  double m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

  double& at(int row, int column) { return m[4 * row + column]; }
  double at(int row, int column) const { return m[4 * row + column]; }

  static Mat4d scaling(double s);
  static Mat4d translation(const Vec3d& t);

  // this x other: this applies first.
  Mat4d operator*(const Mat4d& other) const;
  // Inverse of an affine matrix (last column 0, 0, 0, 1); the identity when
  // the upper 3x3 is singular.
  Mat4d inverse() const;
  Vec3d transformPoint(const Vec3d& p) const;
  // Only the upper 3x3.
  Vec3d transformDirection(const Vec3d& d) const;
  // Transforms normals as this matrix transforms surfaces: the inverse
  // transpose of the upper 3x3, renormalised.
  Vec3d transformNormal(const Vec3d& n) const;
  double determinant3() const;
  Vec3d translationPart() const { return {m[12], m[13], m[14]}; }
  // Largest absolute difference of any element.
  double maxDifference(const Mat4d& other) const;
};

// An assimp matrix (column vectors) in the row-vector convention, same space.
Mat4d fromAssimp(const aiMatrix4x4& matrix);

// Mirrors a row-vector matrix through z = 0 on both sides: a transform of the
// right-handed source becomes the same transform of the left-handed output.
Mat4d mirrorZ(const Mat4d& matrix);
inline Vec3d mirrorZ(const Vec3d& v) { return {v.x, v.y, -v.z}; }

// An affine matrix split as scale x rigid: rigid holds a proper rotation and
// the translation, scale the rest of the upper 3x3 (symmetric for pure
// scales and shears, with a mirror folded in when the determinant is
// negative) and no translation.
struct ScaleRigidSplit {
  Mat4d scale;
  Mat4d rigid;
};
ScaleRigidSplit splitScaleRigid(const Mat4d& matrix);

// Inverse of a rotation-plus-translation matrix.
Mat4d rigidInverse(const Mat4d& rigid);

Matrix4 toMatrix4(const Mat4d& matrix);
