#pragma once
#include <string>

#include "platform/fx/hlsl_compiler.h"

// Direct3D 9 lets a vertex shader write float4 to TEXCOORD0 and the pixel
// shader read float2 from it; GLSL links only equal types. Every varying of
// the translated GLSL therefore travels as a 4-component vector (missing
// components 0, w 1) and is narrowed to the type each shader declared.
namespace fx {

// Rewrites the varying declarations ("out vec2 fx_v_TEXCOORD0;") and wraps
// main() with the copies; a non-empty position_offset_uniform also adds
// that vec2 uniform times w to gl_Position after everything else.
void finish_glsl_interface(std::string& glsl, ShaderStage stage,
                           const std::string& position_offset_uniform);

}  // namespace fx
