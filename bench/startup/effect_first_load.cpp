// One effect load in a fresh process, the way the viewer's first load of an
// effect goes: glslang's process-wide set-up included, through the effect
// cache with the given disk folder (empty: no disk). Prints milliseconds.
// usage: effect_first_load EFFECT_FILE [DISK_FOLDER]
#include <chrono>
#include <cstdio>

#include "platform/fx/effect_cache.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: effect_first_load EFFECT_FILE [DISK_FOLDER]\n");
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  fx::EffectCache cache(argc > 2 ? argv[2] : "");
  const fx::EffectCompileResult result = cache.compile_file(argv[1]);
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (!result.compiled()) {
    std::fprintf(stderr, "%s did not compile:\n%s", argv[1], result.messages.c_str());
    return 1;
  }
  std::printf("%.3f %s\n", ms, cache.disk_loads() > 0 ? "disk" : "compiled");
  return 0;
}
