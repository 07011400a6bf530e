#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/d3d9_constants.h"

// What an effect file compiles to: plain data, no graphics object. The
// effect runtime on the device builds its programs, uniform buffer and
// sampler objects from this.
namespace fx {

enum class ValueType : uint8_t { Float, Int, UInt, Bool, Struct };

// MatrixRows stores each HLSL row contiguously (row_major), MatrixColumns each
// HLSL column (column_major, HLSL's default).
enum class ValueClass : uint8_t { Scalar, Vector, MatrixRows, MatrixColumns, Struct };

// One global of the effect inside the uniform block. rows and columns are
// HLSL's: a float4x3 has 4 rows and 3 columns; a vector has 1 row.
struct EffectParameter {
  std::string name;  // struct members appear as "outer.member"
  std::string semantic;
  ValueType type = ValueType::Float;
  ValueClass value_class = ValueClass::Scalar;
  uint32_t rows = 1;
  uint32_t columns = 1;
  uint32_t elements = 0;  // array length; 0 = not an array
  uint32_t offset = 0;    // bytes from the start of the block
  uint32_t size = 0;      // bytes the parameter spans in the block
  uint32_t array_stride = 0;
  uint32_t matrix_stride = 0;  // between stored rows (MatrixRows) or columns (MatrixColumns)
};

// A state the effect names that this system does not know, or a known state
// written with an index; kept so the runtime can report and skip it.
struct IgnoredState {
  std::string name;   // as written, with its index ("Texture[0]")
  std::string value;  // the value's text
  std::string where;  // "file(line)"
};

struct EffectTexture {
  std::string name;
  std::string type;  // as declared: "texture", "texture2D", "textureCUBE", ...
};

// A sampler with its sampler_state, as Direct3D 9 sampler-state values.
// Unset states keep Direct3D 9's defaults.
struct EffectSampler {
  std::string name;
  std::string type;     // as declared: "sampler", "sampler2D", "samplerCUBE", ...
  std::string texture;  // the texture parameter it samples; empty = none
  uint32_t min_filter = D3DTEXF_POINT;
  uint32_t mag_filter = D3DTEXF_POINT;
  uint32_t mip_filter = D3DTEXF_NONE;
  uint32_t address_u = D3DTADDRESS_WRAP;
  uint32_t address_v = D3DTADDRESS_WRAP;
  uint32_t address_w = D3DTADDRESS_WRAP;
  uint32_t border_color = 0;  // D3DCOLOR, ARGB
  uint32_t max_anisotropy = 1;
  uint32_t max_mip_level = 0;
  float mip_lod_bias = 0.0f;
  uint32_t srgb_texture = 0;
  std::vector<IgnoredState> ignored_states;
};

// A render state of a pass: the D3DRENDERSTATETYPE number and its value as
// Direct3D takes it (floats as their bit pattern).
struct RenderStateSetting {
  uint32_t state = 0;
  std::string name;  // canonical spelling, e.g. "CullMode"
  uint32_t value = 0;
};

// A vertex-shader input: the GLSL attribute and the HLSL semantic it came from.
struct VertexInput {
  std::string attribute;
  std::string semantic;  // upper case, without index: "POSITION", "TEXCOORD"
  uint32_t semantic_index = 0;
  uint32_t location = 0;  // set in the GLSL with layout(location)
  uint32_t components = 4;
  ValueType type = ValueType::Float;
};

// A sampler uniform of a pass's program and the texture unit it must be given.
struct SamplerBinding {
  std::string uniform;   // GLSL name
  uint32_t sampler = 0;  // index into CompiledEffect::samplers
  uint32_t unit = 0;
};

struct ShaderStageSource {
  std::string profile;   // "vs_2_0", "ps_3_0", ...; empty = no shader given
  std::string function;  // the HLSL function named in the pass
  std::string glsl;      // GLSL 330 source; empty = no shader
};

struct EffectPass {
  std::string name;
  ShaderStageSource vertex;
  ShaderStageSource pixel;
  std::vector<VertexInput> vertex_inputs;
  std::vector<SamplerBinding> samplers;
  std::vector<RenderStateSetting> render_states;
  std::vector<IgnoredState> ignored_states;

  // A pass without both shaders would need fixed-function drawing, which the
  // effect runtime does not offer: such a technique is not valid.
  bool has_program() const { return !vertex.glsl.empty() && !pixel.glsl.empty(); }
};

struct EffectTechnique {
  std::string name;
  std::vector<EffectPass> passes;
};

struct CompiledEffect {
  std::string path;
  std::vector<EffectTexture> textures;
  std::vector<EffectSampler> samplers;
  std::vector<EffectParameter> parameters;
  // The GLSL uniform block every program declares for the globals (std140
  // layout, bound by name); empty when the effect has no globals.
  std::string uniform_block;
  uint32_t uniform_block_size = 0;
  // uniform_block_size bytes: the declared initial values in place, zero elsewhere.
  std::vector<uint8_t> initial_values;
  std::vector<EffectTechnique> techniques;

  const EffectParameter* find_parameter(std::string_view name) const;
  // Index into samplers, or -1.
  int find_sampler(std::string_view name) const;
  int find_texture(std::string_view name) const;
};

}  // namespace fx
