#pragma once
#include "platform/d3d9_types.h"

// Small pure translations of Direct3D values that every backend needs.

// Vertices read by a draw of that many primitives; 0 for an unknown type.
UINT VertexCountForPrimitives(D3DPRIMITIVETYPE type, UINT primitiveCount);

// Bytes per vertex that a flexible vertex format describes (position, blend
// weights, normal, point size, colours, texture sets with their sizes).
UINT VertexSizeOfFVF(DWORD fvf);

// Levels of a full mip chain down to 1 x 1.
UINT FullMipChainLength(UINT width, UINT height);
