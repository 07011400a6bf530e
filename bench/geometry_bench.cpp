// The shadow-volume and tangent builders against the plain quadratic
// reference on a closed, skinned mesh at the 16-bit index limit. Run with
// --benchmark_repetitions=5 --benchmark_report_aggregates_only=true and
// compare medians.
#include <benchmark/benchmark.h>

#include <vector>

#include "geometry/edge_partners.h"
#include "geometry/shadow_volume.h"
#include "geometry/tangent.h"
#include "tests/support/geometry_reference.h"
#include "tests/support/test_meshes.h"

namespace {

// 86 x 127 quads = 21,844 triangles = 65,532 indices: a closed mesh has an
// even triangle count, so this is the largest one within 65,535 indices.
const MeshGeometry& limitMesh() {
  static MeshGeometry mesh;
  if (mesh.indices.count == 0) makeTorus(mesh, 86, 127);
  return mesh;
}

// 65 x 42 quads = 16,380 indices: a closed mesh's shadow mesh has 4n indices,
// so this is about the largest whose shadow mesh still fits 16-bit indices.
const MeshGeometry& shadowFitMesh() {
  static MeshGeometry mesh;
  if (mesh.indices.count == 0) makeTorus(mesh, 65, 42);
  return mesh;
}

// One position per corner, as the edge search sees the shadow mesh.
const std::vector<Vector3>& limitCorners() {
  static std::vector<Vector3> corners;
  if (corners.empty()) {
    const MeshGeometry& mesh = limitMesh();
    for (uint16_t index : mesh.indices) corners.push_back(mesh.positions[index]);
  }
  return corners;
}

void EdgeSearch_Reference(benchmark::State& state) {
  const std::vector<Vector3>& corners = limitCorners();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        reference::edgeQuads(corners.data(), static_cast<int64_t>(corners.size())));
  }
}

void EdgeSearch_Hashed(benchmark::State& state) {
  const std::vector<Vector3>& corners = limitCorners();
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        findEdgePartners(corners.data(), static_cast<int32_t>(corners.size())));
  }
}

void ShadowVolumeBuild_Reference(benchmark::State& state) {
  for (auto _ : state) {
    MeshGeometry shadow;
    if (!reference::shadowVolume(shadowFitMesh(), shadow)) state.SkipWithError("build failed");
    benchmark::DoNotOptimize(shadow.indices.data);
  }
}

void ShadowVolumeBuild_Ours(benchmark::State& state) {
  for (auto _ : state) {
    MeshGeometry shadow;
    CShadowVolume builder;
    if (!builder.create(shadowFitMesh(), shadow)) state.SkipWithError("build failed");
    benchmark::DoNotOptimize(shadow.indices.data);
  }
}

// The whole build on the limit mesh, as the loader would run it: the search
// completes, then the build fails because 4n indices exceed 16 bits.
void ShadowVolumeBuildAtLimit_Reference(benchmark::State& state) {
  for (auto _ : state) {
    MeshGeometry shadow;
    if (reference::shadowVolume(limitMesh(), shadow)) state.SkipWithError("build fitted");
  }
}

void ShadowVolumeBuildAtLimit_Ours(benchmark::State& state) {
  for (auto _ : state) {
    MeshGeometry shadow;
    CShadowVolume builder;
    if (builder.create(limitMesh(), shadow)) state.SkipWithError("build fitted");
  }
}

void CornerCollection_Reference(benchmark::State& state) {
  for (auto _ : state) {
    std::vector<reference::CornerList> lists;
    benchmark::DoNotOptimize(reference::collectCorners(limitMesh(), lists));
  }
}

void CornerCollection_Ours(benchmark::State& state) {
  MeshGeometry unused;
  for (auto _ : state) {
    CTangent tangent;
    tangent.bind(limitMesh(), unused);
    benchmark::DoNotOptimize(tangent.computeparents());
  }
}

void TangentBuild_Reference(benchmark::State& state) {
  for (auto _ : state) {
    MeshGeometry result;
    if (!reference::tangents(limitMesh(), result, 30.0f)) state.SkipWithError("build failed");
    benchmark::DoNotOptimize(result.tangents.data);
  }
}

void TangentBuild_Ours(benchmark::State& state) {
  for (auto _ : state) {
    MeshGeometry result;
    CTangent tangent;
    if (!tangent.create(limitMesh(), result, 30.0f)) state.SkipWithError("build failed");
    benchmark::DoNotOptimize(result.tangents.data);
  }
}

BENCHMARK(EdgeSearch_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(EdgeSearch_Hashed)->Unit(benchmark::kMillisecond);
BENCHMARK(ShadowVolumeBuild_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(ShadowVolumeBuild_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(ShadowVolumeBuildAtLimit_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(ShadowVolumeBuildAtLimit_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(CornerCollection_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(CornerCollection_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(TangentBuild_Reference)->Unit(benchmark::kMillisecond);
BENCHMARK(TangentBuild_Ours)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
