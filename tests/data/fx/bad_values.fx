// An initial value one component short, and a pixel shader writing a
// texture coordinate instead of a colour.
float3 LightDir = {0.0, -1.0};

float4 VS(float4 position : POSITION) : POSITION
{
    return position + LightDir.xyzz;
}

float4 PS(float4 color : COLOR0) : TEXCOORD0
{
    return color;
}

technique T
{
    pass P
    {
        VertexShader = compile vs_2_0 VS();
        PixelShader = compile ps_2_0 PS();
    }
}
