#pragma once
#include <epoxy/gl.h>

#include <cstdint>

// Every GL object of this backend is made and deleted through these, so the
// backend can tell how many of each kind are alive (tests check that released
// resources leave nothing behind). The calls need a current context.

enum class GlNameKind {
  Texture,
  Buffer,
  Framebuffer,
  Renderbuffer,
  VertexArray,
  Sampler,
  Program,
  Shader
};
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

// Moves whenever GL bindings may have changed behind a device's back: an
// object deleted (its name unbound, and free to come back as another
// object), a texture bound to fill it. A device that skips setting what it
// set before trusts its memory of GL state only while this stays put.
uint64_t gl_binding_epoch();
void gl_disturb_bindings();
