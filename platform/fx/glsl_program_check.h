#pragma once
#include <string>

// Checks a vertex and fragment GLSL pair the way an OpenGL 3.3 core driver
// would, without one: both compile and link with glslang's GLSL front end,
// and every fragment input meets a vertex output of the same name, type and
// interpolation.
namespace fx {

bool check_glsl_program(const std::string& vertex_glsl, const std::string& fragment_glsl,
                        std::string& log);

}  // namespace fx
