#include "render/pose_overlay.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/d3d9.h"
#include "render/render_model.h"

namespace {

constexpr int32_t kInfluences = 4;
// The effects index a palette of at most this many matrices and clamp above.
constexpr int32_t kLastPaletteIndex = 254;
constexpr uint32_t kFloatBytes = 4;

// The affine part of a row-vector transform: w = 1 for points, 0 for directions.
Vector3 transform(const Vector3& v, const Matrix4& m, float w) {
  const double x = v.x, y = v.y, z = v.z;
  return Vector3{static_cast<float>(x * m.m[0] + y * m.m[4] + z * m.m[8] + w * m.m[12]),
                 static_cast<float>(x * m.m[1] + y * m.m[5] + z * m.m[9] + w * m.m[13]),
                 static_cast<float>(x * m.m[2] + y * m.m[6] + z * m.m[10] + w * m.m[14])};
}

Vector3 readVector(const uint8_t* at) {
  Vector3 v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

Vector3 along(const Vector3& from, const Vector3& direction, float length) {
  return Vector3{from.x + direction.x * length, from.y + direction.y * length,
                 from.z + direction.z * length};
}

LineList spikes(const std::vector<Vector3>& from, const std::vector<Vector3>& directions,
                float length) {
  LineList lines;
  if (directions.size() != from.size()) return lines;
  lines.reserve(2 * from.size());
  for (size_t i = 0; i < from.size(); ++i) {
    lines.push_back(from[i]);
    lines.push_back(along(from[i], directions[i], length));
  }
  return lines;
}

}  // namespace

bool BuildSkeletonPose(const RenderModel& model, SkeletonPose* pose) {
  pose->joints.clear();
  pose->bones.clear();
  const int32_t boneCount = model.bones.count;
  if (boneCount < 1 || model.boneWorld.count < boneCount || model.palette.count < boneCount ||
      model.boneParents.count < boneCount) {
    return false;
  }
  for (int32_t b = 0; b < boneCount; ++b) {
    const Matrix4& world = model.boneWorld[b];
    pose->joints.push_back(Vector3{world.m[12], world.m[13], world.m[14]});
  }
  for (int32_t b = 0; b < boneCount; ++b) {
    const uint8_t parent = model.boneParents[b];
    if (parent == RenderModel::kNoParent || parent >= boneCount) continue;
    pose->bones.push_back(pose->joints[parent]);
    pose->bones.push_back(pose->joints[b]);
  }
  return true;
}

bool DescribeStream(uint32_t fvf, StreamLayout* layout) {
  *layout = StreamLayout();
  const uint32_t position = fvf & D3DFVF_POSITION_MASK;
  int32_t betas = 0;
  switch (position) {
    case D3DFVF_XYZ:
      betas = 0;
      break;
    case D3DFVF_XYZB1:
      betas = 1;
      break;
    case D3DFVF_XYZB2:
      betas = 2;
      break;
    case D3DFVF_XYZB3:
      betas = 3;
      break;
    case D3DFVF_XYZB4:
      betas = 4;
      break;
    case D3DFVF_XYZB5:
      betas = 5;
      break;
    default:
      return false;
  }
  uint32_t offset = 3 * kFloatBytes;
  if (betas > 0) {
    const bool packedIndices = (fvf & D3DFVF_LASTBETA_UBYTE4) != 0;
    layout->weights = static_cast<int32_t>(offset);
    layout->weightCount = std::min(packedIndices ? betas - 1 : betas, kInfluences);
    if (packedIndices) layout->indices = static_cast<int32_t>(offset + (betas - 1) * kFloatBytes);
    offset += betas * kFloatBytes;
  }
  if (fvf & D3DFVF_NORMAL) {
    layout->normal = static_cast<int32_t>(offset);
    offset += 3 * kFloatBytes;
  }
  if (fvf & D3DFVF_PSIZE) offset += kFloatBytes;
  if (fvf & D3DFVF_DIFFUSE) offset += 4;
  if (fvf & D3DFVF_SPECULAR) offset += 4;
  const uint32_t sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  for (uint32_t set = 0; set < sets && set < 8; ++set) {
    const uint32_t format = (fvf >> (set * 2 + 16)) & 3;
    const uint32_t floats = format == D3DFVF_TEXTUREFORMAT1   ? 1
                            : format == D3DFVF_TEXTUREFORMAT3 ? 3
                            : format == D3DFVF_TEXTUREFORMAT4 ? 4
                                                              : 2;
    // The loader stores the tangent as the one three-float set.
    if (floats == 3 && layout->tangent == StreamLayout::kAbsent) {
      layout->tangent = static_cast<int32_t>(offset);
    }
    offset += floats * kFloatBytes;
  }
  layout->stride = offset;
  return true;
}

bool SkinnedMesh::Capture(const RenderModel& model) {
  *this = SkinnedMesh();
  const VertexBuffer& vb = model.vertexBuffer;
  const IndexBuffer& ib = model.indexBuffer;
  StreamLayout layout;
  if (!DescribeStream(vb.GetFVF(), &layout) || vb.GetBuffer() == nullptr ||
      ib.GetBuffer() == nullptr || vb.GetStride() == 0 || vb.GetSize() <= 0 || ib.GetCount() <= 0) {
    return false;
  }
  // The buffer's own stride wins; a layout longer than it cannot be read.
  const uint32_t stride = vb.GetStride();
  if (layout.stride > stride) return false;
  const size_t vertexCount = static_cast<size_t>(vb.GetSize()) / stride;

  void* vertexData = nullptr;
  if (vb.GetBuffer()->Lock(0, 0, &vertexData, D3DLOCK_READONLY) != D3D_OK ||
      vertexData == nullptr) {
    return false;
  }
  const auto* bytes = static_cast<const uint8_t*>(vertexData);
  positions_.resize(vertexCount);
  weights_.assign(vertexCount * kInfluences, 0.0f);
  indices_.assign(vertexCount * kInfluences, 0);
  if (layout.normal != StreamLayout::kAbsent) normals_.resize(vertexCount);
  if (layout.tangent != StreamLayout::kAbsent) tangents_.resize(vertexCount);
  for (size_t i = 0; i < vertexCount; ++i) {
    const uint8_t* vertex = bytes + i * stride;
    positions_[i] = readVector(vertex);
    float* weights = &weights_[i * kInfluences];
    uint8_t* indices = &indices_[i * kInfluences];
    // An input the stream lacks reads (0, 0, 0, 1).
    weights[3] = 1.0f;
    indices[3] = 1;
    if (layout.weights != StreamLayout::kAbsent) {
      std::memcpy(weights, vertex + layout.weights, layout.weightCount * kFloatBytes);
    }
    if (layout.indices != StreamLayout::kAbsent) {
      std::memcpy(indices, vertex + layout.indices, kInfluences);
    }
    if (!normals_.empty()) normals_[i] = readVector(vertex + layout.normal);
    if (!tangents_.empty()) tangents_[i] = readVector(vertex + layout.tangent);
  }
  vb.GetBuffer()->Unlock();

  void* indexData = nullptr;
  const UINT indexBytes = static_cast<UINT>(ib.GetCount()) * sizeof(uint16_t);
  if (ib.GetBuffer()->Lock(0, indexBytes, &indexData, D3DLOCK_READONLY) != D3D_OK ||
      indexData == nullptr) {
    *this = SkinnedMesh();
    return false;
  }
  const size_t whole = static_cast<size_t>(ib.GetCount()) / 3 * 3;
  triangles_.resize(whole);
  std::memcpy(triangles_.data(), indexData, whole * sizeof(uint16_t));
  ib.GetBuffer()->Unlock();
  // Triangles naming a vertex the buffer does not hold are left out.
  for (size_t t = 0; t < triangles_.size();) {
    if (std::max({triangles_[t], triangles_[t + 1], triangles_[t + 2]}) >= vertexCount) {
      triangles_.erase(triangles_.begin() + static_cast<std::ptrdiff_t>(t),
                       triangles_.begin() + static_cast<std::ptrdiff_t>(t + 3));
    } else {
      t += 3;
    }
  }

  if (!positions_.empty()) {
    Vector3 low = positions_[0], high = positions_[0];
    for (const Vector3& p : positions_) {
      low = Vector3{std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)};
      high = Vector3{std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)};
    }
    const Vector3 size = high.subtract(low);
    extent_ = static_cast<float>(std::sqrt(size.dot(size)));
  }
  Pose(nullptr);
  return true;
}

void SkinnedMesh::Pose(const BoundedArray<Matrix4>* palette) {
  const size_t count = positions_.size();
  posed_.resize(count);
  posedNormals_.resize(normals_.size());
  posedTangents_.resize(tangents_.size());
  for (size_t i = 0; i < count; ++i) {
    Matrix4 skin;
    bool skinned = palette != nullptr && palette->count > 0;
    if (skinned) {
      float w[kInfluences];
      std::memcpy(w, &weights_[i * kInfluences], sizeof w);
      // A 1 behind weights that already add up is the stream's filler.
      if (w[3] == 1.0f && w[0] + w[1] + w[2] > 0.5f) w[3] = 0.0f;
      skin.setZero();
      for (int32_t k = 0; k < kInfluences && skinned; ++k) {
        const int32_t index = std::min<int32_t>(indices_[i * kInfluences + k], kLastPaletteIndex);
        // An index past the palette reads the effect's identity default.
        Matrix4 bone;
        if (index < palette->count) {
          bone = (*palette)[index];
        } else {
          bone.setIdentity();
        }
        for (int e = 0; e < 16; ++e) skin.m[e] += w[k] * bone.m[e];
      }
    }
    if (!skinned) skin.setIdentity();
    posed_[i] = transform(positions_[i], skin, 1.0f);
    if (!normals_.empty()) {
      posedNormals_[i] = transform(normals_[i], skin, 0.0f);
      posedNormals_[i].normalize();
    }
    if (!tangents_.empty()) {
      posedTangents_[i] = transform(tangents_[i], skin, 0.0f);
      posedTangents_[i].normalize();
    }
  }
}

LineList SkinnedMesh::Edges() const {
  LineList lines;
  lines.reserve(triangles_.size() * 2);
  for (size_t t = 0; t + 2 < triangles_.size(); t += 3) {
    for (int e = 0; e < 3; ++e) {
      lines.push_back(posed_[triangles_[t + e]]);
      lines.push_back(posed_[triangles_[t + (e + 1) % 3]]);
    }
  }
  return lines;
}

LineList SkinnedMesh::Normals(float length) const { return spikes(posed_, posedNormals_, length); }

LineList SkinnedMesh::Tangents(float length) const {
  return spikes(posed_, posedTangents_, length);
}
