#include "tools/model_writer/model_writer.h"

#include <cstdio>
#include <cstring>
#include <utility>

void appendU32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 0; shift < 32; shift += 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void appendI32(std::vector<uint8_t>& out, int32_t value) { appendU32(out, static_cast<uint32_t>(value)); }

void appendF32(std::vector<uint8_t>& out, float value) {
  uint32_t bits = 0;
  std::memcpy(&bits, &value, sizeof bits);
  appendU32(out, bits);
}

void appendChunk(std::vector<uint8_t>& out, const RawChunk& chunk) {
  appendU32(out, chunk.id);
  appendU32(out, chunk.chunkdatasize);
  appendU32(out, chunk.datasize);
  out.insert(out.end(), chunk.headerData.begin(), chunk.headerData.end());
  out.insert(out.end(), chunk.payload.begin(), chunk.payload.end());
}

RawChunk makeChunk(uint32_t id, std::vector<uint8_t> headerData, std::vector<uint8_t> payload) {
  RawChunk chunk;
  chunk.id = id;
  chunk.chunkdatasize = static_cast<uint32_t>(headerData.size());
  chunk.datasize = static_cast<uint32_t>(payload.size());
  chunk.headerData = std::move(headerData);
  chunk.payload = std::move(payload);
  return chunk;
}

namespace {

std::vector<uint8_t> u32Bytes(uint32_t value) {
  std::vector<uint8_t> bytes;
  appendU32(bytes, value);
  return bytes;
}

std::vector<uint8_t> floatBytes(const float* values, size_t count) {
  std::vector<uint8_t> bytes;
  bytes.reserve(count * 4);
  for (size_t i = 0; i < count; ++i) appendF32(bytes, values[i]);
  return bytes;
}

std::vector<uint8_t> vectorBytes(const std::vector<Vector3>& list) {
  std::vector<uint8_t> bytes;
  bytes.reserve(list.size() * 12);
  for (const Vector3& v : list) {
    appendF32(bytes, v.x);
    appendF32(bytes, v.y);
    appendF32(bytes, v.z);
  }
  return bytes;
}

std::vector<uint8_t> texCoordBytes(const std::vector<TexCoord2>& list) {
  std::vector<uint8_t> bytes;
  bytes.reserve(list.size() * 8);
  for (const TexCoord2& t : list) {
    appendF32(bytes, t.u);
    appendF32(bytes, t.v);
  }
  return bytes;
}

std::vector<uint8_t> indexBytes(const std::vector<uint16_t>& list) {
  std::vector<uint8_t> bytes;
  bytes.reserve(list.size() * 2);
  for (uint16_t index : list) {
    bytes.push_back(static_cast<uint8_t>(index));
    bytes.push_back(static_cast<uint8_t>(index >> 8));
  }
  return bytes;
}

std::vector<uint8_t> intBytes(const std::vector<int32_t>& list) {
  std::vector<uint8_t> bytes;
  for (int32_t value : list) appendI32(bytes, value);
  return bytes;
}

std::vector<uint8_t> materialBytes(const std::vector<CMaterial>& list) {
  std::vector<uint8_t> bytes;
  for (const CMaterial& material : list) {
    const std::vector<uint8_t> one = floatBytes(material.values, 17);
    bytes.insert(bytes.end(), one.begin(), one.end());
  }
  return bytes;
}

}  // namespace

std::vector<uint8_t> animationPayload(const std::vector<WrittenTrack>& bones) {
  std::vector<uint8_t> bytes;
  for (const WrittenTrack& track : bones) {
    appendI32(bytes, track.tag);
    appendI32(bytes, static_cast<int32_t>(track.keys.size()));
    for (const WrittenKey& key : track.keys) {
      appendI32(bytes, key.tag);
      appendI32(bytes, static_cast<int32_t>(key.values.size()));
      for (float value : key.values) appendF32(bytes, value);
    }
    for (float value : track.offset.m) appendF32(bytes, value);
  }
  return bytes;
}

std::vector<uint8_t> writeModelBytes(const ModelDescription& model) {
  std::vector<uint8_t> out(kModelMagic, kModelMagic + 4);
  if (!model.positions.empty()) appendChunk(out, makeChunk(CHUNK_VECTORS, {}, vectorBytes(model.positions)));
  if (!model.blendWeights.empty()) {
    appendChunk(out, makeChunk(CHUNK_BLENDWEIGHTS, u32Bytes(model.weightsPerVertex),
                               floatBytes(model.blendWeights.data(), model.blendWeights.size())));
  }
  if (!model.paletteIndices.empty()) {
    appendChunk(out, makeChunk(CHUNK_MATRIXPALETTE, u32Bytes(model.paletteIndicesPerVertex),
                               model.paletteIndices));
  }
  if (!model.normals.empty()) appendChunk(out, makeChunk(CHUNK_NORMALS, {}, vectorBytes(model.normals)));
  if (!model.texCoords0.empty()) appendChunk(out, makeChunk(CHUNK_TEXCO0, {}, texCoordBytes(model.texCoords0)));
  if (!model.texCoords1.empty()) appendChunk(out, makeChunk(CHUNK_TEXCO1, {}, texCoordBytes(model.texCoords1)));
  if (!model.indices.empty()) appendChunk(out, makeChunk(CHUNK_INDICES, {}, indexBytes(model.indices)));
  if (!model.materialOffsets.empty()) {
    appendChunk(out, makeChunk(CHUNK_MATERIALOFSETS, {}, intBytes(model.materialOffsets)));
  }
  if (!model.materials.empty()) appendChunk(out, makeChunk(CHUNK_MATERIAL, {}, materialBytes(model.materials)));
  if (model.writeAnimation || !model.bones.empty()) {
    appendChunk(out, makeChunk(CHUNK_ANIMATION, u32Bytes(static_cast<uint32_t>(model.bones.size())),
                               animationPayload(model.bones)));
  }
  if (model.writeArmature || !model.boneParents.empty()) {
    std::vector<uint8_t> payload = model.boneParents;
    payload.insert(payload.end(), model.boneOrder.begin(), model.boneOrder.end());
    appendChunk(out, makeChunk(CHUNK_ARMATURE, u32Bytes(static_cast<uint32_t>(model.boneParents.size())),
                               payload));
  }
  for (const RawChunk& chunk : model.extraChunks) appendChunk(out, chunk);
  return out;
}

bool writeBytesFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && written;
}

bool writeModelFile(const std::string& path, const ModelDescription& model) {
  return writeBytesFile(path, writeModelBytes(model));
}
