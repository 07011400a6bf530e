#pragma once
#include <cstdint>

#include "base/bounded_array.h"
#include "geometry/vector3.h"

// A texture coordinate pair (u, v), 8 bytes.
struct TexCoord2 {
  float u = 0.0f;
  float v = 0.0f;
};

// Chunk numbers of the model file; also the indices of MeshGeometry::chunkFlags.
enum ChunkId : uint32_t {
  CHUNK_VECTORS = 0,
  CHUNK_BLENDWEIGHTS = 1,
  CHUNK_MATRIXPALETTE = 2,
  CHUNK_NORMALS = 3,
  CHUNK_TEXCO0 = 4,
  CHUNK_TEXCO1 = 5,
  CHUNK_INDICES = 6,
  CHUNK_MATERIALOFSETS = 7,
  CHUNK_MATERIAL = 8,
  CHUNK_ANIMATION = 9,
  CHUNK_ARMATURE = 10,
};
inline constexpr int kChunkTypeCount = 11;

// One mesh in RAM: what the loader reads, what the geometry builders take and
// produce, and what the upload turns into vertex and index buffers.
struct MeshGeometry {
  BoundedArray<Vector3> positions;
  BoundedArray<float> blendWeights;       // weightsPerVertex per vertex
  BoundedArray<uint8_t> paletteIndices;   // paletteIndicesPerVertex per vertex
  uint32_t weightsPerVertex = 0;
  uint32_t paletteIndicesPerVertex = 0;
  BoundedArray<Vector3> normals;
  BoundedArray<TexCoord2> texCoords0;
  BoundedArray<TexCoord2> texCoords1;
  BoundedArray<uint16_t> indices;
  BoundedArray<Vector3> tangents;
  BoundedArray<Vector3> shadowNeighbourA;
  BoundedArray<Vector3> shadowNeighbourB;
  uint8_t hasTangents = 0;
  uint8_t isShadowVolume = 0;
  uint8_t chunkFlags[kChunkTypeCount] = {};
  uint32_t reserved = 0;

  // Deep copy of every list and flag, as the loader does after the tangent
  // build; a list whose resize fails stays empty.
  void copyFrom(const MeshGeometry& source);
};
