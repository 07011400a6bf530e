#include "import/simplify.h"

#include <meshoptimizer.h>

#include <algorithm>
#include <vector>

namespace {

// One pass over every material's range towards share of its indices.
std::vector<uint32_t> simplifyRanges(const WideMesh& mesh, double share,
                                     std::vector<int32_t>* materials, float* error) {
  const std::vector<Vector3>& positions = mesh.vertices.positions;
  std::vector<uint32_t> result;
  materials->clear();
  size_t first = 0;
  const size_t triangles = mesh.indices.size() / 3;
  while (first < triangles) {
    size_t end = first;
    const int32_t material =
        first < mesh.triangleMaterials.size() ? mesh.triangleMaterials[first] : 0;
    while (end < triangles &&
           (end < mesh.triangleMaterials.size() ? mesh.triangleMaterials[end] : 0) == material) {
      ++end;
    }
    const size_t count = (end - first) * 3;
    std::vector<uint32_t> kept(count);
    const size_t target =
        std::max<size_t>(3, static_cast<size_t>(static_cast<double>(count) * share) / 3 * 3);
    float reached = 0.0f;
    const size_t written =
        meshopt_simplify(kept.data(), &mesh.indices[first * 3], count, &positions[0].x,
                         positions.size(), sizeof(Vector3), target, 1.0f, 0, &reached);
    kept.resize(written);
    *error = std::max(*error, reached);
    result.insert(result.end(), kept.begin(), kept.end());
    materials->insert(materials->end(), written / 3, material);
    first = end;
  }
  return result;
}

}  // namespace

SimplifyResult simplifyMesh(WideMesh& mesh, double ratio) {
  SimplifyResult result;
  result.indicesBefore = mesh.indices.size();
  if (mesh.indices.empty() || mesh.vertices.positions.empty()) return result;
  const bool toFit = ratio <= 0.0;
  double share =
      toFit ? static_cast<double>(kMaxPartIndices) / static_cast<double>(mesh.indices.size())
            : ratio;
  share = std::min(share, 1.0);
  std::vector<uint32_t> indices;
  std::vector<int32_t> materials;
  for (int round = 0; round < 4; ++round) {
    float error = 0.0f;
    indices = simplifyRanges(mesh, share * (toFit ? 0.97 : 1.0), &materials, &error);
    result.error = error;
    if (!toFit || indices.size() <= kMaxPartIndices) break;
    share *= static_cast<double>(kMaxPartIndices) / static_cast<double>(indices.size());
  }
  mesh.indices = std::move(indices);
  mesh.triangleMaterials = std::move(materials);
  result.indicesAfter = mesh.indices.size();
  return result;
}
