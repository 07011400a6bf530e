// Which nodes become joints and how vertices follow them, on small scenes
// built in memory.
#include "import/source_model.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

aiNode* addNode(aiNode* parent, const char* name, unsigned mesh = ~0u) {
  aiNode* node = new aiNode(name);
  if (mesh != ~0u) {
    node->mNumMeshes = 1;
    node->mMeshes = new unsigned[1]{mesh};
  }
  if (parent) {
    node->mParent = parent;
    parent->addChildren(1, &node);
  }
  return node;
}

// One triangle per three vertices.
aiMesh* makeMesh(unsigned vertices) {
  aiMesh* mesh = new aiMesh();
  mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
  mesh->mNumVertices = vertices;
  mesh->mVertices = new aiVector3D[vertices];
  for (unsigned v = 0; v < vertices; ++v)
    mesh->mVertices[v] = aiVector3D(float(v), float(v % 3), 0.0f);
  mesh->mNumFaces = vertices / 3;
  mesh->mFaces = new aiFace[mesh->mNumFaces];
  for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
    mesh->mFaces[f].mNumIndices = 3;
    mesh->mFaces[f].mIndices = new unsigned[3]{3 * f, 3 * f + 1, 3 * f + 2};
  }
  return mesh;
}

void addBones(aiMesh* mesh,
              const std::vector<std::pair<std::string, std::vector<aiVertexWeight>>>& bones) {
  mesh->mNumBones = static_cast<unsigned>(bones.size());
  mesh->mBones = new aiBone*[bones.size()];
  for (size_t b = 0; b < bones.size(); ++b) {
    aiBone* bone = new aiBone();
    bone->mName = bones[b].first;
    bone->mNumWeights = static_cast<unsigned>(bones[b].second.size());
    bone->mWeights = new aiVertexWeight[bone->mNumWeights];
    std::copy(bones[b].second.begin(), bones[b].second.end(), bone->mWeights);
    mesh->mBones[b] = bone;
  }
}

void setMeshes(aiScene* scene, std::vector<aiMesh*> meshes) {
  scene->mNumMeshes = static_cast<unsigned>(meshes.size());
  scene->mMeshes = new aiMesh*[meshes.size()];
  std::copy(meshes.begin(), meshes.end(), scene->mMeshes);
}

std::vector<std::string> jointNames(const SourceModel& model) {
  std::vector<std::string> names;
  for (const Joint& joint : model.joints) names.push_back(joint.name);
  return names;
}

int jointNamed(const SourceModel& model, const std::string& name) {
  for (size_t j = 0; j < model.joints.size(); ++j) {
    if (model.joints[j].name == name) return static_cast<int>(j);
  }
  return -1;
}

}  // namespace

TEST(SourceModel, SkeletonIsTheBonesTheNodesUpToTheirCommonAncestorAndMovingMeshNodes) {
  // root: body (skinned mesh 0), prop (rigid mesh 1), camera, armature: hips:
  // spine: spine_end, and hips: leg; the mesh also names "ghost", a bone
  // without node.
  auto scene = std::make_unique<aiScene>();
  aiNode* root = addNode(nullptr, "root");
  scene->mRootNode = root;
  addNode(root, "body", 0);
  addNode(root, "prop", 1);
  addNode(root, "camera");
  aiNode* armature = addNode(root, "armature");
  aiNode* hips = addNode(armature, "hips");
  addNode(addNode(hips, "spine"), "spine_end");
  addNode(hips, "leg");

  aiMesh* body = makeMesh(6);
  addBones(body, {{"hips", {{0, 0.1f}, {0, 0.2f}, {1, 1.0f}}},
                  {"spine", {{0, 0.3f}, {0, 0.05f}}},
                  {"leg", {{0, 0.15f}, {2, 0.5f}}},
                  {"ghost", {{0, 0.25f}, {2, 0.5f}, {3, 0.0f}}},
                  {"armature", {{0, 0.05f}}}});
  setMeshes(scene.get(), {body, makeMesh(3)});

  SourceModel model(*scene);
  std::string error;
  ASSERT_TRUE(buildSourceModel(model, &error)) << error;
  ASSERT_TRUE(model.skinned);
  // Node order (parents first); the camera and the spine's end are left
  // out; the bone without node comes last, as a root.
  EXPECT_EQ(jointNames(model), (std::vector<std::string>{"root", "body", "prop", "armature", "hips",
                                                         "spine", "leg", "ghost"}));
  const std::vector<int> parents = {-1, 0, 0, 0, 3, 4, 4, -1};
  for (size_t j = 0; j < parents.size() && j < model.joints.size(); ++j) {
    EXPECT_EQ(model.joints[j].parent, parents[j]) << model.joints[j].name;
  }
  EXPECT_FALSE(model.joints[jointNamed(model, "armature")].weighted);
  EXPECT_EQ(model.bonesWithoutNode, std::vector<std::string>{"ghost"});

  // Vertex 0: seven weights on five bones (hips and spine twice) keep the
  // four largest bones, largest first, scaled to sum to 1.
  const std::vector<SourceInfluence>& first = model.skins[0].influences[0];
  ASSERT_EQ(first.size(), 4u);
  const char* order[] = {"spine", "hips", "ghost", "leg"};
  const double weights[] = {0.35, 0.3, 0.25, 0.15};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(first[k].joint, jointNamed(model, order[k])) << k;
    EXPECT_NEAR(first[k].weight, weights[k] / 1.05, 1e-7) << k;
  }
  EXPECT_EQ(model.verticesOverInfluences, 1);
  // Vertices 3 to 5 have no weight (a zero weight is none): they follow the body's node.
  for (unsigned v = 3; v < 6; ++v) {
    ASSERT_EQ(model.skins[0].influences[v].size(), 1u);
    EXPECT_EQ(model.skins[0].influences[v][0].joint, jointNamed(model, "body"));
  }
  EXPECT_EQ(model.verticesWithoutWeights, 3);
  // The rigid mesh follows its own node.
  EXPECT_EQ(model.skins[1].influences[0][0].joint, jointNamed(model, "prop"));
}

TEST(SourceModel, ModelsThatDoNotMoveHaveNoSkeletonUnlessAnAnimationMovesAMesh) {
  auto scene = std::make_unique<aiScene>();
  scene->mRootNode = addNode(nullptr, "root");
  aiNode* holder = addNode(scene->mRootNode, "holder");
  addNode(holder, "box", 0);
  addNode(scene->mRootNode, "lamp");
  aiMesh* lines = makeMesh(3);
  lines->mPrimitiveTypes = aiPrimitiveType_LINE;
  setMeshes(scene.get(), {makeMesh(3), lines});
  addNode(scene->mRootNode, "wire", 1);

  SourceModel still(*scene);
  std::string error;
  ASSERT_TRUE(buildSourceModel(still, &error)) << error;
  EXPECT_FALSE(still.skinned);
  EXPECT_TRUE(still.joints.empty());
  EXPECT_EQ(still.instances.size(), 1u);
  EXPECT_EQ(still.skippedMeshes, 1);

  // An animation of the lamp changes nothing; one of the box's parent makes
  // the box follow its node.
  scene->mNumAnimations = 1;
  scene->mAnimations = new aiAnimation* [1] { new aiAnimation() };
  aiAnimation& animation = *scene->mAnimations[0];
  animation.mNumChannels = 1;
  animation.mChannels = new aiNodeAnim* [1] { new aiNodeAnim() };
  animation.mChannels[0]->mNodeName = "lamp";
  SourceModel lampMoves(*scene);
  ASSERT_TRUE(buildSourceModel(lampMoves, &error));
  EXPECT_FALSE(lampMoves.skinned);

  animation.mChannels[0]->mNodeName = "holder";
  SourceModel boxMoves(*scene);
  ASSERT_TRUE(buildSourceModel(boxMoves, &error));
  EXPECT_TRUE(boxMoves.skinned);
  EXPECT_EQ(jointNames(boxMoves), std::vector<std::string>{"box"});

  // Nothing but lines is refused.
  scene->mRootNode->mChildren[0]->mChildren[0]->mMeshes[0] = 1;
  SourceModel noTriangles(*scene);
  EXPECT_FALSE(buildSourceModel(noTriangles, &error));
  EXPECT_EQ(error, "the file holds no triangle mesh");
}
