#pragma once
#include "platform/win_types.h"

// Every limit of this implementation's devices, whichever backend runs them.
// A call naming a slot at or past one of these counts returns
// D3DERR_INVALIDCALL.

inline constexpr DWORD kMaxTextureStages = 8;
inline constexpr DWORD kMaxSamplers = 16;
inline constexpr DWORD kMaxStreams = 16;
inline constexpr DWORD kMaxRenderTargets = 1;

// One past the largest D3DRENDERSTATETYPE, D3DTEXTURESTAGESTATETYPE and
// D3DSAMPLERSTATETYPE value Direct3D 9 defines.
inline constexpr DWORD kRenderStateCount = 256;
inline constexpr DWORD kStageStateCount = 33;
inline constexpr DWORD kSamplerStateCount = 14;

// Texture coordinate sets a flexible vertex format can describe, and the
// elements one decoded vertex can hold (position, weights, indices, normal,
// point size, two colours and eight sets).
inline constexpr DWORD kMaxTextureSets = 8;
inline constexpr int kMaxVertexElements = 16;
