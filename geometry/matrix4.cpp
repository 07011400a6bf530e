#include "geometry/matrix4.h"

#include <cmath>

namespace {

double toRadians(float degrees) { return double(degrees) * double(kDegreesToRadians); }

// NaN is treated like zero so that a bad angle drops its factor instead of poisoning the result.
bool isLeftOut(float degrees) { return degrees == 0.0f || std::isnan(degrees); }

}  // namespace

Matrix4& Matrix4::setZero() {
  for (float& element : m) element = 0.0f;
  return *this;
}

Matrix4& Matrix4::setIdentity() {
  setZero();
  m[0] = m[5] = m[10] = m[15] = 1.0f;
  return *this;
}

Matrix4& Matrix4::rotationX(float degrees) {
  const double a = toRadians(degrees);
  const float c = static_cast<float>(std::cos(a));
  const float s = static_cast<float>(std::sin(a));
  setIdentity();
  at(1, 1) = c;
  at(1, 2) = s;
  at(2, 1) = -s;
  at(2, 2) = c;
  return *this;
}

Matrix4& Matrix4::rotationY(float degrees) {
  const double a = toRadians(degrees);
  const float c = static_cast<float>(std::cos(a));
  const float s = static_cast<float>(std::sin(a));
  setIdentity();
  at(0, 0) = c;
  at(0, 2) = -s;
  at(2, 0) = s;
  at(2, 2) = c;
  return *this;
}

Matrix4& Matrix4::rotationZ(float degrees) {
  const double a = toRadians(degrees);
  const float c = static_cast<float>(std::cos(a));
  const float s = static_cast<float>(std::sin(a));
  setIdentity();
  at(0, 0) = c;
  at(0, 1) = s;
  at(1, 0) = -s;
  at(1, 1) = c;
  return *this;
}

Matrix4& Matrix4::rotationYawPitchRoll(float yaw, float pitch, float roll) {
  Matrix4 factors[3];
  int count = 0;
  if (!isLeftOut(roll)) factors[count++].rotationZ(roll);
  if (!isLeftOut(pitch)) factors[count++].rotationX(pitch);
  if (!isLeftOut(yaw)) factors[count++].rotationY(yaw);

  if (count == 0) return setIdentity();
  *this = factors[0];
  for (int i = 1; i < count; ++i) multiply(*this, factors[i], 4);
  return *this;
}

Matrix4& Matrix4::translation(float x, float y, float z) {
  setIdentity();
  return setTranslation(x, y, z);
}

Matrix4& Matrix4::setTranslation(float x, float y, float z) {
  m[12] = x;
  m[13] = y;
  m[14] = z;
  return *this;
}

Matrix4& Matrix4::multiply(Matrix4& destination, const Matrix4& other, uint8_t order) const {
  const int n = (order < 2 || order > 4) ? 4 : order;
  Matrix4 result;
  if (n < 4) result.setIdentity();
  for (int i = 0; i < n; ++i) {
    for (int j = 0; j < n; ++j) {
      double sum = 0.0;
      for (int k = 0; k < n; ++k) sum += double(at(i, k)) * other.at(k, j);
      result.at(i, j) = static_cast<float>(sum);
    }
  }
  // Written last, so either operand may also be the destination.
  destination = result;
  return destination;
}

Matrix4 Matrix4::operator*(const Matrix4& other) const {
  Matrix4 product;
  multiply(product, other, 4);
  return product;
}

Matrix4& Matrix4::lookAt(const Vector3& eye, const Vector3& target, const Vector3& up) {
  Vector3 zAxis = target.subtract(eye);
  zAxis.normalize();
  Vector3 xAxis = up.cross(zAxis);
  xAxis.normalize();
  const Vector3 yAxis = zAxis.cross(xAxis);

  const float xs[3] = {xAxis.x, xAxis.y, xAxis.z};
  const float ys[3] = {yAxis.x, yAxis.y, yAxis.z};
  const float zs[3] = {zAxis.x, zAxis.y, zAxis.z};
  for (int r = 0; r < 3; ++r) {
    at(r, 0) = xs[r];
    at(r, 1) = ys[r];
    at(r, 2) = zs[r];
    at(r, 3) = 0.0f;
  }
  at(3, 0) = static_cast<float>(-xAxis.dot(eye));
  at(3, 1) = static_cast<float>(-yAxis.dot(eye));
  at(3, 2) = static_cast<float>(-zAxis.dot(eye));
  at(3, 3) = 1.0f;
  return *this;
}

Matrix4& Matrix4::perspectiveFov(float fovDegrees, float aspect, float zNear, float zFar) {
  setZero();
  const double yScale = 1.0 / std::tan(double(fovDegrees) * 0.5 * double(kDegreesToRadians));
  const double depth = double(zFar) - double(zNear);
  at(0, 0) = static_cast<float>(yScale / aspect);
  at(1, 1) = static_cast<float>(yScale);
  at(2, 2) = static_cast<float>(zFar / depth);
  at(2, 3) = 1.0f;
  at(3, 2) = static_cast<float>(-(double(zNear) * zFar) / depth);
  return *this;
}
