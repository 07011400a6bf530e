// The passes of a model effect. The including file defines, after
// model_common.fxh, how a vertex reaches world space:
//   void ModelToWorld(ModelVertex input, out float3 position,
//                     out float3 normal, out float3 tangent)
// Pass 1 writes the light's depth into the shadow map; pass 2 lights the
// model with the map, pass 3 the same with filtered (PCF) shadow edges; pass
// 0 lights it without the map.

#ifndef MODEL_PASSES_FXH
#define MODEL_PASSES_FXH

struct LitVertex
{
    float4 Position : POSITION;
    float4 TexCoord : TEXCOORD0;
    float4 Normal   : TEXCOORD1;
    float4 Tangent  : TEXCOORD2;
    float4 LightPos : TEXCOORD3;
};

struct LitPixel
{
    float4 TexCoord : TEXCOORD0;
    float4 Normal   : TEXCOORD1;
    float4 Tangent  : TEXCOORD2;
    float4 LightPos : TEXCOORD3;
};

LitVertex LitVS(ModelVertex input)
{
    float3 position;
    float3 normal;
    float3 tangent;
    ModelToWorld(input, position, normal, tangent);
    LitVertex output;
    output.Position = mul(float4(position, 1.0), CamViewProj);
    output.TexCoord = float4(input.TexCoord, 0.0, 0.0);
    output.Normal = float4(normal, 0.0);
    output.Tangent = float4(tangent, 0.0);
    output.LightPos = mul(float4(position, 1.0), LiteViewProj);
    return output;
}

// The shadow pass is drawn with the light's camera: there the renderer hands
// the light's view and projection in as CamViewProj (LiteViewProj is only
// set for the lit passes, so it is stale or unset here).
void DepthVS(ModelVertex input, out float4 position : POSITION, out float4 depth : TEXCOORD0)
{
    float3 world;
    float3 normal;
    float3 tangent;
    ModelToWorld(input, world, normal, tangent);
    position = mul(float4(world, 1.0), CamViewProj);
    // w is the distance along the light's view, linear in world units.
    depth = position.wwww;
}

float4 DepthPS(float4 depth : TEXCOORD0) : COLOR0
{
    return float4(depth.x * DEPTH_SCALE, 0.0, 0.0, 1.0);
}

float3 NormalOrZero(float3 normal)
{
    return dot(normal, normal) > 1e-12 ? normalize(normal) : float3(0.0, 0.0, 0.0);
}

// The interpolated normal, bent by the bump map when one is bound and the
// mesh has tangents (a normal map with green along growing v).
float3 ShadingNormal(float3 normal, float3 tangent, float2 uv)
{
    float4 bump = tex2D(BumpSampler, uv);
    float3 across = tangent - normal * dot(tangent, normal);
    // An unbound texture reads black, while a normal map always points out
    // of the surface: its blue is above one half.
    if (bump.b < 0.25 || dot(across, across) < 1e-8)
        return normal;
    across = normalize(across);
    float3 down = cross(normal, across);
    float3 bent = bump.rgb * 2.0 - 1.0;
    return normalize(bent.x * across + bent.y * down + bent.z * normal);
}

// How much surface one shadow-map texel spans at distance 1 from the light:
// the map covers 2 / (projection scale) there, over SMAP_SIZE texels.
float TexelSpanAtUnitDistance(float size)
{
    float scaleX = length(float3(LiteViewProj[0][0], LiteViewProj[1][0], LiteViewProj[2][0]));
    float scaleY = length(float3(LiteViewProj[0][1], LiteViewProj[1][1], LiteViewProj[2][1]));
    return 2.0 / (size * max(min(scaleX, scaleY), 1e-6));
}

// Where the pixel falls on the shadow map, in texels (texel i holds what the
// light saw at i, as the device puts pixel centres), and its light depth in
// stored units less the bias. reach is how many texels from the pixel the
// lookups go: on a slope the stored depth drifts by one texel's span times
// the slope's tangent per texel. False when the map does not cover the pixel.
bool ShadowPlace(float4 lightPos, float3 normal, float reach, out float2 place, out float depth)
{
    float size = max(SMAP_SIZE, 1.0);
    place = float2(0.0, 0.0);
    depth = 0.0;
    if (lightPos.w <= 0.0)
        return false;
    float2 uv = lightPos.xy / lightPos.w * float2(0.5, -0.5) + 0.5;
    if (any(uv < 0.0) || any(uv > 1.0))
        return false;
    place = uv * size;
    float span = lightPos.w * TexelSpanAtUnitDistance(size);
    float cosine = saturate(dot(normal, -LightTravel()));
    float slope = min(sqrt(1.0 - cosine * cosine) / max(cosine, 0.05), 5.0);
    depth = (lightPos.w - span * (1.0 + reach * slope)) * DEPTH_SCALE;
    return true;
}

// 1 where the light reaches depth at the texel around uv, else 0.
float LitByMap(float2 uv, float depth)
{
    float stored = tex2D(ShadowSampler, uv).r;
    // The map is cleared to 0 where nothing was drawn: nothing blocks the light there.
    return (stored <= 0.0 || depth <= stored) ? 1.0 : 0.0;
}

float ShadowHard(float4 lightPos, float3 normal)
{
    float2 place;
    float depth;
    if (!ShadowPlace(lightPos, normal, 1.0, place, depth))
        return 1.0;
    return LitByMap((floor(place + 0.5) + 0.5) / max(SMAP_SIZE, 1.0), depth);
}

// Sixteen comparisons one texel (1 / SMAP_SIZE) apart, weighted as three by
// three bilinear lookups, so the edge moves smoothly with the pixel.
float ShadowPcf(float4 lightPos, float3 normal)
{
    float2 place;
    float depth;
    if (!ShadowPlace(lightPos, normal, 2.0, place, depth))
        return 1.0;
    float texel = 1.0 / max(SMAP_SIZE, 1.0);
    float2 base = floor(place);
    float2 fraction = place - base;
    float4 weightX = float4(1.0 - fraction.x, 1.0, 1.0, fraction.x);
    float4 weightY = float4(1.0 - fraction.y, 1.0, 1.0, fraction.y);
    float lit = 0.0;
    for (int y = 0; y < 4; y++)
    {
        for (int x = 0; x < 4; x++)
            lit += weightX[x] * weightY[y] * LitByMap((base + float2(x - 1, y - 1) + 0.5) * texel, depth);
    }
    return lit / 9.0;
}

// The material's colour (its texture times its diffuse colour) lit by the
// ambient share plus the diffuse light that the shadow lets through, and its
// emissive colour. A mesh without normals is shown in full light.
float4 Shade(LitPixel input, float3 normal, float shadow)
{
    float4 color = MaterialDiffuse;
    if (MaterialTextured > 0.5)
        color *= tex2D(SceneSampler, input.TexCoord.xy);
    float diffuse = 1.0;
    if (any(normal != 0.0))
        diffuse = saturate(dot(ShadingNormal(normal, input.Tangent.xyz, input.TexCoord.xy), -LightTravel()));
    return float4(color.rgb * (AMBIENT + (1.0 - AMBIENT) * diffuse * shadow) + MaterialEmissive, color.a);
}

float4 LitPS(LitPixel input) : COLOR0
{
    return Shade(input, NormalOrZero(input.Normal.xyz), 1.0);
}

float4 ShadowedPS(LitPixel input) : COLOR0
{
    float3 normal = NormalOrZero(input.Normal.xyz);
    return Shade(input, normal, ShadowHard(input.LightPos, normal));
}

float4 ShadowedPcfPS(LitPixel input) : COLOR0
{
    float3 normal = NormalOrZero(input.Normal.xyz);
    return Shade(input, normal, ShadowPcf(input.LightPos, normal));
}

// Model files do not fix a triangle winding, so nothing is culled; every
// state a pass relies on is set, whatever was drawn before it.
#define OPAQUE_STATES \
    ZEnable = TRUE; \
    ZWriteEnable = TRUE; \
    ZFunc = LESSEQUAL; \
    CullMode = NONE; \
    FillMode = SOLID; \
    AlphaBlendEnable = FALSE; \
    StencilEnable = FALSE; \
    ColorWriteEnable = RED | GREEN | BLUE | ALPHA;

technique Model
{
    pass Lit
    {
        VertexShader = compile vs_2_0 LitVS();
        PixelShader = compile ps_2_0 LitPS();
        OPAQUE_STATES
    }
    pass ShadowDepth
    {
        VertexShader = compile vs_2_0 DepthVS();
        PixelShader = compile ps_2_0 DepthPS();
        OPAQUE_STATES
    }
    pass ShadowMapped
    {
        VertexShader = compile vs_2_0 LitVS();
        PixelShader = compile ps_2_0 ShadowedPS();
        OPAQUE_STATES
    }
    pass ShadowMappedPcf
    {
        VertexShader = compile vs_2_0 LitVS();
        PixelShader = compile ps_2_0 ShadowedPcfPS();
        OPAQUE_STATES
    }
}

#endif
