#pragma once
#include <cstdint>

#include "platform/d3d9_caps.h"
#include "platform/d3d9_types.h"

// The one decoder of flexible vertex format codes: what a format puts in each
// vertex, element by element, named by the HLSL semantics that shaders read
// them through. The vertex size, the GL input layout and the loader's log of
// its formats all come from here.

enum class VertexSemantic : uint8_t {
  Position,
  BlendWeight,
  BlendIndices,
  Normal,
  PointSize,
  Color,
  TexCoord,
  // Declared by shaders but never in a flexible vertex format: they read
  // the missing-input constant.
  Tangent,
  Binormal,
};

enum class VertexElementType : uint8_t {
  Float,     // 1..4 floats
  UByte4,    // four bytes read as 0..255, unnormalised
  D3DColor,  // a D3DCOLOR: B, G, R, A bytes read as normalised RGBA
};

struct VertexElement {
  VertexSemantic semantic = VertexSemantic::Position;
  uint8_t index = 0;       // TEXCOORDn / COLORn
  uint8_t components = 0;  // 1..4
  VertexElementType type = VertexElementType::Float;
  uint32_t offset = 0;  // bytes from the vertex start
};

struct FvfLayout {
  VertexElement elements[kMaxVertexElements];
  int count = 0;
  uint32_t size = 0;                            // bytes per vertex the format describes
  bool pretransformed = false;                  // XYZRHW: positions are pixels and 1/w
  DWORD position = 0;                           // the D3DFVF_POSITION_MASK bits
  int betas = 0;                                // floats after x, y, z (XYZB1..XYZB5)
  int textureSets = 0;                          // 0..kMaxTextureSets
  uint8_t setComponents[kMaxTextureSets] = {};  // floats of each texture set

  const VertexElement* Find(VertexSemantic semantic, uint8_t index) const;
};

// The layout of an FVF code. Blend weights take the position's betas; with
// D3DFVF_LASTBETA_UBYTE4 (or _D3DCOLOR) the last beta holds the blend
// indices instead.
FvfLayout DecodeFvf(DWORD fvf);

// Bytes per vertex that a flexible vertex format describes.
inline UINT VertexSizeOfFVF(DWORD fvf) { return DecodeFvf(fvf).size; }

// Reads an HLSL input semantic ("POSITION", "TEXCOORD3", "color1", ...;
// case does not matter, a missing number is 0). POSITIONT reads as POSITION.
bool parse_vertex_semantic(const char* name, VertexSemantic* semantic, uint8_t* index);
