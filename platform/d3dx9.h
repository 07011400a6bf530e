#pragma once
#include "platform/d3d9.h"

// The D3DX9 subset this system calls: matrix helpers, texture loading from
// an image file and the early effect interface (Begin / Pass / End, no
// separate end of a pass). Effect parameters and techniques are addressed by
// D3DXHANDLE, which may be a parameter's name string.

using D3DXMATRIX = Matrix4;
using D3DXVECTOR3 = Vector3;
using D3DXHANDLE = const char*;

// "Take it from the file" / "a full chain" for sizes, levels and filters.
inline constexpr UINT D3DX_DEFAULT = 0xFFFFFFFFu;
inline constexpr UINT D3DX_DEFAULT_NONPOW2 = 0xFFFFFFFEu;
inline constexpr UINT D3DX_FROM_FILE = 0xFFFFFFFDu;

inline constexpr DWORD D3DX_FILTER_NONE = 1;
inline constexpr DWORD D3DX_FILTER_POINT = 2;
inline constexpr DWORD D3DX_FILTER_LINEAR = 3;
inline constexpr DWORD D3DX_FILTER_TRIANGLE = 4;
inline constexpr DWORD D3DX_FILTER_BOX = 5;

inline constexpr HRESULT D3DXERR_INVALIDDATA = MakeResult(0x88760B59u);

enum D3DXIMAGE_FILEFORMAT : uint32_t {
  D3DXIFF_BMP = 0,
  D3DXIFF_JPG = 1,
  D3DXIFF_TGA = 2,
  D3DXIFF_PNG = 3,
  D3DXIFF_DDS = 4,
  D3DXIFF_PPM = 5,
  D3DXIFF_DIB = 6,
  D3DXIFF_HDR = 7,
  D3DXIFF_PFM = 8,
};

struct D3DXIMAGE_INFO {
  UINT Width;
  UINT Height;
  UINT Depth;
  UINT MipLevels;
  D3DFORMAT Format;
  D3DRESOURCETYPE ResourceType;
  D3DXIMAGE_FILEFORMAT ImageFileFormat;
};

struct PALETTEENTRY {
  BYTE peRed;
  BYTE peGreen;
  BYTE peBlue;
  BYTE peFlags;
};

struct D3DXMACRO {
  LPCSTR Name;
  LPCSTR Definition;
};

// Passed only as null by this system.
class ID3DXInclude;
class ID3DXEffectPool;

class ID3DXBuffer : public IUnknown {
 public:
  virtual void* GetBufferPointer() = 0;
  virtual DWORD GetBufferSize() = 0;
};

class ID3DXEffect : public IUnknown {
 public:
  // From hTechnique (null = from the start) to the next technique that can run
  // on the device: S_OK with its handle, or S_FALSE with a null handle when
  // none is left.
  virtual HRESULT FindNextValidTechnique(D3DXHANDLE hTechnique, D3DXHANDLE* pTechnique) = 0;
  virtual HRESULT SetTechnique(D3DXHANDLE hTechnique) = 0;
  // Starts the current technique and reports its number of passes.
  virtual HRESULT Begin(UINT* pPasses, DWORD Flags) = 0;
  // Applies the shaders and states of one pass of the begun technique.
  virtual HRESULT Pass(UINT Pass) = 0;
  virtual HRESULT End() = 0;

  // Setters fail with D3DERR_INVALIDCALL for an unknown parameter or more data
  // than it declares.
  virtual HRESULT SetMatrix(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix) = 0;
  virtual HRESULT SetMatrixArray(D3DXHANDLE hParameter, const D3DXMATRIX* pMatrix,
                                 UINT Count) = 0;
  virtual HRESULT SetValue(D3DXHANDLE hParameter, const void* pData, UINT Bytes) = 0;
  // Null unbinds.
  virtual HRESULT SetTexture(D3DXHANDLE hParameter, IDirect3DBaseTexture9* pTexture) = 0;
};

// Left-handed view matrix (row vectors); returns pOut.
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp);
// Left-handed perspective with a vertical field of view in radians, depth
// mapped to 0..1; returns pOut.
D3DXMATRIX* D3DXMatrixPerspectiveFovLH(D3DXMATRIX* pOut, float fovy, float Aspect, float zn,
                                       float zf);

// Loads an image file into a new texture of the device. Width/Height 0 or
// D3DX_DEFAULT take the file's size; MipLevels 0 or D3DX_DEFAULT make a full
// chain. Result D3D_OK means loaded.
HRESULT D3DXCreateTextureFromFileExA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile, UINT Width,
                                     UINT Height, UINT MipLevels, DWORD Usage, D3DFORMAT Format,
                                     D3DPOOL Pool, DWORD Filter, DWORD MipFilter,
                                     D3DCOLOR ColorKey, D3DXIMAGE_INFO* pSrcInfo,
                                     PALETTEENTRY* pPalette, IDirect3DTexture9** ppTexture);

// Compiles an effect file for the device. A negative result means not
// created; *ppCompilationErrors then receives the compiler's zero-terminated
// messages when there are any (a missing file has none).
HRESULT D3DXCreateEffectFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                  const D3DXMACRO* pDefines, ID3DXInclude* pInclude, DWORD Flags,
                                  ID3DXEffectPool* pPool, ID3DXEffect** ppEffect,
                                  ID3DXBuffer** ppCompilationErrors);
