// One texture read through two samplers with different filters and
// address modes.
texture Map;

sampler2D PointSampler = sampler_state
{
    Texture = <Map>;
    MinFilter = POINT;
    MagFilter = POINT;
    AddressU = CLAMP;
    AddressV = WRAP;
};

sampler2D LinearSampler = sampler_state
{
    Texture = <Map>;
    MinFilter = LINEAR;
    MagFilter = LINEAR;
    AddressU = BORDER;
    AddressV = CLAMP;
    BorderColor = 0xFF00FFFF;
};

struct VS_OUT
{
    float4 Position : POSITION;
    float2 Uv : TEXCOORD0;
};

VS_OUT PassVS(float3 p : POSITION, float2 uv : TEXCOORD0)
{
    VS_OUT output;
    output.Position = float4(p, 1);
    output.Uv = uv;
    return output;
}

float4 PointPS(float2 uv : TEXCOORD0) : COLOR { return tex2D(PointSampler, uv); }
float4 LinearPS(float2 uv : TEXCOORD0) : COLOR { return tex2D(LinearSampler, uv); }

technique Point
{
    pass P0 { VertexShader = compile vs_2_0 PassVS(); PixelShader = compile ps_2_0 PointPS(); }
}

technique Linear
{
    pass P0 { VertexShader = compile vs_2_0 PassVS(); PixelShader = compile ps_2_0 LinearPS(); }
}
