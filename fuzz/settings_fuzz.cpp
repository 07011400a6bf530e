// Feeds arbitrary bytes to the viewer's start-up as input.txt (held in
// memory), which names the model to load; a valid model and script are held
// in memory under "m.x_out" so that inputs naming it load it.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/run.h"
#include "base/memory_files.h"
#include "platform/backend.h"
#include "platform/record/recording_backend.h"
#include "render/device.h"
#include "render/render_model.h"
#include "tools/model_writer/model_writer.h"
#include "tools/model_writer/sample_models.h"

namespace {

RecordingBackend& recordingDevice() {
  static RecordingBackend backend;
  static ScopedGraphicsBackend useBackend(backend);
  static const bool created = [] {
    CDevice device;
    return device.Create(800, 600, true, reinterpret_cast<HWND>(uintptr_t{0x5354})) != 0;
  }();
  if (!created) std::abort();
  return backend;
}

void registerModel() {
  register_memory_file("m.x_out", writeModelBytes(sampleStaticModel()));
  register_memory_file("m.txt", std::string_view("t m.bmp e m.fx"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (registerModel(), true);
  (void)ready;
  register_memory_file("input.txt", std::vector<uint8_t>(data, data + size));
  RecordingBackend& backend = recordingDevice();
  RenderModel model;
  RenderModel shadowVolume;
  CRun::Run(model, shadowVolume);
  backend.recorder().Log().Clear();
  return 0;
}
