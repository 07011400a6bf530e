// The CPU side of one viewer frame for one skinned model: bone animation,
// effect parameter upload and draw submission of RenderModel::Draw, on the
// recording device (its call bookkeeping is part of what is timed). Models:
// the demo's 17-bone figure and a 255-bone chain. Run with
// --benchmark_repetitions=5 --benchmark_report_aggregates_only=true and
// compare medians.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/dirs.h"
#include "model/model_loader.h"
#include "platform/backend.h"
#include "platform/record/recording_backend.h"
#include "render/device.h"
#include "render/render_model.h"
#include "render/render_target.h"
#include "render/texture.h"
#include "tools/demo_generator/figure_model.h"
#include "tools/model_writer/model_writer.h"
#include "tools/model_writer/script_writer.h"

namespace {

namespace fs = std::filesystem;

constexpr int kChainBones = 255;
constexpr uint32_t kFrameStepMs = 16;

[[noreturn]] void fail(const char* what) {
  std::fprintf(stderr, "frame_bench: %s\n", what);
  std::abort();
}

// The recorder loads any readable, non-empty file as a texture or an effect.
void writeStandIn(const fs::path& path) {
  fs::create_directories(path.parent_path());
  if (!writeBytesFile(path.string(), {0})) fail("cannot write a stand-in resource file");
}

// A chain of 255 bones, each 0.1 up from its parent and bending a little
// more at every key; a ribbon of two vertices per bone, each bound to its bone.
DemoModel makeChain() {
  DemoModel chain;
  ModelDescription& model = chain.model;
  model.weightsPerVertex = 3;
  model.paletteIndicesPerVertex = 4;
  model.writeAnimation = true;
  model.writeArmature = true;
  for (int bone = 0; bone < kChainBones; ++bone) {
    const float y = 0.1f * static_cast<float>(bone);
    for (float x : {-0.05f, 0.05f}) {
      model.positions.push_back({x, y, 0.0f});
      model.normals.push_back({0.0f, 0.0f, -1.0f});
      model.texCoords0.push_back({x > 0 ? 1.0f : 0.0f, static_cast<float>(bone) / kChainBones});
      model.blendWeights.insert(model.blendWeights.end(), {1.0f, 0.0f, 0.0f});
      model.paletteIndices.insert(model.paletteIndices.end(), 4, static_cast<uint8_t>(bone));
    }
    if (bone + 1 < kChainBones) {
      const auto v = static_cast<uint16_t>(2 * bone);
      model.indices.insert(model.indices.end(),
                           {v, static_cast<uint16_t>(v + 2), static_cast<uint16_t>(v + 1),
                            static_cast<uint16_t>(v + 1), static_cast<uint16_t>(v + 2),
                            static_cast<uint16_t>(v + 3)});
    }

    WrittenTrack track;
    track.offset.setIdentity();
    track.offset.setTranslation(0.0f, -y, 0.0f);
    for (int key = 0; key < 4; ++key) {
      Matrix4 local;
      local.rotationZ(0.5f * static_cast<float>(key));
      local.setTranslation(0.0f, bone == 0 ? 0.0f : 0.1f, 0.0f);
      track.keys.push_back({0, std::vector<float>(local.m, local.m + 16)});
    }
    model.bones.push_back(track);
    model.boneParents.push_back(bone == 0 ? 255 : static_cast<uint8_t>(bone - 1));
    model.boneOrder.push_back(static_cast<uint8_t>(bone));
  }
  chain.script.texture = "chain.bmp";
  chain.script.bumpTexture = "chain_n.bmp";
  chain.script.effect = "../effect/chain_skinned.fx";
  chain.script.tangents = true;
  chain.script.animations.push_back({"bend", 100, {0, 1, 2, 3, 2, 1}});
  return chain;
}

// Writes the model and its script into bin/, stand-ins for the resources it
// names, and loads it.
void writeAndLoad(const fs::path& root, const std::string& name, const DemoModel& source,
                  RenderModel& model, RenderModel& shadowVolume) {
  const std::string path = (root / "bin" / (name + ".x_out")).string();
  if (!writeModelFile(path, source.model) || !writeScriptBeside(path, source.script)) {
    fail("cannot write a model");
  }
  for (const std::string& texture : {source.script.texture, source.script.bumpTexture}) {
    if (!texture.empty()) writeStandIn(root / "texture" / texture);
  }
  for (const std::string& effect : {source.script.effect, source.script.shadowEffect}) {
    if (!effect.empty()) writeStandIn(root / "bin" / effect);
  }
  LoadTargets targets;
  targets.keepInRam = 1;
  targets.model = &model;
  targets.shadowModel = &shadowVolume;
  ModelLoader loader;
  if (loader.load(path.c_str(), targets) != 1) fail("a model did not load");
}

// The recording device, both models and the two light lists of a frame (the
// shadow pass's plain light, the main pass's shadow-mapped light), as the
// viewer sets them up, for the life of the program.
struct FrameSetup {
  FrameSetup() : useBackend(backend) {
    std::string pattern = (fs::temp_directory_path() / "meshview-frame-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) fail("no temporary folder");
    root = pattern;
    fs::create_directories(root / "bin");
    g_textureFolder = ((root / "texture").string() + "/").c_str();
    g_effectFolder = ((root / "bin").string() + "/").c_str();
    if (device.Create(800, 600, true, reinterpret_cast<HWND>(uintptr_t{0x4D49})) == 0) {
      fail("no recording device");
    }
    writeAndLoad(root, "walker", makeFigure(), figure, figureShadowVolume);
    writeAndLoad(root, "chain", makeChain(), chain, chainShadowVolume);

    if (!shadowTexture.CreateRenderTarget(512, 512, D3DFMT_R32F) ||
        !shadowTarget.InitForTexture(&shadowTexture, 1.0f, 50.0f)) {
      fail("no shadow map");
    }
    const Vector3 lightPosition{-10.0f, 0.0f, 0.0f};
    const Vector3 lightDirection{1.0f, 0.0f, 0.0f};
    Matrix4 lightView;
    lightView.lookAt(lightPosition, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    shadowTarget.SetView(lightView);

    LightRecord plain;
    plain.type = LightRecord::kPlainLight;
    plain.position = lightPosition;
    plain.direction = lightDirection;
    shadowLights.Reserve(1);
    shadowLights.Add(plain);
    LightRecord shadowMapped = plain;
    shadowMapped.type = LightRecord::kShadowMappedLight;
    shadowMapped.target = &shadowTarget;
    sceneLights.Reserve(1);
    sceneLights.Add(shadowMapped);
    backend.recorder().Log().Clear();
  }
  ~FrameSetup() {
    shadowTarget.Reset();
    shadowTexture.Release();
    ReleaseDeviceGlobals();
    std::error_code ignored;
    fs::remove_all(root, ignored);
  }

  RecordingBackend backend;
  ScopedGraphicsBackend useBackend;
  CDevice device;
  fs::path root;
  RenderModel figure;
  RenderModel figureShadowVolume;
  RenderModel chain;
  RenderModel chainShadowVolume;
  Texture shadowTexture;
  RenderTarget shadowTarget;
  LightList shadowLights;
  LightList sceneLights;
};

FrameSetup& setup() {
  static FrameSetup instance;
  return instance;
}

enum class Pass { Shadow, Main };

// One pass's draw of the model per iteration, the clock moving one frame on
// each time so the key pair and blend weight change as in the viewer.
void drawFrames(benchmark::State& state, RenderModel& model, int32_t animation, Pass pass) {
  FrameSetup& frame = setup();
  DrawInstance instance;
  instance.animindex = animation;
  instance.World.setIdentity();
  if (pass == Pass::Shadow) {
    frame.shadowTarget.GetView(instance.View);
    frame.shadowTarget.GetProj(instance.Proj);
  } else {
    instance.View.lookAt({0.0f, 2.0f, -8.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    instance.Proj.perspectiveFov(45.0f, 800.0f / 600.0f, 1.0f, 100.0f);
    instance.shadowmode = 1;  // PCF on
  }
  const LightList& lights = pass == Pass::Shadow ? frame.shadowLights : frame.sceneLights;
  CallLog& log = frame.backend.recorder().Log();

  // A draw that submits nothing would time the wrong thing.
  if (!model.Draw(instance, true, lights) || log.Count("DrawIndexedPrimitive") == 0) {
    fail("the model was not drawn");
  }
  log.Clear();
  for (auto _ : state) {
    instance.now += kFrameStepMs;
    if (!model.Draw(instance, true, lights)) fail("a draw failed");
    log.Clear();
  }
}

// The viewer starts the figure with its third clip (walk).
void FigureShadowPass(benchmark::State& state) { drawFrames(state, setup().figure, 2, Pass::Shadow); }
void FigureMainPass(benchmark::State& state) { drawFrames(state, setup().figure, 2, Pass::Main); }
void Chain255ShadowPass(benchmark::State& state) { drawFrames(state, setup().chain, 0, Pass::Shadow); }
void Chain255MainPass(benchmark::State& state) { drawFrames(state, setup().chain, 0, Pass::Main); }

BENCHMARK(FigureShadowPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(FigureMainPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(Chain255ShadowPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(Chain255MainPass)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
