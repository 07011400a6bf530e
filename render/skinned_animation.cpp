// The skeletal animation of RenderModel: key pair and blend weight from the
// elapsed time, then the skinning palette from the blended bone rotations.
#include <cmath>
#include <cstring>

#include "geometry/quaternion.h"
#include "render/render_model.h"

namespace {

constexpr int32_t kValuesPerKeyMatrix = 16;

// True when key k of the track exists and holds a whole matrix.
bool hasKeyMatrix(const cAnimationKeys& track, int32_t k) {
  return k >= 0 && k < track.keys.count && track.keys[k].values.count >= kValuesPerKeyMatrix;
}

Matrix4 keyMatrix(const cAnimationKeys& track, int32_t k) {
  Matrix4 matrix;
  std::memcpy(matrix.m, track.keys[k].values.data, sizeof matrix.m);
  return matrix;
}

}  // namespace

bool RenderModel::SmoothAnim(uint32_t t1, uint32_t t2, uint32_t speed,
                             BoundedArray<Matrix4>& palette, const BoundedArray<int32_t>& frames) {
  const int32_t boneCount = bones.count;
  if (!ready || boneCount < 1 || palette.count != boneCount || boneWorld.count != boneCount) {
    return false;
  }
  const int32_t n = frames.count;
  if (n < 1) return false;
  if (speed == 0) speed = 1;

  // The unsigned difference keeps counting across a wrap of the millisecond clock.
  const double f = static_cast<double>(static_cast<uint32_t>(t2 - t1)) / speed;
  const float p = static_cast<float>(f - n * std::trunc(f / n));
  const int32_t i = static_cast<int32_t>(std::trunc(p));
  if (i < 0 || i >= n) return false;

  const int32_t keyCount = bones[0].keys.count;
  const int32_t k0 = frames[i];
  // The clip loops: the last frame blends into the first.
  const int32_t k1 = i + 1 < n ? frames[i + 1] : frames[0];
  // Both keys are read for every bone, so both must exist.
  if (k0 < 0 || k0 >= keyCount || k1 < 0 || k1 >= keyCount) {
    log.log_text("error 1");
    return false;
  }
  const float t = p - static_cast<float>(i);
  return BuildBonePalette(k0, k1, t, palette);
}

bool RenderModel::BuildBonePalette(int32_t k0, int32_t k1, float t,
                                   BoundedArray<Matrix4>& palette) {
  const int32_t boneCount = bones.count;
  if (boneCount < 1 || palette.count < boneCount || boneWorld.count < boneCount) return false;
  const int32_t keyCount = bones[0].keys.count;
  if (k0 < 0 || k0 >= keyCount || k1 < 0 || k1 >= keyCount) return false;
  if (boneOrder.count < boneCount || boneParents.count < boneCount) return false;

  for (int32_t s = 0; s < boneCount; ++s) {
    const int32_t b = boneOrder[s];
    if (b >= boneCount) return false;
    const cAnimationKeys& track = bones[b];
    if (!hasKeyMatrix(track, k0) || !hasKeyMatrix(track, k1)) return false;

    const Matrix4 m0 = keyMatrix(track, k0);
    const Matrix4 m1 = keyMatrix(track, k1);
    const Quaternion q = Quaternion::Slerp(Quaternion::FromMatrix(m0), Quaternion::FromMatrix(m1), t);
    Matrix4 local = Quaternion::ToMatrix(q);
    // Translations are not blended: the bone jumps to the next key's position.
    local.setTranslation(m0.m[12], m0.m[13], m0.m[14]);

    const uint8_t parent = boneParents[b];
    if (parent != kNoParent && parent >= boneCount) return false;
    if (parent != kNoParent) {
      // A parent handled at a later step still holds its previous frame's matrix.
      boneWorld[b] = local * boneWorld[parent];
    } else {
      boneWorld[b] = local;
    }
    palette[b] = track.offset * boneWorld[b];
  }
  return true;
}
