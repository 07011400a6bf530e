#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geometry/matrix4.h"
#include "geometry/vector3.h"

namespace {

constexpr float kTolerance = 1e-6f;

// p' = p x M for a point (w = 1), as every consumer of Matrix4 applies it.
Vector3 transformPoint(const Vector3& p, const Matrix4& m) {
  return Vector3{p.x * m.at(0, 0) + p.y * m.at(1, 0) + p.z * m.at(2, 0) + m.at(3, 0),
                 p.x * m.at(0, 1) + p.y * m.at(1, 1) + p.z * m.at(2, 1) + m.at(3, 1),
                 p.x * m.at(0, 2) + p.y * m.at(1, 2) + p.z * m.at(2, 2) + m.at(3, 2)};
}

void expectVectorNear(const Vector3& actual, float x, float y, float z) {
  EXPECT_NEAR(actual.x, x, kTolerance);
  EXPECT_NEAR(actual.y, y, kTolerance);
  EXPECT_NEAR(actual.z, z, kTolerance);
}

void expectMatricesEqual(const Matrix4& a, const Matrix4& b) {
  for (int i = 0; i < 16; ++i) EXPECT_EQ(a.m[i], b.m[i]) << "element " << i;
}

void expectMatricesNear(const Matrix4& a, const Matrix4& b) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], kTolerance) << "element " << i;
}

Matrix4 identity() { return Matrix4{}.setIdentity(); }

// Deliberately non-affine, so every element takes part in the product.
Matrix4 filledMatrix(float start, float step) {
  Matrix4 m;
  for (int i = 0; i < 16; ++i) m.m[i] = start + step * static_cast<float>(i * i % 7) - i;
  return m;
}

TEST(Vector3Test, ArithmeticAndNormalize) {
  const Vector3 a{1.0f, 2.0f, 3.0f};
  const Vector3 b{4.0f, -5.0f, 6.0f};
  expectVectorNear(a.subtract(b), -3.0f, 7.0f, -3.0f);
  expectVectorNear(a.negate(), -1.0f, -2.0f, -3.0f);
  expectVectorNear(Vector3{1, 0, 0}.cross(Vector3{0, 1, 0}), 0.0f, 0.0f, 1.0f);
  expectVectorNear(a.cross(b), 27.0f, 6.0f, -13.0f);
  Vector3 sum = a;
  sum.add(b);
  expectVectorNear(sum, 5.0f, -3.0f, 9.0f);
  EXPECT_EQ(a.dot(b), 12.0);

  Vector3 zero;
  EXPECT_EQ(zero.normalize(), 0.0);
  expectVectorNear(zero, 0.0f, 0.0f, 0.0f);
  EXPECT_FALSE(std::isnan(zero.x) || std::isnan(zero.y) || std::isnan(zero.z));

  Vector3 v{3.0f, 0.0f, 4.0f};
  EXPECT_EQ(v.normalize(), 5.0);
  expectVectorNear(v, 0.6f, 0.0f, 0.8f);

  // The old length comes back in full double precision, not rounded to float.
  Vector3 diagonal{1.0f, 1.0f, 1.0f};
  EXPECT_EQ(diagonal.normalize(), std::sqrt(3.0));

  // Tiny but non-zero vectors are still scaled: the guard has no epsilon.
  Vector3 tiny{1e-30f, 0.0f, 0.0f};
  tiny.normalize();
  EXPECT_FLOAT_EQ(tiny.x, 1.0f);
}

TEST(Vector3Test, DotSumsInDoubleStartingFromZ) {
  // z and y cancel exactly first; summing from x would swallow the 1 in the 1e30 term.
  const Vector3 a{1.0f, -1e15f, 1e15f};
  const Vector3 b{1.0f, 1e15f, 1e15f};
  EXPECT_EQ(a.dot(b), 1.0);
}

TEST(Matrix4Test, IdentityZeroAndTranslation) {
  Matrix4 m = filledMatrix(2.0f, 3.0f);
  m.setZero();
  for (float element : m.m) EXPECT_EQ(element, 0.0f);

  m.setIdentity();
  for (int i = 0; i < 16; ++i) EXPECT_EQ(m.m[i], (i % 5 == 0) ? 1.0f : 0.0f);

  Matrix4 moved = filledMatrix(2.0f, 3.0f);
  const Matrix4 before = moved;
  moved.setTranslation(7.0f, 8.0f, 9.0f);
  for (int i = 0; i < 16; ++i) {
    if (i >= 12 && i <= 14) continue;
    EXPECT_EQ(moved.m[i], before.m[i]) << "element " << i;
  }
  EXPECT_EQ(moved.m[12], 7.0f);
  EXPECT_EQ(moved.m[13], 8.0f);
  EXPECT_EQ(moved.m[14], 9.0f);

  moved.translation(1.0f, 2.0f, 3.0f);
  Matrix4 expected = identity();
  expected.m[12] = 1.0f;
  expected.m[13] = 2.0f;
  expected.m[14] = 3.0f;
  expectMatricesEqual(moved, expected);
  expectVectorNear(transformPoint(Vector3{1, 1, 1}, moved), 2.0f, 3.0f, 4.0f);
}

TEST(Matrix4Test, SingleAxisRotationsTurnLeftHanded) {
  expectVectorNear(transformPoint(Vector3{0, 1, 0}, Matrix4{}.rotationX(90)), 0, 0, 1);
  expectVectorNear(transformPoint(Vector3{0, 0, 1}, Matrix4{}.rotationY(90)), 1, 0, 0);
  expectVectorNear(transformPoint(Vector3{1, 0, 0}, Matrix4{}.rotationY(90)), 0, 0, -1);
  expectVectorNear(transformPoint(Vector3{1, 0, 0}, Matrix4{}.rotationZ(90)), 0, 1, 0);

  // Angles are degrees; the untouched axis and the last row and column stay identity.
  const Matrix4 r = Matrix4{}.rotationX(30);
  EXPECT_NEAR(r.at(1, 1), std::cos(M_PI / 6), kTolerance);
  EXPECT_NEAR(r.at(1, 2), 0.5, kTolerance);
  EXPECT_EQ(r.at(0, 0), 1.0f);
  EXPECT_EQ(r.at(3, 3), 1.0f);
  EXPECT_EQ(r.at(3, 1), 0.0f);
  EXPECT_EQ(r.at(1, 3), 0.0f);
}

TEST(Matrix4Test, YawPitchRollRollsThenPitchesThenYaws) {
  expectMatricesEqual(Matrix4{}.rotationYawPitchRoll(0, 0, 0), identity());
  expectMatricesEqual(Matrix4{}.rotationYawPitchRoll(90, 0, 0), Matrix4{}.rotationY(90));
  expectVectorNear(transformPoint(Vector3{1, 0, 0}, Matrix4{}.rotationYawPitchRoll(90, 0, 0)), 0,
                   0, -1);

  // Roll takes x to y, pitch takes y to z, yaw takes z back to x.
  expectVectorNear(transformPoint(Vector3{1, 0, 0}, Matrix4{}.rotationYawPitchRoll(90, 90, 90)), 1,
                   0, 0);
  expectMatricesNear(Matrix4{}.rotationYawPitchRoll(20, 30, 40),
                     Matrix4{}.rotationZ(40) * Matrix4{}.rotationX(30) * Matrix4{}.rotationY(20));

  // A NaN angle drops its factor instead of filling the matrix with NaN.
  const float nan = std::numeric_limits<float>::quiet_NaN();
  expectMatricesEqual(Matrix4{}.rotationYawPitchRoll(nan, 30, nan), Matrix4{}.rotationX(30));
  expectMatricesEqual(Matrix4{}.rotationYawPitchRoll(nan, nan, nan), identity());

  // The previous content does not leak into the result.
  Matrix4 reused = filledMatrix(1.0f, 2.0f);
  expectMatricesEqual(reused.rotationYawPitchRoll(0, 0, 0), identity());
}

TEST(Matrix4Test, MultiplyComposesAndAllowsAliasing) {
  // Translation first, then a quarter turn about z.
  const Matrix4 moveThenTurn = Matrix4{}.translation(1, 2, 3) * Matrix4{}.rotationZ(90);
  expectVectorNear(transformPoint(Vector3{0, 0, 0}, moveThenTurn), -2, 1, 3);

  const Matrix4 a = filledMatrix(0.5f, 1.25f);
  const Matrix4 b = filledMatrix(-3.0f, 0.75f);
  Matrix4 fresh;
  a.multiply(fresh, b, 4);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += double(a.at(i, k)) * b.at(k, j);
      EXPECT_EQ(fresh.at(i, j), static_cast<float>(sum));
    }
  }
  expectMatricesEqual(a * b, fresh);

  Matrix4 left = a;
  EXPECT_EQ(&left.multiply(left, b, 4), &left);
  expectMatricesEqual(left, fresh);

  Matrix4 right = b;
  a.multiply(right, right, 4);
  expectMatricesEqual(right, fresh);

  Matrix4 square = a;
  square.multiply(square, square, 4);
  expectMatricesEqual(square, a * a);
}

TEST(Matrix4Test, MultiplyOrderSelectsTheBlock) {
  const Matrix4 a = filledMatrix(0.5f, 1.25f);
  const Matrix4 b = filledMatrix(-3.0f, 0.75f);
  const Matrix4 full = a * b;
  for (uint8_t order : {uint8_t{0}, uint8_t{1}, uint8_t{5}, uint8_t{7}, uint8_t{255}}) {
    Matrix4 out = filledMatrix(9.0f, 9.0f);
    a.multiply(out, b, order);
    expectMatricesEqual(out, full);
  }

  Matrix4 three = filledMatrix(9.0f, 9.0f);
  a.multiply(three, b, 3);
  for (int i = 0; i < 4; ++i) {
    for (int j = 0; j < 4; ++j) {
      if (i < 3 && j < 3) {
        double sum = 0;
        for (int k = 0; k < 3; ++k) sum += double(a.at(i, k)) * b.at(k, j);
        EXPECT_EQ(three.at(i, j), static_cast<float>(sum)) << i << "," << j;
      } else {
        EXPECT_EQ(three.at(i, j), i == j ? 1.0f : 0.0f) << i << "," << j;
      }
    }
  }

  Matrix4 two = filledMatrix(9.0f, 9.0f);
  a.multiply(two, b, 2);
  EXPECT_EQ(two.at(0, 0), static_cast<float>(double(a.at(0, 0)) * b.at(0, 0) +
                                             double(a.at(0, 1)) * b.at(1, 0)));
  EXPECT_EQ(two.at(2, 2), 1.0f);
  EXPECT_EQ(two.at(0, 2), 0.0f);
}

TEST(Matrix4Test, MultiplySumsInDouble) {
  Matrix4 row;
  row.at(0, 0) = 1e8f;
  row.at(0, 1) = 1.0f;
  row.at(0, 2) = -1e8f;
  Matrix4 column;
  column.at(0, 0) = column.at(1, 0) = column.at(2, 0) = 1.0f;
  EXPECT_EQ((row * column).at(0, 0), 1.0f);
}

TEST(Matrix4Test, LookAtBuildsTheViewBasis) {
  Matrix4 view;
  view.lookAt(Vector3{0, 0, -10}, Vector3{0, 0, 0}, Vector3{0, 1, 0});
  Matrix4 expected = identity();
  expected.at(3, 2) = 10.0f;
  expectMatricesNear(view, expected);

  // From +x looking at the origin: the eye lands at the origin, the target straight ahead.
  view.lookAt(Vector3{5, 0, 0}, Vector3{0, 0, 0}, Vector3{0, 1, 0});
  expectVectorNear(transformPoint(Vector3{5, 0, 0}, view), 0, 0, 0);
  expectVectorNear(transformPoint(Vector3{0, 0, 0}, view), 0, 0, 5);
  expectVectorNear(transformPoint(Vector3{5, 1, 0}, view), 0, 1, 0);
  expectVectorNear(transformPoint(Vector3{5, 0, 1}, view), 1, 0, 0);

  // Eye on the target: the axes normalise to zero rather than NaN.
  view = filledMatrix(1.0f, 1.0f);
  view.lookAt(Vector3{1, 2, 3}, Vector3{1, 2, 3}, Vector3{0, 1, 0});
  expected.setZero();
  expected.at(3, 3) = 1.0f;
  expectMatricesNear(view, expected);
  for (float element : view.m) EXPECT_FALSE(std::isnan(element));
}

TEST(Matrix4Test, PerspectiveFovMapsNearToZeroAndFarToOne) {
  Matrix4 projection = filledMatrix(1.0f, 1.0f);
  projection.perspectiveFov(90, 1, 1, 100);
  EXPECT_NEAR(projection.at(0, 0), 1.0f, kTolerance);
  EXPECT_NEAR(projection.at(1, 1), 1.0f, kTolerance);
  EXPECT_FLOAT_EQ(projection.at(2, 2), 100.0f / 99.0f);
  EXPECT_FLOAT_EQ(projection.at(3, 2), -100.0f / 99.0f);
  EXPECT_EQ(projection.at(2, 3), 1.0f);
  EXPECT_EQ(projection.at(3, 3), 0.0f);
  for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13}) EXPECT_EQ(projection.m[i], 0.0f) << i;

  // Wide aspect narrows x; depth after the divide by w spans [0, 1].
  projection.perspectiveFov(60, 2, 0.5f, 50);
  EXPECT_NEAR(projection.at(1, 1), 1.0 / std::tan(M_PI / 6), 1e-5);
  EXPECT_NEAR(projection.at(0, 0), projection.at(1, 1) / 2, 1e-6);
  for (float depth : {0.5f, 50.0f}) {
    const double z = depth * projection.at(2, 2) + projection.at(3, 2);
    const double w = depth * projection.at(2, 3);
    EXPECT_NEAR(z / w, depth == 0.5f ? 0.0 : 1.0, 1e-6);
  }
}

}  // namespace
