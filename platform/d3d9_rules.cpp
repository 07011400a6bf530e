#include "platform/d3d9_rules.h"

#include "platform/d3d9_util.h"
#include "platform/fvf_layout.h"

HRESULT CheckClear(DWORD count, const D3DRECT* rects, DWORD flags, float z, bool hasDepthStencil) {
  if ((count > 0 && rects == nullptr) || flags == 0) return D3DERR_INVALIDCALL;
  const bool depthOrStencil = (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0;
  if (depthOrStencil && !hasDepthStencil) return D3DERR_INVALIDCALL;
  if ((flags & D3DCLEAR_ZBUFFER) && !(z >= 0.0f && z <= 1.0f)) return D3DERR_INVALIDCALL;
  return D3D_OK;
}

HRESULT CheckViewport(const D3DVIEWPORT9* viewport, const D3DSURFACE_DESC& target) {
  if (viewport == nullptr) return D3DERR_INVALIDCALL;
  const D3DVIEWPORT9& v = *viewport;
  // A rectangle without area is no region of the target.
  const bool inside = v.Width > 0 && v.Height > 0 && uint64_t(v.X) + v.Width <= target.Width &&
                      uint64_t(v.Y) + v.Height <= target.Height;
  const bool depthRange = v.MinZ >= 0.0f && v.MinZ <= 1.0f && v.MaxZ >= 0.0f && v.MaxZ <= 1.0f;
  return inside && depthRange ? D3D_OK : D3DERR_INVALIDCALL;
}

D3DVIEWPORT9 FullViewport(const D3DSURFACE_DESC& target) {
  return D3DVIEWPORT9{0, 0, target.Width, target.Height, 0.0f, 1.0f};
}

HRESULT CheckVertexBuffer(UINT length, DWORD fvf, D3DPOOL pool, const void* out,
                          const HANDLE* sharedHandle) {
  const bool tooShort = length == 0 || (fvf != 0 && length < DecodeFvf(fvf).size);
  if (out == nullptr || sharedHandle != nullptr || tooShort || pool == D3DPOOL_SCRATCH) {
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

HRESULT CheckIndexBuffer(UINT length, D3DFORMAT format, D3DPOOL pool, const void* out,
                         const HANDLE* sharedHandle) {
  const bool knownFormat = format == D3DFMT_INDEX16 || format == D3DFMT_INDEX32;
  if (out == nullptr || sharedHandle != nullptr || length == 0 || !knownFormat ||
      pool == D3DPOOL_SCRATCH) {
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

HRESULT CheckTexture(UINT width, UINT height, DWORD usage, D3DPOOL pool, bool formatSupported,
                     UINT maxSize, UINT* levels) {
  const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
  if (width == 0 || height == 0 || pool == D3DPOOL_SCRATCH ||
      (renderTarget && pool != D3DPOOL_DEFAULT)) {
    return D3DERR_INVALIDCALL;
  }
  const UINT chain = FullMipChainLength(width, height);
  if (*levels > chain) return D3DERR_INVALIDCALL;
  if (!formatSupported) return D3DERR_NOTAVAILABLE;
  const bool videoMemory = pool == D3DPOOL_DEFAULT || pool == D3DPOOL_MANAGED;
  if (videoMemory && (width > maxSize || height > maxSize)) return D3DERR_OUTOFVIDEOMEMORY;
  if (*levels == 0) *levels = chain;
  return D3D_OK;
}

D3DSURFACE_DESC MipLevelDesc(UINT width, UINT height, UINT level, D3DFORMAT format, DWORD usage,
                             D3DPOOL pool) {
  D3DSURFACE_DESC desc{};
  desc.Format = format;
  desc.Type = D3DRTYPE_SURFACE;
  desc.Usage = usage;
  desc.Pool = pool;
  desc.MultiSampleType = D3DMULTISAMPLE_NONE;
  const auto halved = [level](UINT size) {
    const UINT shifted = level < 32 ? size >> level : 0;
    return shifted > 0 ? shifted : 1u;
  };
  desc.Width = halved(width);
  desc.Height = halved(height);
  return desc;
}

HRESULT ResolveLockRange(UINT length, UINT offset, UINT size, const void* out, size_t* begin,
                         size_t* end) {
  if (out == nullptr || offset > length) return D3DERR_INVALIDCALL;
  if (size == 0) size = length - offset;
  if (uint64_t(offset) + size > length) return D3DERR_INVALIDCALL;
  *begin = offset;
  *end = size_t(offset) + size;
  return D3D_OK;
}

HRESULT CheckIndexedDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, UINT startIndex,
                         bool indicesBound, UINT indexCount, bool streamBound, UINT stride) {
  const UINT read = VertexCountForPrimitives(type, primitiveCount);
  if (read == 0 || !indicesBound || !streamBound || stride == 0 ||
      uint64_t(startIndex) + read > indexCount) {
    return D3DERR_INVALIDCALL;
  }
  return D3D_OK;
}

HRESULT CheckUserDraw(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                      UINT stride) {
  const UINT read = VertexCountForPrimitives(type, primitiveCount);
  return read == 0 || vertices == nullptr || stride == 0 ? D3DERR_INVALIDCALL : D3D_OK;
}

D3DSURFACE_DESC BackBufferDesc(const D3DPRESENT_PARAMETERS& parameters) {
  D3DSURFACE_DESC desc{};
  desc.Format = parameters.BackBufferFormat;
  desc.Type = D3DRTYPE_SURFACE;
  desc.Usage = D3DUSAGE_RENDERTARGET;
  desc.Pool = D3DPOOL_DEFAULT;
  desc.MultiSampleType = parameters.MultiSampleType;
  desc.MultiSampleQuality = parameters.MultiSampleQuality;
  desc.Width = parameters.BackBufferWidth;
  desc.Height = parameters.BackBufferHeight;
  return desc;
}
