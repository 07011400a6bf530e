#pragma once
#include <epoxy/gl.h>

// Every GL object of this backend is made and deleted through these, so the
// backend can tell how many of each kind are alive (tests check that released
// resources leave nothing behind). The calls need a current context.

enum class GlNameKind { Texture, Buffer, Framebuffer, Renderbuffer, VertexArray, Sampler, Program, Shader };
inline constexpr int kGlNameKindCount = 8;

struct GlLiveNames {
  long counts[kGlNameKindCount] = {};
  long Of(GlNameKind kind) const { return counts[static_cast<int>(kind)]; }
  long Total() const;
};

// Live objects of every kind made by this process's GL devices.
GlLiveNames gl_live_names();

GLuint gl_make_name(GlNameKind kind);
// Deletes a name made by gl_make_name and zeroes it; 0 is ignored.
void gl_delete_name(GlNameKind kind, GLuint& name);
// Programs and shaders come from their own creation calls.
GLuint gl_make_shader(GLenum stage);
GLuint gl_make_program();
