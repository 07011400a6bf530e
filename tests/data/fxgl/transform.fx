// Moves positions by a world matrix declared either way, then into clip
// space; the colour comes from two SetValue parameters.
float4x4 World;
row_major float4x4 WorldRows;
float4x4 ViewProj;
float3 Tint = {1, 1, 1};
float Brightness = 1;

float4 MoveVS(float3 p : POSITION) : POSITION
{
    return mul(mul(float4(p, 1), World), ViewProj);
}

float4 MoveRowsVS(float3 p : POSITION) : POSITION
{
    return mul(mul(float4(p, 1), WorldRows), ViewProj);
}

float4 TintPS() : COLOR
{
    return float4(Tint * Brightness, 1);
}

technique Move
{
    pass P0 { VertexShader = compile vs_2_0 MoveVS(); PixelShader = compile ps_2_0 TintPS(); }
}

technique MoveRows
{
    pass P0 { VertexShader = compile vs_2_0 MoveRowsVS(); PixelShader = compile ps_2_0 TintPS(); }
}
