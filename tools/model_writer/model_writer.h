#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "geometry/matrix4.h"
#include "geometry/mesh_geometry.h"
#include "geometry/vector3.h"
#include "render/model_records.h"

struct WrittenKey {
  int32_t tag = 0;
  std::vector<float> values;  // 16 for this viewer: the key's local matrix
};

struct WrittenTrack {
  int32_t tag = 0;
  std::vector<WrittenKey> keys;
  Matrix4 offset;
};

// A chunk written exactly as given: the three header fields need not match
// the bytes that follow, so tests can build malformed files.
struct RawChunk {
  uint32_t id = 0;
  uint32_t chunkdatasize = 0;
  uint32_t datasize = 0;
  std::vector<uint8_t> headerData;
  std::vector<uint8_t> payload;
};

// A chunk whose header fields tell the truth about its bytes.
RawChunk makeChunk(uint32_t id, std::vector<uint8_t> headerData, std::vector<uint8_t> payload);

// Everything a model file can hold. Empty lists are left out of the file; the
// animation and the armature chunks are written when asked for or non-empty.
struct ModelDescription {
  std::vector<Vector3> positions;
  uint32_t weightsPerVertex = 0;
  std::vector<float> blendWeights;
  uint32_t paletteIndicesPerVertex = 0;
  std::vector<uint8_t> paletteIndices;
  std::vector<Vector3> normals;
  std::vector<TexCoord2> texCoords0;
  std::vector<TexCoord2> texCoords1;
  std::vector<uint16_t> indices;
  std::vector<int32_t> materialOffsets;
  std::vector<CMaterial> materials;
  bool writeAnimation = false;
  std::vector<WrittenTrack> bones;
  bool writeArmature = false;
  std::vector<uint8_t> boneParents;  // 255 = no parent
  std::vector<uint8_t> boneOrder;
  std::vector<RawChunk> extraChunks;  // appended after the others, as given
};

// Little-endian building blocks, for tests that compose bytes by hand.
void appendU32(std::vector<uint8_t>& out, uint32_t value);
void appendI32(std::vector<uint8_t>& out, int32_t value);
void appendF32(std::vector<uint8_t>& out, float value);
void appendChunk(std::vector<uint8_t>& out, const RawChunk& chunk);

// The payload of an animation chunk (one record per track).
std::vector<uint8_t> animationPayload(const std::vector<WrittenTrack>& bones);

// The whole file: magic, then the chunks in chunk-number order, then the extras.
std::vector<uint8_t> writeModelBytes(const ModelDescription& model);
bool writeModelFile(const std::string& path, const ModelDescription& model);
bool writeBytesFile(const std::string& path, const std::vector<uint8_t>& bytes);
