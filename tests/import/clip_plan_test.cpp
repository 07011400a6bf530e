// Clip names and sampling plans against the limits of the script and the
// animation chunk.
#include "import/clip_plan.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <memory>

namespace {

// An animation of one channel with position keys at the given ticks.
aiAnimation* animationWithKeys(const char* name, double ticksPerSecond, std::vector<double> times) {
  aiAnimation* animation = new aiAnimation();
  animation->mName = name;
  animation->mTicksPerSecond = ticksPerSecond;
  animation->mNumChannels = 1;
  animation->mChannels = new aiNodeAnim* [1] { new aiNodeAnim() };
  aiNodeAnim& channel = *animation->mChannels[0];
  channel.mNumPositionKeys = static_cast<unsigned>(times.size());
  channel.mPositionKeys = times.empty() ? nullptr : new aiVectorKey[times.size()];
  for (size_t k = 0; k < times.size(); ++k) channel.mPositionKeys[k].mTime = times[k];
  return animation;
}

std::unique_ptr<aiScene> sceneWith(std::vector<aiAnimation*> animations) {
  auto scene = std::make_unique<aiScene>();
  scene->mNumAnimations = static_cast<unsigned>(animations.size());
  scene->mAnimations = new aiAnimation*[animations.size()];
  std::copy(animations.begin(), animations.end(), scene->mAnimations);
  return scene;
}

ClipPlanLimits roomy() {
  ClipPlanLimits limits;
  limits.maxTotalFrames = 1'000'000;
  return limits;
}

}  // namespace

TEST(ClipPlan, NamesAreShortBlankFreeWordsForTheScript) {
  EXPECT_EQ(clipName("Armature|Walk Cycle!", 0), "Walk_Cycle_");
  EXPECT_EQ(clipName("a very long clip name indeed", 0), "a_very_long_cli");
  EXPECT_EQ(clipName("run/*fast*/", 0), "run__fast__");
  EXPECT_EQ(clipName("", 2), "clip3");
  EXPECT_EQ(clipName("Armature|", 0), "Armature_");
  EXPECT_EQ(clipName("   ", 4), "clip5");
}

TEST(ClipPlan, LongClipsAreSampledMoreCoarselyAndFramesFollowEachOther) {
  // 10 s, 0.5 s starting at tick 2, and one without keys.
  auto scene =
      sceneWith({animationWithKeys("long", 1.0, {0.0, 10.0}),
                 animationWithKeys("short", 2.0, {2.0, 3.0}), animationWithKeys("empty", 1.0, {})});
  std::vector<SampledClip> clips;
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(planClips(*scene, roomy(), &clips, &warnings, &error)) << error;
  ASSERT_EQ(clips.size(), 2u);
  // 256 frames at most: 40 ms apart instead of 33.
  EXPECT_EQ(clips[0].speedMs, 40u);
  EXPECT_EQ(clips[0].frameCount, 251);
  EXPECT_DOUBLE_EQ(clips[0].ticksAt(250), 10.0);
  EXPECT_EQ(clips[1].speedMs, 33u);
  EXPECT_EQ(clips[1].frameCount, 17);
  EXPECT_EQ(clips[1].firstFrame, 251);
  EXPECT_DOUBLE_EQ(clips[1].ticksAt(0), 2.0);
  EXPECT_DOUBLE_EQ(clips[1].ticksAt(1), 2.066);
  EXPECT_DOUBLE_EQ(clips[1].ticksAt(16), 3.0);  // the end, not 3.056
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0], "animation \"empty\" has no keys and is left out");
}

TEST(ClipPlan, TheAnimationChunkAndTheScriptBoundHowMuchIsKept) {
  auto scene =
      sceneWith({animationWithKeys("a", 1.0, {0.0, 2.0}), animationWithKeys("b", 1.0, {0.0, 2.0})});
  ClipPlanLimits limits = roomy();
  limits.maxTotalFrames = 50;
  std::vector<SampledClip> clips;
  std::vector<std::string> warnings;
  std::string error;
  ASSERT_TRUE(planClips(*scene, limits, &clips, &warnings, &error)) << error;
  ASSERT_EQ(clips.size(), 2u);
  EXPECT_LE(clips[0].frameCount + clips[1].frameCount, 50);
  EXPECT_GT(clips[0].speedMs, 33u);
  ASSERT_EQ(warnings.size(), 1u);
  EXPECT_EQ(warnings[0].rfind("animations sampled every ", 0), 0u) << warnings[0];

  limits.maxTotalFrames = 3;  // two frames per clip is the least
  EXPECT_FALSE(planClips(*scene, limits, &clips, &warnings, &error));
  EXPECT_NE(error.find("need 4 keys per bone"), std::string::npos) << error;

  limits = roomy();
  limits.maxClips = 1;
  warnings.clear();
  ASSERT_TRUE(planClips(*scene, limits, &clips, &warnings, &error));
  EXPECT_EQ(clips.size(), 1u);
  EXPECT_EQ(warnings,
            std::vector<std::string>{"1 animations left out: the script holds at most 1"});

  // Without animations the model still gets its bind pose as one frame.
  auto still = sceneWith({});
  ASSERT_TRUE(planClips(*still, roomy(), &clips, &warnings, &error));
  ASSERT_EQ(clips.size(), 1u);
  EXPECT_EQ(clips[0].name, "bindpose");
  EXPECT_EQ(clips[0].animation, nullptr);
  EXPECT_EQ(clips[0].frameCount, 1);
}

TEST(ClipPlan, FramesPerBoneFitTheAnimationChunk) {
  // 72 bytes per track and per key under the 10,000,000-byte payload limit.
  EXPECT_EQ(maxFramesForBones(1), 138887);
  EXPECT_EQ(maxFramesForBones(255), 543);
  EXPECT_LE((maxFramesForBones(60) + 1) * 72 * 60, 10'000'000);
}
