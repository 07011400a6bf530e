#include "geometry/tangent.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "base/log.h"

bool CTangent::create(const MeshGeometry& source, MeshGeometry& destination, float meltingDegree) {
  log_text("---Tangent computation---");
  log_float("Tangent melting degree: ", meltingDegree);
  if (&source == &destination) {
    log_text("<error> CTangent::create() source and destination are the same mesh");
    return false;
  }
  destination.weightsPerVertex = source.weightsPerVertex;
  destination.paletteIndicesPerVertex = source.paletteIndicesPerVertex;
  std::memcpy(destination.chunkFlags, source.chunkFlags, sizeof destination.chunkFlags);
  destination.reserved = source.reserved;
  destination.hasTangents = source.hasTangents;
  destination.isShadowVolume = source.isShadowVolume;
  bind(source, destination);
  discardresult();

  if (computeparents() == 0 || !checkvertexlists()) {
    discardresult();
    return false;
  }
  computetangents();
  if (!rearrange(meltingDegree)) {
    discardresult();
    return false;
  }
  log_text("---Tangent computation done.---");
  return true;
}

void CTangent::bind(const MeshGeometry& source, MeshGeometry& destination) {
  source_ = &source;
  destination_ = &destination;
}

// Corners are counted per vertex first, so each vertex's lists are sized once
// and filled in one pass over the index list, in ascending corner order.
int32_t CTangent::computeparents() {
  const MeshGeometry& source = *source_;
  const int32_t vertexCount = source.positions.count;
  entries_.free();
  if (!entries_.resize(vertexCount) || entries_.count == 0) {
    log_int("<error> CTangent::computeparents() No mem for Tangents: ", vertexCount);
    return 0;
  }
  const int32_t n = source.indices.count;
  if (n == 0) {
    log_int("<error> CTangent::computeparents() No mem for dump: ", n);
    return 0;
  }
  if (n > kMaxIndexCount) {
    log_int("<error> CTangent::computeparents() too many indices: ", n);
    return 0;
  }
  for (int32_t k = 0; k < n; ++k) {
    if (source.indices[k] >= vertexCount) {
      log_int("<error> CTangent::computeparents() index beyond vertex count: ", source.indices[k]);
      return 0;
    }
  }

  const size_t referable = static_cast<size_t>(std::min(vertexCount, kCollectedCorner + 1));
  std::vector<int32_t> cornerCount(referable, 0);
  for (int32_t k = 0; k < n; ++k) ++cornerCount[source.indices[k]];

  std::vector<int32_t> filled(referable, 0);
  int32_t maximum = 0;
  for (int32_t k = 0; k < n; ++k) {
    const uint16_t v = source.indices[k];
    if (v == kCollectedCorner) continue;
    tTindex& entry = entries_[v];
    const int32_t recorded = std::min(cornerCount[v], kMaxCornersPerVertex);
    if (filled[v] == 0) {
      maximum = std::max(maximum, recorded);
      entry.used = 0;
      if (!entry.corners.resize(recorded) || !entry.tangents.resize(recorded) ||
          entry.corners.count != recorded || entry.tangents.count != recorded) {
        log_int("<error> CTangent::computeparents() no mem for tTindex num: ", recorded);
        return 0;
      }
    }
    if (filled[v] < recorded) entry.corners[filled[v]++] = static_cast<uint16_t>(k);
  }
  if (maximum == 0) log_text("<error> CTangent::computeparents() no corner to collect");
  return maximum;
}

// Every later step reads these lists per vertex, so each must cover all vertices.
bool CTangent::checkvertexlists() const {
  const MeshGeometry& source = *source_;
  const int32_t vertexCount = source.positions.count;
  if (source.texCoords0.count < vertexCount) {
    log_int("<error> CTangent::create() no texCoords0 for every vertex, texco0 num: ",
            source.texCoords0.count);
    return false;
  }
  if (source.normals.count != 0 && source.normals.count < vertexCount) {
    log_int("<error> CTangent::create() fewer normals than vertices: ", source.normals.count);
    return false;
  }
  if (source.texCoords1.count != 0 && source.texCoords1.count < vertexCount) {
    log_int("<error> CTangent::create() fewer texCoords1 than vertices: ", source.texCoords1.count);
    return false;
  }
  return true;
}

void CTangent::computetangents() {
  log_text("computing tangents ");
  const MeshGeometry& source = *source_;
  const int32_t triangles = source.indices.count / 3;
  const double threshold = static_cast<double>(0.0001f);
  for (int32_t t = 0; t < triangles; ++t) {
    const uint16_t corner[3] = {source.indices[3 * t], source.indices[3 * t + 1],
                                source.indices[3 * t + 2]};
    const Vector3& p0 = source.positions[corner[0]];
    const Vector3& p1 = source.positions[corner[1]];
    const Vector3& p2 = source.positions[corner[2]];
    const TexCoord2& t0 = source.texCoords0[corner[0]];
    const TexCoord2& t1 = source.texCoords0[corner[1]];
    const TexCoord2& t2 = source.texCoords0[corner[2]];
    const float du1 = static_cast<float>(static_cast<double>(t1.u) - t0.u);
    const float dv1 = static_cast<float>(static_cast<double>(t1.v) - t0.v);
    const float du2 = static_cast<float>(static_cast<double>(t2.u) - t0.u);
    const float dv2 = static_cast<float>(static_cast<double>(t2.v) - t0.v);
    const float axis0[3] = {p0.x, p0.y, p0.z};
    const float axis1[3] = {p1.x, p1.y, p1.z};
    const float axis2[3] = {p2.x, p2.y, p2.z};

    // Per axis, the plane through the corners in (axis, u, v) space gives
    // d(axis)/du = -normal.u / normal.axis.
    float component[3] = {0.0f, 0.0f, 0.0f};
    for (int axis = 0; axis < 3; ++axis) {
      const Vector3 e1{static_cast<float>(static_cast<double>(axis1[axis]) - axis0[axis]), du1,
                       dv1};
      const Vector3 e2{static_cast<float>(static_cast<double>(axis2[axis]) - axis0[axis]), du2,
                       dv2};
      Vector3 normal = e1.cross(e2);
      normal.normalize();
      if (std::fabs(static_cast<double>(normal.x)) > threshold) {
        component[axis] = static_cast<float>(-static_cast<double>(normal.y) / normal.x);
      }
    }
    Vector3 tangent{component[0], component[1], component[2]};
    tangent.normalize();

    for (uint16_t v : corner) {
      tTindex& entry = entries_[v];
      if (entry.used < entry.tangents.count) entry.tangents[entry.used++] = tangent;
    }
  }
}

void CTangent::discardresult() {
  MeshGeometry& destination = *destination_;
  destination.positions.free();
  destination.blendWeights.free();
  destination.paletteIndices.free();
  destination.normals.free();
  destination.texCoords0.free();
  destination.texCoords1.free();
  destination.indices.free();
  destination.tangents.free();
}
