#include <cstdio>
#include <cstring>

#include "model/model_loader.h"
#include "render/render_model.h"

namespace {

enum class ArrayRead { kOk, kNotMultiple, kNoMemory, kNotRead };

// Reads an array chunk's payload into list: the payload must be a whole number
// of elements, and a payload longer than the bytes left fails before the list
// is allocated for it.
template <typename T>
ArrayRead readArrayPayload(ByteSource& source, uint32_t datasize, BoundedArray<T>& list) {
  if (datasize % sizeof(T) != 0) return ArrayRead::kNotMultiple;
  if (datasize > source.remaining()) return ArrayRead::kNotRead;
  if (!list.resize(datasize / sizeof(T))) return ArrayRead::kNoMemory;
  if (!source.read(list.data, datasize)) return ArrayRead::kNotRead;
  return ArrayRead::kOk;
}

// How a step reports a failure: which label, and which value follows it.
// Elements logged signed or unsigned, Datasize unsigned, or no value at all.
enum class Value { kElementCount, kElementCountUnsigned, kDatasize, kNone };
struct Failure {
  const char* label;
  Value value;
};
struct ArrayChunkMessages {
  const char* step;
  Failure noMemory;
  Failure notRead;
};

void logFailure(const Failure& failure, int32_t elements, uint32_t datasize) {
  switch (failure.value) {
    case Value::kElementCount: log_int(failure.label, elements); break;
    case Value::kElementCountUnsigned: log_uint(failure.label, static_cast<uint32_t>(elements)); break;
    case Value::kDatasize: log_uint(failure.label, datasize); break;
    case Value::kNone: log_text(failure.label); break;
  }
}

template <typename T>
bool readArrayChunk(ByteSource& source, const ChunkHeader& header, BoundedArray<T>& list,
                    const ArrayChunkMessages& messages) {
  const int32_t elements = static_cast<int32_t>(header.Datasize / sizeof(T));
  switch (readArrayPayload(source, header.Datasize, list)) {
    case ArrayRead::kOk: return true;
    case ArrayRead::kNotMultiple: {
      char label[160];
      std::snprintf(label, sizeof label, "<error> ModelLoader::%s() datasize not a multiple of %zu:",
                    messages.step, sizeof(T));
      log_uint(label, header.Datasize);
      return false;
    }
    case ArrayRead::kNoMemory: logFailure(messages.noMemory, elements, header.Datasize); return false;
    case ArrayRead::kNotRead: logFailure(messages.notRead, elements, header.Datasize); return false;
  }
  return false;
}

// The first four bytes of a chunk's header data, or false when it is shorter.
bool headerWord(const ModelLoader::ChunkData& data, uint32_t& word) {
  if (data.count < 4) return false;
  std::memcpy(&word, data.data, 4);
  return true;
}

bool readInt32(ByteSource& source, int32_t& value) { return source.read(&value, sizeof value); }

// One bone's track: tag, key count, keys (tag, value count, values), offset
// matrix. Counts that cannot fit in the bytes left fail before allocating.
bool readTrack(ByteSource& source, cAnimationKeys& track) {
  constexpr uint64_t kSmallestKeyBytes = 12;  // tag, value count and one value
  int32_t keyCount = 0;
  if (!readInt32(source, track.tag) || !readInt32(source, keyCount)) return false;
  if (keyCount < 0 || static_cast<uint64_t>(keyCount) * kSmallestKeyBytes > source.remaining()) {
    return false;
  }
  if (!track.keys.resize(keyCount)) return false;
  for (AnimationKey& key : track.keys) {
    int32_t valueCount = 0;
    if (!readInt32(source, key.tag) || !readInt32(source, valueCount)) return false;
    if (valueCount < 0 || static_cast<uint64_t>(valueCount) * sizeof(float) > source.remaining()) {
      return false;
    }
    if (!key.values.resize(valueCount)) return false;
    if (!source.read(key.values.data, static_cast<size_t>(valueCount) * sizeof(float))) return false;
  }
  return source.read(track.offset.m, sizeof track.offset.m);
}

}  // namespace

bool ModelLoader::load_1_vectors(ByteSource& source, const ChunkHeader& header, const ChunkData&) {
  static const ArrayChunkMessages messages{
      "load_1_vectors",
      {"<error> ModelLoader::load_1_vectors() no mem for vectors num ", Value::kElementCount},
      {"<error> ModelLoader::load_1_vectors() vectors not loaded vecnum: ", Value::kElementCount}};
  if (!readArrayChunk(source, header, mesh.positions, messages)) return false;
  log_text("Vectors loaded.");
  return true;
}

bool ModelLoader::load_1a_blendweights(ByteSource& source, const ChunkHeader& header,
                                       const ChunkData& data) {
  static const ArrayChunkMessages messages{
      "load_1a_blendweights",
      {"<error> ModelLoader::load_1a_blendweights() no mem weights datasize: ", Value::kDatasize},
      {"<error> ModelLoader::load_1a_blendweights() weights not loaded datasize: ", Value::kDatasize}};
  uint32_t perVertex = 0;
  if (!headerWord(data, perVertex)) {
    log_uint("<error> ModelLoader::load_1a_blendweights() chunk header data too short: ",
             header.Chunkdatasize);
    return false;
  }
  if (!readArrayChunk(source, header, mesh.blendWeights, messages)) return false;
  mesh.weightsPerVertex = perVertex;
  log_int("Weights loaded. Per vertex loaded: ", static_cast<int32_t>(perVertex));
  return true;
}

bool ModelLoader::load_1b_matrixpalette(ByteSource& source, const ChunkHeader& header,
                                        const ChunkData& data) {
  static const ArrayChunkMessages messages{
      "load_1b_matrixpalette",
      {"<error> ModelLoader::load_1b_matrixpalette() no mem weights datasize: ", Value::kDatasize},
      {"<error> ModelLoader::load_1b_matrixpalette() matrix palette not loaded datasize: ",
       Value::kDatasize}};
  uint32_t perVertex = 0;
  if (!headerWord(data, perVertex)) {
    log_uint("<error> ModelLoader::load_1b_matrixpalette() chunk header data too short: ",
             header.Chunkdatasize);
    return false;
  }
  if (!readArrayChunk(source, header, mesh.paletteIndices, messages)) return false;
  mesh.paletteIndicesPerVertex = perVertex;
  log_int("Matrix palette for vertices loaded Per vertex num: ", static_cast<int32_t>(perVertex));
  return true;
}

bool ModelLoader::load_1c_normals(ByteSource& source, const ChunkHeader& header, const ChunkData&) {
  static const ArrayChunkMessages messages{
      "load_1c_normals",
      {"<error> ModelLoader::load_1c_normals() no mem for vectors num ", Value::kElementCount},
      {"<error> ModelLoader::load_1c_normals() vectors not loaded vecnum: ", Value::kElementCount}};
  if (!readArrayChunk(source, header, mesh.normals, messages)) return false;
  log_text("Normals loaded.");
  return true;
}

bool ModelLoader::load_1d_texco0(ByteSource& source, const ChunkHeader& header, const ChunkData&) {
  static const ArrayChunkMessages messages{
      "load_1d_texco0",
      {"<error> ModelLoader::load_1d_texco0() no mem for texco0 texconum: ", Value::kElementCount},
      {"<error> ModelLoader::load_1d_texco0() not loaded texconum: ", Value::kElementCount}};
  if (!readArrayChunk(source, header, mesh.texCoords0, messages)) return false;
  log_text("texture coord 0 loaded.");
  return true;
}

bool ModelLoader::load_1e_texco1(ByteSource& source, const ChunkHeader& header, const ChunkData&) {
  static const ArrayChunkMessages messages{
      "load_1e_texco1",
      {"<error> ModelLoader::load_1e_texco1() no mem for texco0 texconum: ", Value::kElementCount},
      {"<error> ModelLoader::load_1e_texco1() not loaded texconum: ", Value::kElementCount}};
  if (!readArrayChunk(source, header, mesh.texCoords1, messages)) return false;
  log_text("texture coord 1 loaded.");
  return true;
}

bool ModelLoader::load_2_indices(ByteSource& source, const ChunkHeader& header, const ChunkData&) {
  // An empty index list counts as not allocated, like a failed allocation.
  static const ArrayChunkMessages messages{
      "load_2_indices",
      {"<error> ModelLoader no mem for WORDs num: ", Value::kElementCountUnsigned},
      {"<error> ModelLoader::load_2_indices() indices not loaded inum: ", Value::kElementCount}};
  if (header.Datasize == 0) {
    mesh.indices.free();
    log_uint(messages.noMemory.label, 0);
    return false;
  }
  if (!readArrayChunk(source, header, mesh.indices, messages)) return false;
  log_text("Indices loaded.");
  return true;
}

bool ModelLoader::load_3_materialofsets(ByteSource& source, const ChunkHeader& header,
                                        const ChunkData&) {
  static const ArrayChunkMessages messages{
      "load_3_materialofsets",
      {"<error> ModelLoader load_3_materialofsets no mem for ints num: ", Value::kElementCount},
      {"<error> ModelLoader MaterialOfsets not loaded!", Value::kNone}};
  if (model == nullptr) {
    log_text("<error> ModelLoader load_3_materialofsets no model, no loading!");
    return false;
  }
  if (!readArrayChunk(source, header, model->materialOffsets, messages)) return false;
  log_text("materialofsets loaded.");
  return true;
}

bool ModelLoader::load_4_material(ByteSource& source, const ChunkHeader& header, const ChunkData&) {
  static const ArrayChunkMessages messages{
      "load_4_material",
      {"<error> ModelLoader load_4_material no mem CMaterial num: ", Value::kElementCount},
      {"<error> ModelLoader CMaterials not loaded!", Value::kNone}};
  if (model == nullptr) {
    log_text("<error> ModelLoader load_4_material no model, no loading!");
    return false;
  }
  if (!readArrayChunk(source, header, model->materials, messages)) return false;
  log_text("materials loaded.");
  return true;
}

bool ModelLoader::load_5_animation(ByteSource& source, const ChunkHeader& header,
                                   const ChunkData& data) {
  constexpr int32_t kMaxBones = 1000;
  if (model == nullptr) {
    log_text("<error> ModelLoader load_5_animation no model, no loading!");
    return false;
  }
  if (header.Chunkdatasize != sizeof(tSave_animheader)) {
    log_int(
        "<error> File is a newer version than me!!\ntSave_animheader size<>anim header size "
        "fdatanum: ",
        static_cast<int32_t>(header.Chunkdatasize));
    return false;
  }
  if (data.count < static_cast<int32_t>(sizeof(tSave_animheader))) {
    log_text("<error> ModelLoader::load_5_animation tSave_animheader expected");
    return false;
  }
  tSave_animheader animHeader;
  std::memcpy(&animHeader, data.data, sizeof animHeader);
  const int32_t boneCount = animHeader.boneCount;
  if (boneCount > kMaxBones || boneCount < 0) {
    log_int("<error> ModelLoader::load_5_animation framenum: ", boneCount);
    return false;
  }
  log_int("Bone Num: ", boneCount);
  if (!model->bones.resize(boneCount)) {
    log_int("<error> ModelLoader no mem for cAnimationKeys num: ", boneCount);
    return false;
  }
  for (int32_t i = 0; i < boneCount; ++i) {
    if (!readTrack(source, model->bones[i])) {
      log_int("<error> load_5_animation() keyframes not loaded!! frameindex: ", i);
      return false;
    }
  }
  log_text("animation loaded.");
  if (model->bones.data != nullptr) log_int(" framenum:", model->bones[0].keys.count);
  return true;
}

bool ModelLoader::load_6_armature(ByteSource& source, const ChunkHeader& header,
                                  const ChunkData& data) {
  static const char kNoMemory[] = "<error> ModelLoader::load_6_armature() no mem for 2*BYTE*";
  if (model == nullptr) {
    log_text("<error> ModelLoader load_6_armature no model, no loading!");
    return false;
  }
  uint32_t boneCount = 0;
  if (!headerWord(data, boneCount)) {
    log_uint("<error> ModelLoader::load_6_armature() chunk header data too short: ",
             header.Chunkdatasize);
    return false;
  }
  if (boneCount > static_cast<uint32_t>(BoundedArray<uint8_t>::kMaxCount)) {
    log_int(kNoMemory, static_cast<int32_t>(boneCount));
    return false;
  }
  if (2ull * boneCount > source.remaining()) {
    log_int("<error> ModelLoader::load_6_armature() armature not loaded bonenum: ",
            static_cast<int32_t>(boneCount));
    return false;
  }
  if (!model->boneParents.resize(boneCount) || !model->boneOrder.resize(boneCount)) {
    log_int(kNoMemory, static_cast<int32_t>(boneCount));
    return false;
  }
  if (boneCount > 0 && (!source.read(model->boneParents.data, boneCount) ||
                        !source.read(model->boneOrder.data, boneCount))) {
    log_int("<error> ModelLoader::load_6_armature() armature not loaded bonenum: ",
            static_cast<int32_t>(boneCount));
    return false;
  }
  log_text("armature loaded.");
  return true;
}
