#pragma once
#include <cstdint>

#include "app/camera.h"
#include "app/device.h"
#include "app/timer.h"

class RenderModel;

// The viewer: owns the camera, the timer and the frame-rate count, loads the
// model that input.txt names and runs the frame loop until the user quits.
// Constructed only once the device exists.
class CRun : public CBase {
 public:
  // How long one frame-rate interval lasts at least, in milliseconds.
  static constexpr uint32_t kFpsInterval = 1000;

  CRun();

  // Builds the scene and runs frames until the quit message or Escape;
  // returns 0 then.
  int MainLoop();

  // Loads the model whose path is the first word of input.txt into model
  // (and its shadow volume into shadowVolume): the loader's result, or 0
  // when input.txt is missing or holds no word.
  uint32_t Run(RenderModel& model, RenderModel& shadowVolume);

  // Counts one frame at time now (ms): once at least a second has passed
  // since the interval began, the frames counted become the shown rate.
  void CountFrame(uint32_t now);

  // Declared in this order so that destruction ends the timer first.
  CDevice device;
  CCamera camera;
  CTimer timer;
  uint32_t fps = 0;
  uint32_t lastFpsTime;
  uint32_t frameTime = 0;
  uint32_t frameCount = 0;
};
