// Loads an arbitrary model file together with an arbitrary script, both held
// in memory and read through the same file reader as files on disk (the
// model's chunk stream and the script's tokenizer), on a recording device.
// Input: a little-endian 16-bit script length, the script, then the model.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/memory_files.h"
#include "model/model_loader.h"
#include "platform/backend.h"
#include "platform/record/recording_backend.h"
#include "render/device.h"
#include "render/render_model.h"

namespace {

RecordingBackend& recordingDevice() {
  static RecordingBackend backend;
  static ScopedGraphicsBackend useBackend(backend);
  static const bool created = [] {
    CDevice device;
    return device.Create(800, 600, true, reinterpret_cast<HWND>(uintptr_t{0x4D53})) != 0;
  }();
  if (!created) std::abort();
  return backend;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t scriptSize = std::min<size_t>(size_t(data[0]) | size_t(data[1]) << 8, size - 2);
  const uint8_t* script = data + 2;
  register_memory_file("fuzz/models.v2/model.txt", std::vector<uint8_t>(script, script + scriptSize));
  register_memory_file("fuzz/models.v2/model.x_out",
                       std::vector<uint8_t>(script + scriptSize, data + size));
  RecordingBackend& backend = recordingDevice();
  RenderModel model;
  RenderModel shadowModel;
  LoadTargets targets;
  targets.keepInRam = 1;
  targets.model = &model;
  targets.shadowModel = &shadowModel;
  ModelLoader loader;
  loader.load("fuzz/models.v2/model.x_out", targets);
  backend.recorder().Log().Clear();
  return 0;
}
