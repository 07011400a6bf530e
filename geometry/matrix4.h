#pragma once
#include <cstdint>

#include "geometry/vector3.h"

// Degrees to radians, as a single-precision constant: every angle in the
// system is given in degrees.
inline constexpr float kDegreesToRadians = 0.017453292f;

// A 4x4 float matrix, row-major, for row vectors (p' = p x M; translation in
// floats 12..14), left-handed. Its memory layout is the graphics platform's
// matrix layout, so it is handed over unchanged.
struct Matrix4 {
  float m[16] = {};

  float& at(int row, int column) { return m[4 * row + column]; }
  float at(int row, int column) const { return m[4 * row + column]; }

  Matrix4& setZero();
  Matrix4& setIdentity();
  Matrix4& rotationX(float degrees);
  Matrix4& rotationY(float degrees);
  Matrix4& rotationZ(float degrees);
  // Rz(roll) x Rx(pitch) x Ry(yaw), leaving out factors whose angle is 0 or NaN.
  Matrix4& rotationYawPitchRoll(float yaw, float pitch, float roll);
  Matrix4& translation(float x, float y, float z);
  Matrix4& setTranslation(float x, float y, float z);
  // destination = this x other over the leading order x order block (order
  // outside 2..4 means 4; for 2 and 3 the rest is the identity's). The
  // destination may be either operand.
  Matrix4& multiply(Matrix4& destination, const Matrix4& other, uint8_t order) const;
  Matrix4 operator*(const Matrix4& other) const;
  Matrix4& lookAt(const Vector3& eye, const Vector3& at, const Vector3& up);
  Matrix4& perspectiveFov(float fovDegrees, float aspect, float zNear, float zFar);
};

static_assert(sizeof(Matrix4) == 64, "Matrix4 matches the platform's matrix layout");
