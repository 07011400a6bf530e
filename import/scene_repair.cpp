#include "import/scene_repair.h"

namespace {

unsigned dropMissingChildren(aiNode* node) {
  unsigned dropped = 0;
  unsigned kept = 0;
  for (unsigned c = 0; c < node->mNumChildren; ++c) {
    aiNode* child = node->mChildren[c];
    if (child == nullptr) {
      ++dropped;
      continue;
    }
    child->mParent = node;
    node->mChildren[kept++] = child;
    dropped += dropMissingChildren(child);
  }
  node->mNumChildren = kept;
  return dropped;
}

bool isEmpty(const aiMesh* mesh) {
  return mesh == nullptr || mesh->mNumVertices == 0 || mesh->mVertices == nullptr ||
         mesh->mNumFaces == 0 || mesh->mFaces == nullptr;
}

// Node mesh indices through newIndex; -1 drops one.
void renumberMeshes(aiNode* node, const std::vector<int>& newIndex) {
  unsigned kept = 0;
  for (unsigned m = 0; m < node->mNumMeshes; ++m) {
    const unsigned old = node->mMeshes[m];
    if (old < newIndex.size() && newIndex[old] >= 0) {
      node->mMeshes[kept++] = static_cast<unsigned>(newIndex[old]);
    }
  }
  node->mNumMeshes = kept;
  for (unsigned c = 0; c < node->mNumChildren; ++c) renumberMeshes(node->mChildren[c], newIndex);
}

unsigned removeEmptyMeshes(aiScene& scene) {
  std::vector<int> newIndex(scene.mNumMeshes, -1);
  unsigned kept = 0;
  for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
    aiMesh* mesh = scene.mMeshes[m];
    if (isEmpty(mesh)) {
      delete mesh;
      continue;
    }
    newIndex[m] = static_cast<int>(kept);
    scene.mMeshes[kept++] = mesh;
  }
  const unsigned removed = scene.mNumMeshes - kept;
  scene.mNumMeshes = kept;
  if (removed > 0 && scene.mRootNode != nullptr) renumberMeshes(scene.mRootNode, newIndex);
  return removed;
}

template <typename T>
unsigned dropAll(T**& items, unsigned& count) {
  const unsigned dropped = count;
  for (unsigned i = 0; i < count; ++i) delete items[i];
  delete[] items;  // the structure check wants no array without items
  items = nullptr;
  count = 0;
  return dropped;
}

}  // namespace

std::vector<std::string> repairScene(aiScene& scene) {
  std::vector<std::string> done;
  if (scene.mRootNode != nullptr) {
    if (const unsigned dropped = dropMissingChildren(scene.mRootNode)) {
      done.push_back(std::to_string(dropped) + " missing nodes dropped");
    }
  }
  if (const unsigned removed = removeEmptyMeshes(scene)) {
    done.push_back(std::to_string(removed) + " empty meshes removed");
  }
  const unsigned others =
      dropAll(scene.mLights, scene.mNumLights) + dropAll(scene.mCameras, scene.mNumCameras);
  if (others > 0) done.push_back(std::to_string(others) + " lights and cameras left out");
  return done;
}
