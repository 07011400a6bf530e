#include "platform/gl/gl_enums.h"

bool gl_primitive_mode(D3DPRIMITIVETYPE type, GLenum* mode) {
  switch (type) {
    case D3DPT_POINTLIST: *mode = GL_POINTS; return true;
    case D3DPT_LINELIST: *mode = GL_LINES; return true;
    case D3DPT_LINESTRIP: *mode = GL_LINE_STRIP; return true;
    case D3DPT_TRIANGLELIST: *mode = GL_TRIANGLES; return true;
    case D3DPT_TRIANGLESTRIP: *mode = GL_TRIANGLE_STRIP; return true;
    case D3DPT_TRIANGLEFAN: *mode = GL_TRIANGLE_FAN; return true;
  }
  return false;
}

GLenum gl_compare_func(DWORD d3dCompare) {
  switch (d3dCompare) {
    case D3DCMP_NEVER: return GL_NEVER;
    case D3DCMP_LESS: return GL_LESS;
    case D3DCMP_EQUAL: return GL_EQUAL;
    case D3DCMP_LESSEQUAL: return GL_LEQUAL;
    case D3DCMP_GREATER: return GL_GREATER;
    case D3DCMP_NOTEQUAL: return GL_NOTEQUAL;
    case D3DCMP_GREATEREQUAL: return GL_GEQUAL;
    default: return GL_ALWAYS;
  }
}

GLenum gl_blend_factor(DWORD d3dBlend) {
  switch (d3dBlend) {
    case D3DBLEND_ZERO: return GL_ZERO;
    case D3DBLEND_ONE: return GL_ONE;
    case D3DBLEND_SRCCOLOR: return GL_SRC_COLOR;
    case D3DBLEND_INVSRCCOLOR: return GL_ONE_MINUS_SRC_COLOR;
    case D3DBLEND_SRCALPHA: return GL_SRC_ALPHA;
    case D3DBLEND_INVSRCALPHA: return GL_ONE_MINUS_SRC_ALPHA;
    case D3DBLEND_DESTALPHA: return GL_DST_ALPHA;
    case D3DBLEND_INVDESTALPHA: return GL_ONE_MINUS_DST_ALPHA;
    case D3DBLEND_DESTCOLOR: return GL_DST_COLOR;
    case D3DBLEND_INVDESTCOLOR: return GL_ONE_MINUS_DST_COLOR;
    case D3DBLEND_SRCALPHASAT: return GL_SRC_ALPHA_SATURATE;
    case D3DBLEND_BLENDFACTOR: return GL_CONSTANT_COLOR;
    case D3DBLEND_INVBLENDFACTOR: return GL_ONE_MINUS_CONSTANT_COLOR;
    default: return GL_ONE;
  }
}

GLenum gl_blend_equation(DWORD d3dBlendOp) {
  switch (d3dBlendOp) {
    case D3DBLENDOP_SUBTRACT: return GL_FUNC_SUBTRACT;
    case D3DBLENDOP_REVSUBTRACT: return GL_FUNC_REVERSE_SUBTRACT;
    case D3DBLENDOP_MIN: return GL_MIN;
    case D3DBLENDOP_MAX: return GL_MAX;
    default: return GL_FUNC_ADD;
  }
}

GLenum gl_stencil_op(DWORD d3dStencilOp) {
  switch (d3dStencilOp) {
    case D3DSTENCILOP_ZERO: return GL_ZERO;
    case D3DSTENCILOP_REPLACE: return GL_REPLACE;
    case D3DSTENCILOP_INCRSAT: return GL_INCR;
    case D3DSTENCILOP_DECRSAT: return GL_DECR;
    case D3DSTENCILOP_INVERT: return GL_INVERT;
    case D3DSTENCILOP_INCR: return GL_INCR_WRAP;
    case D3DSTENCILOP_DECR: return GL_DECR_WRAP;
    default: return GL_KEEP;
  }
}

GLenum gl_polygon_mode(DWORD d3dFillMode) {
  switch (d3dFillMode) {
    case D3DFILL_POINT: return GL_POINT;
    case D3DFILL_WIREFRAME: return GL_LINE;
    default: return GL_FILL;
  }
}

GlCull gl_cull(DWORD d3dCullMode) {
  switch (d3dCullMode) {
    case D3DCULL_CW: return {true, GL_FRONT};
    case D3DCULL_CCW: return {true, GL_BACK};
    default: return {false, GL_BACK};
  }
}

GLenum gl_front_face(bool clipControl) { return clipControl ? GL_CW : GL_CCW; }

GLint gl_address_mode(DWORD d3dAddress) {
  switch (d3dAddress) {
    case D3DTADDRESS_MIRROR: return GL_MIRRORED_REPEAT;
    case D3DTADDRESS_CLAMP: return GL_CLAMP_TO_EDGE;
    case D3DTADDRESS_BORDER: return GL_CLAMP_TO_BORDER;
    // Mirror once is GL 4.4; a clamp is its nearest GL 3.3 relative.
    case D3DTADDRESS_MIRRORONCE: return GL_CLAMP_TO_EDGE;
    default: return GL_REPEAT;
  }
}

GLint gl_mag_filter(DWORD d3dMagFilter) {
  return d3dMagFilter == D3DTEXF_POINT || d3dMagFilter == D3DTEXF_NONE ? GL_NEAREST : GL_LINEAR;
}

GLint gl_min_filter(DWORD d3dMinFilter, DWORD d3dMipFilter) {
  const bool nearest = d3dMinFilter == D3DTEXF_POINT || d3dMinFilter == D3DTEXF_NONE;
  switch (d3dMipFilter) {
    case D3DTEXF_POINT: return nearest ? GL_NEAREST_MIPMAP_NEAREST : GL_LINEAR_MIPMAP_NEAREST;
    case D3DTEXF_NONE: return nearest ? GL_NEAREST : GL_LINEAR;
    default: return nearest ? GL_NEAREST_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_LINEAR;
  }
}

bool gl_texture_format(D3DFORMAT format, GlTextureFormat* out) {
  GlTextureFormat f;
  switch (format) {
    // Direct3D's ARGB words are B, G, R, A bytes in memory.
    case D3DFMT_A8R8G8B8:
      f = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, 4, true};
      break;
    case D3DFMT_X8R8G8B8:
      f = {GL_RGBA8, GL_BGRA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}, 4, true};
      break;
    case D3DFMT_A8B8G8R8:
      f = {GL_RGBA8, GL_RGBA, GL_UNSIGNED_BYTE, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, 4, true};
      break;
    case D3DFMT_R5G6B5:
      f = {GL_RGB565, GL_RGB, GL_UNSIGNED_SHORT_5_6_5, {GL_RED, GL_GREEN, GL_BLUE, GL_ONE}, 2,
           true};
      break;
    case D3DFMT_A8:
      f = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_ZERO, GL_ZERO, GL_ZERO, GL_RED}, 1, true};
      break;
    case D3DFMT_L8:
      f = {GL_R8, GL_RED, GL_UNSIGNED_BYTE, {GL_RED, GL_RED, GL_RED, GL_ONE}, 1, true};
      break;
    // Direct3D samples the one- and two-channel float formats with 1 in the
    // missing channels.
    case D3DFMT_R16F:
      f = {GL_R16F, GL_RED, GL_HALF_FLOAT, {GL_RED, GL_ONE, GL_ONE, GL_ONE}, 2, true};
      break;
    case D3DFMT_R32F:
      f = {GL_R32F, GL_RED, GL_FLOAT, {GL_RED, GL_ONE, GL_ONE, GL_ONE}, 4, true};
      break;
    case D3DFMT_G16R16F:
      f = {GL_RG16F, GL_RG, GL_HALF_FLOAT, {GL_RED, GL_GREEN, GL_ONE, GL_ONE}, 4, true};
      break;
    case D3DFMT_G32R32F:
      f = {GL_RG32F, GL_RG, GL_FLOAT, {GL_RED, GL_GREEN, GL_ONE, GL_ONE}, 8, true};
      break;
    case D3DFMT_A16B16G16R16F:
      f = {GL_RGBA16F, GL_RGBA, GL_HALF_FLOAT, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, 8, true};
      break;
    case D3DFMT_A32B32G32R32F:
      f = {GL_RGBA32F, GL_RGBA, GL_FLOAT, {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA}, 16, true};
      break;
    default: return false;
  }
  *out = f;
  return true;
}
