// Loading a typical effect (the shipped skinned-model effect) on the OpenGL
// device, headless: the first load of a run (compile and link), a load
// whose compilation the front end has cached (link only), and a load while
// another effect of the file holds its programs. Run with
// --benchmark_repetitions=5 --benchmark_report_aggregates_only=true and
// compare medians; the goal is under 100 ms for the first load.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include <SDL2/SDL.h>

#include "platform/fx/effect_cache.h"
#include "platform/gl/gl_backend.h"
#include "platform/gl/gl_direct3d.h"

namespace {

const std::string kEffect = std::string(MESHVIEW_SOURCE_DIR) + "/demo/effect/skinned.fx";

// One headless device for the whole run.
IDirect3DDevice9* Device() {
  static IDirect3DDevice9* device = [] {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    IDirect3DDevice9* made = nullptr;
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return made;
    SDL_Window* window = SDL_CreateWindow("effect bench", 0, 0, 64, 64, SDL_WINDOW_OPENGL);
    if (window == nullptr) return made;
    auto* direct3d = new GlDirect3D(31);
    D3DPRESENT_PARAMETERS parameters{};
    parameters.BackBufferWidth = 64;
    parameters.BackBufferHeight = 64;
    parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
    parameters.BackBufferCount = 1;
    parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
    parameters.Windowed = 1;
    parameters.EnableAutoDepthStencil = 1;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
    direct3d->CreateDeviceOnWindow(window, nullptr, D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                   &parameters, &made);
    return made;
  }();
  return device;
}

ID3DXEffect* Load(benchmark::State& state) {
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  const HRESULT result = gl_graphics_backend().CreateEffectFromFile(Device(), kEffect.c_str(), nullptr, nullptr, 0,
                                                                    nullptr, &effect, &errors);
  if (errors != nullptr) errors->Release();
  if (result != D3D_OK) state.SkipWithError("the effect did not load");
  return effect;
}

void Release(ID3DXEffect* effect) {
  if (effect != nullptr) effect->Release();
}

void EffectLoad_First(benchmark::State& state) {
  if (Device() == nullptr) return state.SkipWithError("no GL device");
  for (auto _ : state) {
    state.PauseTiming();
    fx::shared_effect_cache().clear();
    state.ResumeTiming();
    Release(Load(state));
  }
}

void EffectLoad_Compiled(benchmark::State& state) {
  if (Device() == nullptr) return state.SkipWithError("no GL device");
  Release(Load(state));
  for (auto _ : state) Release(Load(state));
}

void EffectLoad_ProgramsShared(benchmark::State& state) {
  if (Device() == nullptr) return state.SkipWithError("no GL device");
  ID3DXEffect* holder = Load(state);
  for (auto _ : state) Release(Load(state));
  Release(holder);
}

BENCHMARK(EffectLoad_First)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(EffectLoad_Compiled)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(EffectLoad_ProgramsShared)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
