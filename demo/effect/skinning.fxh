// Matrix-palette skinning: up to four bones per vertex, weighted.

#ifndef SKINNING_FXH
#define SKINNING_FXH

// Bone indices are bytes and 255 means "no parent", so no model has more.
#define MAX_BONES 255

// Affine bone matrices: the palette's fourth column is always (0, 0, 0, 1).
// Every entry starts as the identity, so a mesh without bones (which never
// gets a palette) is drawn where its file puts it.
#define IDENTITY_4X3 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0
#define IDENTITY_5 IDENTITY_4X3, IDENTITY_4X3, IDENTITY_4X3, IDENTITY_4X3, IDENTITY_4X3
#define IDENTITY_15 IDENTITY_5, IDENTITY_5, IDENTITY_5
#define IDENTITY_255 IDENTITY_15, IDENTITY_15, IDENTITY_15, IDENTITY_15, IDENTITY_15, \
    IDENTITY_15, IDENTITY_15, IDENTITY_15, IDENTITY_15, IDENTITY_15, IDENTITY_15, \
    IDENTITY_15, IDENTITY_15, IDENTITY_15, IDENTITY_15, IDENTITY_15, IDENTITY_15

float4x3 matrixBone[MAX_BONES] = { IDENTITY_255 };

// A mesh stores one to four weights per vertex; the stream fills a missing
// fourth with 1. Weights sum to one, so a 1 behind weights that already add
// up is that filler, not a weight.
float4 BlendWeights(float4 weights)
{
    if (weights.w == 1.0 && weights.x + weights.y + weights.z > 0.5)
        weights.w = 0.0;
    return weights;
}

float4x3 Bone(float index)
{
    return matrixBone[min((int)index, MAX_BONES - 1)];
}

// The weighted sum of the vertex's bone matrices.
float4x3 SkinMatrix(float4 weights, float4 indices)
{
    float4 w = BlendWeights(weights);
    return w.x * Bone(indices.x) + w.y * Bone(indices.y) + w.z * Bone(indices.z) + w.w * Bone(indices.w);
}

#endif
