float4 Scaled(float4 color : COLOR0, uniform float scale) : COLOR
{
    return color * scale;
}

technique MissingEntry
{
    pass P { PixelShader = compile ps_2_0 NoSuchFunction(); }
}

technique TooManyArguments
{
    pass P { PixelShader = compile ps_2_0 Scaled(1, 2); }
}
