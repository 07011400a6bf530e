// Each vertex picks its matrix from a three-matrix palette by its first
// blend index; the colour tells which index it read.
float4x4 Palette[3];
float4x4 ViewProj;

struct VS_OUT
{
    float4 Position : POSITION;
    float4 Color : COLOR0;
};

VS_OUT PaletteVS(float3 p : POSITION, float4 indices : BLENDINDICES)
{
    VS_OUT output;
    int index = (int)indices.x;
    output.Position = mul(mul(float4(p, 1), Palette[index]), ViewProj);
    output.Color = float4(index == 0, index == 1, index == 2, 1);
    return output;
}

float4 ColorPS(float4 color : COLOR0) : COLOR
{
    return color;
}

technique Skin
{
    pass P0 { VertexShader = compile vs_2_0 PaletteVS(); PixelShader = compile ps_2_0 ColorPS(); }
}
