// Passes that differ only in their render states. The last two states of
// Culled are ones this device does not honour or does not know; Unculled
// repeats the first of them.
float4 Color = {1, 1, 1, 1};

float4 PlainVS(float3 p : POSITION) : POSITION { return float4(p, 1); }
float4 ColorPS() : COLOR { return Color; }

technique Culled
{
    pass P0
    {
        VertexShader = compile vs_2_0 PlainVS();
        PixelShader = compile ps_2_0 ColorPS();
        CullMode = CCW;
        AlphaTestEnable = TRUE;
        Wibble = 3;
    }
}

technique Unculled
{
    pass P0
    {
        VertexShader = compile vs_2_0 PlainVS();
        PixelShader = compile ps_2_0 ColorPS();
        CullMode = NONE;
        AlphaTestEnable = FALSE;
    }
}

technique DepthTested
{
    pass P0
    {
        VertexShader = compile vs_2_0 PlainVS();
        PixelShader = compile ps_2_0 ColorPS();
        CullMode = NONE;
        ZEnable = TRUE;
        ZWriteEnable = TRUE;
        ZFunc = LESS;
    }
}

technique DepthIgnored
{
    pass P0
    {
        VertexShader = compile vs_2_0 PlainVS();
        PixelShader = compile ps_2_0 ColorPS();
        CullMode = NONE;
        ZEnable = FALSE;
    }
}
