#include "geometry/mesh_geometry.h"

#include <cstring>

void MeshGeometry::copyFrom(const MeshGeometry& source) {
  if (this == &source) return;
  positions.assign(source.positions);
  blendWeights.assign(source.blendWeights);
  paletteIndices.assign(source.paletteIndices);
  normals.assign(source.normals);
  texCoords0.assign(source.texCoords0);
  texCoords1.assign(source.texCoords1);
  indices.assign(source.indices);
  tangents.assign(source.tangents);
  shadowNeighbourA.assign(source.shadowNeighbourA);
  shadowNeighbourB.assign(source.shadowNeighbourB);
  weightsPerVertex = source.weightsPerVertex;
  paletteIndicesPerVertex = source.paletteIndicesPerVertex;
  std::memcpy(chunkFlags, source.chunkFlags, sizeof chunkFlags);
  reserved = source.reserved;
  hasTangents = source.hasTangents;
  isShadowVolume = source.isShadowVolume;
}
