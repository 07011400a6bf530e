#pragma once
#include <string>

#include "platform/fx/effect_parser.h"

// "compile vs_2_0 VS(2)" binds literal values to VS's uniform parameters.
// Compilers take an entry point without such parameters, so a small
// function that takes only the varying parameters calls VS with the values.
namespace fx {

bool has_uniform_parameters(const ParsedFunction& function);

// The wrapper's source, placed after everything else; a #line directive
// makes messages about it point at the pass that asked for it.
bool make_entry_wrapper(const ParsedFunction& function, const ShaderRequest& request,
                        const std::string& wrapper_name, std::string& code, std::string& error);

}  // namespace fx
