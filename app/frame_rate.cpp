#include "app/frame_rate.h"

void FrameRate::Count(uint32_t now) {
  frameCount += 1;
  frameTime = now;
  // Unsigned difference: stays right across the clock's wrap.
  if (frameTime - lastTime >= kInterval) {
    lastTime = frameTime;
    fps = frameCount;
    frameCount = 0;
  }
}
