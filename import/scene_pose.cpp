#include "import/scene_pose.h"

#include <algorithm>
#include <cmath>

namespace {

struct Quat {
  double x = 0, y = 0, z = 0, w = 1;
};

Quat toQuat(const aiQuaternion& q) { return {q.x, q.y, q.z, q.w}; }

Quat normalizedQuat(const Quat& q) {
  const double l = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
  if (!(l > 0.0)) return {};
  return {q.x / l, q.y / l, q.z / l, q.w / l};
}

// Spherical interpolation along the shorter arc.
Quat slerp(Quat a, Quat b, double t) {
  double cosine = a.x * b.x + a.y * b.y + a.z * b.z + a.w * b.w;
  if (cosine < 0.0) {
    cosine = -cosine;
    b = {-b.x, -b.y, -b.z, -b.w};
  }
  double wa = 1.0 - t;
  double wb = t;
  if (cosine < 0.9999) {
    const double angle = std::acos(cosine);
    const double sine = std::sin(angle);
    wa = std::sin((1.0 - t) * angle) / sine;
    wb = std::sin(t * angle) / sine;
  }
  return normalizedQuat(
      {a.x * wa + b.x * wb, a.y * wa + b.y * wb, a.z * wa + b.z * wb, a.w * wa + b.w * wb});
}

// The rotation of a unit quaternion for row vectors (the transpose of the
// usual column-vector matrix).
Mat4d rotationMatrix(const Quat& q) {
  Mat4d r;
  r.at(0, 0) = 1 - 2 * (q.y * q.y + q.z * q.z);
  r.at(1, 0) = 2 * (q.x * q.y - q.w * q.z);
  r.at(2, 0) = 2 * (q.x * q.z + q.w * q.y);
  r.at(0, 1) = 2 * (q.x * q.y + q.w * q.z);
  r.at(1, 1) = 1 - 2 * (q.x * q.x + q.z * q.z);
  r.at(2, 1) = 2 * (q.y * q.z - q.w * q.x);
  r.at(0, 2) = 2 * (q.x * q.z - q.w * q.y);
  r.at(1, 2) = 2 * (q.y * q.z + q.w * q.x);
  r.at(2, 2) = 1 - 2 * (q.x * q.x + q.y * q.y);
  return r;
}

// The pair of keys around ticks and how far between them ticks lies.
template <typename Key>
void bracket(const Key* keys, unsigned count, double ticks, unsigned* first, unsigned* second,
             double* factor) {
  *first = *second = 0;
  *factor = 0.0;
  if (count == 0 || ticks <= keys[0].mTime) return;
  if (ticks >= keys[count - 1].mTime) {
    *first = *second = count - 1;
    return;
  }
  const Key* after = std::upper_bound(keys, keys + count, ticks,
                                      [](double t, const Key& key) { return t < key.mTime; });
  *second = static_cast<unsigned>(after - keys);
  *first = *second - 1;
  const double span = keys[*second].mTime - keys[*first].mTime;
  *factor = span > 0.0 ? (ticks - keys[*first].mTime) / span : 0.0;
}

Vec3d vectorAt(const aiVectorKey* keys, unsigned count, double ticks, const Vec3d& fallback) {
  if (count == 0) return fallback;
  unsigned a = 0, b = 0;
  double f = 0.0;
  bracket(keys, count, ticks, &a, &b, &f);
  const Vec3d va{keys[a].mValue.x, keys[a].mValue.y, keys[a].mValue.z};
  const Vec3d vb{keys[b].mValue.x, keys[b].mValue.y, keys[b].mValue.z};
  return va + (vb - va) * f;
}

Quat rotationAt(const aiQuatKey* keys, unsigned count, double ticks) {
  if (count == 0) return {};
  unsigned a = 0, b = 0;
  double f = 0.0;
  bracket(keys, count, ticks, &a, &b, &f);
  return slerp(normalizedQuat(toQuat(keys[a].mValue)), normalizedQuat(toQuat(keys[b].mValue)), f);
}

}  // namespace

ScenePose::ScenePose(const aiScene& scene) {
  if (scene.mRootNode != nullptr) add(scene.mRootNode, -1);
}

void ScenePose::add(const aiNode* node, int parent) {
  const int index = static_cast<int>(nodes_.size());
  nodes_.push_back({node, parent, node->mName.C_Str()});
  byName_.emplace(node->mName.C_Str(), index);
  for (unsigned i = 0; i < node->mNumChildren; ++i) add(node->mChildren[i], index);
}

int ScenePose::findNode(const std::string& name) const {
  const auto found = byName_.find(name);
  return found == byName_.end() ? -1 : found->second;
}

bool ScenePose::isAncestorOrSelf(int ancestor, int node) const {
  for (int n = node; n >= 0; n = nodes_[n].parent) {
    if (n == ancestor) return true;
  }
  return false;
}

std::vector<bool> ScenePose::animatedNodes(const aiAnimation& animation) const {
  std::vector<bool> animated(nodes_.size(), false);
  for (unsigned c = 0; c < animation.mNumChannels; ++c) {
    const int node = findNode(animation.mChannels[c]->mNodeName.C_Str());
    if (node >= 0) animated[node] = true;
  }
  return animated;
}

std::vector<Mat4d> ScenePose::globals(const aiAnimation* animation, double ticks) const {
  std::vector<const aiNodeAnim*> channels(nodes_.size(), nullptr);
  if (animation != nullptr) {
    for (unsigned c = 0; c < animation->mNumChannels; ++c) {
      const int node = findNode(animation->mChannels[c]->mNodeName.C_Str());
      // The first channel of a node counts, as the node name lookup does.
      if (node >= 0 && channels[node] == nullptr) channels[node] = animation->mChannels[c];
    }
  }
  std::vector<Mat4d> result(nodes_.size());
  for (size_t i = 0; i < nodes_.size(); ++i) {
    const Mat4d local = channels[i] ? evaluateChannel(*channels[i], ticks)
                                    : fromAssimp(nodes_[i].node->mTransformation);
    result[i] = nodes_[i].parent < 0 ? local : local * result[nodes_[i].parent];
  }
  return result;
}

Mat4d evaluateChannel(const aiNodeAnim& channel, double ticks) {
  const Vec3d scale = vectorAt(channel.mScalingKeys, channel.mNumScalingKeys, ticks, {1, 1, 1});
  const Vec3d position = vectorAt(channel.mPositionKeys, channel.mNumPositionKeys, ticks, {});
  const Quat rotation = rotationAt(channel.mRotationKeys, channel.mNumRotationKeys, ticks);
  Mat4d scaling;
  scaling.at(0, 0) = scale.x;
  scaling.at(1, 1) = scale.y;
  scaling.at(2, 2) = scale.z;
  Mat4d local = scaling * rotationMatrix(rotation);
  local.at(3, 0) = position.x;
  local.at(3, 1) = position.y;
  local.at(3, 2) = position.z;
  return local;
}

bool animationKeyRange(const aiAnimation& animation, double* first, double* last) {
  bool any = false;
  auto widen = [&](double start, double end) {
    if (!any) {
      *first = start;
      *last = end;
      any = true;
    } else {
      *first = std::min(*first, start);
      *last = std::max(*last, end);
    }
  };
  for (unsigned c = 0; c < animation.mNumChannels; ++c) {
    const aiNodeAnim& ch = *animation.mChannels[c];
    if (ch.mNumPositionKeys > 0) {
      widen(ch.mPositionKeys[0].mTime, ch.mPositionKeys[ch.mNumPositionKeys - 1].mTime);
    }
    if (ch.mNumRotationKeys > 0) {
      widen(ch.mRotationKeys[0].mTime, ch.mRotationKeys[ch.mNumRotationKeys - 1].mTime);
    }
    if (ch.mNumScalingKeys > 0) {
      widen(ch.mScalingKeys[0].mTime, ch.mScalingKeys[ch.mNumScalingKeys - 1].mTime);
    }
  }
  return any;
}
