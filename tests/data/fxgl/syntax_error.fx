// Line 6 lacks its semicolon; the compiler finds out on line 7.
float4 Tint;

float4 PS(float2 uv : TEXCOORD0) : COLOR
{
    float4 color = Tint * uv.x
    return color;
}

technique T { pass P { PixelShader = compile ps_2_0 PS(); } }
