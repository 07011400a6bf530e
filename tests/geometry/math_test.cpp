#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/matrix4.h"
#include "geometry/vector3.h"

namespace {

// p' = p x M for a point (w = 1), as every consumer of Matrix4 applies it.
Vector3 apply(const Matrix4& m, float x, float y, float z) {
  return Vector3{x * m.at(0, 0) + y * m.at(1, 0) + z * m.at(2, 0) + m.at(3, 0),
                 x * m.at(0, 1) + y * m.at(1, 1) + z * m.at(2, 1) + m.at(3, 1),
                 x * m.at(0, 2) + y * m.at(1, 2) + z * m.at(2, 2) + m.at(3, 2)};
}

void expectVector(const Vector3& v, float x, float y, float z) {
  EXPECT_NEAR(v.x, x, 1e-6f);
  EXPECT_NEAR(v.y, y, 1e-6f);
  EXPECT_NEAR(v.z, z, 1e-6f);
}

void expectMatrix(const Matrix4& a, const Matrix4& b, float tolerance = 0.0f) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}

Matrix4 identity() { return Matrix4{}.setIdentity(); }

// Non-affine on purpose, so every element takes part in a product.
Matrix4 filled(float start, float step) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) m.m[i] = start + step * static_cast<float>(i * i % 7) - i;
  return m;
}

TEST(Vector3Test, ArithmeticNormalizeAndDotOrder) {
  const Vector3 a{1, 2, 3}, b{4, -5, 6};
  expectVector(a.subtract(b), -3, 7, -3);
  expectVector(a.negate(), -1, -2, -3);
  expectVector(a.cross(b), 27, 6, -13);
  Vector3 sum = a;
  sum.add(b);
  expectVector(sum, 5, -3, 9);

  Vector3 zero;
  EXPECT_EQ(zero.normalize(), 0.0);
  expectVector(zero, 0, 0, 0);
  Vector3 v{3, 0, 4};
  EXPECT_EQ(v.normalize(), 5.0);
  expectVector(v, 0.6f, 0, 0.8f);
  Vector3 diagonal{1, 1, 1};
  EXPECT_EQ(diagonal.normalize(), std::sqrt(3.0));  // not rounded to float
  Vector3 tiny{1e-30f, 0, 0};                       // no epsilon: still scaled
  tiny.normalize();
  EXPECT_FLOAT_EQ(tiny.x, 1.0f);

  // z and y cancel exactly first; summing from x would swallow the 1 in 1e30.
  EXPECT_EQ((Vector3{1, -1e15f, 1e15f}).dot(Vector3{1, 1e15f, 1e15f}), 1.0);
}

TEST(Matrix4Test, BuildersAndTranslation) {
  Matrix4 m = filled(2, 3);
  m.setZero();
  for (float element : m.m) EXPECT_EQ(element, 0.0f);

  const Matrix4 before = filled(2, 3);
  m = before;
  m.setTranslation(7, 8, 9);
  for (int i = 0; i < 16; ++i)
    EXPECT_EQ(m.m[i], i >= 12 && i <= 14 ? 7.0f + (i - 12) : before.m[i]);
  m.translation(1, 2, 3);
  Matrix4 expected = identity().setTranslation(1, 2, 3);
  expectMatrix(m, expected);
  expectVector(apply(m, 1, 1, 1), 2, 3, 4);

  expectVector(apply(Matrix4{}.rotationX(90), 0, 1, 0), 0, 0, 1);
  expectVector(apply(Matrix4{}.rotationY(90), 1, 0, 0), 0, 0, -1);
  expectVector(apply(Matrix4{}.rotationZ(90), 1, 0, 0), 0, 1, 0);
  EXPECT_NEAR(Matrix4{}.rotationX(30).at(1, 2), 0.5f, 1e-7f);
}

TEST(Matrix4Test, YawPitchRollRollsThenPitchesThenYaws) {
  expectMatrix(filled(1, 2).rotationYawPitchRoll(0, 0, 0), identity());
  expectMatrix(Matrix4{}.rotationYawPitchRoll(90, 0, 0), Matrix4{}.rotationY(90));
  // Roll takes x to y, pitch takes y to z, yaw takes z back to x.
  expectVector(apply(Matrix4{}.rotationYawPitchRoll(90, 90, 90), 1, 0, 0), 1, 0, 0);
  expectMatrix(Matrix4{}.rotationYawPitchRoll(20, 30, 40),
               Matrix4{}.rotationZ(40) * Matrix4{}.rotationX(30) * Matrix4{}.rotationY(20), 1e-6f);

  const float nan = std::numeric_limits<float>::quiet_NaN();
  expectMatrix(Matrix4{}.rotationYawPitchRoll(nan, 30, nan), Matrix4{}.rotationX(30));
}

TEST(Matrix4Test, MultiplyOrderAliasingAndPrecision) {
  // Translation first, then a quarter turn about z.
  expectVector(apply(Matrix4{}.translation(1, 2, 3) * Matrix4{}.rotationZ(90), 0, 0, 0), -2, 1, 3);

  const Matrix4 a = filled(0.5f, 1.25f), b = filled(-3, 0.75f);
  const Matrix4 product = a * b;
  Matrix4 left = a, right = b, square = a;
  EXPECT_EQ(&left.multiply(left, b, 4), &left);
  a.multiply(right, right, 4);
  square.multiply(square, square, 4);
  expectMatrix(left, product);
  expectMatrix(right, product);
  expectMatrix(square, a * a);
  for (uint8_t order : {0, 1, 5, 7, 255}) {
    Matrix4 out = filled(9, 9);
    expectMatrix(a.multiply(out, b, order), product);
  }

  // Order 3 ignores row and column 3 of both operands and writes the identity's there.
  Matrix4 a3 = a, b3 = b, out3 = filled(9, 9);
  for (int i = 0; i < 4; ++i) a3.at(3, i) = a3.at(i, 3) = b3.at(3, i) = b3.at(i, 3) = 0.0f;
  Matrix4 expected3 = a3 * b3;
  expected3.at(3, 3) = 1.0f;
  expectMatrix(a.multiply(out3, b, 3), expected3);
  Matrix4 out2;
  a.multiply(out2, b, 2);
  EXPECT_EQ(out2.at(2, 2), 1.0f);
  EXPECT_EQ(out2.at(0, 2), 0.0f);
  EXPECT_EQ(out2.at(1, 0),
            static_cast<float>(double(a.at(1, 0)) * b.at(0, 0) + double(a.at(1, 1)) * b.at(1, 0)));

  Matrix4 row, column;  // a float sum would lose the 1 beside 1e8
  row.at(0, 0) = 1e8f;
  row.at(0, 1) = 1.0f;
  row.at(0, 2) = -1e8f;
  column.at(0, 0) = column.at(1, 0) = column.at(2, 0) = 1.0f;
  EXPECT_EQ((row * column).at(0, 0), 1.0f);
}

TEST(Matrix4Test, LookAtAndPerspective) {
  Matrix4 view, tilted;
  view.lookAt(Vector3{0, 0, -10}, Vector3{0, 0, 0}, Vector3{0, 1, 0});
  // Up need be neither unit length nor square to the view direction.
  tilted.lookAt(Vector3{0, 0, -10}, Vector3{0, 0, 0}, Vector3{0, 3, 1});
  expectMatrix(view, identity().setTranslation(0, 0, 10), 1e-6f);
  expectMatrix(tilted, view, 1e-6f);

  // From +x towards the origin: eye to the origin, target ahead, +z to the right.
  view.lookAt(Vector3{5, 0, 0}, Vector3{0, 0, 0}, Vector3{0, 1, 0});
  expectVector(apply(view, 0, 0, 0), 0, 0, 5);
  expectVector(apply(view, 5, 1, 1), 1, 1, 0);

  // Eye on the target: the axes normalise to zero rather than NaN.
  view = filled(1, 1);
  view.lookAt(Vector3{1, 2, 3}, Vector3{1, 2, 3}, Vector3{0, 1, 0});
  Matrix4 degenerate;
  degenerate.at(3, 3) = 1.0f;
  expectMatrix(view, degenerate);

  Matrix4 projection = filled(1, 1);
  projection.perspectiveFov(90, 1, 1, 100);
  Matrix4 expected;
  expected.at(0, 0) = expected.at(1, 1) = 1.0f;
  expected.at(2, 2) = 100.0f / 99.0f;
  expected.at(3, 2) = -100.0f / 99.0f;
  expected.at(2, 3) = 1.0f;
  expectMatrix(projection, expected, 1e-6f);

  // Wide aspect narrows x; depth after the divide by w spans [0, 1].
  projection.perspectiveFov(60, 2, 0.5f, 50);
  EXPECT_NEAR(projection.at(0, 0), 1.0 / std::tan(M_PI / 6) / 2, 1e-6);
  for (float depth : {0.5f, 50.0f}) {
    const double z = depth * projection.at(2, 2) + projection.at(3, 2);
    EXPECT_NEAR(z / (depth * projection.at(2, 3)), depth == 0.5f ? 0.0 : 1.0, 1e-6);
  }
}

}  // namespace
