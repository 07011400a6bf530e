// Feeds arbitrary text to the model's text-command parser as its script,
// held in memory and read through the same file reader as a script on disk.
#include <cstdint>
#include <vector>

#include "base/memory_files.h"
#include "model/model_loader.h"
#include "render/render_model.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr char kScriptPath[] = "fuzz/script.txt";
  register_memory_file(kScriptPath, std::vector<uint8_t>(data, data + size));
  RenderModel model;
  RenderModel shadowModel;
  ModelLoader loader;
  loader.model = &model;
  loader.shadowModel = &shadowModel;
  loader.parsetextcommands(kScriptPath);
  return 0;
}
