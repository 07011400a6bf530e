#pragma once
#include <cstddef>

#include "platform/d3d9_types.h"

// The argument rules of the Direct3D 9 calls this system makes, shared by
// every backend so that they refuse the same calls: each returns D3D_OK when
// the call may go ahead and the result Direct3D gives otherwise.

// Clear: rectangles named but missing, no flags, a depth or stencil clear
// without a depth-stencil buffer, or a depth outside 0..1.
HRESULT CheckClear(DWORD count, const D3DRECT* rects, DWORD flags, float z, bool hasDepthStencil);

// SetViewport: a rectangle with an area that lies inside the target and a
// depth range inside 0..1.
HRESULT CheckViewport(const D3DVIEWPORT9* viewport, const D3DSURFACE_DESC& target);

// The viewport Direct3D sets with a new render target: the whole target.
D3DVIEWPORT9 FullViewport(const D3DSURFACE_DESC& target);

// CreateVertexBuffer / CreateIndexBuffer: an out pointer, no shared handle,
// a length of at least one vertex of the format (one byte without one), an
// index format of 16 or 32 bits and a pool other than scratch.
HRESULT CheckVertexBuffer(UINT length, DWORD fvf, D3DPOOL pool, const void* out,
                          const HANDLE* sharedHandle);
HRESULT CheckIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL pool, const void* out,
                         const HANDLE* sharedHandle);

// CreateTexture: D3DERR_INVALIDCALL for a zero size, the scratch pool, a
// render target outside the default pool or more levels than the full chain;
// D3DERR_NOTAVAILABLE for a format the backend cannot hold;
// D3DERR_OUTOFVIDEOMEMORY for a video-memory texture larger than maxSize.
// On success *levels is the level count (0 asks for the full chain).
HRESULT CheckTexture(UINT width, UINT height, DWORD usage, D3DPOOL pool, bool formatSupported,
                     UINT maxSize, UINT* levels);

// The description of one mip level of a texture: each level halves the one
// above it, down to 1.
D3DSURFACE_DESC MipLevelDesc(UINT width, UINT height, UINT level, D3DFORMAT format, DWORD usage,
                             D3DPOOL pool);

// Lock on a buffer of `length` bytes: size 0 locks from the offset to the
// end; a range reaching past the end (or a missing out pointer) is refused.
// On success *begin and *end bound the locked bytes.
HRESULT ResolveLockRange(UINT length, UINT offset, UINT size, const void* out, size_t* begin,
                         size_t* end);

// DrawIndexedPrimitive: a known primitive type with at least one primitive,
// indices bound with enough of them from startIndex on, and stream 0 bound
// with a stride.
HRESULT CheckIndexedDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT startIndex,
                         bool indicesBound, UINT indexCount, bool streamBound, UINT stride);

// DrawPrimitiveUP: a known primitive type with at least one primitive,
// vertex data and a stride.
HRESULT CheckUserDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                      UINT stride);

// The description of a device's back buffer.
D3DSURFACE_DESC BackBufferDesc(const D3DPRESENT_PARAMETERS& parameters);
