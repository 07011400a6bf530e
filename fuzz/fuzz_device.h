// The recording device the fuzz targets load into: one for the whole run,
// its call log emptied after every input so memory stays flat over millions
// of inputs.
#pragma once
#include <cstdint>
#include <cstdlib>

#include "model/model_loader.h"
#include "platform/backend.h"
#include "platform/record/recording_backend.h"
#include "render/device.h"
#include "render/render_model.h"

inline RecordingBackend& fuzzRecordingDevice() {
  static RecordingBackend backend;
  static ScopedGraphicsBackend useBackend(backend);
  static const bool created = [] {
    CDevice device;
    return device.Create(800, 600, true, reinterpret_cast<HWND>(uintptr_t{0x4D53})) != 0;
  }();
  if (!created) std::abort();
  return backend;
}

inline void clearFuzzCallLog() { fuzzRecordingDevice().recorder().Log().Clear(); }

// One load with a model and a shadow model as targets, everything kept in RAM.
template <typename Load>
void fuzzModelLoad(Load&& load) {
  fuzzRecordingDevice();
  RenderModel model;
  RenderModel shadowModel;
  LoadTargets targets;
  targets.keepInRam = 1;
  targets.model = &model;
  targets.shadowModel = &shadowModel;
  ModelLoader loader;
  load(loader, targets);
  clearFuzzCallLog();
}
