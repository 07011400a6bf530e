#pragma once
#include <assimp/scene.h>

#include <cstdint>
#include <string>
#include <vector>

// One animation clip as the model file stores it: frameCount keys from
// firstFrame on, speedMs apart, sampled from the source animation.
struct SampledClip {
  std::string name;                        // as the script names it
  const aiAnimation* animation = nullptr;  // null: the bind pose
  double startTicks = 0.0;
  double ticksPerSecond = 1000.0;
  double durationMs = 0.0;
  uint32_t speedMs = 1;
  int frameCount = 1;
  int firstFrame = 0;

  // The source time of one of the clip's frames; the last frame sits at the
  // clip's end.
  double ticksAt(int frame) const;
};

struct ClipPlanLimits {
  double framesPerSecond = 30.0;
  int maxFramesPerClip = 256;  // the script's frame list holds no more
  int64_t maxTotalFrames = 0;  // keys per bone track the animation chunk can hold
  int maxClips = 59;           // 'a' commands the script's top level has room for
};

// The script's name for a clip: the part after the last '|' (exporters put
// the armature's name in front), only letters, digits, '_' and '-', at most
// 15 characters; "clipN" (N from 1) when nothing is left.
std::string clipName(const std::string& sourceName, int index);

// Keys per track that fit the animation chunk's payload limit for that many bones.
int64_t maxFramesForBones(int bones);

// Plans every animation of the scene with keys (a bind-pose clip when there
// is none). Coarsens the sampling when the clips would not fit; false with a
// reason when even two frames per clip do not.
bool planClips(const aiScene& scene, const ClipPlanLimits& limits, std::vector<SampledClip>* clips,
               std::vector<std::string>* warnings, std::string* error);
