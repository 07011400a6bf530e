#include "geometry/quaternion.h"

#include <cmath>

namespace {

// Below this sine of the angle the interpolation weights are not stable enough to use.
constexpr double kSlerpMinimumSine = 0.001;

Quaternion fromDoubles(double x, double y, double z, double w) {
  return Quaternion{static_cast<float>(x), static_cast<float>(y), static_cast<float>(z),
                    static_cast<float>(w)};
}

}  // namespace

Quaternion Quaternion::FromMatrix(const Matrix4& matrix) {
  const double m11 = matrix.at(0, 0), m12 = matrix.at(0, 1), m13 = matrix.at(0, 2);
  const double m21 = matrix.at(1, 0), m22 = matrix.at(1, 1), m23 = matrix.at(1, 2);
  const double m31 = matrix.at(2, 0), m32 = matrix.at(2, 1), m33 = matrix.at(2, 2);

  double x, y, z, w;
  const double trace = m11 + m22 + m33 + 1.0;
  if (trace > 0.001) {
    const double s = 0.5 / std::sqrt(trace);
    w = 0.25 / s;
    x = (m32 - m23) * s;
    y = (m13 - m31) * s;
    z = (m21 - m12) * s;
  } else if (m11 > m22 && m11 > m33) {
    const double s = 2.0 * std::sqrt(1.0 + m11 - m22 - m33);
    x = s * 0.25;
    y = (m21 + m12) / s;
    z = (m31 + m13) / s;
    w = (m32 - m23) / s;
  } else if (m22 > m33) {
    const double s = 2.0 * std::sqrt(1.0 + m22 - m11 - m33);
    x = (m21 + m12) / s;
    y = s * 0.25;
    z = (m32 + m23) / s;
    w = (m13 - m31) / s;
  } else {
    const double s = 2.0 * std::sqrt(1.0 + m33 - m11 - m22);
    x = (m31 + m13) / s;
    y = (m32 + m23) / s;
    z = s * 0.25;
    w = (m21 - m12) / s;
  }
  // Near a half turn the trace is a small difference of float elements, so the
  // formulas above drift off unit length; rescaling keeps the rotation exact.
  const double length = std::sqrt(x * x + y * y + z * z + w * w);
  // The formulas above give the conjugate for row-vector matrices; negating the
  // vector part turns it into the rotation that ToMatrix reproduces.
  return fromDoubles(-x / length, -y / length, -z / length, w / length);
}

Quaternion Quaternion::Slerp(const Quaternion& q0, const Quaternion& q1, double t) {
  const double d =
      double(q0.x) * q1.x + double(q0.y) * q1.y + double(q0.z) * q1.z + double(q0.w) * q1.w;
  if (std::fabs(d) >= 1.0) return q0;

  const double theta = std::acos(d);
  const double s = std::sqrt(1.0 - d * d);
  if (std::fabs(s) < kSlerpMinimumSine) {
    // A nearly opposite pair is the same rotation with the sign flipped; averaging
    // it as it stands would cancel to a near-zero quaternion, so q1 is flipped first.
    const double sign = d < 0.0 ? -1.0 : 1.0;
    return fromDoubles((double(q0.x) + sign * q1.x) * 0.5, (double(q0.y) + sign * q1.y) * 0.5,
                       (double(q0.z) + sign * q1.z) * 0.5, (double(q0.w) + sign * q1.w) * 0.5);
  }

  const double a = std::sin((1.0 - t) * theta) / s;
  const double b = std::sin(t * theta) / s;
  return fromDoubles(q0.x * a + q1.x * b, q0.y * a + q1.y * b, q0.z * a + q1.z * b,
                     q0.w * a + q1.w * b);
}

Matrix4 Quaternion::ToMatrix(const Quaternion& q) {
  const double x = q.x, y = q.y, z = q.z, w = q.w;
  Matrix4 result;
  result.setIdentity();
  result.at(0, 0) = static_cast<float>(1.0 - 2.0 * (y * y + z * z));
  result.at(0, 1) = static_cast<float>(2.0 * (x * y + w * z));
  result.at(0, 2) = static_cast<float>(2.0 * (x * z - w * y));
  result.at(1, 0) = static_cast<float>(2.0 * (x * y - w * z));
  result.at(1, 1) = static_cast<float>(1.0 - 2.0 * (x * x + z * z));
  result.at(1, 2) = static_cast<float>(2.0 * (y * z + w * x));
  result.at(2, 0) = static_cast<float>(2.0 * (x * z + w * y));
  result.at(2, 1) = static_cast<float>(2.0 * (y * z - w * x));
  result.at(2, 2) = static_cast<float>(1.0 - 2.0 * (x * x + y * y));
  return result;
}
