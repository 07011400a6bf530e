// Scenes the importer's structure check refuses, mended without losing
// what the model file can hold.
#include "import/scene_repair.h"

#include <assimp/scene.h>
#include <gtest/gtest.h>

namespace {

aiMesh* triangleMesh(const char* name) {
  auto* mesh = new aiMesh;
  mesh->mName = name;
  mesh->mPrimitiveTypes = aiPrimitiveType_TRIANGLE;
  mesh->mNumVertices = 3;
  mesh->mVertices = new aiVector3D[3]{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  mesh->mNumFaces = 1;
  mesh->mFaces = new aiFace[1];
  mesh->mFaces[0].mNumIndices = 3;
  mesh->mFaces[0].mIndices = new unsigned[3]{0, 1, 2};
  return mesh;
}

aiMesh* pointsWithoutFaces() {
  auto* mesh = new aiMesh;
  mesh->mPrimitiveTypes = aiPrimitiveType_POINT;
  mesh->mNumVertices = 2;
  mesh->mVertices = new aiVector3D[2]{{0, 0, 0}, {1, 1, 1}};
  return mesh;
}

aiNode* nodeWithMeshes(const char* name, std::initializer_list<unsigned> meshes) {
  auto* node = new aiNode(name);
  node->mNumMeshes = static_cast<unsigned>(meshes.size());
  node->mMeshes = new unsigned[meshes.size()];
  unsigned i = 0;
  for (unsigned m : meshes) node->mMeshes[i++] = m;
  return node;
}

// Meshes: 0 empty, 1 "a", 2 points without faces, 3 "b". The root holds a
// child that is missing between two real ones.
aiScene* brokenScene() {
  auto* scene = new aiScene;
  scene->mNumMeshes = 4;
  scene->mMeshes =
      new aiMesh* [4] { new aiMesh, triangleMesh("a"), pointsWithoutFaces(), triangleMesh("b") };
  scene->mMaterials = new aiMaterial* [1] { new aiMaterial };
  scene->mNumMaterials = 1;
  scene->mRootNode = nodeWithMeshes("root", {0, 1});
  scene->mRootNode->mNumChildren = 3;
  scene->mRootNode->mChildren = new aiNode* [3] {
    nodeWithMeshes("first", {2, 3}), nullptr, nodeWithMeshes("last", {3, 1})
  };
  scene->mNumLights = 2;
  scene->mLights = new aiLight* [2] { new aiLight, new aiLight };
  scene->mNumCameras = 1;
  scene->mCameras = new aiCamera* [1] { new aiCamera };
  return scene;
}

std::vector<std::string> meshNames(const aiScene& scene, const aiNode& node) {
  std::vector<std::string> names;
  for (unsigned m = 0; m < node.mNumMeshes; ++m) {
    names.push_back(scene.mMeshes[node.mMeshes[m]]->mName.C_Str());
  }
  return names;
}

}  // namespace

TEST(SceneRepair, DropsMissingNodesEmptyMeshesLightsAndCamerasKeepingTheRest) {
  aiScene* scene = brokenScene();
  const std::vector<std::string> done = repairScene(*scene);
  EXPECT_EQ(done, (std::vector<std::string>{"1 missing nodes dropped", "2 empty meshes removed",
                                            "3 lights and cameras left out"}));
  ASSERT_EQ(scene->mNumMeshes, 2u);
  EXPECT_STREQ(scene->mMeshes[0]->mName.C_Str(), "a");
  EXPECT_STREQ(scene->mMeshes[1]->mName.C_Str(), "b");
  // Every node still names the meshes it named, by their new numbers.
  const aiNode& root = *scene->mRootNode;
  EXPECT_EQ(meshNames(*scene, root), (std::vector<std::string>{"a"}));
  ASSERT_EQ(root.mNumChildren, 2u);
  EXPECT_STREQ(root.mChildren[0]->mName.C_Str(), "first");
  EXPECT_STREQ(root.mChildren[1]->mName.C_Str(), "last");
  EXPECT_EQ(root.mChildren[1]->mParent, &root);
  EXPECT_EQ(meshNames(*scene, *root.mChildren[0]), (std::vector<std::string>{"b"}));
  EXPECT_EQ(meshNames(*scene, *root.mChildren[1]), (std::vector<std::string>{"b", "a"}));
  EXPECT_EQ(scene->mNumLights + scene->mNumCameras, 0u);
  EXPECT_EQ(scene->mLights, nullptr);
  EXPECT_EQ(scene->mCameras, nullptr);
  delete scene;  // the sanitizer build finds a double free or a leak here
}
