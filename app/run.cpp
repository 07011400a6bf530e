#include "app/run.h"

#include <cstdio>
#include <utility>

#include "app/screenshot.h"
#include "base/bin_file.h"
#include "model/model_loader.h"
#include "render/render_model.h"

namespace {
constexpr char kInputFile[] = "input.txt";
// The word is read with "%1023s" into a buffer one longer.
constexpr size_t kModelPathBufferSize = 1024;
}  // namespace

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
  if (file.open(kInputFile, "r", InputKind::Settings) == nullptr) {
    log_text("<error> CRun::Run() no file: input.txt?");
    return 0;
  }
  char path[kModelPathBufferSize] = {};
  // Only the first word counts: a path with a blank is cut there.
  if (std::fscanf(file.handle(), "%1023s", path) != 1) {
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
  const uint32_t result = loader.load(path, targets);
  log_int("Mloader OutPut> ", static_cast<int32_t>(result));
  return result;
}
