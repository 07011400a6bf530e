#include "geometry/shadow_volume.h"

#include <cstring>
#include <vector>

#include "base/log.h"
#include "geometry/edge_partners.h"

bool CShadowVolume::create(const MeshGeometry& source, MeshGeometry& destination) {
  log_text("------ creating ShadowVolume mesh (GPU only) --------- ");
  if (&source == &destination) {
    log_text("<error> CShadowVolume::create() source and destination are the same mesh");
    return false;
  }
  source_ = &source;
  destination_ = &destination;

  if (!checksource() || !createvertices() || !createnewindices()) {
    discardresult();
    return false;
  }
  destination.weightsPerVertex = source.weightsPerVertex;
  destination.paletteIndicesPerVertex = source.paletteIndicesPerVertex;
  std::memset(destination.chunkFlags, 0, sizeof destination.chunkFlags);
  destination.reserved = source.reserved;
  destination.hasTangents = 0;
  destination.isShadowVolume = 1;
  if (!createextravectors()) {
    discardresult();
    return false;
  }
  log_text("----- ShadowVolume mesh done ------ ");
  return true;
}

// Everything later steps index into is checked here, so no step can read
// outside the source lists or overflow a 16-bit vertex number.
bool CShadowVolume::checksource() {
  const MeshGeometry& source = *source_;
  const int32_t n = source.indices.count;
  if (n > kMaxIndexCount) {
    log_int("<error> CShadowVolume::create() too many indices: ", n);
    return false;
  }
  const int32_t vertexCount = source.positions.count;
  for (int32_t k = 0; k < n; ++k) {
    if (source.indices[k] >= vertexCount) {
      log_int("<error> CShadowVolume::create() index beyond vertex count: ", source.indices[k]);
      return false;
    }
  }
  const uint64_t vertices = static_cast<uint64_t>(vertexCount);
  if (vertices * source.weightsPerVertex > static_cast<uint64_t>(source.blendWeights.count)) {
    log_int("<error> CShadowVolume::create() too few blend weights: ", source.blendWeights.count);
    return false;
  }
  if (vertices * source.paletteIndicesPerVertex >
      static_cast<uint64_t>(source.paletteIndices.count)) {
    log_int("<error> CShadowVolume::create() too few palette indices: ",
            source.paletteIndices.count);
    return false;
  }
  return true;
}

bool CShadowVolume::createvertices() {
  const MeshGeometry& source = *source_;
  MeshGeometry& destination = *destination_;
  const int64_t n = source.indices.count;
  const int64_t w = source.weightsPerVertex;
  const int64_t p = source.paletteIndicesPerVertex;
  if (!destination.positions.resize(n) || !destination.blendWeights.resize(n * w) ||
      !destination.paletteIndices.resize(n * p)) {
    log_int("<error> CShadowVolume::createvertices() no mem for vertices num: ",
            static_cast<int32_t>(n));
    return false;
  }
  for (int64_t k = 0; k < n; ++k) {
    const int64_t v = source.indices[k];
    destination.positions[k] = source.positions[v];
    if (w > 0) {
      std::memcpy(&destination.blendWeights[k * w], &source.blendWeights[v * w],
                  static_cast<size_t>(w) * sizeof(float));
    }
    if (p > 0) {
      std::memcpy(&destination.paletteIndices[k * p], &source.paletteIndices[v * p],
                  static_cast<size_t>(p));
    }
  }
  return true;
}

bool CShadowVolume::createnewindices() {
  MeshGeometry& destination = *destination_;
  const int32_t n = source_->indices.count;
  // Each paired edge adds six indices. The cheap count of edges between
  // identical points is the search's count for nearly every mesh and never
  // more, so a mesh it already puts over the limit is refused before the search.
  const int64_t atLeast =
      n + 6 * static_cast<int64_t>(countIdenticalEdgePartners(destination.positions.data, n));
  if (atLeast > kMaxIndexCount) {
    log_int("<error> createnewindices() index count over 65535: ", static_cast<int32_t>(atLeast));
    return false;
  }
  const std::vector<int32_t> partner = findEdgePartners(destination.positions.data, n);

  int64_t count = n;
  for (int32_t found : partner) {
    if (found >= 0) count += 6;
  }
  if (count > kMaxIndexCount) {
    log_int("<error> createnewindices() index count over 65535: ", static_cast<int32_t>(count));
    return false;
  }
  if (!destination.indices.resize(count)) {
    log_int("<error> createnewindices() no mem error WORD:", static_cast<int32_t>(count));
    return false;
  }

  // Vertex k is corner k, so the surface triangles keep their corner order.
  int32_t next = 0;
  for (; next < n; ++next) destination.indices[next] = static_cast<uint16_t>(next);
  for (int32_t edge = 0; edge < static_cast<int32_t>(partner.size()); ++edge) {
    const int32_t other = partner[static_cast<size_t>(edge)];
    if (other < 0) continue;
    const int32_t i0 = edge;
    const int32_t i1 = edge % 3 == 2 ? edge - 2 : edge + 1;
    const int32_t j0 = other;
    const int32_t j1 = other % 3 == 2 ? other - 2 : other + 1;
    const int32_t quad[6] = {i0, j1, i1, i1, j1, j0};
    for (int32_t corner : quad) destination.indices[next++] = static_cast<uint16_t>(corner);
  }
  log_int("new shadowtri count: ", static_cast<int32_t>(count / 3));
  return true;
}

// Only the surface triangles (the first n / 3) are walked: an edge quad's
// corners would hand a vertex a collapsed triangle instead of its own.
bool CShadowVolume::createextravectors() {
  MeshGeometry& destination = *destination_;
  const int32_t vertexCount = destination.positions.count;
  if (!destination.shadowNeighbourA.resize(vertexCount) ||
      !destination.shadowNeighbourB.resize(vertexCount) ||
      destination.shadowNeighbourA.data == nullptr ||
      destination.shadowNeighbourB.data == nullptr) {
    log_text("<error> CShadowVolume:: no mem for the extra two vectors.. (sigh)");
    return false;
  }
  const int32_t surfaceCorners = source_->indices.count / 3 * 3;
  for (int32_t first = 0; first < surfaceCorners; first += 3) {
    for (int32_t k = 0; k < 3; ++k) {
      const uint16_t v = destination.indices[first + k];
      destination.shadowNeighbourA[v] =
          destination.positions[destination.indices[first + (k + 1) % 3]];
      destination.shadowNeighbourB[v] =
          destination.positions[destination.indices[first + (k + 2) % 3]];
    }
  }
  return true;
}

void CShadowVolume::discardresult() {
  MeshGeometry& destination = *destination_;
  destination.positions.free();
  destination.blendWeights.free();
  destination.paletteIndices.free();
  destination.indices.free();
  destination.shadowNeighbourA.free();
  destination.shadowNeighbourB.free();
  destination.isShadowVolume = 0;
}
