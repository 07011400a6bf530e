#include "geometry/vector3.h"

#include <cmath>

Vector3 Vector3::subtract(const Vector3& other) const {
  return Vector3{static_cast<float>(double(x) - double(other.x)),
                 static_cast<float>(double(y) - double(other.y)),
                 static_cast<float>(double(z) - double(other.z))};
}

Vector3 Vector3::cross(const Vector3& o) const {
  return Vector3{static_cast<float>(double(y) * o.z - double(o.y) * z),
                 static_cast<float>(double(o.x) * z - double(x) * o.z),
                 static_cast<float>(double(o.y) * x - double(y) * o.x)};
}

void Vector3::add(const Vector3& other) {
  x = static_cast<float>(double(x) + double(other.x));
  y = static_cast<float>(double(y) + double(other.y));
  z = static_cast<float>(double(z) + double(other.z));
}

double Vector3::normalize() {
  const double length = std::sqrt(double(z) * z + double(y) * y + double(x) * x);
  // Exact comparison on purpose: only a true zero vector is spared the division.
  if (length == 0.0) {
    x = y = z = 0.0f;
    return 0.0;
  }
  x = static_cast<float>(x / length);
  y = static_cast<float>(y / length);
  z = static_cast<float>(z / length);
  return length;
}

double Vector3::dot(const Vector3& other) const {
  // Summed z first so that the geometry builders see the same rounding every time.
  double sum = double(z) * other.z;
  sum += double(y) * other.y;
  sum += double(x) * other.x;
  return sum;
}

Vector3 Vector3::negate() const { return Vector3{-x, -y, -z}; }
