// Measures how long compiling one effect file takes: the first compile
// (which also builds glslang's tables) and the median of repeated compiles.
// Usage: fx_compile_time [effect file] [runs]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/fx/effect_compiler.h"

namespace {

double milliseconds_since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : MESHVIEW_FX_SAMPLE;
  int runs = argc > 2 ? std::atoi(argv[2]) : 21;
  if (runs < 1) runs = 1;

  auto start = std::chrono::steady_clock::now();
  fx::EffectCompileResult first = fx::compile_effect_file(path);
  double first_ms = milliseconds_since(start);
  if (!first.compiled()) {
    std::fprintf(stderr, "%s did not compile:\n%s", path, first.messages.c_str());
    return 1;
  }

  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    start = std::chrono::steady_clock::now();
    fx::EffectCompileResult result = fx::compile_effect_file(path);
    times.push_back(milliseconds_since(start));
    if (!result.compiled()) return 1;
  }
  std::sort(times.begin(), times.end());
  size_t passes = 0;
  for (const fx::EffectTechnique& technique : first.effect->techniques)
    passes += technique.passes.size();
  std::printf("%s: %zu techniques, %zu passes\n", path, first.effect->techniques.size(), passes);
  std::printf("first compile %.2f ms; median of %d: %.2f ms (min %.2f, max %.2f); goal < 100 ms\n",
              first_ms, runs, times[times.size() / 2], times.front(), times.back());
  return 0;
}
