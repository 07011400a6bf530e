#pragma once
#include <assimp/anim.h>
#include <assimp/scene.h>

#include <string>
#include <unordered_map>
#include <vector>

#include "import/transform_math.h"

// One node of the imported scene, flattened: parents come before children.
struct SceneNode {
  const aiNode* node = nullptr;
  int parent = -1;
  std::string name;
};

// The imported node tree and the poses its animations give it, in the
// source's own space (right-handed), in the row-vector convention.
class ScenePose {
 public:
  explicit ScenePose(const aiScene& scene);

  const std::vector<SceneNode>& nodes() const { return nodes_; }
  // The first node of that name, -1 when there is none.
  int findNode(const std::string& name) const;
  bool isAncestorOrSelf(int ancestor, int node) const;

  // Every node's global transform at time ticks of animation; with no
  // animation, the nodes' own transforms (the rest pose).
  std::vector<Mat4d> globals(const aiAnimation* animation, double ticks) const;
  // The nodes that animation moves (one flag per node).
  std::vector<bool> animatedNodes(const aiAnimation& animation) const;

 private:
  void add(const aiNode* node, int parent);

  std::vector<SceneNode> nodes_;
  std::unordered_map<std::string, int> byName_;
};

// One channel's local transform at time ticks: keys interpolated linearly
// (rotations along the shorter arc), held constant before the first and
// after the last key, composed as scale, then rotation, then translation.
Mat4d evaluateChannel(const aiNodeAnim& channel, double ticks);

// The first and last key time of all channels of the animation; false when
// it has no keys.
bool animationKeyRange(const aiAnimation& animation, double* first, double* last);
