#pragma once
#include "platform/d3dx9.h"

// D3DXCreateTextureFromFileExA on a GL device: decodes the file, scales it
// to the requested size (0 or D3DX_DEFAULT keep the file's), builds the mip
// chain and makes the texture in the requested pool. A default- or
// managed-pool texture that GL cannot hold (larger than its limit) fails
// with D3DERR_OUTOFVIDEOMEMORY; the system-memory pool takes any size. A
// file that cannot be read fails with D3DERR_NOTFOUND, one that does not
// decode with D3DXERR_INVALIDDATA.
HRESULT gl_create_texture_from_file(IDirect3DDevice9* device, LPCSTR file, UINT width,
                                    UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                    D3DPOOL pool, DWORD filter, DWORD mipFilter,
                                    D3DCOLOR colorKey, D3DXIMAGE_INFO* sourceInfo,
                                    PALETTEENTRY* palette, IDirect3DTexture9** texture);
