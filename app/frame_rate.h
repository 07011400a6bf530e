#pragma once
#include <cstdint>

// The frame rate shown on screen: frames counted over intervals of at least a
// second; the count of the last finished interval is the rate.
class FrameRate {
 public:
  // How long one interval lasts at least, in milliseconds.
  static constexpr uint32_t kInterval = 1000;

  explicit FrameRate(uint32_t start) : lastTime(start) {}

  // Counts one frame at time now (ms): once at least a second has passed
  // since the interval began, the frames counted become the shown rate.
  void Count(uint32_t now);

  uint32_t fps = 0;
  uint32_t lastTime;
  uint32_t frameTime = 0;
  uint32_t frameCount = 0;
};
