#pragma once
#include <assimp/material.h>

#include "render/model_records.h"

// The model file's record of an imported material: diffuse (its alpha the
// material's opacity), ambient, specular and emissive colours and the
// specular power. Colours the material does not give are white diffuse,
// black otherwise.
CMaterial materialRecord(const aiMaterial* material);
