// A skinned, shadow-mapped scene effect written the way Direct3D 9 effects are.
#include "scene_common.fxh"

#define SHADOW_BIAS 0.002f
#define LIT_PROFILE vs_2_0

float4x4 LiteViewProj : register(c12);
float3 LightDir = {0.0, -1.0, 0.5};
float SMAP_SIZE = 512;
float4 AmbientColor < string UIWidget = "color"; float UIMin = 0.0; > = float4(0.25, 0.25, 0.3, 1.0);
bool UseTexture = true;
float Weights[3] = { 0.25, 0.5, 0.25 };
row_major float4x3 Tint;

texture g_txScene < string ResourceName = "default.bmp"; >;
texture ShadowTexture;

sampler2D SceneSampler = sampler_state
{
    Texture = <g_txScene>;
    MinFilter = LINEAR;
    MagFilter = Linear;
    MipFilter = POINT;
    AddressU = WRAP;
    AddressV = CLAMP;
};

sampler ShadowSampler = sampler_state
{
    Texture = (ShadowTexture);
    MinFilter = Point;
    MagFilter = Point;
    MipFilter = None;
    AddressU = Border;
    AddressV = Border;
    BorderColor = 0xFFFFFFFF;
};

struct VS_INPUT
{
    float4 Position : POSITION;
    float4 Weights  : BLENDWEIGHT;
    float4 Indices  : BLENDINDICES;
    float3 Normal   : NORMAL;
    float2 TexCoord : TEXCOORD0;
};

float4 Skin(VS_INPUT input)
{
    float4 position = 0;
    for (int i = 0; i < 4; i++)
        position += mul(input.Position, matrixBone[(int)input.Indices[i]]) * input.Weights[i];
    return position;
}

VS_OUTPUT SceneVS(VS_INPUT input, uniform bool lit)
{
    VS_OUTPUT output;
    float4 world = mul(Skin(input), World);
    output.Position = mul(world, CamViewProj);
    output.TexCoord = input.TexCoord;
    float3 normal = normalize(mul(input.Normal, (float3x3)World));
    float light = lit ? saturate(dot(normal, -LightDir)) : 1.0;
    output.Diffuse = AmbientColor + light;
    output.LightPos = mul(world, LiteViewProj);
    return output;
}

float4 ScenePS(VS_OUTPUT input) : COLOR0
{
    float4 color = input.Diffuse;
    if (UseTexture)
        color *= tex2D(SceneSampler, input.TexCoord);
    float2 shadowUV = input.LightPos.xy / input.LightPos.w * float2(0.5, -0.5) + 0.5;
    float texel = 1.0 / SMAP_SIZE;
    float lit = 0;
    for (int i = 0; i < 3; i++)
        lit += Weights[i] * (tex2D(ShadowSampler, shadowUV + float2(texel * (i - 1), 0)).r + SHADOW_BIAS >
                             input.LightPos.z / input.LightPos.w);
    return color * lit + float4(mul(float4(0, 0, 0, 1), Tint), 0) + input.Position * 0;
}

void ShadowVS(VS_INPUT input, out float4 position : POSITION, out float2 depth : TEXCOORD0)
{
    position = mul(mul(Skin(input), World), LiteViewProj);
    depth = position.zw;
}

float4 ShadowPS(float2 depth : TEXCOORD0) : COLOR
{
    return depth.x / depth.y;
}

float4 WirePS(float4 diffuse : COLOR0, float2 uv : TEXCOORD0) : COLOR
{
    return diffuse * tex2D(SceneSampler, uv);
}

technique Skinned < string Description = "shadow map, then lit"; >
{
    pass Shadow
    {
        VertexShader = compile vs_2_0 ShadowVS();
        PixelShader = compile ps_2_0 ShadowPS();
        CullMode = CCW;
        ZEnable = TRUE;
        ZWriteEnable = true;
        ZFunc = LESSEQUAL;
    }
    pass Lit < int Order = 2; >
    {
        VertexShader = compile LIT_PROFILE SceneVS(true);
        PixelShader = compile ps_2_0 ScenePS();
        AlphaBlendEnable = TRUE;
        SrcBlend = SRCALPHA;
        DestBlend = INVSRCALPHA;
        FillMode = SOLID;
        CullMode = NONE;
    }
}

technique Wireframe
{
    pass Lines
    {
        VertexShader = compile vs_2_0 SceneVS(false);
        PixelShader = compile ps_2_0 WirePS();
        FillMode = WIREFRAME;
        ZEnable = FALSE;
        Texture[0] = <g_txScene>;
    }
}
