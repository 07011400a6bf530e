#pragma once
#include <assimp/scene.h>

#include <string>
#include <vector>

// Mends a scene the importer read but its own structure check refused, in
// the ways that lose nothing the model file could hold: missing child nodes
// are dropped, meshes without vertices or faces are removed (their nodes
// keep the rest), and lights and cameras, which the model file has no place
// for, are left out. Returns what was done, one phrase per kind of repair.
std::vector<std::string> repairScene(aiScene& scene);
