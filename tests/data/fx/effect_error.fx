float4 PS(float4 color : COLOR0) : COLOR
{
    return color;
}

technique T
{
    pass P
    {
        PixelShader = compile ps_2_0 PS();
        DestBlend = WIREFRAME;
    }
}
