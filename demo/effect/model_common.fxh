// What every model effect shares: the parameters the renderer sets, the
// textures with their samplers, and the vertex as the model loader lays it out.

#ifndef MODEL_COMMON_FXH
#define MODEL_COMMON_FXH

float4x4 World;
float4x4 CamViewProj;
float4x4 LiteViewProj;
float3 LightDir = {1.0, 0.0, 0.0};
float SMAP_SIZE = 512.0;

// The material of the index range being drawn: the colour texture is
// multiplied by the diffuse colour and the emissive colour added; without a
// texture (MaterialTextured 0) the diffuse colour stands alone. The defaults
// leave a model without materials as its texture shows it.
float4 MaterialDiffuse = {1.0, 1.0, 1.0, 1.0};
float3 MaterialEmissive = {0.0, 0.0, 0.0};
float MaterialTextured = 1.0;

texture g_txScene;
texture g_txBump;
texture ShadowTexture;

sampler2D SceneSampler = sampler_state
{
    Texture = <g_txScene>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    MipFilter = LINEAR;
    AddressU = WRAP;
    AddressV = WRAP;
};

sampler2D BumpSampler = sampler_state
{
    Texture = <g_txBump>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    MipFilter = LINEAR;
    AddressU = WRAP;
    AddressV = WRAP;
};

// Depths are compared, never blended, so the map is read texel by texel.
sampler2D ShadowSampler = sampler_state
{
    Texture = <ShadowTexture>;
    MinFilter = POINT;
    MagFilter = POINT;
    MipFilter = NONE;
    AddressU = CLAMP;
    AddressV = CLAMP;
};

// The light depth is stored as a fraction of the viewer's light range (its
// far plane, 50), so the shadow-map display shows it as grey levels.
static const float DEPTH_SCALE = 1.0 / 50.0;

// Share of the colour that the light never reaches.
static const float AMBIENT = 0.3;

// The vertex stream: position, blend data, normal, then the texture sets.
// The tangent is one more three-component set behind the texture sets, so
// it is the third set of a mesh with two and the second of a mesh with one.
// Inputs a mesh lacks read (0, 0, 0, 1).
struct ModelVertex
{
    float4 Position : POSITION;
    float4 Weights  : BLENDWEIGHT;
    float4 Indices  : BLENDINDICES;
    float3 Normal   : NORMAL;
    float2 TexCoord : TEXCOORD0;
    float4 Set1     : TEXCOORD1;
    float4 Set2     : TEXCOORD2;
};

float3 StreamTangent(ModelVertex input)
{
    if (any(input.Set2.xyz != 0.0))
        return input.Set2.xyz;
    return input.Set1.xyz;
}

// The direction the light travels, or zero when none is given.
float3 LightTravel()
{
    float length2 = dot(LightDir, LightDir);
    return length2 > 1e-12 ? LightDir * rsqrt(length2) : float3(0.0, 0.0, 0.0);
}

#endif
