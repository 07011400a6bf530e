// Loads an arbitrary model file together with an arbitrary script, both held
// in memory and read through the same file reader as files on disk (the
// model's chunk stream and the script's tokenizer), on a recording device.
// Input: a little-endian 16-bit script length, the script, then the model.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "base/memory_files.h"
#include "fuzz/fuzz_device.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t scriptSize = std::min<size_t>(size_t(data[0]) | size_t(data[1]) << 8, size - 2);
  const uint8_t* script = data + 2;
  register_memory_file("fuzz/models.v2/model.txt",
                       std::vector<uint8_t>(script, script + scriptSize));
  register_memory_file("fuzz/models.v2/model.x_out",
                       std::vector<uint8_t>(script + scriptSize, data + size));
  fuzzModelLoad([](ModelLoader& loader, LoadTargets& targets) {
    loader.load("fuzz/models.v2/model.x_out", targets);
  });
  return 0;
}
