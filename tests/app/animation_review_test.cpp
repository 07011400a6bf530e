#include "app/animation_review.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/run.h"
#include "app/screenshot_names.h"
#include "app/viewer_scene.h"
#include "app/window.h"
#include "tests/app/viewer_folder.h"
#include "tests/render/recorded_device_fixture.h"

namespace {

void expectNearPalette(const std::vector<Matrix4>& a, const std::vector<Matrix4>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t i = 0; i < a.size(); ++i) {
    for (int e = 0; e < 16; ++e) EXPECT_NEAR(a[i].m[e], b[i].m[e], 1e-4) << i << " [" << e << "]";
  }
}

std::vector<Matrix4> copyPalette(const BoundedArray<Matrix4>& palette) {
  return std::vector<Matrix4>(palette.data, palette.data + palette.count);
}

// The start folder's viewer on the demo figure (three clips) over a recorded
// device, with a clock the test moves.
class ReviewScene : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    g_leftDown = 0;
    folder.writeWall();
    folder.writeFont();
    folder.writeFigure();
    settings.clock = [this] { return clock; };
  }
  void TearDown() override {
    Font::Unload();
    RecordedDeviceTest::TearDown();
  }
  // The names of the device and effect calls of frames run from now on.
  std::vector<std::string> framesCalls(ViewerScene& scene, int frames) {
    const size_t mark = log().Size();
    for (int i = 0; i < frames; ++i) {
      clock += 37;
      EXPECT_TRUE(scene.Frame());
    }
    std::vector<std::string> names;
    for (size_t i = mark; i < log().Size(); ++i) names.push_back(log().All()[i].op);
    return names;
  }

  ViewerFolder folder;
  CWindow window;
  uint32_t clock = 5000;
  SceneSettings settings;
};

TEST_F(ReviewScene, WithoutAReviewKeyTheViewerIsUnchanged) {
  std::vector<std::string> plainCalls, reviewCalls;
  std::vector<Matrix4> plainPalette, reviewPalette;
  {
    CRun run;
    ViewerScene scene(run.Services(), settings);
    scene.SetUp();
    plainCalls = framesCalls(scene, 4);
    plainPalette = copyPalette(scene.Model().palette);
  }
  clock = 5000;
  {
    CRun run;
    AnimationReview review;
    ViewerScene scene(run.Services(), settings);
    review.Attach(scene);
    scene.SetUp();
    reviewCalls = framesCalls(scene, 4);
    reviewPalette = copyPalette(scene.Model().palette);
    EXPECT_FALSE(review.Active());
  }
  EXPECT_EQ(plainCalls, reviewCalls);
  ASSERT_FALSE(plainPalette.empty());
  ASSERT_EQ(plainPalette.size(), reviewPalette.size());
  EXPECT_EQ(
      std::memcmp(plainPalette.data(), reviewPalette.data(), plainPalette.size() * sizeof(Matrix4)),
      0)
      << "the same pose at the same time";
}

TEST_F(ReviewScene, KeysPauseStepAndChangeClipsOnTheModelsOwnPose) {
  CRun run;
  AnimationReview review;
  ViewerScene scene(run.Services(), settings);
  review.Attach(scene);
  scene.SetUp();
  framesCalls(scene, 2);
  const std::vector<Matrix4> playing = copyPalette(scene.Model().palette);

  // Pause: the clock runs on, the pose stays.
  ASSERT_TRUE(review.PressKey(VK_SPACE, scene));
  framesCalls(scene, 1);
  const std::vector<Matrix4> paused = copyPalette(scene.Model().palette);
  // Taking over keeps the clip's time (up to the review clock's rounding).
  expectNearPalette(paused, playing);
  clock += 5000;
  framesCalls(scene, 3);
  EXPECT_EQ(std::memcmp(scene.Model().palette.data, paused.data(), paused.size() * sizeof(Matrix4)),
            0);

  // Right moves to another key's pose; Left and Right again give the very
  // same matrices.
  review.PressKey(VK_HOME, scene);
  framesCalls(scene, 1);
  const std::vector<Matrix4> first = copyPalette(scene.Model().palette);
  review.PressKey(VK_RIGHT, scene);
  framesCalls(scene, 1);
  const std::vector<Matrix4> second = copyPalette(scene.Model().palette);
  EXPECT_NE(std::memcmp(first.data(), second.data(), first.size() * sizeof(Matrix4)), 0);
  review.PressKey(VK_LEFT, scene);
  framesCalls(scene, 1);
  EXPECT_EQ(std::memcmp(scene.Model().palette.data, first.data(), first.size() * sizeof(Matrix4)),
            0);
  EXPECT_EQ(review.Status(scene).key, 0);
  EXPECT_TRUE(review.Status(scene).paused);

  // The viewer starts on the third of three clips: Page Up wraps to the
  // first, Page Down back to the third.
  EXPECT_EQ(scene.controls.animationIndex, 2);
  review.PressKey(VK_PRIOR, scene);
  EXPECT_EQ(scene.controls.animationIndex, 0);
  review.PressKey(VK_NEXT, scene);
  EXPECT_EQ(scene.controls.animationIndex, 2);
  EXPECT_EQ(review.Status(scene).clipCount, 3);

  // Keys the review does not use are left to the viewer.
  EXPECT_FALSE(review.PressKey('O', scene));
  EXPECT_FALSE(review.PressKey(VK_UP, scene));
}

TEST_F(ReviewScene, ScreenshotsGetNewNamesAndNeverOverwrite) {
  const std::string bin = folder.bin().string();
  write_whole_file(bin + "/meshview-0001.png", "someone's picture");
  const std::string first = ClaimScreenshotName(bin);
  const std::string second = ClaimScreenshotName(bin);
  EXPECT_EQ(first, bin + "/meshview-0002.png");
  EXPECT_EQ(second, bin + "/meshview-0003.png");
  EXPECT_EQ(read_whole_file(bin + "/meshview-0001.png"), "someone's picture");
  EXPECT_EQ(ClaimScreenshotName(bin + "/no such folder"), "");

  // The recording device has no back buffer to read: nothing is left behind.
  EXPECT_EQ(SaveNewScreenshot(bin), "");
  EXPECT_FALSE(std::filesystem::exists(bin + "/meshview-0004.png"));
}

}  // namespace
