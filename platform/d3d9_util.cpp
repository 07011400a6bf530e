#include "platform/d3d9_util.h"

#include <bit>

UINT VertexCountForPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount) {
  if (primitiveCount == 0) return 0;
  switch (type) {
    case D3DPT_POINTLIST:
      return primitiveCount;
    case D3DPT_LINELIST:
      return primitiveCount * 2;
    case D3DPT_LINESTRIP:
      return primitiveCount + 1;
    case D3DPT_TRIANGLELIST:
      return primitiveCount * 3;
    case D3DPT_TRIANGLESTRIP:
    case D3DPT_TRIANGLEFAN:
      return primitiveCount + 2;
  }
  return 0;
}

UINT FullMipChainLength(UINT width, UINT height) {
  UINT largest = width > height ? width : height;
  UINT levels = 1;
  while (largest > 1) {
    largest >>= 1;
    ++levels;
  }
  return levels;
}

std::vector<DefaultRenderState> DefaultRenderStates(bool autoDepthStencil) {
  const auto floatBits = [](float value) { return std::bit_cast<DWORD>(value); };
  return {
      {D3DRS_ZENABLE, autoDepthStencil ? DWORD(D3DZB_TRUE) : DWORD(D3DZB_FALSE)},
      {D3DRS_FILLMODE, D3DFILL_SOLID},
      {D3DRS_SHADEMODE, D3DSHADE_GOURAUD},
      {D3DRS_ZWRITEENABLE, 1},
      {D3DRS_LASTPIXEL, 1},
      {D3DRS_SRCBLEND, D3DBLEND_ONE},
      {D3DRS_DESTBLEND, D3DBLEND_ZERO},
      {D3DRS_CULLMODE, D3DCULL_CCW},
      {D3DRS_ZFUNC, D3DCMP_LESSEQUAL},
      {D3DRS_ALPHAFUNC, D3DCMP_ALWAYS},
      {D3DRS_CLIPPING, 1},
      {D3DRS_LIGHTING, 1},
      {D3DRS_COLORVERTEX, 1},
      {D3DRS_LOCALVIEWER, 1},
      {D3DRS_POINTSIZE, floatBits(1.0f)},
      {D3DRS_POINTSIZE_MIN, floatBits(1.0f)},
      {D3DRS_POINTSIZE_MAX, floatBits(64.0f)},
      {D3DRS_POINTSCALE_A, floatBits(1.0f)},
      {D3DRS_POINTSCALE_B, floatBits(0.0f)},
      {D3DRS_POINTSCALE_C, floatBits(0.0f)},
      {D3DRS_MULTISAMPLEANTIALIAS, 1},
      {D3DRS_MULTISAMPLEMASK, 0xFFFFFFFF},
      {D3DRS_STENCILFUNC, D3DCMP_ALWAYS},
      {D3DRS_STENCILFAIL, D3DSTENCILOP_KEEP},
      {D3DRS_STENCILZFAIL, D3DSTENCILOP_KEEP},
      {D3DRS_STENCILPASS, D3DSTENCILOP_KEEP},
      {D3DRS_STENCILMASK, 0xFFFFFFFF},
      {D3DRS_STENCILWRITEMASK, 0xFFFFFFFF},
      {D3DRS_CCW_STENCILFUNC, D3DCMP_ALWAYS},
      {D3DRS_CCW_STENCILFAIL, D3DSTENCILOP_KEEP},
      {D3DRS_CCW_STENCILZFAIL, D3DSTENCILOP_KEEP},
      {D3DRS_CCW_STENCILPASS, D3DSTENCILOP_KEEP},
      {D3DRS_COLORWRITEENABLE, 0xF},
      {D3DRS_BLENDOP, D3DBLENDOP_ADD},
      {D3DRS_BLENDFACTOR, 0xFFFFFFFF},
      {D3DRS_SRCBLENDALPHA, D3DBLEND_ONE},
      {D3DRS_DESTBLENDALPHA, D3DBLEND_ZERO},
      {D3DRS_BLENDOPALPHA, D3DBLENDOP_ADD},
  };
}
