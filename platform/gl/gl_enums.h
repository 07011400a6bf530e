#pragma once
#include <epoxy/gl.h>

#include "platform/d3d9_types.h"

// Direct3D 9 values to their OpenGL counterparts. Each is a switch with a
// safe default for values a real device would refuse, so a stray state never
// reaches GL as an invalid enum.

// False for an unknown primitive type (the draw is refused).
bool gl_primitive_mode(D3DPRIMITIVETYPE type, GLenum* mode);

GLenum gl_compare_func(DWORD d3dCompare);   // unknown: GL_ALWAYS
GLenum gl_blend_factor(DWORD d3dBlend);     // unknown: GL_ONE
GLenum gl_blend_equation(DWORD d3dBlendOp); // unknown: GL_FUNC_ADD
GLenum gl_stencil_op(DWORD d3dStencilOp);   // unknown: GL_KEEP
GLenum gl_polygon_mode(DWORD d3dFillMode);  // unknown: GL_FILL

// Which GL faces to cull for a Direct3D cull mode, with GL's front face set
// to Direct3D's front face, the triangles that are clockwise on screen (see
// gl_front_face).
struct GlCull {
  bool enabled = false;
  GLenum face = GL_BACK;
};
GlCull gl_cull(DWORD d3dCullMode);  // unknown: no culling

// The GL winding of Direct3D's clockwise triangles. Both ways of mapping
// Direct3D's clip space put its image the same way up in GL memory, but GL
// computes facing after the upper-left origin of clip control flips it.
GLenum gl_front_face(bool clipControl);

GLint gl_address_mode(DWORD d3dAddress);  // unknown: GL_REPEAT
GLint gl_mag_filter(DWORD d3dMagFilter);  // point: nearest; anything else: linear
// Minification with the mip filter folded in; D3DTEXF_NONE as mip filter
// samples level 0 only.
GLint gl_min_filter(DWORD d3dMinFilter, DWORD d3dMipFilter);

// How a Direct3D texture format is stored and sampled in GL.
struct GlTextureFormat {
  GLint internalFormat = 0;
  GLenum format = 0;  // of uploads and read-backs
  GLenum type = 0;
  GLint swizzle[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
  UINT bytesPerTexel = 0;
  bool renderable = false;  // can be a render target
};
// False for formats this backend does not store.
bool gl_texture_format(D3DFORMAT format, GlTextureFormat* out);
