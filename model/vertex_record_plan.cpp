#include "model/vertex_record_plan.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "platform/fvf_layout.h"

namespace {

constexpr uint32_t kPositionBytes = 12;
constexpr uint32_t kPaletteSlotBytes = 4;
constexpr uint32_t kNormalBytes = 12;
constexpr uint32_t kTexCoordBytes = 8;
constexpr uint32_t kThreeFloatSetBytes = 12;
constexpr uint32_t kMaxPaletteIndicesCopied = 4;
constexpr uint32_t kMaxTextureSetsBeforeShadowVectors = 6;

// The position part for W weights: W + 1 betas, the last one the packed
// palette-index slot.
uint32_t skinnedPositionFVF(uint32_t weightsPerVertex) {
  return (D3DFVF_XYZB1 + 2 * weightsPerVertex) | D3DFVF_LASTBETA_UBYTE4;
}

template <typename T>
void copyElement(const BoundedArray<T>& list, int64_t i, uint8_t* destination) {
  if (i < list.count) std::memcpy(destination, &list[i], sizeof(T));
}

// Appends to a bounded text buffer, counting what would have been written.
class TextBuilder {
 public:
  TextBuilder(char* text, size_t size) : text_(text), size_(size) {
    if (size_ > 0) text_[0] = '\0';
  }
  void add(const char* part) {
    for (const char* c = part; *c != '\0'; ++c, ++length_) {
      if (length_ + 1 < size_) {
        text_[length_] = *c;
        text_[length_ + 1] = '\0';
      }
    }
  }
  size_t length() const { return length_; }

 private:
  char* text_;
  size_t size_;
  size_t length_ = 0;
};

}  // namespace

VertexRecordPlan planVertexRecord(const MeshGeometry& mesh) {
  VertexRecordPlan layout;
  layout.fvf = D3DFVF_XYZ;
  layout.stride = kPositionBytes;
  if (mesh.positions.empty()) {
    layout.problem = VertexRecordPlan::Problem::NoPositions;
    return layout;
  }

  if (!mesh.blendWeights.empty()) {
    const uint32_t w = mesh.weightsPerVertex;
    if (w < 1 || w > 4) {
      layout.problem = VertexRecordPlan::Problem::BadWeightsPerVertex;
      return layout;
    }
    layout.fvf = skinnedPositionFVF(w);
    layout.weights = static_cast<int32_t>(layout.stride);
    layout.stride += 4 * w;
    // The FVF's last beta is this slot, so it exists exactly when there are
    // weights: indices without weights would shift every later component
    // away from where the FVF says it is.
    layout.palette = static_cast<int32_t>(layout.stride);
    layout.stride += kPaletteSlotBytes;
  }
  if (!mesh.normals.empty() && mesh.isShadowVolume == 0) {
    layout.fvf |= D3DFVF_NORMAL;
    layout.normal = static_cast<int32_t>(layout.stride);
    layout.stride += kNormalBytes;
  }

  uint32_t sets = 0;
  if (!mesh.texCoords0.empty()) {
    layout.texCoords0 = static_cast<int32_t>(layout.stride);
    layout.stride += kTexCoordBytes;
    sets = 1;
  }
  if (!mesh.texCoords1.empty()) {
    layout.texCoords1 = static_cast<int32_t>(layout.stride);
    layout.stride += kTexCoordBytes;
    ++sets;
  }
  if (mesh.hasTangents != 0) {
    if (sets > 0) {
      layout.fvf |= D3DFVF_TEXCOORDSIZE3(static_cast<int>(sets));
      layout.tangent = static_cast<int32_t>(layout.stride);
      layout.stride += kThreeFloatSetBytes;
      ++sets;
    } else {
      layout.tangentsDropped = true;
    }
  }
  if (mesh.isShadowVolume != 0) {
    if (sets > kMaxTextureSetsBeforeShadowVectors) {
      layout.textureSets = sets;
      layout.problem = VertexRecordPlan::Problem::TooManyTextureSets;
      return layout;
    }
    layout.fvf |= D3DFVF_TEXCOORDSIZE3(static_cast<int>(sets)) |
                  D3DFVF_TEXCOORDSIZE3(static_cast<int>(sets) + 1);
    layout.shadowA = static_cast<int32_t>(layout.stride);
    layout.shadowB = static_cast<int32_t>(layout.stride + kThreeFloatSetBytes);
    layout.stride += 2 * kThreeFloatSetBytes;
    sets += 2;
  }
  if (sets < kMaxTextureSets) layout.fvf |= sets << D3DFVF_TEXCOUNT_SHIFT;
  layout.textureSets = sets;
  return layout;
}

void writeVertices(const MeshGeometry& mesh, const VertexRecordPlan& layout, uint8_t* out) {
  const int64_t vertices = mesh.positions.count;
  std::memset(out, 0, static_cast<size_t>(vertices) * layout.stride);
  const int64_t w = mesh.weightsPerVertex;
  const int64_t p = mesh.paletteIndicesPerVertex;
  const size_t paletteCopied = std::min<size_t>(static_cast<size_t>(p), kMaxPaletteIndicesCopied);

  for (int64_t i = 0; i < vertices; ++i) {
    uint8_t* vertex = out + i * layout.stride;
    std::memcpy(vertex, &mesh.positions[i], kPositionBytes);
    if (layout.weights != VertexRecordPlan::kAbsent && (i + 1) * w <= mesh.blendWeights.count) {
      std::memcpy(vertex + layout.weights, &mesh.blendWeights[i * w],
                  static_cast<size_t>(w) * sizeof(float));
    }
    if (layout.palette != VertexRecordPlan::kAbsent && p > 0 &&
        (i + 1) * p <= mesh.paletteIndices.count) {
      std::memcpy(vertex + layout.palette, &mesh.paletteIndices[i * p], paletteCopied);
    }
    if (layout.normal != VertexRecordPlan::kAbsent)
      copyElement(mesh.normals, i, vertex + layout.normal);
    if (layout.texCoords0 != VertexRecordPlan::kAbsent) {
      copyElement(mesh.texCoords0, i, vertex + layout.texCoords0);
    }
    if (layout.texCoords1 != VertexRecordPlan::kAbsent) {
      copyElement(mesh.texCoords1, i, vertex + layout.texCoords1);
    }
    if (layout.tangent != VertexRecordPlan::kAbsent)
      copyElement(mesh.tangents, i, vertex + layout.tangent);
    if (layout.shadowA != VertexRecordPlan::kAbsent) {
      copyElement(mesh.shadowNeighbourA, i, vertex + layout.shadowA);
      copyElement(mesh.shadowNeighbourB, i, vertex + layout.shadowB);
    }
  }
}

size_t describeFVF(uint32_t fvf, char* text, size_t size) {
  const FvfLayout layout = DecodeFvf(fvf);
  TextBuilder out(text, size);
  switch (layout.betas) {
    case 5:
      out.add("D3DFVF_XYZB5 ");
      break;
    case 4:
      out.add("D3DFVF_XYZB4 ");
      break;
    case 3:
      out.add("D3DFVF_XYZB3 ");
      break;
    case 2:
      out.add("D3DFVF_XYZB2 ");
      break;
    case 1:
      out.add("D3DFVF_XYZB1 ");
      break;
    default:
      out.add("D3DFVF_XYZ ");
      break;
  }
  if (fvf & D3DFVF_LASTBETA_UBYTE4) out.add("D3DFVF_LASTBETA_UBYTE4 ");
  if (layout.Find(VertexSemantic::Normal, 0) != nullptr) out.add("D3DFVF_NORMAL ");

  // The log names at most three sets (the two low bits of the count), the
  // last first; a set that is neither 2 nor 3 floats reads as size 4.
  const int sets = layout.textureSets & 3;
  static const char* const kSetCounts[] = {"", "D3DFVF_TEX1 ", "D3DFVF_TEX2 ", "D3DFVF_TEX3 "};
  out.add(kSetCounts[sets]);
  for (int i = sets - 1; i >= 0; --i) {
    switch (layout.setComponents[i]) {
      case 2:
        out.add("D3DFVF_TEXCOORDSIZE2(");
        break;
      case 3:
        out.add("D3DFVF_TEXCOORDSIZE3(");
        break;
      default:
        out.add("D3DFVF_TEXCOORDSIZE4(");
        break;
    }
    char number[4];
    std::snprintf(number, sizeof number, "%d", i);
    out.add(number);
    out.add(") ");
  }
  return out.length();
}
