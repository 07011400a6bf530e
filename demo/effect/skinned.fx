// Skinned models: each vertex follows up to four bones of the palette
// "matrixBone", then the model's World. Lit by one directional light with a
// shadow map; bump-mapped when a normal map and tangents are given.
#include "model_common.fxh"
#include "skinning.fxh"

void ModelToWorld(ModelVertex input, out float3 position, out float3 normal, out float3 tangent)
{
    float4x3 skin = SkinMatrix(input.Weights, input.Indices);
    float3x3 world = (float3x3)World;
    position = mul(float4(mul(input.Position, skin), 1.0), World).xyz;
    normal = mul(mul(input.Normal, (float3x3)skin), world);
    tangent = mul(mul(StreamTangent(input), (float3x3)skin), world);
}

#include "model_passes.fxh"
