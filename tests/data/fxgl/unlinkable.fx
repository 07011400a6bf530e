// Compiles, but its parameter block is larger than a GL uniform block may
// be, so no program of it links; the second technique has no pixel shader.
float4 Big[5000];
int Pick;

float4 BigVS(float3 p : POSITION) : POSITION { return float4(p, 1) + Big[Pick]; }
float4 WhitePS() : COLOR { return 1; }

technique TooBig
{
    pass P0 { VertexShader = compile vs_3_0 BigVS(); PixelShader = compile ps_3_0 WhitePS(); }
}

technique NoPixelShader
{
    pass P0 { VertexShader = compile vs_3_0 BigVS(); }
}
