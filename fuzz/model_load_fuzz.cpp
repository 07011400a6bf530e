// Feeds arbitrary bytes to the model loader as a model file whose script
// exists, on a recording device, so every chunk step, the consistency check,
// the geometry builders, the upload and the RAM copies run.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "fuzz/fuzz_device.h"

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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string modelPath = prepareModelPath();
  fuzzModelLoad([&](ModelLoader& loader, LoadTargets& targets) {
    loader.loadFromBytes(data, size, modelPath.c_str(), targets);
  });
  return 0;
}
