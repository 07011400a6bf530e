#pragma once
#include <cstdint>
#include <string>

#include "platform/d3d9.h"

class AnimationPlayback;
class CDevice;
class Font;

// What the status line tells about the clip under review.
struct ReviewStatus {
  std::string clipName;  // empty when there is no clip to show
  int32_t clipIndex = 0;
  int32_t clipCount = 0;
  int32_t key = 0;  // index of the key inside the clip
  int32_t keyCount = 0;
  int32_t modelKey = -1;  // the model's key number shown at that index
  int32_t firstModelKey = 0;
  int32_t lastModelKey = 0;
  double seconds = 0.0;
  int32_t speedExponent = 0;  // speed 2^speedExponent
  bool betweenKeys = false;
  bool paused = false;
};
// One line, for instance
// "clip 2/3 walk | key 4 of 0-7 (model key 14 of 10-17) | 0.16 s | x1/2 | paused".
std::string FormatStatusLine(const ReviewStatus& status);
// "x4", "x1", "x1/16".
std::string FormatSpeed(int32_t speedExponent);

// The timeline along the bottom of the window: a bar that stands for one
// loop of the clip, from its first key (left edge) to the return to it
// (right edge), right of the frame-rate line.
struct TimelineBar {
  static constexpr int32_t kLeft = 104;
  static constexpr int32_t kRightMargin = 12;
  static constexpr int32_t kHeight = 12;
  static constexpr int32_t kBottomMargin = 3;
  static constexpr int32_t kGrabMargin = 4;  // pixels around the bar a click still hits

  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;

  // The bar for a back buffer of this size; zero width when it does not fit.
  static TimelineBar ForScreen(int32_t screenWidth, int32_t screenHeight);
  // A pointer position that belongs to the bar (with the grab margin).
  bool Hit(int32_t x, int32_t y) const;
  // The share of the loop at pixel column x, clamped to [0, 1].
  double FractionAt(int32_t x) const;
  // The pixel column of a share of the loop (the left edge is 0).
  int32_t ColumnOf(double fraction) const;
};

// The status line above the timeline, the bar with one mark per key and
// the current position, and (when help is on) the review keys.
class ReviewHud {
 public:
  static constexpr D3DCOLOR kBarColor = 0x00303848;
  static constexpr D3DCOLOR kKeyMarkColor = 0x00A0A8B8;
  static constexpr D3DCOLOR kPositionColor = 0x00FFD040;
  static constexpr int32_t kLineHeight = 16;

  void Draw(CDevice& device, Font& font, const ReviewStatus& status,
            const AnimationPlayback& playback, bool showHelp, int32_t screenWidth,
            int32_t screenHeight) const;
  // Text shown for a few seconds above the status line (the last saved
  // screenshot's name).
  std::string notice;
};

// The key help, one line per entry.
extern const char* const kReviewHelpLines[];
extern const int32_t kReviewHelpLineCount;
