#pragma once
#include <assimp/scene.h>

#include <string>

// What a scene without any triangle mesh holds instead, as the end of a
// sentence: "only a skeleton", "only cameras and lights", "only points and
// lines", or "nothing to show" (with a word on an incomplete scene). Empty
// when it has a triangle mesh.
std::string missingMeshReason(const aiScene& scene);

// A scene whose only content is a skeleton that moves: it can be shown as a
// stick figure.
bool isMovingSkeleton(const aiScene& scene);

// Gives such a scene a stick-figure mesh skinned to its nodes, as the
// importer does for motion-capture files.
void addStickFigure(aiScene& scene);
