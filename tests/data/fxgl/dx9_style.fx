// A small effect written the usual Direct3D 9 way: macros, annotations, a
// bone palette, two samplers, structs, a uniform argument, and two
// techniques with three passes between them.
#define BONE_COUNT 2
#define BLEND_PROFILE ps_2_0

float4x4 Bones[BONE_COUNT] < string UIName = "bone palette"; >;
float4x4 ViewProj : VIEWPROJECTION;
float Opacity < float UIMin = 0.0; float UIMax = 1.0; > = 0.5;

texture BaseMap < string ResourceName = "base.bmp"; >;
texture DetailMap;

sampler BaseSampler = sampler_state
{
    Texture = <BaseMap>;
    MinFilter = Point;
    MagFilter = Point;
    MipFilter = None;
    AddressU = Clamp;
    AddressV = Clamp;
};

sampler2D DetailSampler = sampler_state
{
    Texture = (DetailMap);
    MinFilter = Point;
    MagFilter = Point;
    AddressU = Wrap;
    AddressV = Wrap;
};

struct VS_INPUT
{
    float4 Position : POSITION;
    float4 Weights  : BLENDWEIGHT;
    float4 Indices  : BLENDINDICES;
    float2 Uv       : TEXCOORD0;
};

struct VS_OUTPUT
{
    float4 Position : POSITION;
    float2 Uv       : TEXCOORD0;
};

VS_OUTPUT SkinVS(VS_INPUT input)
{
    VS_OUTPUT output;
    float4 skinned = mul(input.Position, Bones[(int)input.Indices.x]) * input.Weights.x +
                     mul(input.Position, Bones[(int)input.Indices.y]) * (1 - input.Weights.x);
    output.Position = mul(skinned, ViewProj);
    output.Uv = input.Uv;
    return output;
}

float4 BasePS(float2 uv : TEXCOORD0) : COLOR
{
    return tex2D(BaseSampler, uv);
}

float4 DetailPS(float2 uv : TEXCOORD0) : COLOR
{
    return float4(tex2D(DetailSampler, uv).rgb, Opacity);
}

float4 ModulatePS(float2 uv : TEXCOORD0, uniform float scale) : COLOR
{
    return tex2D(BaseSampler, uv) * tex2D(DetailSampler, uv) * scale;
}

technique Layered < string Description = "base, then detail blended over it"; >
{
    pass Base < int Order = 0; >
    {
        VertexShader = compile vs_2_0 SkinVS();
        PixelShader = compile ps_2_0 BasePS();
        CullMode = None;
        ZEnable = False;
    }
    pass Detail < int Order = 1; >
    {
        VertexShader = compile vs_2_0 SkinVS();
        PixelShader = compile BLEND_PROFILE DetailPS();
        AlphaBlendEnable = True;
        SrcBlend = SrcAlpha;
        DestBlend = InvSrcAlpha;
        CullMode = None;
        ZEnable = False;
    }
}

technique Modulated
{
    pass Only
    {
        VertexShader = compile vs_2_0 SkinVS();
        PixelShader = compile ps_2_0 ModulatePS(1.0);
        CullMode = None;
        ZEnable = False;
    }
}
