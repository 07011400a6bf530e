#include "tools/demo_generator/figure_model.h"

#include <array>
#include <cmath>
#include <numbers>

#include "tools/demo_generator/box_mesh.h"
#include "tools/demo_generator/demo_layout.h"

namespace {

enum Bone {
  kPelvis,
  kSpine,
  kChest,
  kNeck,
  kHead,
  kUpperArmL,
  kForearmL,
  kHandL,
  kUpperArmR,
  kForearmR,
  kHandR,
  kThighL,
  kShinL,
  kFootL,
  kThighR,
  kShinR,
  kFootR,
  kBoneCount
};

// Rotation of one bone about its joint in one key, in degrees.
struct JointAngles {
  float yaw = 0.0f;    // about the vertical axis
  float pitch = 0.0f;  // about the sideways axis: positive swings a hanging limb forward
  float roll = 0.0f;   // about the forward axis: positive swings a hanging limb to +x
};
using Pose = std::array<JointAngles, kBoneCount>;

FigureBone::Box box(float x0, float y0, float z0, float x1, float y1, float z1) {
  return {Vector3{x0, y0, z0}, Vector3{x1, y1, z1}};
}

std::vector<FigureBone> buildSkeleton() {
  // The figure faces -z in its own frame, +x is its left side.
  std::vector<FigureBone> bones(kBoneCount);
  bones[kPelvis] = {
      "pelvis", -1, demo::kFigureRoot, {box(-0.55f, -0.3f, -0.3f, 0.55f, 0.25f, 0.3f)}};
  bones[kSpine] = {"spine", kPelvis, {0, 0.25f, 0}, {box(-0.45f, 0, -0.26f, 0.45f, 0.8f, 0.26f)}};
  bones[kChest] = {"chest", kSpine, {0, 0.8f, 0}, {box(-0.7f, 0, -0.33f, 0.7f, 0.9f, 0.33f)}};
  bones[kNeck] = {"neck", kChest, {0, 0.9f, 0}, {box(-0.15f, 0, -0.15f, 0.15f, 0.25f, 0.15f)}};
  bones[kHead] = {"head",
                  kNeck,
                  {0, 0.25f, 0},
                  {box(-0.35f, 0, -0.38f, 0.35f, 0.75f, 0.35f),
                   box(-0.08f, 0.25f, -0.52f, 0.08f, 0.45f, -0.38f)}};  // the nose shows the front
  for (int side = 0; side < 2; ++side) {
    const float s = side == 0 ? 1.0f : -1.0f;  // left arm and leg at +x
    const int arm = side == 0 ? kUpperArmL : kUpperArmR;
    const int leg = side == 0 ? kThighL : kThighR;
    const char* tag = side == 0 ? "_l" : "_r";
    bones[arm] = {std::string("upper_arm") + tag,
                  kChest,
                  {s * 0.86f, 0.82f, 0},
                  {box(-0.16f, -0.9f, -0.16f, 0.16f, 0.05f, 0.16f)}};
    bones[arm + 1] = {std::string("forearm") + tag,
                      arm,
                      {0, -0.9f, 0},
                      {box(-0.13f, -0.8f, -0.13f, 0.13f, 0, 0.13f)}};
    bones[arm + 2] = {std::string("hand") + tag,
                      arm + 1,
                      {0, -0.8f, 0},
                      {box(-0.09f, -0.32f, -0.15f, 0.09f, 0, 0.15f)}};
    bones[leg] = {std::string("thigh") + tag,
                  kPelvis,
                  {s * 0.3f, -0.3f, 0},
                  {box(-0.21f, -1.2f, -0.21f, 0.21f, 0.05f, 0.21f)}};
    bones[leg + 1] = {std::string("shin") + tag,
                      leg,
                      {0, -1.2f, 0},
                      {box(-0.16f, -1.1f, -0.16f, 0.16f, 0, 0.16f)}};
    bones[leg + 2] = {std::string("foot") + tag,
                      leg + 1,
                      {0, -1.1f, 0},
                      {box(-0.15f, -0.17f, -0.48f, 0.15f, 0.04f, 0.16f)}};
  }
  return bones;
}

float wave(float phase) { return std::sin(2.0f * std::numbers::pi_v<float> * phase); }

// Arms hang slightly away from the body in every clip.
Pose restPose() {
  Pose pose{};
  pose[kUpperArmL].roll = 6.0f;
  pose[kUpperArmR].roll = -6.0f;
  pose[kForearmL].pitch = 8.0f;
  pose[kForearmR].pitch = 8.0f;
  return pose;
}

// Breathing and a look round.
Pose idlePose(float phase) {
  Pose pose = restPose();
  pose[kSpine].pitch = 2.0f * wave(phase);
  pose[kChest].pitch = 2.0f * wave(phase);
  pose[kHead].yaw = 20.0f * wave(phase);
  pose[kUpperArmL].roll += 3.0f * wave(phase);
  pose[kUpperArmR].roll -= 3.0f * wave(phase);
  return pose;
}

// The right arm raised, the hand waving.
Pose wavePose(float phase) {
  Pose pose = restPose();
  pose[kUpperArmR].roll = -150.0f;
  pose[kForearmR].roll = -20.0f + 30.0f * wave(phase);
  pose[kHead].roll = -8.0f;
  pose[kChest].roll = -4.0f;
  return pose;
}

// A walk on the spot: legs and arms swing in opposition, knees bend as the
// leg swings back.
Pose walkPose(float phase) {
  Pose pose = restPose();
  const float swing = wave(phase);
  const float kneeL = std::max(0.0f, wave(phase + 0.15f));
  const float kneeR = std::max(0.0f, -wave(phase + 0.15f));
  pose[kThighL].pitch = 30.0f * swing;
  pose[kThighR].pitch = -30.0f * swing;
  pose[kShinL].pitch = -5.0f - 45.0f * kneeR;
  pose[kShinR].pitch = -5.0f - 45.0f * kneeL;
  pose[kFootL].pitch = 10.0f * kneeR;
  pose[kFootR].pitch = 10.0f * kneeL;
  pose[kUpperArmL].pitch = -25.0f * swing;
  pose[kUpperArmR].pitch = 25.0f * swing;
  pose[kForearmL].pitch = 20.0f + 10.0f * std::max(0.0f, -swing);
  pose[kForearmR].pitch = 20.0f + 10.0f * std::max(0.0f, swing);
  pose[kSpine].yaw = 6.0f * swing;
  pose[kChest].yaw = 6.0f * swing;
  pose[kPelvis].yaw = -5.0f * swing;
  pose[kHead].yaw = -10.0f * swing;
  return pose;
}

struct ClipPlan {
  const char* name;
  uint32_t speed;  // ms per key
  int keys;
  Pose (*pose)(float phase);
};
constexpr ClipPlan kClipPlans[] = {
    {"idle", 400, 4, idlePose},
    {"wave", 150, 6, wavePose},
    {"walk", 120, 8, walkPose},
};

// Every key of every clip, one after another.
std::vector<Pose> allKeys() {
  std::vector<Pose> keys;
  for (const ClipPlan& plan : kClipPlans) {
    for (int k = 0; k < plan.keys; ++k) {
      keys.push_back(plan.pose(static_cast<float>(k) / static_cast<float>(plan.keys)));
    }
  }
  return keys;
}

// A bone's local matrix: its rotation about the joint, then the joint's place
// in the parent; the root also turns the whole figure.
Matrix4 localMatrix(const FigureBone& bone, const JointAngles& angles, bool root) {
  Matrix4 rotation;
  rotation.rotationYawPitchRoll(angles.yaw, angles.pitch, angles.roll);
  if (root) {
    Matrix4 facing;
    facing.rotationY(demo::kFigureYawDegrees);
    rotation = rotation * facing;
  }
  Matrix4 place;
  place.translation(bone.joint.x, bone.joint.y, bone.joint.z);
  return rotation * place;
}

}  // namespace

const std::vector<FigureBone>& figureSkeleton() {
  static const std::vector<FigureBone> skeleton = buildSkeleton();
  return skeleton;
}

const std::vector<ScriptClip>& figureClips() {
  static const std::vector<ScriptClip> clips = [] {
    std::vector<ScriptClip> result;
    int32_t firstKey = 0;
    for (const ClipPlan& plan : kClipPlans) {
      ScriptClip clip;
      clip.name = plan.name;
      clip.speed = plan.speed;
      for (int k = 0; k < plan.keys; ++k) clip.frames.push_back(firstKey + k);
      firstKey += plan.keys;
      result.push_back(clip);
    }
    return result;
  }();
  return clips;
}

DemoModel makeFigure() {
  const std::vector<FigureBone>& skeleton = figureSkeleton();
  DemoModel demoModel;
  ModelDescription& model = demoModel.model;

  // Bind pose: every joint unrotated (only the figure's facing).
  std::vector<Matrix4> bindWorld(skeleton.size());
  for (size_t b = 0; b < skeleton.size(); ++b) {
    const FigureBone& bone = skeleton[b];
    const Matrix4 local = localMatrix(bone, JointAngles{}, bone.parent < 0);
    bindWorld[b] = bone.parent < 0 ? local : local * bindWorld[size_t(bone.parent)];
  }

  BoxMeshBuilder builder(model, true);
  for (size_t b = 0; b < skeleton.size(); ++b) {
    for (const FigureBone::Box& part : skeleton[b].boxes) {
      builder.addBox(part.min, part.max, bindWorld[b], static_cast<uint8_t>(b));
    }
  }

  const std::vector<Pose> keys = allKeys();
  model.writeAnimation = true;
  model.writeArmature = true;
  for (size_t b = 0; b < skeleton.size(); ++b) {
    const FigureBone& bone = skeleton[b];
    WrittenTrack track;
    track.tag = static_cast<int32_t>(b);
    for (size_t k = 0; k < keys.size(); ++k) {
      const Matrix4 local = localMatrix(bone, keys[k][b], bone.parent < 0);
      WrittenKey key;
      key.tag = static_cast<int32_t>(k);
      key.values.assign(local.m, local.m + 16);
      track.keys.push_back(key);
    }
    track.offset = inverseRigid(bindWorld[b]);
    model.bones.push_back(track);
    model.boneParents.push_back(bone.parent < 0 ? 255 : static_cast<uint8_t>(bone.parent));
    model.boneOrder.push_back(static_cast<uint8_t>(b));
  }

  ScriptDescription& script = demoModel.script;
  script.texture = demo::kFigureTexture;
  script.bumpTexture = demo::kFigureNormalMap;
  script.effect = std::string(demo::kEffectFolderFromBin) + demo::kSkinnedEffect;
  script.tangents = true;
  script.shadowEffect = std::string(demo::kEffectFolderFromBin) + demo::kShadowVolumeEffect;
  script.animations = figureClips();
  return demoModel;
}
