#include "geometry/rearrange.h"

#include <cmath>
#include <cstring>

#include "base/log.h"
#include "geometry/matrix4.h"
#include "geometry/tangent.h"

namespace {

// Grouping overwrites x with this marker; real tangents are unit or zero.
constexpr float kGroupedMarker = 10000.0f;
constexpr float kGroupedThreshold = 9999.0f;

}  // namespace

bool CTangent::rearrange(float meltingDegree) {
  const MeshGeometry& source = *source_;
  const int32_t vertexCount = source.positions.count;
  const int32_t n = source.indices.count;

  BoundedArray<uint16_t> remap;
  BoundedArray<Vector3> newTangents;
  // Every recorded corner can at most open one group of its own.
  const int64_t room = static_cast<int64_t>(vertexCount) + n;
  if (!remap.resize(n) || !newTangents.resize(room)) {
    log_int("<error> rearrange() no mem for new vertices num: ", static_cast<int32_t>(room));
    return false;
  }
  for (int32_t k = 0; k < n; ++k) remap[k] = source.indices[k];

  const float melt = static_cast<float>(
      -std::cos(static_cast<double>(meltingDegree) * static_cast<double>(kDegreesToRadians)));
  log_text("start rearranguing.");

  int64_t newCount = vertexCount;
  for (int32_t v = 0; v < entries_.count; ++v) {
    tTindex& entry = entries_[v];
    bool first = true;
    for (int32_t j = 0; j < entry.used; ++j) {
      if (entry.tangents[j].x > kGroupedThreshold) continue;
      // Marking the seed must not change what the later tangents are compared with.
      const Vector3 seed = entry.tangents[j];
      const int64_t group = first ? v : newCount++;
      Vector3 sum;
      for (int32_t j2 = j; j2 < entry.used; ++j2) {
        Vector3& candidate = entry.tangents[j2];
        if (candidate.x > kGroupedThreshold) continue;
        if (-seed.dot(candidate) < static_cast<double>(melt)) {
          sum.add(candidate);
          candidate.x = kGroupedMarker;
          if (!first) remap[entry.corners[j2]] = static_cast<uint16_t>(group);
        }
      }
      sum.normalize();
      newTangents[group] = sum;
      first = false;
    }
  }

  log_int("OIGINAL VERTEXNUM: ", vertexCount);
  log_int("OIGINAL TRINUM: ", n / 3);
  log_int("new VERTEXNUM: ", static_cast<int32_t>(newCount));
  if (newCount > kMaxVertexCount) {
    log_int("<error> rearrange() new vertex count over 65535: ", static_cast<int32_t>(newCount));
    return false;
  }
  return recreateALL(remap, newTangents, static_cast<int32_t>(newCount), source, *destination_);
}

namespace {

template <typename T>
bool sizeList(BoundedArray<T>& list, int64_t count, const char* failure) {
  if (!list.resize(count)) {
    log_int(failure, static_cast<int32_t>(count));
    return false;
  }
  // Vertices that no corner names must not carry whatever the heap held.
  if (count > 0) {
    std::memset(static_cast<void*>(list.data), 0, sizeof(T) * static_cast<size_t>(count));
  }
  return true;
}

}  // namespace

bool recreateALL(const BoundedArray<uint16_t>& remap, const BoundedArray<Vector3>& newTangents,
                 int32_t newCount, const MeshGeometry& source, MeshGeometry& destination) {
  const int32_t vertexCount = source.positions.count;
  if (vertexCount == 0) return false;
  const int32_t n = source.indices.count;
  if (remap.count != n) {
    log_text("<error> recreateALL ujindex!=oldindex (in nums) ");
    return false;
  }
  for (int32_t k = 0; k < n; ++k) {
    if (remap[k] >= newCount || source.indices[k] >= vertexCount) {
      log_int("<error> recreateALL index beyond vertex count ", k);
      return false;
    }
  }
  const int64_t p = source.paletteIndices.count / vertexCount;
  const int64_t w = source.blendWeights.count / vertexCount;
  const bool hasNormals = source.normals.count >= vertexCount;
  const bool hasTexCoords0 = source.texCoords0.count >= vertexCount;
  const bool hasTexCoords1 = source.texCoords1.count >= vertexCount;

  if (newTangents.count < newCount) {
    log_int("<error> recreateALL tangents not created ", newCount);
    return false;
  }

  if (!sizeList(destination.paletteIndices, p * newCount,
                "<error> recreateALL blendpatette num ") ||
      !sizeList(destination.blendWeights, w * newCount, "<error> recreateALL weights num ") ||
      !sizeList(destination.indices, n, "<error> recreateALL indexdata not created ") ||
      (hasNormals &&
       !sizeList(destination.normals, newCount, "<error> recreateALL normals not created ")) ||
      !sizeList(destination.tangents, newCount, "<error> recreateALL tangents not created ") ||
      (hasTexCoords0 &&
       !sizeList(destination.texCoords0, newCount, "<error> recreateALL texco0 not created ")) ||
      (hasTexCoords1 &&
       !sizeList(destination.texCoords1, newCount, "<error> recreateALL texco1 not created ")) ||
      !sizeList(destination.positions, newCount, "<error> recreateALL vector not created ")) {
    return false;
  }

  for (int32_t k = 0; k < n; ++k) destination.indices[k] = remap[k];
  for (int32_t v = 0; v < newCount; ++v) destination.tangents[v] = newTangents[v];
  for (int32_t k = 0; k < n; ++k) {
    const int64_t from = source.indices[k];
    const int64_t to = remap[k];
    if (p > 0) {
      std::memcpy(&destination.paletteIndices[to * p], &source.paletteIndices[from * p],
                  static_cast<size_t>(p));
    }
    if (w > 0) {
      std::memcpy(&destination.blendWeights[to * w], &source.blendWeights[from * w],
                  static_cast<size_t>(w) * sizeof(float));
    }
    if (hasNormals) destination.normals[to] = source.normals[from];
    if (hasTexCoords0) destination.texCoords0[to] = source.texCoords0[from];
    if (hasTexCoords1) destination.texCoords1[to] = source.texCoords1[from];
    destination.positions[to] = source.positions[from];
  }
  return true;
}
