#pragma once

// Three floats, 12 bytes, copied as such into vertex buffers. Intermediate
// arithmetic is done in double precision; results are stored as floats.
struct Vector3 {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;

  Vector3 subtract(const Vector3& other) const;
  Vector3 cross(const Vector3& other) const;
  void add(const Vector3& other);
  // Scales to unit length in place and returns the old length; a zero vector
  // stays zero and returns 0 (no epsilon).
  double normalize();
  double dot(const Vector3& other) const;
  Vector3 negate() const;
};

static_assert(sizeof(Vector3) == 12, "Vector3 is copied byte for byte into vertex data");
