#include "platform/gl/gl_names.h"

namespace {

GlLiveNames g_live;
uint64_t g_bindingEpoch = 0;

void Count(GlNameKind kind, long change) { g_live.counts[static_cast<int>(kind)] += change; }

}  // namespace

long GlLiveNames::Total() const {
  long total = 0;
  for (long count : counts) total += count;
  return total;
}

GlLiveNames gl_live_names() { return g_live; }

GLuint gl_make_name(GlNameKind kind) {
  GLuint name = 0;
  switch (kind) {
    case GlNameKind::Texture:
      glGenTextures(1, &name);
      break;
    case GlNameKind::Buffer:
      glGenBuffers(1, &name);
      break;
    case GlNameKind::Framebuffer:
      glGenFramebuffers(1, &name);
      break;
    case GlNameKind::Renderbuffer:
      glGenRenderbuffers(1, &name);
      break;
    case GlNameKind::VertexArray:
      glGenVertexArrays(1, &name);
      break;
    case GlNameKind::Sampler:
      glGenSamplers(1, &name);
      break;
    case GlNameKind::Program:
      name = glCreateProgram();
      break;
    case GlNameKind::Shader:
      break;  // needs a stage: gl_make_shader
  }
  if (name != 0) Count(kind, +1);
  return name;
}

GLuint gl_make_shader(GLenum stage) {
  const GLuint name = glCreateShader(stage);
  if (name != 0) Count(GlNameKind::Shader, +1);
  return name;
}

GLuint gl_make_program() { return gl_make_name(GlNameKind::Program); }

void gl_delete_name(GlNameKind kind, GLuint& name) {
  if (name == 0) return;
  switch (kind) {
    case GlNameKind::Texture:
      glDeleteTextures(1, &name);
      break;
    case GlNameKind::Buffer:
      glDeleteBuffers(1, &name);
      break;
    case GlNameKind::Framebuffer:
      glDeleteFramebuffers(1, &name);
      break;
    case GlNameKind::Renderbuffer:
      glDeleteRenderbuffers(1, &name);
      break;
    case GlNameKind::VertexArray:
      glDeleteVertexArrays(1, &name);
      break;
    case GlNameKind::Sampler:
      glDeleteSamplers(1, &name);
      break;
    case GlNameKind::Program:
      glDeleteProgram(name);
      break;
    case GlNameKind::Shader:
      glDeleteShader(name);
      break;
  }
  Count(kind, -1);
  gl_disturb_bindings();
  name = 0;
}

uint64_t gl_binding_epoch() { return g_bindingEpoch; }

void gl_disturb_bindings() { ++g_bindingEpoch; }
