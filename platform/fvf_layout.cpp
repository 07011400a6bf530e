#include "platform/fvf_layout.h"

#include <strings.h>

#include <cctype>
#include <cstring>

namespace {

void Add(FvfLayout& layout, VertexSemantic semantic, uint8_t index, uint8_t components,
         VertexElementType type, uint32_t bytes) {
  if (layout.count < kMaxVertexElements) {
    layout.elements[layout.count++] = {semantic, index, components, type, layout.size};
  }
  layout.size += bytes;
}

// Betas of each position type: the floats after x, y, z.
int BetasOf(DWORD positionBits) {
  switch (positionBits) {
    case D3DFVF_XYZB1:
      return 1;
    case D3DFVF_XYZB2:
      return 2;
    case D3DFVF_XYZB3:
      return 3;
    case D3DFVF_XYZB4:
      return 4;
    case D3DFVF_XYZB5:
      return 5;
    default:
      return 0;
  }
}

}  // namespace

const VertexElement* FvfLayout::Find(VertexSemantic semantic, uint8_t index) const {
  for (int i = 0; i < count; ++i) {
    if (elements[i].semantic == semantic && elements[i].index == index) return &elements[i];
  }
  return nullptr;
}

FvfLayout DecodeFvf(DWORD fvf) {
  FvfLayout layout;
  const DWORD position = fvf & D3DFVF_POSITION_MASK;
  layout.position = position;
  switch (position) {
    case D3DFVF_XYZRHW:
      layout.pretransformed = true;
      Add(layout, VertexSemantic::Position, 0, 4, VertexElementType::Float, 16);
      break;
    case D3DFVF_XYZW:
      Add(layout, VertexSemantic::Position, 0, 4, VertexElementType::Float, 16);
      break;
    case 0:
      break;
    default:
      Add(layout, VertexSemantic::Position, 0, 3, VertexElementType::Float, 12);
      break;
  }
  const int betas = BetasOf(position);
  layout.betas = betas;
  const bool indicesInLastBeta =
      betas > 0 && (fvf & (D3DFVF_LASTBETA_UBYTE4 | D3DFVF_LASTBETA_D3DCOLOR)) != 0;
  int weights = indicesInLastBeta ? betas - 1 : betas;
  // A shader input holds at most four weights; further betas are skipped.
  if (weights > 0) {
    const int read = weights > 4 ? 4 : weights;
    Add(layout, VertexSemantic::BlendWeight, 0, uint8_t(read), VertexElementType::Float,
        uint32_t(read) * 4);
    layout.size += uint32_t(weights - read) * 4;
  }
  if (indicesInLastBeta) {
    const VertexElementType type =
        (fvf & D3DFVF_LASTBETA_UBYTE4) ? VertexElementType::UByte4 : VertexElementType::D3DColor;
    Add(layout, VertexSemantic::BlendIndices, 0, 4, type, 4);
  }
  if (fvf & D3DFVF_NORMAL) Add(layout, VertexSemantic::Normal, 0, 3, VertexElementType::Float, 12);
  if (fvf & D3DFVF_PSIZE) {
    Add(layout, VertexSemantic::PointSize, 0, 1, VertexElementType::Float, 4);
  }
  if (fvf & D3DFVF_DIFFUSE)
    Add(layout, VertexSemantic::Color, 0, 4, VertexElementType::D3DColor, 4);
  if (fvf & D3DFVF_SPECULAR) {
    Add(layout, VertexSemantic::Color, 1, 4, VertexElementType::D3DColor, 4);
  }
  const DWORD sets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
  for (DWORD set = 0; set < sets && set < kMaxTextureSets; ++set) {
    uint8_t components = 2;
    switch ((fvf >> (set * 2 + 16)) & 3) {
      case D3DFVF_TEXTUREFORMAT1:
        components = 1;
        break;
      case D3DFVF_TEXTUREFORMAT3:
        components = 3;
        break;
      case D3DFVF_TEXTUREFORMAT4:
        components = 4;
        break;
      default:
        components = 2;
        break;
    }
    Add(layout, VertexSemantic::TexCoord, uint8_t(set), components, VertexElementType::Float,
        uint32_t(components) * 4);
    layout.setComponents[set] = components;
    layout.textureSets = int(set) + 1;
  }
  return layout;
}

bool parse_vertex_semantic(const char* name, VertexSemantic* semantic, uint8_t* index) {
  if (name == nullptr) return false;
  static const struct {
    const char* word;
    VertexSemantic semantic;
  } kWords[] = {
      // POSITIONT before POSITION: the longer word must win.
      {"POSITIONT", VertexSemantic::Position},
      {"POSITION", VertexSemantic::Position},
      {"BLENDWEIGHT", VertexSemantic::BlendWeight},
      {"BLENDINDICES", VertexSemantic::BlendIndices},
      {"NORMAL", VertexSemantic::Normal},
      {"PSIZE", VertexSemantic::PointSize},
      {"COLOR", VertexSemantic::Color},
      {"TEXCOORD", VertexSemantic::TexCoord},
      {"TANGENT", VertexSemantic::Tangent},
      {"BINORMAL", VertexSemantic::Binormal},
  };
  for (const auto& entry : kWords) {
    const size_t length = std::strlen(entry.word);
    if (strncasecmp(name, entry.word, length) != 0) continue;
    const char* digits = name + length;
    unsigned value = 0;
    for (const char* p = digits; *p != '\0'; ++p) {
      if (!std::isdigit(static_cast<unsigned char>(*p)) || value > 25) return false;
      value = value * 10 + unsigned(*p - '0');
    }
    if (value > 255) return false;
    *semantic = entry.semantic;
    *index = uint8_t(value);
    return true;
  }
  return false;
}
