#pragma once
#include <cstdint>

#include "render/draw_types.h"

// The review clock of one clip: where the clip stands, counted in keys from
// its first key (a fraction between two keys while it plays), whether it is
// paused, and the playback speed as a power of two. It drives RenderModel's
// own animation through the DrawInstance times, so the pose it asks for is
// built by the same code as every other pose.
class AnimationPlayback {
 public:
  static constexpr int32_t kSlowestSpeedExponent = -4;  // 1/16
  static constexpr int32_t kFastestSpeedExponent = 4;   // 16
  // DrawInstance ticks per key: the position reaches SmoothAnim as a number
  // of ticks with this many per key (fewer for clips of more than 65,535
  // keys), whatever the clip's own speed, so that no clip is too long for
  // the 32-bit millisecond fields.
  static constexpr uint32_t kTicksPerKey = 65536;

  // A clip of keyCount keys shown msPerKey milliseconds each (0 counts as
  // 1, as the renderer does). Starts at the first key; keeps pause and
  // speed.
  void SetClip(int32_t keyCount, uint32_t msPerKey);
  // Takes over a clip that has been playing for elapsedMs, so that the pose
  // does not jump when the review clock takes over from the frame timer.
  void SetClipPlaying(int32_t keyCount, uint32_t msPerKey, uint32_t elapsedMs);

  // Moves on by realMs of wall-clock time at the current speed; nothing
  // while paused or without keys.
  void Advance(uint32_t realMs);

  void TogglePause() { paused_ = !paused_; }
  void SetPaused(bool paused) { paused_ = paused; }
  bool Paused() const { return paused_; }

  // One key forward or back, wrapping round the clip as it loops; only while
  // paused. Between two keys, forward goes to the next one and back to the
  // one before the position.
  void StepForward();
  void StepBack();
  // The first or last key of the clip (play goes on from there).
  void FirstKey() { position_ = 0.0; }
  void LastKey();
  // Key k of the clip, wrapped into the clip.
  void GoToKey(int64_t key);
  // A place on the clip's loop, 0 = first key, 1 = back at the first key
  // after the last; clamped to that range.
  void SeekToFraction(double fraction);

  // Double or halve the speed, within 1/16 .. 16.
  void Faster();
  void Slower();
  int32_t SpeedExponent() const { return speedExponent_; }
  double SpeedFactor() const;

  int32_t KeyCount() const { return keyCount_; }
  uint32_t MsPerKey() const { return msPerKey_; }
  // The position in keys, in [0, KeyCount()).
  double Position() const { return position_; }
  // The key at or before the position.
  int32_t CurrentKey() const;
  // True when the position is exactly on a key.
  bool AtKey() const;
  // The position as a share of the clip's loop, in [0, 1).
  double Fraction() const;
  // The position as seconds of the clip at its own speed.
  double Seconds() const;

  // Hands the position to the renderer: start 0, now in ticks, and the tick
  // length as the frame duration. A position on a key lands exactly on it.
  void ApplyTo(DrawInstance& instance) const;

 private:
  void Wrap();

  int32_t keyCount_ = 0;
  uint32_t msPerKey_ = 1;
  double position_ = 0.0;
  bool paused_ = false;
  int32_t speedExponent_ = 0;
};
