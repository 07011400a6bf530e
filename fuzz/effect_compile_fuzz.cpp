// Compiles arbitrary effect source end to end: the include handler, the
// effect parser, glslang, SPIR-V Cross and the GLSL assembly. Files are held
// in memory: the input up to its first NUL byte is "main.fx", the rest is
// "extra.fxh", and the shipped effect includes sit beside them, so seeds
// taken from shipped effects find what they include.
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "base/input_file.h"
#include "base/memory_files.h"
#include "platform/fx/effect_compiler.h"

namespace {

constexpr char kFolder[] = "fuzz/fx/";

void registerShippedIncludes() {
  std::error_code error;
  for (const char* folder :
       {MESHVIEW_SOURCE_DIR "/demo/effect", MESHVIEW_SOURCE_DIR "/tests/data/fx"}) {
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
      if (entry.path().extension() != ".fxh") continue;
      std::vector<uint8_t> bytes;
      if (read_input_file(entry.path().c_str(), InputKind::Effect, bytes, nullptr)) {
        register_memory_file(kFolder + entry.path().filename().string(), std::move(bytes));
      }
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (registerShippedIncludes(), true);
  (void)ready;
  const uint8_t* split = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const size_t mainSize = split ? size_t(split - data) : size;
  register_memory_file(std::string(kFolder) + "main.fx",
                       std::vector<uint8_t>(data, data + mainSize));
  register_memory_file(
      std::string(kFolder) + "extra.fxh",
      split ? std::vector<uint8_t>(split + 1, data + size) : std::vector<uint8_t>());
  fx::compile_effect_file(std::string(kFolder) + "main.fx");
  return 0;
}
