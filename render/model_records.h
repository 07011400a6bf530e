#pragma once
#include <cstdint>

#include "base/bounded_array.h"
#include "geometry/matrix4.h"

// The plain records of a model file and of its script. Header-only, so that
// the drawable model can hold them without linking the loader.

// The 12 bytes in front of every chunk of a model file.
struct ChunkHeader {
  uint32_t Id = 0;
  uint32_t Chunkdatasize = 0;  // bytes of chunk header data that follow
  uint32_t Datasize = 0;       // bytes of payload after the header data
};
static_assert(sizeof(ChunkHeader) == 12, "ChunkHeader is read as 12 raw bytes");

// Limits that every chunk header must keep (inclusive, unsigned).
inline constexpr uint32_t kMaxChunkId = 10;
inline constexpr uint32_t kMaxChunkdatasize = 1'000'000;
inline constexpr uint32_t kMaxDatasize = 10'000'000;

// The four bytes at the start of every model file.
inline constexpr char kModelMagic[] = "MeSh";

// A Direct3D 9 material as 17 floats: diffuse, ambient, specular and emissive
// RGBA, then the specular power (render/material_ranges.h names the places).
// A record that was not read from a file holds zeros and a final 1.0.
struct CMaterial {
  float values[17] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1.0f};
};
static_assert(sizeof(CMaterial) == 68, "CMaterial is read as 68 raw bytes");

// One keyframe of one bone: a tag nobody interprets and the bone's local
// transform (16 floats, Matrix4 element order, in files for this viewer).
struct AnimationKey {
  int32_t tag = -1;
  BoundedArray<float> values;
};

// One bone's keyframe track and the offset matrix put in front of its
// animated matrix when the skinning palette is built.
struct cAnimationKeys {
  int32_t tag = -1;
  BoundedArray<AnimationKey> keys;
  Matrix4 offset;
};

// The chunk header data of the animation chunk: exactly the bone count.
struct tSave_animheader {
  int32_t boneCount = 0;
};
static_assert(sizeof(tSave_animheader) == 4, "tSave_animheader is the whole header data");

// One file named by a script command ('t', 'b', 'e', 'S' or 'p').
struct TextCommandEntry {
  char letter = 0;
  BoundedArray<char> name;  // zero-terminated, sized to its length + 1
};

// One material's textures as the script's 'm' command names them; an empty
// name (written "-" in the script) means the material has none.
struct MaterialTextureEntry {
  int32_t material = -1;
  BoundedArray<char> colour;  // zero-terminated
  BoundedArray<char> bump;    // zero-terminated
};

// One named animation clip of the script.
struct NamedAnimation {
  static constexpr int kMaxNameLength = 15;
  char name[kMaxNameLength + 1] = {};
  uint32_t speed = 0;  // milliseconds per frame step
  BoundedArray<int32_t> frames;  // keyframe numbers in playing order
};
