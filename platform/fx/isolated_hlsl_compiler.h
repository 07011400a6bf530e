#pragma once
#include <memory>

#include "platform/fx/hlsl_compiler.h"

namespace fx {

// How long one entry point may take to compile before it is given up.
constexpr int kCompileSecondsLimit = 60;

// Runs each entry-point compile of another compiler in a child process, so
// that a compiler crash or hang on a malformed effect becomes an error line
// ("file: error: the HLSL compiler crashed on this effect (signal 11)") instead of
// taking the viewer down. Preprocessing stays in this process.
std::unique_ptr<HlslCompiler> make_isolated_hlsl_compiler(std::unique_ptr<HlslCompiler> inner);

// The compiler the effect loader uses: glslang, isolated.
std::unique_ptr<HlslCompiler> make_effect_hlsl_compiler();

}  // namespace fx
