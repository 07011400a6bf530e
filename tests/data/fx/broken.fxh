float4 Shade(float4 color)
{
    return color * UndeclaredScale;
}
