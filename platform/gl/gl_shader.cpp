#include "platform/gl/gl_shader.h"

#include <vector>

#include "platform/gl/gl_names.h"

const char kGlPositionFixupGlsl[] = R"(
uniform vec2 mv_pixelShift;
uniform float mv_flipY;
vec4 mv_fix_position(vec4 clip) {
  clip.xy += mv_pixelShift * clip.w;
  if (mv_flipY != 0.0) {
    clip.y = -clip.y;
    clip.z = 2.0 * clip.z - clip.w;
  }
  return clip;
}
)";

GlPositionFixup gl_find_position_fixup(GLuint program) {
  GlPositionFixup fixup;
  fixup.pixelShift = glGetUniformLocation(program, "mv_pixelShift");
  fixup.flipY = glGetUniformLocation(program, "mv_flipY");
  return fixup;
}

void gl_set_position_fixup(const GlPositionFixup& fixup, float viewportWidth,
                           float viewportHeight, bool flipY) {
  // Half a pixel right and down (Direct3D's y points down the image, its
  // clip-space y up), less 1/64: an edge on a Direct3D pixel centre then
  // lies just above or left of GL's sample, so the pixel is covered exactly
  // when Direct3D's top-left rule covers it, whatever GL's tie rule.
  const float pixels = 0.5f - 1.0f / 64.0f;
  const float shiftX = viewportWidth > 0.0f ? 2.0f * pixels / viewportWidth : 0.0f;
  const float shiftY = viewportHeight > 0.0f ? -2.0f * pixels / viewportHeight : 0.0f;
  if (fixup.pixelShift >= 0) glUniform2f(fixup.pixelShift, shiftX, shiftY);
  if (fixup.flipY >= 0) glUniform1f(fixup.flipY, flipY ? 1.0f : 0.0f);
}

namespace {

std::string InfoLog(GLuint object, bool program) {
  GLint length = 0;
  if (program) {
    glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
  } else {
    glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
  }
  if (length <= 0) return {};
  std::vector<char> text(size_t(length) + 1, '\0');
  if (program) {
    glGetProgramInfoLog(object, length, nullptr, text.data());
  } else {
    glGetShaderInfoLog(object, length, nullptr, text.data());
  }
  return text.data();
}

GLuint Compile(GLenum stage, const char* source, std::string* messages) {
  GLuint shader = gl_make_shader(stage);
  if (shader == 0) return 0;
  glShaderSource(shader, 1, &source, nullptr);
  glCompileShader(shader);
  GLint compiled = GL_FALSE;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
  if (compiled != GL_TRUE) {
    if (messages != nullptr) *messages += InfoLog(shader, false);
    gl_delete_name(GlNameKind::Shader, shader);
  }
  return shader;
}

}  // namespace

GLuint gl_build_program(const char* vertexSource, const char* fragmentSource,
                        std::string* messages) {
  GLuint vertex = Compile(GL_VERTEX_SHADER, vertexSource, messages);
  GLuint fragment = Compile(GL_FRAGMENT_SHADER, fragmentSource, messages);
  GLuint program = 0;
  if (vertex != 0 && fragment != 0) {
    program = gl_make_program();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    glDetachShader(program, vertex);
    glDetachShader(program, fragment);
    if (linked != GL_TRUE) {
      if (messages != nullptr) *messages += InfoLog(program, true);
      gl_delete_name(GlNameKind::Program, program);
    }
  }
  gl_delete_name(GlNameKind::Shader, vertex);
  gl_delete_name(GlNameKind::Shader, fragment);
  return program;
}

void gl_delete_program(GLuint& program) { gl_delete_name(GlNameKind::Program, program); }
