#pragma once
#include <cstdint>

#include "app/animation_review.h"
#include "app/camera.h"
#include "app/device.h"
#include "app/timer.h"
#include "app/viewer_scene.h"

class RenderModel;

// The viewer: owns the camera and the timer, builds the scene on the model
// it is given (by default the one input.txt names) and runs the frame loop
// until the user quits. Constructed only once the device exists.
class CRun : public CBase {
 public:
  CRun() = default;
  // The scene on another model and with other settings than the start
  // folder's.
  CRun(ModelLoad loadModel, SceneSettings settings);

  // Builds the scene and runs frames until the quit message or Escape;
  // returns 0 then.
  int MainLoop();

  // Loads the model whose path is the first word of input.txt into model
  // (and its shadow volume into shadowVolume): the loader's result, or 0
  // when input.txt is missing or holds no word.
  static uint32_t Run(RenderModel& model, RenderModel& shadowVolume);

  // The parts the scene is built with.
  SceneServices Services();

  // Declared in this order so that destruction ends the timer first.
  CDevice device;
  CCamera camera;
  CTimer timer;
  ModelLoad loadModel = &CRun::Run;
  SceneSettings settings;
  // The animation review; off until one of its keys is pressed by default.
  ReviewOptions review;
};
