#include "platform/gl/gl_vertex_input.h"

namespace {

void PointAt(const VertexElement& element, const GlInputLocation& input, uintptr_t offset,
             GLsizei stride) {
  const GLuint location = GLuint(input.location);
  const void* start = reinterpret_cast<const void*>(offset + element.offset);
  switch (element.type) {
    case VertexElementType::Float:
      glVertexAttribPointer(location, element.components, GL_FLOAT, GL_FALSE, stride, start);
      break;
    case VertexElementType::UByte4:
      if (input.integer) {
        glVertexAttribIPointer(location, 4, GL_UNSIGNED_BYTE, stride, start);
      } else {
        glVertexAttribPointer(location, 4, GL_UNSIGNED_BYTE, GL_FALSE, stride, start);
      }
      break;
    case VertexElementType::D3DColor:
      // GL_BGRA as the size reads the bytes B, G, R, A into r, g, b, a.
      glVertexAttribPointer(location, GL_BGRA, GL_UNSIGNED_BYTE, GL_TRUE, stride, start);
      break;
  }
  glEnableVertexAttribArray(location);
}

}  // namespace

void gl_bind_vertex_inputs(const FvfLayout& layout, GLuint buffer, uintptr_t offset, GLsizei stride,
                           const GlInputLocation* inputs, int inputCount) {
  for (GLuint slot = 0; slot < kGlVertexAttribSlots; ++slot) glDisableVertexAttribArray(slot);
  glBindBuffer(GL_ARRAY_BUFFER, buffer);
  for (int i = 0; i < inputCount; ++i) {
    const GlInputLocation& input = inputs[i];
    if (input.location < 0 || GLuint(input.location) >= kGlVertexAttribSlots) continue;
    const VertexElement* element = layout.Find(input.semantic, input.index);
    if (element != nullptr) {
      PointAt(*element, input, offset, stride);
    } else if (input.integer) {
      glVertexAttribI4i(GLuint(input.location), 0, 0, 0, 1);
    } else {
      glVertexAttrib4f(GLuint(input.location), 0.0f, 0.0f, 0.0f, 1.0f);
    }
  }
}
