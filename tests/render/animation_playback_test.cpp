#include "render/animation_playback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/render_model.h"
#include "tests/render/drawable_model.h"
#include "tests/render/recorded_device_fixture.h"

namespace {

AnimationPlayback pausedAt(int32_t keys, double fraction) {
  AnimationPlayback playback;
  playback.SetClip(keys, 40);
  playback.SeekToFraction(fraction);
  playback.SetPaused(true);
  return playback;
}

TEST(AnimationPlaybackTest, StepsWrapRoundTheClipAndLandOnKeys) {
  struct Case {
    const char* name;
    double startFraction;  // of a 4-key clip
    bool forward;
    double expected;  // position in keys
  };
  const std::vector<Case> cases = {
      {"forward from the first key", 0.0, true, 1.0},
      {"forward from the last key wraps to the first", 0.75, true, 0.0},
      {"back from the first key wraps to the last", 0.0, false, 3.0},
      {"back from a key", 0.5, false, 1.0},
      {"forward from between keys goes to the next key", 0.3, true, 2.0},
      {"back from between keys goes to the key before", 0.3, false, 1.0},
      {"back from the last stretch (last key blending into the first)", 0.9, false, 3.0},
  };
  for (const Case& c : cases) {
    AnimationPlayback playback = pausedAt(4, c.startFraction);
    if (c.forward) {
      playback.StepForward();
    } else {
      playback.StepBack();
    }
    EXPECT_EQ(playback.Position(), c.expected) << c.name;
    EXPECT_TRUE(playback.AtKey()) << c.name;
  }

  // A full round of steps either way comes back to the start, key by key.
  AnimationPlayback playback = pausedAt(5, 0.0);
  for (int i = 1; i <= 5; ++i) {
    playback.StepForward();
    EXPECT_EQ(playback.CurrentKey(), i % 5);
  }
  for (int i = 1; i <= 5; ++i) playback.StepBack();
  EXPECT_EQ(playback.Position(), 0.0);

  // A one-key clip stays on its key.
  AnimationPlayback single = pausedAt(1, 0.0);
  single.StepForward();
  single.StepBack();
  EXPECT_EQ(single.Position(), 0.0);
}

TEST(AnimationPlaybackTest, StepsFirstAndLastKeyAndEmptyClips) {
  AnimationPlayback playing;
  playing.SetClip(6, 100);
  playing.Advance(150);
  playing.StepForward();  // only while paused
  playing.StepBack();
  EXPECT_DOUBLE_EQ(playing.Position(), 1.5);
  playing.LastKey();
  EXPECT_EQ(playing.Position(), 5.0);
  playing.FirstKey();
  EXPECT_EQ(playing.Position(), 0.0);
  playing.GoToKey(-1);
  EXPECT_EQ(playing.CurrentKey(), 5);
  playing.GoToKey(13);
  EXPECT_EQ(playing.CurrentKey(), 1);

  // Without keys nothing moves and nothing divides by zero.
  AnimationPlayback empty;
  empty.SetClip(0, 0);
  empty.Advance(1000);
  empty.SetPaused(true);
  empty.StepForward();
  empty.StepBack();
  empty.LastKey();
  empty.SeekToFraction(0.5);
  EXPECT_EQ(empty.Position(), 0.0);
  EXPECT_EQ(empty.Fraction(), 0.0);
}

TEST(AnimationPlaybackTest, SpeedDoublesAndHalvesWithinItsLimits) {
  AnimationPlayback playback;
  playback.SetClip(100, 10);
  for (int i = 0; i < 10; ++i) playback.Faster();
  EXPECT_EQ(playback.SpeedFactor(), 16.0);
  playback.Advance(10);  // 16 keys' worth
  EXPECT_EQ(playback.Position(), 16.0);

  for (int i = 0; i < 20; ++i) playback.Slower();
  EXPECT_EQ(playback.SpeedFactor(), 1.0 / 16.0);
  playback.FirstKey();
  playback.Advance(160);  // one key at 1/16
  EXPECT_EQ(playback.Position(), 1.0);

  playback.Faster();
  EXPECT_EQ(playback.SpeedFactor(), 1.0 / 8.0);
}

TEST(AnimationPlaybackTest, PauseHoldsTheTimeAndPlayGoesOnFromIt) {
  AnimationPlayback playback;
  playback.SetClip(4, 50);
  playback.Advance(75);
  playback.TogglePause();
  for (uint32_t ms : {1u, 1000u, 0xFFFFFFFFu}) playback.Advance(ms);
  EXPECT_DOUBLE_EQ(playback.Position(), 1.5);
  playback.TogglePause();
  playback.Advance(25);
  EXPECT_DOUBLE_EQ(playback.Position(), 2.0);
  playback.Advance(100);  // past the last key: round to the first
  EXPECT_DOUBLE_EQ(playback.Position(), 0.0);
  EXPECT_DOUBLE_EQ(playback.Seconds(), 0.0);

  // Changing clips restarts at the first key but keeps pause and speed.
  playback.Faster();
  playback.TogglePause();
  playback.SetClip(9, 30);
  EXPECT_TRUE(playback.Paused());
  EXPECT_EQ(playback.SpeedExponent(), 1);
  EXPECT_EQ(playback.Position(), 0.0);
}

TEST(AnimationPlaybackTest, TakingOverARunningClipKeepsItsPhase) {
  AnimationPlayback playback;
  playback.SetClipPlaying(4, 40, 4 * 40 * 3 + 60);  // three loops and a key and a half
  EXPECT_DOUBLE_EQ(playback.Position(), 1.5);
  EXPECT_DOUBLE_EQ(playback.Seconds(), 0.06);
  playback.SetClipPlaying(4, 0, 7);  // 0 ms per key counts as 1
  EXPECT_DOUBLE_EQ(playback.Position(), 3.0);
}

TEST(AnimationPlaybackTest, TimelineFractionAndPositionMapBothWays) {
  struct Case {
    double fraction;
    double position;  // in an 8-key clip
  };
  const std::vector<Case> cases = {
      {0.0, 0.0},   {0.125, 1.0},  {0.5, 4.0},
      {0.875, 7.0}, {0.9375, 7.5}, {1.0, 0.0},  // the end of the loop is its start
      {-3.0, 0.0},                              // clamped
      {7.0, 0.0},
  };
  for (const Case& c : cases) {
    AnimationPlayback playback;
    playback.SetClip(8, 25);
    playback.SeekToFraction(c.fraction);
    EXPECT_DOUBLE_EQ(playback.Position(), c.position) << c.fraction;
    if (c.fraction >= 0.0 && c.fraction < 1.0) {
      EXPECT_DOUBLE_EQ(playback.Fraction(), c.fraction);
    }
  }
}

TEST(AnimationPlaybackTest, TicksStayInsideTheClipForAnyLength) {
  for (int32_t keys : {1, 7, 256, 70000, 0x7FFFFFFF}) {
    AnimationPlayback playback;
    playback.SetClip(keys, 10);
    playback.LastKey();
    DrawInstance last;
    playback.ApplyTo(last);
    ASSERT_GT(last.framespeed, 0) << keys;
    // The key SmoothAnim picks from these times is the last one.
    const uint64_t key = last.now / static_cast<uint32_t>(last.framespeed);
    EXPECT_EQ(key, static_cast<uint64_t>(keys - 1)) << keys;
    EXPECT_EQ(last.now % static_cast<uint32_t>(last.framespeed), 0u) << keys;
  }
}

class PlaybackPoseTest : public RecordedDeviceTest {
 protected:
  DataFolders folders;
};

TEST_F(PlaybackPoseTest, AKeyOfTheClipGivesExactlyThatKeysPose) {
  // Keys far from each other and a clip that visits them out of order.
  std::vector<Matrix4> keys;
  for (int k = 0; k < 6; ++k) keys.push_back(turnThenMove('y', 17.0f * k + 3.0f, k, 2.0f * k, 1));
  const std::vector<int32_t> frames = {5, 1, 4, 0};
  RenderModel model;
  ASSERT_TRUE(model.bones.resize(1));
  setTrack(model.bones[0], keys, Matrix4().setIdentity());
  // A long clip: every key of it must still be reachable exactly.
  setSkeleton(model, {RenderModel::kNoParent}, {0}, frames, 4000000000u);
  uploadQuad(model);
  ASSERT_TRUE(model.PrepareForDraw());

  AnimationPlayback playback;
  playback.SetClip(static_cast<int32_t>(frames.size()), model.animations[0].speed);
  playback.SetPaused(true);
  for (size_t i = 0; i < frames.size() + 1; ++i) {
    DrawInstance instance;
    playback.ApplyTo(instance);
    ASSERT_TRUE(model.Draw(instance, false, LightList{}));
    const Matrix4& expected = keys[frames[i % frames.size()]];
    for (int e = 0; e < 16; ++e) {
      // Off the key by any blend would move this by far more than rounding.
      EXPECT_NEAR(model.palette[0].m[e], expected.m[e], 1e-6) << "step " << i << " [" << e << "]";
    }
    playback.StepForward();
  }

  // Halfway from the clip's last key (file key 0) back to its first (file
  // key 5): the rotation is halfway, the position is the last key's.
  playback.SeekToFraction(0.875);
  DrawInstance instance;
  playback.ApplyTo(instance);
  ASSERT_TRUE(model.Draw(instance, false, LightList{}));
  const Matrix4 between = turnThenMove('y', (3.0f + 88.0f) / 2.0f, 0, 0, 1);
  for (int e = 0; e < 16; ++e) EXPECT_NEAR(model.palette[0].m[e], between.m[e], 1e-5) << e;
}

}  // namespace
