#pragma once
// Plain, deliberately quadratic versions of the shadow-volume and tangent
// builders, written step by step from their definitions and without logging,
// so the fast builders can be checked (and timed) against them.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "geometry/mesh_geometry.h"
#include "geometry/vector3.h"

namespace reference {

inline void freeShadowLists(MeshGeometry& d) {
  d.positions.free();
  d.blendWeights.free();
  d.paletteIndices.free();
  d.indices.free();
  d.shadowNeighbourA.free();
  d.shadowNeighbourB.free();
  d.isShadowVolume = 0;
}

inline bool sameCorner(const Vector3& a, const Vector3& b) {
  const double bound = static_cast<double>(0.00001f);
  const double d[3] = {double(a.x) - double(b.x), double(a.y) - double(b.y),
                       double(a.z) - double(b.z)};
  for (double x : d) {
    if (!(x >= -bound && x <= bound)) return false;
  }
  return true;
}

// The index list of the shadow mesh: corners 0 .. n-1, then an edge quad for
// the first partner of every edge, every triangle against every later one.
inline std::vector<int64_t> edgeQuads(const Vector3* positions, int64_t n) {
  const int64_t triangles = n / 3;
  std::vector<int64_t> scratch;
  for (int64_t k = 0; k < n; ++k) scratch.push_back(k);
  auto edge = [](int64_t t, int e, int64_t& from, int64_t& to) {
    from = 3 * t + e;
    to = 3 * t + (e + 1) % 3;
  };
  for (int64_t a = 0; a + 1 < triangles; ++a) {
    for (int ea = 0; ea < 3; ++ea) {
      int64_t i0, i1;
      edge(a, ea, i0, i1);
      bool found = false;
      for (int64_t b = a + 1; b < triangles && !found; ++b) {
        for (int eb = 0; eb < 3 && !found; ++eb) {
          int64_t j0, j1;
          edge(b, eb, j0, j1);
          if (sameCorner(positions[i0], positions[j1]) &&
              sameCorner(positions[i1], positions[j0])) {
            scratch.insert(scratch.end(), {i0, j1, i1, i1, j1, j0});
            found = true;
          }
        }
      }
    }
  }
  return scratch;
}

// The shadow-volume mesh, built on edgeQuads.
inline bool shadowVolume(const MeshGeometry& s, MeshGeometry& d) {
  const int64_t n = s.indices.count;
  const int64_t vertices = s.positions.count;
  const int64_t w = s.weightsPerVertex;
  const int64_t p = s.paletteIndicesPerVertex;
  bool ok =
      n <= 65535 && vertices * w <= s.blendWeights.count && vertices * p <= s.paletteIndices.count;
  for (int64_t k = 0; ok && k < n; ++k) ok = s.indices[k] < vertices;
  ok =
      ok && d.positions.resize(n) && d.blendWeights.resize(n * w) && d.paletteIndices.resize(n * p);
  if (!ok) {
    freeShadowLists(d);
    return false;
  }
  for (int64_t k = 0; k < n; ++k) {
    const int64_t v = s.indices[k];
    d.positions[k] = s.positions[v];
    for (int64_t i = 0; i < w; ++i) d.blendWeights[k * w + i] = s.blendWeights[v * w + i];
    for (int64_t i = 0; i < p; ++i) d.paletteIndices[k * p + i] = s.paletteIndices[v * p + i];
  }

  const int64_t triangles = n / 3;
  const std::vector<int64_t> scratch = edgeQuads(d.positions.data, n);
  if (scratch.size() > 65535 || !d.indices.resize(static_cast<int64_t>(scratch.size()))) {
    freeShadowLists(d);
    return false;
  }
  for (size_t k = 0; k < scratch.size(); ++k) d.indices[k] = static_cast<uint16_t>(scratch[k]);

  d.weightsPerVertex = s.weightsPerVertex;
  d.paletteIndicesPerVertex = s.paletteIndicesPerVertex;
  std::memset(d.chunkFlags, 0, sizeof d.chunkFlags);
  d.reserved = s.reserved;
  d.hasTangents = 0;
  d.isShadowVolume = 1;

  if (n == 0 || !d.shadowNeighbourA.resize(n) || !d.shadowNeighbourB.resize(n)) {
    freeShadowLists(d);
    return false;
  }
  for (int64_t t = 0; t < triangles; ++t) {
    for (int k = 0; k < 3; ++k) {
      const uint16_t v = d.indices[3 * t + k];
      d.shadowNeighbourA[v] = d.positions[d.indices[3 * t + (k + 1) % 3]];
      d.shadowNeighbourB[v] = d.positions[d.indices[3 * t + (k + 2) % 3]];
    }
  }
  return true;
}

// One source vertex's corners (the first 256, ascending) and tangents.
struct CornerList {
  std::vector<uint16_t> corners;
  std::vector<Vector3> tangents;
};

// Corner collection with a dump: each uncollected corner marks all later
// corners of its vertex. Returns the largest count recorded, 0 on failure.
inline int32_t collectCorners(const MeshGeometry& s, std::vector<CornerList>& lists) {
  const int32_t vertices = s.positions.count;
  const int32_t n = s.indices.count;
  lists.assign(static_cast<size_t>(vertices), CornerList{});
  if (vertices == 0 || n == 0 || n > 65535) return 0;
  for (int32_t k = 0; k < n; ++k) {
    if (s.indices[k] >= vertices) return 0;
  }
  std::vector<uint16_t> dump(s.indices.begin(), s.indices.end());
  uint16_t collector[256];
  int32_t maximum = 0;
  for (int32_t k = 0; k < n; ++k) {
    const uint16_t v = dump[k];
    if (v == 65535) continue;
    collector[0] = static_cast<uint16_t>(k);
    int32_t count = 1;
    for (int32_t k2 = k + 1; k2 < n; ++k2) {
      if (dump[k2] != v) continue;
      dump[k2] = 65535;
      if (count < 256) collector[count++] = static_cast<uint16_t>(k2);
    }
    maximum = std::max(maximum, count);
    lists[v].corners.assign(collector, collector + count);
  }
  return maximum;
}

inline Vector3 triangleTangent(const MeshGeometry& s, int32_t t) {
  const uint16_t i[3] = {s.indices[3 * t], s.indices[3 * t + 1], s.indices[3 * t + 2]};
  const TexCoord2 uv[3] = {s.texCoords0[i[0]], s.texCoords0[i[1]], s.texCoords0[i[2]]};
  Vector3 tangent;
  float* out[3] = {&tangent.x, &tangent.y, &tangent.z};
  for (int axis = 0; axis < 3; ++axis) {
    auto coordinate = [&](int c) {
      const Vector3& p = s.positions[i[c]];
      return axis == 0 ? p.x : axis == 1 ? p.y : p.z;
    };
    const Vector3 e1{static_cast<float>(double(coordinate(1)) - coordinate(0)),
                     static_cast<float>(double(uv[1].u) - uv[0].u),
                     static_cast<float>(double(uv[1].v) - uv[0].v)};
    const Vector3 e2{static_cast<float>(double(coordinate(2)) - coordinate(0)),
                     static_cast<float>(double(uv[2].u) - uv[0].u),
                     static_cast<float>(double(uv[2].v) - uv[0].v)};
    Vector3 plane = e1.cross(e2);
    plane.normalize();
    if (std::fabs(double(plane.x)) > double(0.0001f)) {
      *out[axis] = static_cast<float>(-double(plane.y) / plane.x);
    }
  }
  tangent.normalize();
  return tangent;
}

inline void freeTangentLists(MeshGeometry& d) {
  d.positions.free();
  d.blendWeights.free();
  d.paletteIndices.free();
  d.normals.free();
  d.texCoords0.free();
  d.texCoords1.free();
  d.indices.free();
  d.tangents.free();
}

// The whole tangent build: corners, one tangent per triangle, grouping by
// the melting angle (members only, compared with the seed as it was), new
// vertex numbers, and the re-written mesh. Unnamed vertices are all zero.
inline bool tangents(const MeshGeometry& s, MeshGeometry& d, float meltingDegree) {
  d.weightsPerVertex = s.weightsPerVertex;
  d.paletteIndicesPerVertex = s.paletteIndicesPerVertex;
  std::memcpy(d.chunkFlags, s.chunkFlags, sizeof d.chunkFlags);
  d.reserved = s.reserved;
  d.hasTangents = s.hasTangents;
  d.isShadowVolume = s.isShadowVolume;
  freeTangentLists(d);

  const int32_t vertices = s.positions.count;
  const int32_t n = s.indices.count;
  std::vector<CornerList> lists;
  if (collectCorners(s, lists) == 0 || s.texCoords0.count < vertices ||
      (s.normals.count != 0 && s.normals.count < vertices) ||
      (s.texCoords1.count != 0 && s.texCoords1.count < vertices)) {
    return false;
  }
  for (int32_t t = 0; t < n / 3; ++t) {
    const Vector3 tangent = triangleTangent(s, t);
    for (int c = 0; c < 3; ++c) {
      CornerList& list = lists[s.indices[3 * t + c]];
      if (list.tangents.size() < list.corners.size()) list.tangents.push_back(tangent);
    }
  }

  std::vector<uint16_t> remap(s.indices.begin(), s.indices.end());
  std::vector<Vector3> newTangents(static_cast<size_t>(vertices));
  const float melt = static_cast<float>(-std::cos(double(meltingDegree) * double(0.017453292f)));
  int32_t newCount = vertices;
  for (int32_t v = 0; v < vertices; ++v) {
    std::vector<Vector3>& t = lists[v].tangents;
    std::vector<bool> grouped(t.size(), false);
    bool first = true;
    for (size_t j = 0; j < t.size(); ++j) {
      if (grouped[j]) continue;
      const int32_t g = first ? v : newCount++;
      if (g >= static_cast<int32_t>(newTangents.size())) newTangents.resize(g + 1);
      Vector3 sum;
      for (size_t j2 = j; j2 < t.size(); ++j2) {
        if (grouped[j2] || !(-t[j].dot(t[j2]) < double(melt))) continue;
        sum.add(t[j2]);
        grouped[j2] = true;
        if (!first) remap[lists[v].corners[j2]] = static_cast<uint16_t>(g);
      }
      sum.normalize();
      newTangents[g] = sum;
      first = false;
    }
  }
  if (newCount > 65535) return false;

  const int64_t p = s.paletteIndices.count / vertices;
  const int64_t w = s.blendWeights.count / vertices;
  if (!d.paletteIndices.resize(p * newCount) || !d.blendWeights.resize(w * newCount) ||
      !d.indices.resize(n) || !d.tangents.resize(newCount) || !d.positions.resize(newCount) ||
      (s.normals.count > 0 && !d.normals.resize(newCount)) ||
      (s.texCoords0.count > 0 && !d.texCoords0.resize(newCount)) ||
      (s.texCoords1.count > 0 && !d.texCoords1.resize(newCount))) {
    freeTangentLists(d);
    return false;
  }
  std::fill(d.paletteIndices.begin(), d.paletteIndices.end(), uint8_t{0});
  std::fill(d.blendWeights.begin(), d.blendWeights.end(), 0.0f);
  for (int32_t k = 0; k < newCount; ++k) d.tangents[k] = newTangents[k];
  for (int32_t k = 0; k < n; ++k) {
    const int64_t from = s.indices[k];
    const int64_t to = remap[k];
    d.indices[k] = remap[k];
    for (int64_t i = 0; i < p; ++i) d.paletteIndices[to * p + i] = s.paletteIndices[from * p + i];
    for (int64_t i = 0; i < w; ++i) d.blendWeights[to * w + i] = s.blendWeights[from * w + i];
    if (s.normals.count > 0) d.normals[to] = s.normals[from];
    d.texCoords0[to] = s.texCoords0[from];
    if (s.texCoords1.count > 0) d.texCoords1[to] = s.texCoords1[from];
    d.positions[to] = s.positions[from];
  }
  return true;
}

}  // namespace reference
