#pragma once
#include <cstdint>

#include "base/bounded_array.h"
#include "base/cbase.h"
#include "geometry/matrix4.h"
#include "geometry/vector3.h"
#include "model/model_records.h"

// The drawable form of a loaded model. The loader fills these fields; the
// viewer owns the record and it outlives the loader.
class RenderModel {
 public:
  RenderModel();
  virtual ~RenderModel();
  RenderModel(const RenderModel&) = delete;
  RenderModel& operator=(const RenderModel&) = delete;

  static constexpr uint32_t kNormalModel = 0;
  static constexpr uint32_t kShadowVolumeModel = 1;

  uint8_t ready = 0;  // set once both buffers are uploaded
  // The GPU side (vertex and index buffers, device helper, textures, effect) joins later.
  BoundedArray<Vector3> ramPositions;  // RAM copies kept when the caller asks for them
  BoundedArray<uint16_t> ramIndices;
  BoundedArray<int32_t> materialOffsets;
  BoundedArray<CMaterial> materials;
  BoundedArray<cAnimationKeys> bones;  // one track per bone; 0 bones = rigid model
  BoundedArray<uint8_t> boneParents;   // 255 = no parent
  BoundedArray<uint8_t> boneOrder;     // element s is the bone handled in step s
  BoundedArray<Matrix4> boneWorld;
  BoundedArray<TextCommandEntry> textCommands;
  BoundedArray<NamedAnimation> animations;
  uint32_t kind = kNormalModel;
  BoundedArray<Matrix4> palette;

  CBase log;
};
