#pragma once

#include "geometry/matrix4.h"

// A rotation quaternion (x, y, z vector part, then w) for blending bone
// rotations between two keyframes.
struct Quaternion {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  float w = 1.0f;

  // The quaternion of the rotation in M's upper 3x3.
  static Quaternion FromMatrix(const Matrix4& matrix);
  // Spherical interpolation, without a flip towards the shorter arc.
  static Quaternion Slerp(const Quaternion& q0, const Quaternion& q1, double t);
  // The rotation matrix (no translation, last column 0, 0, 0, 1).
  static Matrix4 ToMatrix(const Quaternion& q);
};
