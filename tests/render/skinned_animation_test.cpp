#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/render_model.h"
#include "tests/render/drawable_model.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/log_capture.h"

namespace {

constexpr uint8_t kRoot = RenderModel::kNoParent;

void expectNear(const Matrix4& actual, const Matrix4& expected, const std::string& what) {
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual.m[i], expected.m[i], 1e-4) << what << " [" << i << "]";
}

Matrix4 identity() { return Matrix4().setIdentity(); }

class SkinnedAnimationTest : public RecordedDeviceTest {
 protected:
  // A ready model whose bones have these key tracks (identity offsets unless given).
  void build(RenderModel& model, const std::vector<std::vector<Matrix4>>& tracks,
             const std::vector<uint8_t>& parents, const std::vector<uint8_t>& order,
             const std::vector<int32_t>& frames, const std::vector<Matrix4>& offsets = {}) {
    ASSERT_TRUE(model.bones.resize(static_cast<int64_t>(tracks.size())));
    for (size_t b = 0; b < tracks.size(); ++b) {
      setTrack(model.bones[static_cast<int64_t>(b)], tracks[b], b < offsets.size() ? offsets[b] : identity());
    }
    setSkeleton(model, parents, order, frames, 100);
    uploadQuad(model);
    ASSERT_TRUE(model.PrepareForDraw());
  }
  // Updates the bones at now without drawing.
  bool pose(RenderModel& model, uint32_t start, uint32_t now, int32_t framespeed = 0) {
    DrawInstance instance;
    instance.starttime = start;
    instance.now = now;
    instance.framespeed = framespeed;
    return model.Draw(instance, false, LightList{});
  }

  LogCapture logLines;
  DataFolders folders;
};

TEST_F(SkinnedAnimationTest, FramesThreeAndSevenAtSpeed100) {
  std::vector<Matrix4> keys(8, turnThenMove('x', 33, 9, 9, 9));  // never chosen
  keys[3] = turnThenMove('z', 0, 1, 2, 3);
  keys[7] = turnThenMove('z', 90, 4, 5, 6);
  RenderModel model;
  build(model, {keys}, {kRoot}, {0}, {3, 7});
  struct Step {
    uint32_t start, now;
    int32_t framespeed;
    Matrix4 expected;
  };
  const std::vector<Step> steps = {
      {1000, 1000, 0, keys[3]},
      {1000, 1050, 0, turnThenMove('z', 45, 1, 2, 3)},  // rotation halfway, key 3's position
      {1000, 1150, 0, turnThenMove('z', 45, 4, 5, 6)},  // from key 7 back to key 3
      {1000, 1200, 0, keys[3]},
      {0xFFFFFFCEu, 0, 0, turnThenMove('z', 45, 1, 2, 3)},  // 50 ms across the clock's wrap
      {0, 25, 50, turnThenMove('z', 45, 1, 2, 3)},          // frame speed override
  };
  for (const Step& step : steps) {
    ASSERT_TRUE(pose(model, step.start, step.now, step.framespeed));
    expectNear(model.palette[0], step.expected, "at " + std::to_string(step.now - step.start));
  }
  model.animations[0].speed = 0;  // 1 ms per frame
  ASSERT_TRUE(pose(model, 0, 3));
  expectNear(model.palette[0], keys[7], "speed 0");
}

TEST_F(SkinnedAnimationTest, ThreeBoneChainMatchesAReferenceBuiltFromAngles) {
  // Each bone turns about one axis between its keys, so the blended rotation
  // is the rotation at the blended angle.
  const char axes[3] = {'z', 'x', 'y'};
  const float from[3] = {10, 20, 0}, to[3] = {50, -40, 120};
  const float moves[3][3] = {{1, 0, 0}, {0, 2, 0}, {0, 0, 3}};
  std::vector<std::vector<Matrix4>> tracks;
  std::vector<Matrix4> offsets;
  for (int b = 0; b < 3; ++b) {
    const float* t = moves[b];
    tracks.push_back({turnThenMove(axes[b], from[b], t[0], t[1], t[2]), turnThenMove(axes[b], to[b], 7, 7, 7)});
    offsets.push_back(turnThenMove('y', 15.0f * static_cast<float>(b + 1), -t[0], -t[1], -t[2]));
  }
  RenderModel model;
  build(model, tracks, {kRoot, 0, 1}, {0, 1, 2}, {0, 1}, offsets);
  const BoundedArray<Matrix4>* palette = nullptr;
  DrawInstance instance;
  instance.now = 25;  // a quarter of the way from key 0 to key 1
  ASSERT_TRUE(model.Draw(instance, false, LightList{}, &palette));
  ASSERT_EQ(palette, &model.palette);

  Matrix4 parentWorld = identity();
  for (int b = 0; b < 3; ++b) {
    const float angle = from[b] + 0.25f * (to[b] - from[b]);
    const Matrix4 world = turnThenMove(axes[b], angle, moves[b][0], moves[b][1], moves[b][2]) * parentWorld;
    expectNear(model.palette[b], offsets[b] * world, "bone " + std::to_string(b));
    parentWorld = world;
  }
}

TEST_F(SkinnedAnimationTest, ChildBeforeItsParentUsesTheParentsPreviousFrame) {
  const std::vector<Matrix4> parent = {turnThenMove('z', 30, 1), turnThenMove('z', 60, 2)};
  const std::vector<Matrix4> child = {turnThenMove('x', 10, 0, 1), turnThenMove('x', 20, 0, 3)};
  const Matrix4 childOffset = turnThenMove('y', 5, 0, 0, -1);
  RenderModel model;
  build(model, {parent, child}, {kRoot, 0}, {1, 0}, {0, 1}, {identity(), childOffset});
  ASSERT_TRUE(pose(model, 0, 0));
  expectNear(model.palette[1], Matrix4{}, "before any parent matrix");
  ASSERT_TRUE(pose(model, 0, 100));
  expectNear(model.palette[1], childOffset * (child[1] * parent[0]), "second frame");
  expectNear(model.palette[0], parent[1], "parent, second frame");
}

TEST_F(SkinnedAnimationTest, DrawFlagOffAnimatesWithoutTouchingTheEffect) {
  RenderModel model;
  rec().SetEffect(folders.writeEffect("skin.fx"), EffectSetup{});
  setCommands(model, {{'e', "skin.fx"}});
  build(model, {{identity(), turnThenMove('z', 80)}, {identity(), turnThenMove('y', 40)}}, {kRoot, 0},
        {0, 1}, {0, 1});
  const size_t from = log().Size();
  ASSERT_TRUE(pose(model, 0, 50));
  EXPECT_EQ(log().Size(), from);
  expectNear(model.palette[0], turnThenMove('z', 40), "bone 0");

  LightList lights;
  ASSERT_TRUE(lights.Reserve(1));
  lights.Add(LightRecord{});
  DrawInstance instance;
  instance.now = 50;
  ASSERT_TRUE(model.Draw(instance, true, lights));
  ASSERT_GT(log().Size(), from);
  const CallRecord* bones = &log().All()[from];  // the first call of the draw
  EXPECT_EQ(bones->op, "Effect::SetMatrixArray");
  EXPECT_EQ(bones->s(0), "matrixBone");
  EXPECT_EQ(bones->u(2), 2u);
  EXPECT_EQ(std::memcmp(bones->data.data(), model.palette.data, 2 * sizeof(Matrix4)), 0);
}

TEST_F(SkinnedAnimationTest, FrameNumbersOutsideTheKeysAreRefused) {
  const std::vector<Matrix4> keys(3, turnThenMove('z', 20));
  RenderModel model;
  build(model, {keys, keys}, {kRoot, 0}, {0, 1}, {0});
  const size_t prepared = logLines.lines().size();
  // k1 past the keys, k0 past the keys, a negative k0, a negative k1.
  for (const std::vector<int32_t>& frames : std::vector<std::vector<int32_t>>{{0, 5}, {3}, {-1, 0}, {1, -4}}) {
    setSkeleton(model, {kRoot, 0}, {0, 1}, frames, 100);
    EXPECT_FALSE(pose(model, 0, 0));
  }
  std::vector<std::string> expected;
  for (int i = 0; i < 4; ++i) expected.insert(expected.end(), {"error 1", "SmoothAnim failed"});
  const std::vector<std::string> lines = logLines.lines();
  EXPECT_EQ(std::vector<std::string>(lines.begin() + static_cast<long>(prepared), lines.end()), expected);

  // A track shorter than bone 0's is not read past its end.
  setTrack(model.bones[1], {keys[0]}, identity());
  EXPECT_TRUE(model.BuildBonePalette(0, 0, 0.5f, model.palette));
  EXPECT_FALSE(model.BuildBonePalette(0, 2, 0.5f, model.palette));
}

}  // namespace
