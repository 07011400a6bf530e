#include "import/scene_contents.h"

#include <assimp/SkeletonMeshBuilder.h>

namespace {

bool hasTriangles(const aiScene& scene) {
  for (unsigned m = 0; m < scene.mNumMeshes; ++m) {
    const aiMesh* mesh = scene.mMeshes[m];
    if (mesh != nullptr && (mesh->mPrimitiveTypes & aiPrimitiveType_TRIANGLE) != 0 &&
        mesh->mNumFaces > 0) {
      return true;
    }
  }
  return false;
}

unsigned countNodes(const aiNode* node) {
  if (node == nullptr) return 0;
  unsigned count = 1;
  for (unsigned c = 0; c < node->mNumChildren; ++c) count += countNodes(node->mChildren[c]);
  return count;
}

bool hasNodeAnimation(const aiScene& scene) {
  for (unsigned a = 0; a < scene.mNumAnimations; ++a) {
    if (scene.mAnimations[a] != nullptr && scene.mAnimations[a]->mNumChannels > 0) return true;
  }
  return false;
}

}  // namespace

std::string missingMeshReason(const aiScene& scene) {
  if (hasTriangles(scene)) return {};
  if (scene.mNumMeshes > 0) return "only points and lines";
  if (scene.mNumCameras + scene.mNumLights > 0) return "only cameras and lights";
  if (countNodes(scene.mRootNode) > 1 || hasNodeAnimation(scene)) return "only a skeleton";
  if ((scene.mFlags & AI_SCENE_FLAGS_INCOMPLETE) != 0) {
    return "nothing to show: assimp made no mesh of it and marked the scene incomplete";
  }
  return "nothing to show";
}

bool isMovingSkeleton(const aiScene& scene) {
  return scene.mNumMeshes == 0 && countNodes(scene.mRootNode) > 1 && hasNodeAnimation(scene);
}

void addStickFigure(aiScene& scene) { Assimp::SkeletonMeshBuilder build(&scene); }
