#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "render/render_model.h"
#include "tests/render/drawable_model.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/log_capture.h"

namespace {

void expectNear(const Matrix4& actual, const Matrix4& expected, const std::string& what) {
  for (int i = 0; i < 16; ++i) {
    EXPECT_NEAR(actual.m[i], expected.m[i], 1e-4) << what << ", element " << i;
  }
}

Matrix4 identity() {
  Matrix4 m;
  m.setIdentity();
  return m;
}

class SkinnedAnimationTest : public RecordedDeviceTest {
 protected:
  // A ready model with one root bone over eight keys, no effect.
  void oneBone(RenderModel& model, const std::vector<Matrix4>& keys, const std::vector<int32_t>& frames,
               uint32_t speed) {
    ASSERT_TRUE(model.bones.resize(1));
    setTrack(model.bones[0], keys, identity());
    setArmature(model, {RenderModel::kNoParent}, {0});
    setAnimation(model, frames, speed);
    uploadQuad(model);
    ASSERT_TRUE(model.PrepareForDraw());
  }
  // The pose at elapsed milliseconds, updated without drawing.
  Matrix4 poseAt(RenderModel& model, uint32_t start, uint32_t now, int32_t framespeed = 0) {
    DrawInstance instance;
    instance.starttime = start;
    instance.now = now;
    instance.framespeed = framespeed;
    EXPECT_TRUE(model.Draw(instance, false, LightList{}));
    return model.palette.count > 0 ? model.palette[0] : Matrix4{};
  }

  LogCapture logLines;
  DataFolders folders;
};

TEST_F(SkinnedAnimationTest, FramesThreeAndSevenAtSpeed100) {
  std::vector<Matrix4> keys(8, rotationThenMove('x', 33, 9, 9, 9));  // never chosen
  keys[3] = rotationThenMove('z', 0, 1, 2, 3);
  keys[7] = rotationThenMove('z', 90, 4, 5, 6);
  RenderModel model;
  oneBone(model, keys, {3, 7}, 100);

  expectNear(poseAt(model, 1000, 1000), keys[3], "elapsed 0");
  // Halfway in rotation, still at key 3's position.
  expectNear(poseAt(model, 1000, 1050), rotationThenMove('z', 45, 1, 2, 3), "elapsed 50");
  // Halfway from key 7 back to key 3, at key 7's position.
  expectNear(poseAt(model, 1000, 1150), rotationThenMove('z', 45, 4, 5, 6), "elapsed 150");
  expectNear(poseAt(model, 1000, 1200), keys[3], "elapsed 200");
  expectNear(poseAt(model, 1000, 1275), rotationThenMove('z', 67.5f, 1, 2, 3), "elapsed 275");

  // The elapsed time is the unsigned difference, across a wrap of the clock.
  expectNear(poseAt(model, 0xFFFFFFCEu, 0), rotationThenMove('z', 45, 1, 2, 3), "wrapped clock");
  // A frame speed override replaces the clip's own.
  expectNear(poseAt(model, 0, 25, 50), rotationThenMove('z', 45, 1, 2, 3), "override 50 ms");
  // A speed of 0 is 1 ms per frame.
  model.animations[0].speed = 0;
  expectNear(poseAt(model, 0, 3), keys[7], "speed 0");
  EXPECT_EQ(logLines.lines().size(), 4u);  // only the preparation's lines
}

TEST_F(SkinnedAnimationTest, ThreeBoneChainMatchesAReferenceBuiltFromAngles) {
  // Each bone turns about its own axis between its two keys, so the blended
  // rotation is the one at the blended angle.
  struct Bone {
    char axis;
    float from, to;
    Vector3 move;
    uint8_t parent;
  };
  const Bone chain[3] = {{'z', 10, 50, {1, 0, 0}, RenderModel::kNoParent},
                         {'x', 20, -40, {0, 2, 0}, 0},
                         {'y', 0, 120, {0, 0, 3}, 1}};
  RenderModel model;
  ASSERT_TRUE(model.bones.resize(3));
  Matrix4 offsets[3];
  for (int b = 0; b < 3; ++b) {
    const Bone& bone = chain[b];
    const Vector3& t = bone.move;
    offsets[b] = rotationThenMove('y', 15.0f * static_cast<float>(b + 1), -t.x, -t.y, -t.z);
    setTrack(model.bones[b],
             {rotationThenMove(bone.axis, bone.from, t.x, t.y, t.z),
              rotationThenMove(bone.axis, bone.to, 7, 7, 7)},
             offsets[b]);
  }
  setArmature(model, {chain[0].parent, chain[1].parent, chain[2].parent}, {0, 1, 2});
  setAnimation(model, {0, 1}, 100);
  uploadQuad(model);
  ASSERT_TRUE(model.PrepareForDraw());
  EXPECT_EQ(model.boneWorld.count, 3);

  DrawInstance instance;
  instance.now = 25;  // a quarter of the way from key 0 to key 1
  const BoundedArray<Matrix4>* palette = nullptr;
  ASSERT_TRUE(model.Draw(instance, false, LightList{}, &palette));
  ASSERT_EQ(palette, &model.palette);
  ASSERT_EQ(model.palette.count, 3);

  Matrix4 world[3];
  for (int b = 0; b < 3; ++b) {
    const Bone& bone = chain[b];
    const float angle = bone.from + 0.25f * (bone.to - bone.from);
    const Matrix4 local = rotationThenMove(bone.axis, angle, bone.move.x, bone.move.y, bone.move.z);
    world[b] = bone.parent == RenderModel::kNoParent ? local : local * world[bone.parent];
    expectNear(model.boneWorld[b], world[b], "world of bone " + std::to_string(b));
    expectNear(model.palette[b], offsets[b] * world[b], "palette of bone " + std::to_string(b));
  }
}

TEST_F(SkinnedAnimationTest, ChildBeforeItsParentUsesTheParentsPreviousFrame) {
  RenderModel model;
  ASSERT_TRUE(model.bones.resize(2));
  const Matrix4 parentKeys[2] = {rotationThenMove('z', 30, 1, 0, 0), rotationThenMove('z', 60, 2, 0, 0)};
  const Matrix4 childKeys[2] = {rotationThenMove('x', 10, 0, 1, 0), rotationThenMove('x', 20, 0, 3, 0)};
  const Matrix4 childOffset = rotationThenMove('y', 5, 0, 0, -1);
  setTrack(model.bones[0], {parentKeys[0], parentKeys[1]}, identity());
  setTrack(model.bones[1], {childKeys[0], childKeys[1]}, childOffset);
  setArmature(model, {RenderModel::kNoParent, 0}, {1, 0});  // the child is handled first
  setAnimation(model, {0, 1}, 100);
  uploadQuad(model);
  ASSERT_TRUE(model.PrepareForDraw());

  DrawInstance instance;
  instance.now = 0;
  ASSERT_TRUE(model.Draw(instance, false, LightList{}));
  // No parent matrix exists yet: the fresh world matrices are all zero.
  expectNear(model.palette[1], Matrix4{}, "first frame");
  expectNear(model.palette[0], parentKeys[0], "parent, first frame");

  instance.now = 100;
  ASSERT_TRUE(model.Draw(instance, false, LightList{}));
  expectNear(model.palette[1], childOffset * (childKeys[1] * parentKeys[0]), "second frame");
  expectNear(model.boneWorld[0], parentKeys[1], "parent, second frame");
}

TEST_F(SkinnedAnimationTest, DrawFlagOffAnimatesWithoutTouchingTheEffect) {
  RenderModel model;
  ASSERT_TRUE(model.bones.resize(2));
  setTrack(model.bones[0], {rotationThenMove('z', 0, 0, 0, 0), rotationThenMove('z', 80, 0, 0, 0)}, identity());
  setTrack(model.bones[1], {rotationThenMove('y', 0, 0, 1, 0), rotationThenMove('y', 40, 0, 1, 0)}, identity());
  setArmature(model, {RenderModel::kNoParent, 0}, {0, 1});
  setAnimation(model, {0, 1}, 100);
  rec().SetEffect(folders.writeEffect("skin.fx"), EffectSetup{});
  setCommands(model, {{'e', "skin.fx"}});
  uploadQuad(model);
  ASSERT_TRUE(model.PrepareForDraw());

  DrawInstance instance;
  instance.now = 50;
  const size_t from = log().Size();
  ASSERT_TRUE(model.Draw(instance, false, LightList{}));
  EXPECT_EQ(log().Size(), from);
  expectNear(model.palette[0], rotationThenMove('z', 40, 0, 0, 0), "bone 0");

  LightList lights;
  ASSERT_TRUE(lights.Reserve(1));
  lights.Add(LightRecord{});
  ASSERT_TRUE(model.Draw(instance, true, lights));
  const CallRecord* bones = log().First("Effect::SetMatrixArray");
  ASSERT_NE(bones, nullptr);
  EXPECT_EQ(log().Ops(from).front(), "Effect::SetMatrixArray");
  EXPECT_EQ(bones->s(0), "matrixBone");
  EXPECT_EQ(bones->u(2), 2u);
  EXPECT_EQ(bones->AsArray<Matrix4>().size(), 2u);
  EXPECT_EQ(std::memcmp(bones->data.data(), model.palette.data, 2 * sizeof(Matrix4)), 0);
}

TEST_F(SkinnedAnimationTest, FrameNumbersOutsideTheKeysAreRefused) {
  const std::vector<Matrix4> keys(3, rotationThenMove('z', 20, 0, 0, 0));
  RenderModel model;
  oneBone(model, keys, {0, 5}, 100);
  const size_t prepared = logLines.lines().size();
  DrawInstance instance;

  struct Case {
    std::vector<int32_t> frames;
    uint32_t now;
  };
  // k1 past the keys, k0 past the keys, a negative k0, a negative k1.
  for (const Case& c : {Case{{0, 5}, 0}, Case{{3}, 0}, Case{{-1, 0}, 0}, Case{{1, -4}, 0}}) {
    setAnimation(model, c.frames, 100);
    instance.now = c.now;
    EXPECT_FALSE(model.Draw(instance, false, LightList{}));
  }
  std::vector<std::string> expected;
  for (int i = 0; i < 4; ++i) {
    expected.push_back("error 1");
    expected.push_back("SmoothAnim failed");
  }
  const std::vector<std::string> lines = logLines.lines();
  EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(prepared), lines.end()), expected);

  // An animation index outside the list fails without a line.
  setAnimation(model, {0, 1}, 100);
  instance.animindex = 1;
  EXPECT_FALSE(model.Draw(instance, false, LightList{}));
  instance.animindex = -1;
  EXPECT_FALSE(model.Draw(instance, false, LightList{}));
  EXPECT_EQ(logLines.lines().size(), lines.size());

  // A bone whose track is shorter than bone 0's is never read past its end.
  RenderModel uneven;
  ASSERT_TRUE(uneven.bones.resize(2));
  setTrack(uneven.bones[0], keys, identity());
  setTrack(uneven.bones[1], {keys[0]}, identity());
  setArmature(uneven, {RenderModel::kNoParent, 0}, {0, 1});
  ASSERT_TRUE(uneven.boneWorld.resize(2));
  ASSERT_TRUE(uneven.palette.resize(2));
  uneven.ready = 1;
  EXPECT_TRUE(uneven.BuildBonePalette(0, 0, 0.5f, uneven.palette));
  EXPECT_FALSE(uneven.BuildBonePalette(0, 2, 0.5f, uneven.palette));
}

}  // namespace
