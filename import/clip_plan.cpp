#include "import/clip_plan.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "import/scene_pose.h"

namespace {

constexpr int kMaxNameLength = 15;
constexpr int64_t kMaxChunkPayload = 10'000'000;
// Tag, key count and offset matrix per track; tag, value count and 16 floats per key.
constexpr int64_t kTrackBytes = 4 + 4 + 64;
constexpr int64_t kKeyBytes = 4 + 4 + 16 * 4;
// Assimp leaves the rate 0 when the file gives none; 25 ticks per second is its usual reading.
constexpr double kDefaultTicksPerSecond = 25.0;

int framesFor(double durationMs, uint32_t speed) {
  if (!(durationMs > 0.0)) return 1;
  return static_cast<int>(std::ceil(durationMs / speed - 1e-9)) + 1;
}

uint32_t speedFor(double durationMs, uint32_t base, int maxFrames) {
  if (framesFor(durationMs, base) <= maxFrames) return base;
  return static_cast<uint32_t>(std::ceil(durationMs / (maxFrames - 1)));
}

}  // namespace

double SampledClip::ticksAt(int frame) const {
  const double ms = std::min(static_cast<double>(frame) * speedMs, durationMs);
  return startTicks + ms / 1000.0 * ticksPerSecond;
}

std::string clipName(const std::string& sourceName, int index) {
  const size_t bar = sourceName.rfind('|');
  std::string name = bar == std::string::npos || bar + 1 == sourceName.size()
                         ? sourceName
                         : sourceName.substr(bar + 1);
  for (char& c : name) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (!std::isalnum(u) && c != '_' && c != '-') c = '_';
  }
  if (name.size() > kMaxNameLength) name.resize(kMaxNameLength);
  if (name.find_first_not_of('_') == std::string::npos) name = "clip" + std::to_string(index + 1);
  return name;
}

int64_t maxFramesForBones(int bones) {
  if (bones < 1) return 0;
  return kMaxChunkPayload / (kKeyBytes * bones) - kTrackBytes / kKeyBytes;
}

bool planClips(const aiScene& scene, const ClipPlanLimits& limits, std::vector<SampledClip>* clips,
               std::vector<std::string>* warnings, std::string* error) {
  clips->clear();
  for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
    const aiAnimation& animation = *scene.mAnimations[a];
    SampledClip clip;
    clip.name = clipName(animation.mName.C_Str(), static_cast<int>(a));
    double first = 0.0, last = 0.0;
    if (!animationKeyRange(animation, &first, &last)) {
      warnings->push_back("animation \"" + std::string(animation.mName.C_Str()) +
                          "\" has no keys and is left out");
      continue;
    }
    clip.animation = &animation;
    clip.ticksPerSecond =
        animation.mTicksPerSecond > 0.0 ? animation.mTicksPerSecond : kDefaultTicksPerSecond;
    clip.startTicks = first;
    clip.durationMs = (last - first) / clip.ticksPerSecond * 1000.0;
    clips->push_back(clip);
  }
  if (clips->empty()) {
    SampledClip bindPose;
    bindPose.name = "bindpose";
    clips->push_back(bindPose);
  }
  if (static_cast<int>(clips->size()) > limits.maxClips) {
    warnings->push_back(std::to_string(clips->size() - limits.maxClips) +
                        " animations left out: the script holds at most " +
                        std::to_string(limits.maxClips));
    clips->resize(limits.maxClips);
  }

  const uint32_t wanted =
      std::max<uint32_t>(1, static_cast<uint32_t>(std::lround(1000.0 / limits.framesPerSecond)));
  uint32_t base = wanted;
  for (;;) {
    int64_t total = 0;
    bool canCoarsen = false;
    for (SampledClip& clip : *clips) {
      clip.speedMs = speedFor(clip.durationMs, base, limits.maxFramesPerClip);
      clip.frameCount = framesFor(clip.durationMs, clip.speedMs);
      total += clip.frameCount;
      if (clip.frameCount > 2) canCoarsen = true;
    }
    if (total <= limits.maxTotalFrames) break;
    if (!canCoarsen) {
      *error = "the animations need " + std::to_string(total) +
               " keys per bone even at two frames per clip; the model file's animation chunk " +
               "holds " + std::to_string(limits.maxTotalFrames) + " for this many bones";
      return false;
    }
    base = std::max(base + 1, static_cast<uint32_t>(std::ceil(base * 1.25)));
  }
  if (base != wanted) {
    warnings->push_back("animations sampled every " + std::to_string(base) + " ms instead of " +
                        std::to_string(wanted) + " ms to fit the model file's animation chunk");
  }
  int first = 0;
  for (SampledClip& clip : *clips) {
    clip.firstFrame = first;
    first += clip.frameCount;
  }
  return true;
}
