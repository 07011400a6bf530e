// The included helper names a global nobody declares.
#include "broken.fxh"

float4 PS(float4 color : COLOR0) : COLOR
{
    return Shade(color);
}

technique T { pass P { PixelShader = compile ps_2_0 PS(); } }
