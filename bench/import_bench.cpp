// What converting a model in memory costs next to loading the same model from
// files meshconv wrote: the CPU side of the load (chunks, script, geometry
// builders, upload) on the recording device. Three real models from Debian's
// assimp-testmodels. Run with --benchmark_repetitions=5
// --benchmark_report_aggregates_only=true and compare medians.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "base/dirs.h"
#include "import/converter.h"
#include "import/memory_import.h"
#include "tests/support/temp_dir.h"
#include "tools/recorded_load/recorded_load.h"

namespace {

namespace fs = std::filesystem;

const char* const kModels[] = {
    "FBX/animation_with_skeleton.fbx",  // skinned, 4,218 vertices, 27 frames
    "Collada/duck.dae",                 // rigid, 2,399 vertices, a texture
    "MDL/MDL (HL1)/man.mdl",            // skinned, 6 clips
};

std::string modelPath(int index) {
  return std::string("/usr/share/assimp/models/") + kModels[index];
}

void convertInMemoryBench(benchmark::State& state) {
  const std::string input = modelPath(static_cast<int>(state.range(0)));
  ConvertOptions options;
  options.input = input;
  for (auto _ : state) {
    ConvertedFiles files;
    ConvertSummary summary;
    std::string error;
    if (!convertInMemory(options, &files, &summary, &error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    benchmark::DoNotOptimize(files.model.data());
  }
  state.SetLabel(kModels[state.range(0)]);
}

// The folder meshconv wrote for each model, made once per run.
const fs::path& convertedFolder(int index) {
  static TempDir root;
  static std::map<int, fs::path> folders;
  auto found = folders.find(index);
  if (found != folders.end()) return found->second;
  ConvertOptions options;
  options.input = modelPath(index);
  options.outDir = (root.path() / std::to_string(index)).string();
  options.check = false;
  std::ostringstream out, err;
  if (convertModel(options, out, err) != 0) folders[index] = fs::path();
  else folders[index] = options.outDir;
  return folders[index];
}

void loadConvertedFilesBench(benchmark::State& state) {
  const int index = static_cast<int>(state.range(0));
  const fs::path folder = convertedFolder(index);
  if (folder.empty()) {
    state.SkipWithError("meshconv failed");
    return;
  }
  ConvertOptions naming;
  naming.input = modelPath(index);
  const std::string model = modelStem(naming.input, "") + ".x_out";
  WorkingDirectoryGuard cwd;
  fs::current_path(folder / "bin");
  for (auto _ : state) {
    RecordedModelLoad recorded;
    g_textureFolder = TextString(((folder / "texture").string() + "/").c_str());
    g_effectFolder = TextString();
    if (!recorded.load(model)) {
      state.SkipWithError("the load failed");
      return;
    }
  }
  state.SetLabel(kModels[index]);
}

}  // namespace

BENCHMARK(convertInMemoryBench)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);
BENCHMARK(loadConvertedFilesBench)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
