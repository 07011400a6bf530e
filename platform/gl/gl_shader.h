#pragma once
#include <string>

#include <epoxy/gl.h>

// Compiling GLSL programs, and the position fix-up that every vertex shader
// of this backend ends with, so that Direct3D clip-space positions land on
// the pixels Direct3D 9 would cover.

// GLSL (version 330) defining `vec4 mv_fix_position(vec4 clip)`, to be placed
// after the #version line of a vertex shader and applied to the position
// that shader would give Direct3D: it moves the position by about half a
// pixel (Direct3D 9 pixel centres lie on integer coordinates, GL's at +0.5;
// see gl_set_position_fixup) and,
// when the context lacks clip control, flips y and maps z from 0..1 to
// -1..1.
extern const char kGlPositionFixupGlsl[];

// Uniform locations of the fix-up in one linked program (-1 when unused).
struct GlPositionFixup {
  GLint pixelShift = -1;
  GLint flipY = -1;
};
GlPositionFixup gl_find_position_fixup(GLuint program);
// Sets the fix-up for a viewport of that many pixels; the program must be
// in use.
void gl_set_position_fixup(const GlPositionFixup& fixup, float viewportWidth,
                           float viewportHeight, bool flipY);

// Links a program from vertex and fragment source; 0 on failure, with the
// compiler's or linker's messages in *messages when given.
GLuint gl_build_program(const char* vertexSource, const char* fragmentSource,
                        std::string* messages = nullptr);
// Deletes a program made by gl_build_program and zeroes the name.
void gl_delete_program(GLuint& program);
