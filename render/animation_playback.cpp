#include "render/animation_playback.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

void AnimationPlayback::SetClip(int32_t keyCount, uint32_t msPerKey) {
  keyCount_ = keyCount > 0 ? keyCount : 0;
  msPerKey_ = msPerKey == 0 ? 1 : msPerKey;
  position_ = 0.0;
}

void AnimationPlayback::SetClipPlaying(int32_t keyCount, uint32_t msPerKey, uint32_t elapsedMs) {
  SetClip(keyCount, msPerKey);
  position_ = static_cast<double>(elapsedMs) / msPerKey_;
  Wrap();
}

void AnimationPlayback::Advance(uint32_t realMs) {
  if (paused_ || keyCount_ == 0) return;
  position_ += static_cast<double>(realMs) * SpeedFactor() / msPerKey_;
  Wrap();
}

void AnimationPlayback::StepForward() {
  if (!paused_ || keyCount_ == 0) return;
  GoToKey(static_cast<int64_t>(std::floor(position_)) + 1);
}

void AnimationPlayback::StepBack() {
  if (!paused_ || keyCount_ == 0) return;
  const int64_t below = static_cast<int64_t>(std::floor(position_));
  GoToKey(AtKey() ? below - 1 : below);
}

void AnimationPlayback::LastKey() {
  if (keyCount_ > 0) position_ = keyCount_ - 1;
}

void AnimationPlayback::GoToKey(int64_t key) {
  if (keyCount_ == 0) return;
  int64_t wrapped = key % keyCount_;
  if (wrapped < 0) wrapped += keyCount_;
  position_ = static_cast<double>(wrapped);
}

void AnimationPlayback::SeekToFraction(double fraction) {
  if (keyCount_ == 0 || std::isnan(fraction)) return;
  if (fraction < 0.0) fraction = 0.0;
  if (fraction > 1.0) fraction = 1.0;
  position_ = fraction * keyCount_;
  Wrap();
}

void AnimationPlayback::Faster() {
  if (speedExponent_ < kFastestSpeedExponent) ++speedExponent_;
}

void AnimationPlayback::Slower() {
  if (speedExponent_ > kSlowestSpeedExponent) --speedExponent_;
}

double AnimationPlayback::SpeedFactor() const { return std::ldexp(1.0, speedExponent_); }

int32_t AnimationPlayback::CurrentKey() const {
  return static_cast<int32_t>(std::floor(position_));
}

bool AnimationPlayback::AtKey() const { return position_ == std::floor(position_); }

double AnimationPlayback::Fraction() const { return keyCount_ == 0 ? 0.0 : position_ / keyCount_; }

double AnimationPlayback::Seconds() const { return position_ * msPerKey_ / 1000.0; }

void AnimationPlayback::ApplyTo(DrawInstance& instance) const {
  // Fewer ticks per key for a clip too long for the 32-bit fields otherwise.
  const uint64_t perKey =
      std::min<uint64_t>(kTicksPerKey, keyCount_ > 0 ? UINT32_MAX / keyCount_ : kTicksPerKey);
  const uint64_t loop = static_cast<uint64_t>(keyCount_) * perKey;
  uint64_t ticks = static_cast<uint64_t>(std::llround(position_ * static_cast<double>(perKey)));
  // Rounding up to the loop's end is its start again.
  if (loop > 0 && ticks >= loop) ticks -= loop;
  instance.starttime = 0;
  instance.now = static_cast<uint32_t>(ticks);
  instance.framespeed = static_cast<int32_t>(perKey);
}

void AnimationPlayback::Wrap() {
  if (keyCount_ == 0) {
    position_ = 0.0;
    return;
  }
  position_ = std::fmod(position_, static_cast<double>(keyCount_));
  if (position_ < 0.0) position_ += keyCount_;
  // fmod of a value just below a multiple can round to the loop's length.
  if (position_ >= keyCount_) position_ = 0.0;
}
