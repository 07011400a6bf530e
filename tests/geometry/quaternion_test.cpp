#include "geometry/quaternion.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "geometry/matrix4.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

// Rotation about the unit axis k, built without the code under test: the
// right-handed column-vector formula, transposed for row vectors.
Matrix4 axisAngle(double kx, double ky, double kz, double degrees) {
  const double a = degrees * kPi / 180.0, c = std::cos(a), s = std::sin(a);
  const double k[3] = {kx, ky, kz};
  const double skew[3][3] = {{0, -kz, ky}, {kz, 0, -kx}, {-ky, kx, 0}};
  Matrix4 m = Matrix4{}.setIdentity();
  for (int r = 0; r < 3; ++r) {
    for (int col = 0; col < 3; ++col) {
      m.at(col, r) =
          static_cast<float>((r == col ? c : 0.0) + s * skew[r][col] + (1 - c) * k[r] * k[col]);
    }
  }
  return m;
}

void expectMatrix(const Matrix4& a, const Matrix4& b, double tolerance) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(a.m[i], b.m[i], tolerance) << "element " << i;
}

void expectQuaternion(const Quaternion& q, double x, double y, double z, double w,
                      double tolerance = 1e-6) {
  EXPECT_NEAR(q.x, x, tolerance);
  EXPECT_NEAR(q.y, y, tolerance);
  EXPECT_NEAR(q.z, z, tolerance);
  EXPECT_NEAR(q.w, w, tolerance);
}

// 0 for the trace formula, 1..3 for the fallback led by x, y or z.
int extractionBranch(const Matrix4& m) {
  const float d11 = m.at(0, 0), d22 = m.at(1, 1), d33 = m.at(2, 2);
  if (double(d11) + d22 + d33 + 1.0 > 0.001) return 0;
  if (d11 > d22 && d11 > d33) return 1;
  return d22 > d33 ? 2 : 3;
}

TEST(QuaternionTest, FromMatrixOfKnownRotations) {
  expectMatrix(axisAngle(1, 0, 0, 37), Matrix4{}.rotationX(37), 1e-6);  // the helper agrees
  expectQuaternion(Quaternion::FromMatrix(Matrix4{}.setIdentity()), 0, 0, 0, 1, 0);
  expectMatrix(Quaternion::ToMatrix(Quaternion{}), Matrix4{}.setIdentity(), 0);

  // Only the upper 3x3 is read; a quarter turn about z.
  const double half = std::sqrt(0.5);
  const Quaternion quarterZ =
      Quaternion::FromMatrix(Matrix4{}.rotationZ(90).setTranslation(4, 5, 6));
  expectQuaternion(quarterZ, 0, 0, half, half);
  expectMatrix(Quaternion::ToMatrix(quarterZ), Matrix4{}.rotationZ(90), 1e-6);
}

TEST(QuaternionTest, RoundTripReproducesRotationsInEveryBranch) {
  int branchCounts[4] = {};
  auto check = [&](const Matrix4& rotation) {
    const int branch = extractionBranch(rotation);
    ++branchCounts[branch];
    const Quaternion q = Quaternion::FromMatrix(rotation);
    expectMatrix(Quaternion::ToMatrix(q), rotation, 1e-5);
    // The sign each branch settles on decides which arc the blending takes.
    const float vector[3] = {q.x, q.y, q.z};
    if (branch == 0) {
      EXPECT_GT(q.w, 0.0f);
    } else {
      const float lead = vector[branch - 1];
      EXPECT_LT(lead, 0.0f);
      for (float component : vector) EXPECT_LE(std::fabs(component), std::fabs(lead) + 1e-6f);
    }
    return branch;
  };
  EXPECT_EQ(check(axisAngle(1, 0, 0, 179)), 1);
  EXPECT_EQ(check(axisAngle(0, 1, 0, 179)), 2);
  EXPECT_EQ(check(axisAngle(0, 0, 1, 179)), 3);
  EXPECT_EQ(check(Matrix4{}.rotationY(-179)), 2);

  std::mt19937 random(20240611u);
  std::normal_distribution<double> gaussian;
  std::uniform_real_distribution<double> anyAngle(0, 360), nearHalfTurn(176, 184);
  for (int i = 0; i < 4000; ++i) {
    const double k[3] = {gaussian(random), gaussian(random), gaussian(random)};
    const double length = std::sqrt(k[0] * k[0] + k[1] * k[1] + k[2] * k[2]);
    const double angle = (i % 2 == 0) ? anyAngle(random) : nearHalfTurn(random);
    check(axisAngle(k[0] / length, k[1] / length, k[2] / length, angle));
  }
  for (int count : branchCounts) EXPECT_GT(count, 100);
}

TEST(QuaternionTest, SlerpDegenerateAngles) {
  const float half = static_cast<float>(std::sqrt(0.5));
  const Quaternion q{0, half, 0, half}, minusQ{0, -half, 0, -half};
  for (double t : {0.0, 0.3, 0.999}) {
    expectQuaternion(Quaternion::Slerp(q, q, t), q.x, q.y, q.z, q.w, 0);
    expectQuaternion(Quaternion::Slerp(q, minusQ, t), q.x, q.y, q.z, q.w, 0);
  }
  // A dot product of 1 or more in magnitude, even from unnormalised input, gives q0.
  const Quaternion big{0, 0, 0, 2};
  expectQuaternion(Quaternion::Slerp(big, Quaternion{0, 0, 0.1f, 1}, 0.5), 0, 0, 0, 2, 0);
  expectQuaternion(Quaternion::Slerp(big, Quaternion{0, 0, 0.1f, -1}, 0.5), 0, 0, 0, 2, 0);

  // Nearly parallel: the plain average, whatever t is.
  const float nearW = static_cast<float>(std::sqrt(1.0 - 0.0004 * 0.0004));
  for (double t : {0.1, 0.9}) {
    expectQuaternion(Quaternion::Slerp(Quaternion{}, Quaternion{0.0004f, 0, 0, nearW}, t), 0.0002,
                     0, 0, (1.0 + nearW) / 2);
  }
  // Nearly opposite is the same rotation with the sign flipped: the blend must not
  // cancel to a zero quaternion, which would read as no rotation at all.
  const Quaternion quarterX = Quaternion::FromMatrix(Matrix4{}.rotationX(90));
  const Quaternion flipped{-quarterX.x - 0.0003f, 0, 0, -quarterX.w + 0.0003f};
  expectMatrix(Quaternion::ToMatrix(Quaternion::Slerp(quarterX, flipped, 0.5)),
               Matrix4{}.rotationX(90), 1e-3);
}

TEST(QuaternionTest, SlerpFollowsTheArcItIsGiven) {
  const float half = static_cast<float>(std::sqrt(0.5));
  const Quaternion quarterZ{0, 0, half, half}, minusQuarterZ{0, 0, -half, -half};
  const double sixteenth = 22.5 * kPi / 180.0;  // half of the half angle of a quarter turn
  expectQuaternion(Quaternion::Slerp(Quaternion{}, quarterZ, 0.5), 0, 0, std::sin(sixteenth),
                   std::cos(sixteenth));
  expectQuaternion(Quaternion::Slerp(Quaternion{}, quarterZ, 0.25), 0, 0, std::sin(sixteenth / 2),
                   std::cos(sixteenth / 2));
  // Negated, the pair is 135 degrees apart and no shorter arc is sought: halfway is
  // 67.5 degrees along the long way, towards -z.
  const double longHalf = 67.5 * kPi / 180.0;
  expectQuaternion(Quaternion::Slerp(Quaternion{}, minusQuarterZ, 0.5), 0, 0, -std::sin(longHalf),
                   std::cos(longHalf));
}

}  // namespace
