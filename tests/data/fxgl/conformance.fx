// The effect the conformance suite runs on the OpenGL device: a first
// technique that cannot run (no pixel shader), then two that can, with two
// passes each; a matrix, a palette of two, a float and a texture.
float4x4 World;
float4x4 Bones[2];
float Opacity = 1;
texture Map;

sampler MapSampler = sampler_state
{
    Texture = <Map>;
};

float4 MoveVS(float3 p : POSITION) : POSITION
{
    return mul(mul(float4(p, 1), Bones[0]), World);
}

float4 PaintPS(float2 uv : TEXCOORD0) : COLOR
{
    return tex2D(MapSampler, uv) * Opacity;
}

technique VertexOnly
{
    pass P0 { VertexShader = compile vs_2_0 MoveVS(); }
}

technique First
{
    pass P0 { VertexShader = compile vs_2_0 MoveVS(); PixelShader = compile ps_2_0 PaintPS(); }
    pass P1 { VertexShader = compile vs_2_0 MoveVS(); PixelShader = compile ps_2_0 PaintPS(); }
}

technique Second
{
    pass P0 { VertexShader = compile vs_2_0 MoveVS(); PixelShader = compile ps_2_0 PaintPS(); }
    pass P1 { VertexShader = compile vs_2_0 MoveVS(); PixelShader = compile ps_2_0 PaintPS(); }
}
