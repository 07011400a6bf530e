// Rigid models: vertices go straight through World. Lit by one directional
// light with a shadow map; bump-mapped when a normal map and tangents are given.
#include "model_common.fxh"

void ModelToWorld(ModelVertex input, out float3 position, out float3 normal, out float3 tangent)
{
    float3x3 world = (float3x3)World;
    position = mul(input.Position, World).xyz;
    normal = mul(input.Normal, world);
    tangent = mul(StreamTangent(input), world);
}

#include "model_passes.fxh"
