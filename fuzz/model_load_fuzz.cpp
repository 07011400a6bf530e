// Feeds arbitrary bytes to the model loader as a model file whose script
// exists, on a recording device, so every chunk step, the consistency check,
// the geometry builders, the upload and the RAM copies run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "model/model_loader.h"
#include "platform/backend.h"
#include "platform/record/recording_backend.h"
#include "render/device.h"
#include "render/render_model.h"

namespace {

std::filesystem::path g_folder;

void removeFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(g_folder, ignored);
}

// A model path in a fresh folder, with a script beside it that asks for everything.
std::string prepareModelPath() {
  std::string pattern = (std::filesystem::temp_directory_path() / "model-fuzz-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  g_folder = pattern;
  std::atexit(removeFolder);
  if (FILE* script = std::fopen((g_folder / "model.txt").c_str(), "w")) {
    std::fputs("t skin.bmp b skin_n.bmp e skin.fx T S shadow.fx a walk 60 { 0 1 2 }\n", script);
    std::fclose(script);
  }
  return (g_folder / "model.x_out").string();
}

// One recording device for the whole run; its call log is emptied after
// every input so memory stays flat over millions of inputs.
RecordingBackend& recordingDevice() {
  static RecordingBackend backend;
  static ScopedGraphicsBackend useBackend(backend);
  static const bool created = [] {
    CDevice device;
    return device.Create(800, 600, true, reinterpret_cast<HWND>(uintptr_t{0x4D49})) != 0;
  }();
  if (!created) std::abort();
  return backend;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string modelPath = prepareModelPath();
  RecordingBackend& backend = recordingDevice();
  RenderModel model;
  RenderModel shadowModel;
  LoadTargets targets;
  targets.keepInRam = 1;
  targets.model = &model;
  targets.shadowModel = &shadowModel;
  ModelLoader loader;
  loader.loadFromBytes(data, size, modelPath.c_str(), targets);
  backend.recorder().Log().Clear();
  return 0;
}
