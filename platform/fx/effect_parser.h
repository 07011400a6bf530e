#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/fx/compiled_effect.h"

// Reads the effect syntax of preprocessed HLSL (textures, sampler_state,
// techniques and passes, annotations, initial values) and returns the
// remaining HLSL with that syntax replaced by blanks: every line keeps its
// number, so compiler messages point at the effect file's own lines.
namespace fx {

// "VertexShader = compile vs_2_0 F(args);" of a pass.
struct ShaderRequest {
  std::string profile;  // empty = no shader
  std::string function;
  std::vector<std::string> arguments;  // each argument's source text
  std::string file;
  uint32_t line = 0;
  std::string where() const { return file + "(" + std::to_string(line) + ")"; }
};

struct ParsedPass {
  std::string name;
  ShaderRequest vertex;
  ShaderRequest pixel;
  std::vector<RenderStateSetting> render_states;
  std::vector<IgnoredState> ignored_states;
};

struct ParsedTechnique {
  std::string name;
  std::vector<ParsedPass> passes;
};

struct FunctionParameter {
  std::string declaration;  // qualifiers, type, name, array and semantic; no default value
  std::string name;
  std::string default_value;  // empty = none
  bool is_uniform = false;
};

struct ParsedFunction {
  std::string name;
  std::string return_type;
  std::string return_semantic;  // e.g. ": COLOR0"; empty = none
  std::vector<FunctionParameter> parameters;
};

// A global that may be an effect parameter, with its declared initial value.
struct ParsedVariable {
  std::string name;
  std::string type;  // as declared: "float4x4", "bool", ...
  std::string semantic;
  std::string where;  // "file(line)" of its name
  // Flattened literal initial value (HLSL element order); empty when none was
  // given or it was not made of literals.
  std::vector<double> initial_values;
};

struct ParsedEffect {
  std::vector<EffectTexture> textures;
  std::vector<EffectSampler> samplers;
  std::vector<ParsedVariable> variables;
  std::vector<ParsedFunction> functions;
  std::vector<ParsedTechnique> techniques;
  std::string shader_source;  // the input with effect syntax blanked

  const ParsedFunction* find_function(const std::string& name, size_t argument_count) const;
  const ParsedVariable* find_variable(const std::string& name) const;
};

// Errors go to messages as "file(line): error: ..." lines; false when there was any.
bool parse_effect(const std::string& source, const std::string& source_name, ParsedEffect& effect,
                  std::string& messages);

}  // namespace fx
