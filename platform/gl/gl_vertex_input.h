#pragma once
#include <epoxy/gl.h>

#include <cstdint>

#include "platform/fvf_layout.h"

// One vertex input of a GL program, named by its HLSL semantic.
struct GlInputLocation {
  VertexSemantic semantic = VertexSemantic::Position;
  uint8_t index = 0;
  GLint location = -1;
  bool integer = false;  // declared as an integer vector in the shader
};

inline constexpr GLuint kGlVertexAttribSlots = 16;

// Points each input at the element of the same semantic in the vertex stream
// `buffer` (stride bytes per vertex, the first vertex at `offset`) and gives
// every input the stream lacks the constant (0, 0, 0, 1), as Direct3D does.
// Needs the vertex array object to be bound; leaves `buffer` bound as the
// array buffer.
void gl_bind_vertex_inputs(const FvfLayout& layout, GLuint buffer, uintptr_t offset, GLsizei stride,
                           const GlInputLocation* inputs, int inputCount);
