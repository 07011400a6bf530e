// Declarations shared by the scene effects.
#define MAX_BONES 4

float4x4 World : WORLD < string UIName = "World"; >;
float4x4 CamViewProj;
float4x4 matrixBone[MAX_BONES];

struct VS_OUTPUT
{
    float4 Position : POSITION;
    float2 TexCoord : TEXCOORD0;
    float4 Diffuse  : COLOR0;
    float4 LightPos : TEXCOORD1;
};
