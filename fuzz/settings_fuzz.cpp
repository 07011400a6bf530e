// Feeds arbitrary bytes to the viewer's start-up as input.txt (held in
// memory), which names the model to load; a valid model and script are held
// in memory under "m.x_out" so that inputs naming it load it.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "app/run.h"
#include "base/memory_files.h"
#include "fuzz/fuzz_device.h"
#include "tools/model_writer/model_writer.h"
#include "tools/model_writer/sample_models.h"

namespace {

void registerModel() {
  register_memory_file("m.x_out", writeModelBytes(sampleStaticModel()));
  register_memory_file("m.txt", std::string_view("t m.bmp e m.fx"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (registerModel(), true);
  (void)ready;
  register_memory_file("input.txt", std::vector<uint8_t>(data, data + size));
  fuzzRecordingDevice();
  RenderModel model;
  RenderModel shadowVolume;
  CRun::Run(model, shadowVolume);
  clearFuzzCallLog();
  return 0;
}
