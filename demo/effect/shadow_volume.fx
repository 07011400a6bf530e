// The shadow-volume mesh: every triangle corner is a vertex of its own that
// also carries the triangle's other two corners, in winding order
// (TEXCOORD0, TEXCOORD1), and every edge two triangles share holds a quad of
// zero area. A vertex whose triangle faces away from the light is pushed
// away from it, so the quads along the silhouette stretch into the volume's
// sides. Pass 0 counts the volume into the stencil buffer; pass 1 leaves the
// shadow map alone; passes 2 and 3 show the volume as a dark veil.
#include "model_common.fxh"
#include "skinning.fxh"

// Far enough to leave the scene: the viewer's light reaches 50 units.
static const float EXTRUSION = 100.0;

struct VolumeVertex
{
    float4 Position : POSITION;
    float4 Weights  : BLENDWEIGHT;
    float4 Indices  : BLENDINDICES;
    float3 Next     : TEXCOORD0;
    float3 Last     : TEXCOORD1;
};

float3 ToWorld(float3 position, float4x3 skin)
{
    return mul(float4(mul(float4(position, 1.0), skin), 1.0), World).xyz;
}

float4 VolumeVS(VolumeVertex input) : POSITION
{
    // The other corners only carry positions, so they follow this corner's
    // bones: exact for rigid parts, close where the weights change slowly.
    float4x3 skin = SkinMatrix(input.Weights, input.Indices);
    float3 corner = ToWorld(input.Position.xyz, skin);
    float3 next = ToWorld(input.Next, skin);
    float3 last = ToWorld(input.Last, skin);
    // Front faces are clockwise, as Direct3D draws them: this normal points out.
    float3 normal = cross(next - corner, last - corner);
    float3 travel = LightTravel();
    if (dot(normal, travel) > 0.0)
        corner += travel * EXTRUSION;
    return mul(float4(corner, 1.0), CamViewProj);
}

float4 VolumePS() : COLOR0
{
    return float4(0.0, 0.0, 0.0, 0.35);
}

#define VOLUME_SHADERS \
    VertexShader = compile vs_2_0 VolumeVS(); \
    PixelShader = compile ps_2_0 VolumePS(); \
    CullMode = NONE; \
    FillMode = SOLID;

#define VEIL_STATES \
    ZEnable = TRUE; \
    ZWriteEnable = FALSE; \
    ZFunc = LESSEQUAL; \
    AlphaBlendEnable = TRUE; \
    SrcBlend = SRCALPHA; \
    DestBlend = INVSRCALPHA; \
    ColorWriteEnable = RED | GREEN | BLUE | ALPHA; \
    StencilEnable = FALSE;

technique Volume
{
    // Depth-pass counting: +1 through front faces, -1 through back faces;
    // what stays above 0 lies in shadow.
    pass StencilCount
    {
        VOLUME_SHADERS
        ZEnable = TRUE;
        ZWriteEnable = FALSE;
        ZFunc = LESS;
        AlphaBlendEnable = FALSE;
        ColorWriteEnable = 0;
        StencilEnable = TRUE;
        TwoSidedStencilMode = TRUE;
        StencilRef = 0;
        StencilMask = 0xFFFFFFFF;
        StencilWriteMask = 0xFFFFFFFF;
        StencilFunc = ALWAYS;
        StencilFail = KEEP;
        StencilZFail = KEEP;
        StencilPass = INCR;
        CCW_StencilFunc = ALWAYS;
        CCW_StencilFail = KEEP;
        CCW_StencilZFail = KEEP;
        CCW_StencilPass = DECR;
    }
    // The volume blocks no light itself: nothing reaches the shadow map.
    pass ShadowDepth
    {
        VOLUME_SHADERS
        ZEnable = FALSE;
        ZWriteEnable = FALSE;
        AlphaBlendEnable = FALSE;
        ColorWriteEnable = 0;
        StencilEnable = FALSE;
    }
    pass Veil
    {
        VOLUME_SHADERS
        VEIL_STATES
    }
    pass VeilFiltered
    {
        VOLUME_SHADERS
        VEIL_STATES
    }
}
