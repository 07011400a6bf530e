#pragma once
#include <map>
#include <string>

#include "platform/fx/compiled_effect.h"
#include "platform/fx/effect_parser.h"
#include "platform/fx/spirv_to_glsl.h"

// Gathers the parsed effect and its translated entry points into the
// CompiledEffect the runtime reads: parameters and their initial values,
// and per pass the GLSL pair, vertex inputs and texture units.
namespace fx {

// How a pass's shader is found among the translated entry points.
std::string stage_key(ShaderStage stage, const ShaderRequest& request);

// Errors go to errors as "file(line): error: ..." lines.
bool assemble_effect(const ParsedEffect& parsed, const std::map<std::string, StageGlsl>& stages,
                     CompiledEffect& effect, std::string& errors);

}  // namespace fx
