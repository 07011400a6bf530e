#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/fx/compiled_effect.h"
#include "platform/fx/hlsl_compiler.h"

// Turns one compiled entry point into GLSL 330 for the OpenGL device and
// reports what the runtime must know about it. Inputs and outputs are named
// after their HLSL semantics, so that a vertex output and a pixel input with
// the same semantic meet under the same name, as they do in Direct3D 9.
namespace fx {

// The GLSL uniform block that holds every global of an effect.
inline constexpr const char* kUniformBlockName = "fx_Globals";

struct GlslOptions {
  // For devices without clip control: z from Direct3D's [0, 1] to GL's
  // [-1, 1], and y flipped.
  bool fixup_clip_space = false;
  bool flip_vertex_y = false;
  // When set, vertex shaders add this vec2 uniform times w to the clip
  // position: the runtime's shift between Direct3D 9 and GL pixel centres.
  std::string position_offset_uniform;
};

struct SamplerUse {
  std::string hlsl_name;
  std::string uniform;  // GLSL name
};

struct StageGlsl {
  std::string glsl;
  std::vector<VertexInput> inputs;  // vertex stage only
  std::vector<SamplerUse> samplers;
  bool has_uniform_block = false;
  uint32_t uniform_block_size = 0;
  std::vector<EffectParameter> block_members;  // offsets within the block
};

// Upper-case semantic name without its index, and the index ("texcoord1" ->
// "TEXCOORD", 1; "COLOR" -> "COLOR", 0).
void split_semantic(const std::string& semantic, std::string& name, uint32_t& index);

// False with a message in error when the shader uses something the GL side
// cannot express (separate texture objects, cbuffers, unknown outputs).
bool translate_to_glsl(std::vector<uint32_t> spirv, ShaderStage stage, const GlslOptions& options,
                       StageGlsl& out, std::string& error);

}  // namespace fx
