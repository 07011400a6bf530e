#include "import/source_model.h"

#include <algorithm>
#include <cmath>

namespace {

bool isTriangleMesh(const aiMesh& mesh) {
  return (mesh.mPrimitiveTypes & aiPrimitiveType_TRIANGLE) != 0 && mesh.mNumFaces > 0 &&
         mesh.mNumVertices > 0;
}

void collectInstances(SourceModel& model) {
  const std::vector<SceneNode>& nodes = model.pose.nodes();
  std::vector<bool> used(model.scene->mNumMeshes, false);
  for (size_t n = 0; n < nodes.size(); ++n) {
    const aiNode& node = *nodes[n].node;
    for (unsigned k = 0; k < node.mNumMeshes; ++k) {
      const unsigned mesh = node.mMeshes[k];
      if (mesh >= model.scene->mNumMeshes) continue;
      used[mesh] = true;
      const aiMesh& triangles = *model.scene->mMeshes[mesh];
      if (!isTriangleMesh(triangles)) continue;
      model.instances.push_back({mesh, static_cast<int>(n)});
      for (unsigned v = 0; v < triangles.mNumVertices; ++v) {
        const aiVector3D& p = triangles.mVertices[v];
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z))
          ++model.nonFiniteVertices;
      }
    }
  }
  for (unsigned m = 0; m < model.scene->mNumMeshes; ++m) {
    if (used[m] && !isTriangleMesh(*model.scene->mMeshes[m])) ++model.skippedMeshes;
  }
}

// True when some instance has bones or some animation moves a mesh's node or
// one of its ancestors: then the model is drawn through a skeleton.
bool needsSkeleton(const SourceModel& model) {
  for (const MeshInstance& instance : model.instances) {
    if (model.scene->mMeshes[instance.mesh]->mNumBones > 0) return true;
  }
  for (unsigned a = 0; a < model.scene->mNumAnimations; ++a) {
    const std::vector<bool> animated = model.pose.animatedNodes(*model.scene->mAnimations[a]);
    for (const MeshInstance& instance : model.instances) {
      for (int n = instance.node; n >= 0; n = model.pose.nodes()[n].parent) {
        if (animated[n]) return true;
      }
    }
  }
  return false;
}

int depthOf(const ScenePose& pose, int node) {
  int depth = 0;
  for (int n = pose.nodes()[node].parent; n >= 0; n = pose.nodes()[n].parent) ++depth;
  return depth;
}

int commonAncestor(const ScenePose& pose, int a, int b) {
  int da = depthOf(pose, a), db = depthOf(pose, b);
  for (; da > db; --da) a = pose.nodes()[a].parent;
  for (; db > da; --db) b = pose.nodes()[b].parent;
  while (a != b) {
    a = pose.nodes()[a].parent;
    b = pose.nodes()[b].parent;
  }
  return a;
}

// Merges repeated joints, keeps the kMaxInfluences largest shares and scales
// them to sum to 1; false when nothing of weight is left.
bool limitInfluences(std::vector<SourceInfluence>& list, bool* cut) {
  std::sort(list.begin(), list.end(),
            [](const SourceInfluence& a, const SourceInfluence& b) { return a.joint < b.joint; });
  std::vector<SourceInfluence> merged;
  for (const SourceInfluence& influence : list) {
    if (!merged.empty() && merged.back().joint == influence.joint) {
      merged.back().weight += influence.weight;
    } else {
      merged.push_back(influence);
    }
  }
  std::stable_sort(
      merged.begin(), merged.end(),
      [](const SourceInfluence& a, const SourceInfluence& b) { return a.weight > b.weight; });
  *cut = merged.size() > static_cast<size_t>(SourceModel::kMaxInfluences);
  if (*cut) merged.resize(SourceModel::kMaxInfluences);
  double sum = 0.0;
  for (const SourceInfluence& influence : merged) sum += influence.weight;
  list = merged;
  if (!(sum > 1e-12)) return false;
  for (SourceInfluence& influence : list) influence.weight /= sum;
  return true;
}

// Builds the skins with joint keys: a node index, or nodeCount + n for the
// n-th bone without node. Fills the names and globals of those bones.
void collectInfluences(SourceModel& model, std::vector<std::string>& virtualNames,
                       std::vector<Mat4d>& virtualGlobals) {
  const int nodeCount = static_cast<int>(model.pose.nodes().size());
  const std::vector<Mat4d> rest = model.pose.globals(nullptr, 0.0);
  for (const MeshInstance& instance : model.instances) {
    const aiMesh& mesh = *model.scene->mMeshes[instance.mesh];
    InstanceSkin skin;
    skin.influences.resize(mesh.mNumVertices);
    for (unsigned b = 0; b < mesh.mNumBones; ++b) {
      const aiBone& bone = *mesh.mBones[b];
      const std::string name = bone.mName.C_Str();
      const Mat4d offset = fromAssimp(bone.mOffsetMatrix);
      int key = model.pose.findNode(name);
      if (key < 0) {
        const auto found = std::find(virtualNames.begin(), virtualNames.end(), name);
        if (found == virtualNames.end()) {
          virtualNames.push_back(name);
          // Offset then this global gives the mesh's own placement: the bind pose.
          virtualGlobals.push_back(offset.inverse() * rest[instance.node]);
          key = nodeCount + static_cast<int>(virtualNames.size()) - 1;
        } else {
          key = nodeCount + static_cast<int>(found - virtualNames.begin());
        }
      }
      skin.offsets.emplace(key, offset);
      for (unsigned w = 0; w < bone.mNumWeights; ++w) {
        const aiVertexWeight& weight = bone.mWeights[w];
        if (weight.mVertexId < mesh.mNumVertices && weight.mWeight > 0.0f &&
            std::isfinite(weight.mWeight)) {
          skin.influences[weight.mVertexId].push_back({key, weight.mWeight});
        }
      }
    }
    for (std::vector<SourceInfluence>& list : skin.influences) {
      bool cut = false;
      if (limitInfluences(list, &cut)) {
        if (cut) ++model.verticesOverInfluences;
        continue;
      }
      // A vertex no bone holds moves with its mesh's node.
      if (mesh.mNumBones > 0) ++model.verticesWithoutWeights;
      list.assign(1, SourceInfluence{instance.node, 1.0});
      skin.offsets.emplace(instance.node, Mat4d{});
    }
    model.skins.push_back(std::move(skin));
  }
}

// The joints: every node a vertex follows, the nodes between them and their
// common ancestor, that ancestor, then the bones without node as roots.
void buildJoints(SourceModel& model, const std::vector<std::string>& virtualNames,
                 const std::vector<Mat4d>& virtualGlobals) {
  const ScenePose& pose = model.pose;
  const int nodeCount = static_cast<int>(pose.nodes().size());
  std::vector<bool> member(nodeCount, false);
  int root = -1;
  for (const InstanceSkin& skin : model.skins) {
    for (const auto& [key, offset] : skin.offsets) {
      if (key >= nodeCount || member[key]) continue;
      member[key] = true;
      root = root < 0 ? key : commonAncestor(pose, root, key);
    }
  }
  std::vector<bool> inSkeleton(nodeCount, false);
  for (int n = 0; n < nodeCount; ++n) {
    if (!member[n]) continue;
    for (int a = n; a >= 0 && !inSkeleton[a]; a = pose.nodes()[a].parent) {
      inSkeleton[a] = true;
      if (a == root) break;
    }
  }

  std::vector<int> jointOfKey(nodeCount + virtualNames.size(), -1);
  for (int n = 0; n < nodeCount; ++n) {
    if (!inSkeleton[n]) continue;
    Joint joint;
    joint.name = pose.nodes()[n].name;
    joint.node = n;
    // Node order lists parents first, so the parent's joint already exists.
    if (n != root) joint.parent = jointOfKey[pose.nodes()[n].parent];
    jointOfKey[n] = static_cast<int>(model.joints.size());
    model.joints.push_back(joint);
  }
  for (size_t v = 0; v < virtualNames.size(); ++v) {
    Joint joint;
    joint.name = virtualNames[v];
    joint.fixedGlobal = virtualGlobals[v];
    jointOfKey[nodeCount + v] = static_cast<int>(model.joints.size());
    model.joints.push_back(joint);
  }

  for (InstanceSkin& skin : model.skins) {
    std::map<int, Mat4d> offsets;
    for (const auto& [key, offset] : skin.offsets) offsets.emplace(jointOfKey[key], offset);
    skin.offsets = std::move(offsets);
    for (std::vector<SourceInfluence>& list : skin.influences) {
      for (SourceInfluence& influence : list) {
        influence.joint = jointOfKey[influence.joint];
        model.joints[influence.joint].weighted = true;
      }
    }
  }
}

}  // namespace

bool buildSourceModel(SourceModel& model, std::string* error) {
  collectInstances(model);
  if (model.instances.empty()) {
    *error = "the file holds no triangle mesh";
    return false;
  }
  model.skinned = needsSkeleton(model);
  if (!model.skinned) return true;

  std::vector<std::string> virtualNames;
  std::vector<Mat4d> virtualGlobals;
  collectInfluences(model, virtualNames, virtualGlobals);
  model.bonesWithoutNode = virtualNames;
  buildJoints(model, virtualNames, virtualGlobals);
  return true;
}

std::vector<Mat4d> jointGlobals(const SourceModel& model, const std::vector<Mat4d>& nodeGlobals) {
  std::vector<Mat4d> result;
  result.reserve(model.joints.size());
  for (const Joint& joint : model.joints) {
    result.push_back(joint.node >= 0 ? nodeGlobals[joint.node] : joint.fixedGlobal);
  }
  return result;
}

std::vector<std::vector<Vec3d>> sourcePositions(const SourceModel& model,
                                                const std::vector<Mat4d>& nodeGlobals) {
  const std::vector<Mat4d> joints = jointGlobals(model, nodeGlobals);
  std::vector<std::vector<Vec3d>> result(model.instances.size());
  for (size_t i = 0; i < model.instances.size(); ++i) {
    const aiMesh& mesh = *model.scene->mMeshes[model.instances[i].mesh];
    std::vector<Vec3d>& out = result[i];
    out.resize(mesh.mNumVertices);
    if (!model.skinned) {
      const Mat4d& global = nodeGlobals[model.instances[i].node];
      for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
        const aiVector3D& p = mesh.mVertices[v];
        out[v] = global.transformPoint({p.x, p.y, p.z});
      }
      continue;
    }
    const InstanceSkin& skin = model.skins[i];
    std::map<int, Mat4d> skinning;
    for (const auto& [joint, offset] : skin.offsets)
      skinning.emplace(joint, offset * joints[joint]);
    for (unsigned v = 0; v < mesh.mNumVertices; ++v) {
      const aiVector3D& p = mesh.mVertices[v];
      Vec3d sum;
      for (const SourceInfluence& influence : skin.influences[v]) {
        sum = sum + skinning.at(influence.joint).transformPoint({p.x, p.y, p.z}) * influence.weight;
      }
      out[v] = sum;
    }
  }
  return result;
}
