#pragma once
#include <assimp/scene.h>

#include <map>
#include <string>
#include <vector>

#include "import/scene_pose.h"
#include "import/transform_math.h"

// One placement of a triangle mesh in the node tree.
struct MeshInstance {
  unsigned mesh = 0;  // index into the scene's meshes
  int node = -1;      // index into ScenePose::nodes()
};

// A joint that moves a vertex, with its share (the shares of a vertex sum to 1).
struct SourceInfluence {
  int joint = -1;
  double weight = 0.0;
};

// One joint of the skeleton the viewer animates: a bone, a node between the
// bones and the skeleton's root, or a node whose meshes move with it.
struct Joint {
  std::string name;
  int node = -1;          // -1: a bone the scene names but has no node for
  int parent = -1;        // joint index, -1 for a root
  Mat4d fixedGlobal;      // a bone without node stays at its bind pose: this global
  bool weighted = false;  // some vertex follows it
};

// How the vertices of one instance follow the joints.
struct InstanceSkin {
  std::vector<std::vector<SourceInfluence>> influences;  // per vertex, at most 4
  std::map<int, Mat4d> offsets;  // joint -> mesh space to joint space (source space)
};

// The imported scene as the converter sees it: its triangle meshes where the
// node tree puts them and, for models that move, the joints they follow.
struct SourceModel {
  static constexpr int kMaxInfluences = 4;

  const aiScene* scene = nullptr;
  ScenePose pose;
  std::vector<MeshInstance> instances;
  bool skinned = false;             // false: a rigid model, node transforms baked in
  std::vector<Joint> joints;        // parents before children
  std::vector<InstanceSkin> skins;  // one per instance when skinned

  // What the user hears about.
  int skippedMeshes = 0;           // points or lines only
  int verticesOverInfluences = 0;  // had more than four weights
  int verticesWithoutWeights = 0;  // follow their mesh's node instead
  int nonFiniteVertices = 0;       // written at 0
  std::vector<std::string> bonesWithoutNode;

  explicit SourceModel(const aiScene& s) : scene(&s), pose(s) {}
};

// Finds the triangle meshes and, when a mesh has bones or an animation moves
// a mesh's node, the skeleton. False with a reason when there is no
// triangle mesh.
bool buildSourceModel(SourceModel& model, std::string* error);

// The source-space global of every joint, from every node's global.
std::vector<Mat4d> jointGlobals(const SourceModel& model, const std::vector<Mat4d>& nodeGlobals);

// Every vertex of every instance where the source scene puts it at the pose
// of nodeGlobals (source space): skinned with its influences, or through its
// node for a rigid model.
std::vector<std::vector<Vec3d>> sourcePositions(const SourceModel& model,
                                                const std::vector<Mat4d>& nodeGlobals);
