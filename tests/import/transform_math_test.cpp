// The converter's double-precision transforms: the mirror into the viewer's
// handedness, the scale/rigid split behind the bone keys, channel poses.
#include "import/transform_math.h"

#include <gtest/gtest.h>

#include <cmath>

#include "import/scene_pose.h"

namespace {

// Rotation by degrees about the z axis, row vectors.
Mat4d rotationZ(double degrees) {
  const double a = degrees * M_PI / 180.0;
  Mat4d r;
  r.at(0, 0) = std::cos(a);
  r.at(0, 1) = std::sin(a);
  r.at(1, 0) = -std::sin(a);
  r.at(1, 1) = std::cos(a);
  return r;
}

Mat4d rotationX(double degrees) {
  const double a = degrees * M_PI / 180.0;
  Mat4d r;
  r.at(1, 1) = std::cos(a);
  r.at(1, 2) = std::sin(a);
  r.at(2, 1) = -std::sin(a);
  r.at(2, 2) = std::cos(a);
  return r;
}

Mat4d diagonal(double x, double y, double z) {
  Mat4d d;
  d.at(0, 0) = x;
  d.at(1, 1) = y;
  d.at(2, 2) = z;
  return d;
}

void expectNear(const Vec3d& a, const Vec3d& b, double tolerance = 1e-9) {
  EXPECT_NEAR(a.x, b.x, tolerance);
  EXPECT_NEAR(a.y, b.y, tolerance);
  EXPECT_NEAR(a.z, b.z, tolerance);
}

}  // namespace

TEST(TransformMath, ScaleRigidSplitKeepsTheMatrixAndMakesAProperRotation) {
  const Mat4d rotation = rotationZ(30) * rotationX(-70);
  const Mat4d cases[] = {
      Mat4d::scaling(100) * rotation * Mat4d::translation({1, 2, 3}),  // a file in centimetres
      diagonal(2, 3, 4) * rotation * Mat4d::translation({-5, 0, 7}),   // stretched
      diagonal(-1, 1, 1) * rotation,                                   // mirrored
  };
  for (const Mat4d& m : cases) {
    const ScaleRigidSplit split = splitScaleRigid(m);
    EXPECT_LT((split.scale * split.rigid).maxDifference(m), 1e-9);
    EXPECT_NEAR(split.rigid.determinant3(), 1.0, 1e-12);
    const Mat4d identity = split.rigid * rigidInverse(split.rigid);
    EXPECT_LT(identity.maxDifference(Mat4d{}), 1e-12);
    EXPECT_LT((m * m.inverse()).maxDifference(Mat4d{}), 1e-9);
  }
  // A pure scale in front of a rotation is found as it was.
  EXPECT_LT(splitScaleRigid(cases[1]).scale.maxDifference(diagonal(2, 3, 4)), 1e-9);
  EXPECT_LT(
      splitScaleRigid(cases[1]).rigid.maxDifference(rotation * Mat4d::translation({-5, 0, 7})),
      1e-9);
}

TEST(TransformMath, MirroredMatricesDoToMirroredPointsWhatTheSourceDidToTheOriginals) {
  aiMatrix4x4 source;
  aiMatrix4x4::RotationY(0.7f, source);
  source.a4 = 1.0f;
  source.b4 = -2.0f;
  source.c4 = 3.0f;
  const Mat4d m = fromAssimp(source);
  // Assimp's column-vector translation lands in row 3.
  expectNear(m.translationPart(), {1, -2, 3}, 1e-6);
  const Vec3d p{0.3, -1.2, 2.5};
  const aiVector3D q = source * aiVector3D(0.3f, -1.2f, 2.5f);
  expectNear(m.transformPoint(p), {q.x, q.y, q.z}, 1e-5);
  expectNear(mirrorZ(m).transformPoint(mirrorZ(p)), mirrorZ(m.transformPoint(p)));
  // Products keep their order: source A x B applies B first.
  aiMatrix4x4 other;
  aiMatrix4x4::Scaling(aiVector3D(2, 1, 1), other);
  EXPECT_LT(fromAssimp(source * other).maxDifference(fromAssimp(other) * m), 1e-5);
}

TEST(TransformMath, ChannelsScaleThenRotateThenMoveAndTurnTheShortWay) {
  aiNodeAnim channel;
  channel.mNumScalingKeys = 1;
  channel.mScalingKeys = new aiVectorKey[1]{aiVectorKey(0.0, aiVector3D(2, 1, 1))};
  channel.mNumRotationKeys = 2;
  // 0 and 170 degrees about z, the second stored with negative w (the same rotation).
  const double half = 85.0 * M_PI / 180.0;
  channel.mRotationKeys = new aiQuatKey[2]{
      aiQuatKey(0.0, aiQuaternion(1, 0, 0, 0)),
      aiQuatKey(10.0, aiQuaternion(float(-std::cos(half)), 0, 0, float(-std::sin(half))))};
  channel.mNumPositionKeys = 2;
  channel.mPositionKeys = new aiVectorKey[2]{aiVectorKey(0.0, aiVector3D(0, 0, 0)),
                                             aiVectorKey(10.0, aiVector3D(10, 0, 0))};
  // Halfway: 85 degrees (not 95 the long way), x scaled first, moved by 5.
  const Mat4d pose = evaluateChannel(channel, 5.0);
  const double a = 85.0 * M_PI / 180.0;
  expectNear(pose.transformPoint({1, 0, 0}), {5 + 2 * std::cos(a), 2 * std::sin(a), 0}, 1e-6);
  // Before the first key and after the last the ends hold.
  expectNear(evaluateChannel(channel, -3.0).transformPoint({1, 0, 0}), {2, 0, 0}, 1e-6);
  expectNear(evaluateChannel(channel, 99.0).translationPart(), {10, 0, 0}, 1e-6);
}
