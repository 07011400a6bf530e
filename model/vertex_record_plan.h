#pragma once
#include <cstddef>
#include <cstdint>

#include "geometry/mesh_geometry.h"

// The interleaved vertex record of one mesh: which components it has, where
// each sits and the FVF code that describes it. Components come in this
// order: position, blend weights, the 4-byte palette-index slot, normal,
// texture sets 0 and 1, tangent (a 3-float set), the two shadow vectors
// (3-float sets).
struct VertexRecordPlan {
  enum class Problem {
    None,
    NoPositions,
    BadWeightsPerVertex,  // blend weights with W outside 1..4
    TooManyTextureSets,   // no room for the shadow vectors
  };
  static constexpr int32_t kAbsent = -1;

  Problem problem = Problem::None;
  uint32_t fvf = 0;
  uint32_t stride = 0;
  uint32_t textureSets = 0;
  // A tangent request that no texture set can carry is dropped.
  bool tangentsDropped = false;
  // Byte offsets inside the record, kAbsent when the component is left out.
  int32_t weights = kAbsent;
  int32_t palette = kAbsent;
  int32_t normal = kAbsent;
  int32_t texCoords0 = kAbsent;
  int32_t texCoords1 = kAbsent;
  int32_t tangent = kAbsent;
  int32_t shadowA = kAbsent;
  int32_t shadowB = kAbsent;
};

// Works out the record for mesh from which of its lists are filled.
VertexRecordPlan planVertexRecord(const MeshGeometry& mesh);

// Writes every vertex of mesh into out (vertex count x stride bytes, zeroed
// first). Lists shorter than the vertex count leave the rest of their
// component zero; at most 4 palette indices are copied per vertex.
void writeVertices(const MeshGeometry& mesh, const VertexRecordPlan& layout, uint8_t* out);

// Longest text describeFVF produces, without its terminator.
inline constexpr size_t kFVFDescriptionLength = 134;

// The readable form of an FVF code, as the loader logs it, for instance
// "D3DFVF_XYZ D3DFVF_NORMAL D3DFVF_TEX1 D3DFVF_TEXCOORDSIZE2(0) ". Writes at
// most size - 1 characters and a terminator; returns the full length.
size_t describeFVF(uint32_t fvf, char* text, size_t size);
