#pragma once
#include <vector>

#include "platform/d3d9_types.h"

// Small pure translations of Direct3D values that every backend needs.

// Vertices read by a draw of that many primitives; 0 for an unknown type.
UINT VertexCountForPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount);

// Levels of a full mip chain down to 1 x 1.
UINT FullMipChainLength(UINT width, UINT height);

// One render state and its value.
struct DefaultRenderState {
  D3DRENDERSTATETYPE state;
  DWORD value;
};

// The render states a new (or reset) Direct3D 9 device starts with, for every
// backend; Z testing is on only with an automatic depth-stencil buffer.
std::vector<DefaultRenderState> DefaultRenderStates(bool autoDepthStencil);
