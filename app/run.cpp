#include "app/run.h"

#include <utility>

#include "app/screenshot.h"
#include "app/start_input.h"
#include "base/bin_file.h"
#include "model/model_loader.h"
#include "render/render_model.h"

CRun::CRun(ModelLoad load, SceneSettings sceneSettings)
    : loadModel(std::move(load)), settings(std::move(sceneSettings)) {}

SceneServices CRun::Services() { return SceneServices{device, camera, loadModel, {}, {}}; }

int CRun::MainLoop() {
  AnimationReview animationReview(review);
  ViewerScene scene(Services(), settings);
  animationReview.Attach(scene);
  scene.SetUp();
  // A testing aid, outside the frame itself: saves the back buffer once when
  // the environment asks for it.
  ScreenshotSchedule screenshot = ScreenshotSchedule::FromEnvironment(CTimer::Now());
  while (scene.Frame()) screenshot.Check(CTimer::Now());
  return 0;
}

uint32_t CRun::Run(RenderModel& model, RenderModel& shadowVolume) {
  BinFile file;
  if (file.open(kStartInputFile, "r", InputKind::Settings) == nullptr) {
    log_text("<error> CRun::Run() no file: input.txt?");
    return 0;
  }
  std::string path;
  if (!ReadStartModelPath(file.handle(), path)) {
    log_text("<error> CRun::Run() file path in input.txt not found");
    file.close();
    return 0;
  }
  file.close();

  ModelLoader loader;
  LoadTargets targets;
  targets.keepInRam = 1;
  targets.model = &model;
  targets.shadowModel = &shadowVolume;
  const uint32_t result = loader.load(path.c_str(), targets);
  log_int("Mloader OutPut> ", static_cast<int32_t>(result));
  return result;
}
