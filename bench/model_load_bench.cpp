// The whole CPU side of loading a closed, skinned model with two texture sets
// and UV seams whose script asks for the shadow volume ('S') and tangents
// ('T'): chunk reading, script, both geometry builders, vertex layout and the
// upload into a recording device. Run with --benchmark_repetitions=5
// --benchmark_report_aggregates_only=true and compare medians.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/dirs.h"
#include "model/model_loader.h"
#include "platform/backend.h"
#include "platform/record/recording_backend.h"
#include "render/device.h"
#include "render/render_model.h"
#include "tests/support/test_meshes.h"
#include "tools/model_writer/model_writer.h"
#include "tools/model_writer/script_writer.h"

namespace {

namespace fs = std::filesystem;

template <typename T>
std::vector<T> copyOf(const BoundedArray<T>& list) {
  return std::vector<T>(list.begin(), list.end());
}

// Writes a torus of rings x sides quads, skinned to a chain of 7 bones with
// one key each, plus its script and stand-in resource files, into folder.
std::string writeTorusModel(const fs::path& folder, int rings, int sides) {
  MeshGeometry mesh;
  makeTorus(mesh, rings, sides);
  ModelDescription model;
  model.positions = copyOf(mesh.positions);
  model.normals = copyOf(mesh.normals);
  model.texCoords0 = copyOf(mesh.texCoords0);
  model.texCoords1 = copyOf(mesh.texCoords1);
  model.indices = copyOf(mesh.indices);
  model.weightsPerVertex = mesh.weightsPerVertex;
  model.blendWeights = copyOf(mesh.blendWeights);
  model.paletteIndicesPerVertex = mesh.paletteIndicesPerVertex;
  model.paletteIndices = copyOf(mesh.paletteIndices);
  constexpr int kBones = 7;
  model.writeAnimation = true;
  model.writeArmature = true;
  for (int bone = 0; bone < kBones; ++bone) {
    WrittenTrack track;
    track.offset.setIdentity();
    Matrix4 local;
    local.translation(0.0f, 0.1f * static_cast<float>(bone), 0.0f);
    for (int frame = 0; frame < 4; ++frame) {
      track.keys.push_back({0, std::vector<float>(local.m, local.m + 16)});
    }
    model.bones.push_back(track);
    model.boneParents.push_back(bone == 0 ? 255 : static_cast<uint8_t>(bone - 1));
    model.boneOrder.push_back(static_cast<uint8_t>(bone));
  }
  const std::string path = (folder / ("torus" + std::to_string(rings) + "x" +
                                      std::to_string(sides) + ".x_out")).string();
  writeModelFile(path, model);
  ScriptDescription script;
  script.texture = "skin.bmp";
  script.bumpTexture = "skin_n.bmp";
  script.effect = "skinned.fx";
  script.tangents = true;
  script.shadowEffect = "shadow.fx";
  script.animations.push_back({"spin", 100, {0, 1, 2, 3}});
  writeScriptBeside(path, script);
  return path;
}

// A temporary data folder, the recording device and the folder values the
// loader reads, for the life of the benchmark program.
struct LoadSetup {
  LoadSetup() : useBackend(backend) {
    std::string pattern = (fs::temp_directory_path() / "meshview-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    folder = pattern;
    // The recorder loads any readable file: the texture files need no image data.
    for (const char* name : {"skin.bmp", "skin_n.bmp", "skinned.fx", "shadow.fx"}) {
      writeBytesFile((folder / name).string(), {0});
    }
    g_textureFolder = (folder.string() + "/").c_str();
    g_effectFolder = (folder.string() + "/").c_str();
    CDevice device;
    if (device.Create(800, 600, true, reinterpret_cast<HWND>(uintptr_t{0x4D49})) == 0) std::abort();
    largest = writeTorusModel(folder, 86, 127);    // 65,532 indices
    shadowFit = writeTorusModel(folder, 65, 42);   // 16,380 indices: its shadow mesh fits
  }
  ~LoadSetup() {
    ReleaseDeviceGlobals();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }

  RecordingBackend backend;
  ScopedGraphicsBackend useBackend;
  fs::path folder;
  std::string largest;
  std::string shadowFit;
};

LoadSetup& setup() {
  static LoadSetup instance;
  return instance;
}

void loadOnce(const std::string& path) {
  RenderModel model;
  RenderModel shadowModel;
  LoadTargets targets;
  targets.keepInRam = 1;
  targets.model = &model;
  targets.shadowModel = &shadowModel;
  ModelLoader loader;
  if (loader.load(path.c_str(), targets) != 1) std::abort();
  setup().backend.recorder().Log().Clear();
}

// At the index limit the shadow build runs its whole edge search and then
// refuses the 4n-index result; the load goes on without a shadow volume.
void WholeLoad_65532Indices(benchmark::State& state) {
  const std::string& path = setup().largest;
  for (auto _ : state) loadOnce(path);
}

void WholeLoad_16380IndicesWithShadowVolume(benchmark::State& state) {
  const std::string& path = setup().shadowFit;
  for (auto _ : state) loadOnce(path);
}

BENCHMARK(WholeLoad_65532Indices)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeLoad_16380IndicesWithShadowVolume)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
