#include "platform/fx/state_tables.h"

#include <cmath>
#include <cstring>
#include <vector>

namespace fx {

namespace {

const StateInfo kRenderStates[] = {
    {"ZEnable", D3DRS_ZENABLE, StateValueKind::ZBuffer},
    {"FillMode", D3DRS_FILLMODE, StateValueKind::FillMode},
    {"ShadeMode", D3DRS_SHADEMODE, StateValueKind::ShadeMode},
    {"ZWriteEnable", D3DRS_ZWRITEENABLE, StateValueKind::Bool},
    {"AlphaTestEnable", D3DRS_ALPHATESTENABLE, StateValueKind::Bool},
    {"LastPixel", D3DRS_LASTPIXEL, StateValueKind::Bool},
    {"SrcBlend", D3DRS_SRCBLEND, StateValueKind::Blend},
    {"DestBlend", D3DRS_DESTBLEND, StateValueKind::Blend},
    {"CullMode", D3DRS_CULLMODE, StateValueKind::Cull},
    {"ZFunc", D3DRS_ZFUNC, StateValueKind::Compare},
    {"AlphaRef", D3DRS_ALPHAREF, StateValueKind::Integer},
    {"AlphaFunc", D3DRS_ALPHAFUNC, StateValueKind::Compare},
    {"DitherEnable", D3DRS_DITHERENABLE, StateValueKind::Bool},
    {"AlphaBlendEnable", D3DRS_ALPHABLENDENABLE, StateValueKind::Bool},
    {"FogEnable", D3DRS_FOGENABLE, StateValueKind::Bool},
    {"SpecularEnable", D3DRS_SPECULARENABLE, StateValueKind::Bool},
    {"FogColor", D3DRS_FOGCOLOR, StateValueKind::Color},
    {"FogTableMode", D3DRS_FOGTABLEMODE, StateValueKind::FogMode},
    {"FogStart", D3DRS_FOGSTART, StateValueKind::Float},
    {"FogEnd", D3DRS_FOGEND, StateValueKind::Float},
    {"FogDensity", D3DRS_FOGDENSITY, StateValueKind::Float},
    {"RangeFogEnable", D3DRS_RANGEFOGENABLE, StateValueKind::Bool},
    {"StencilEnable", D3DRS_STENCILENABLE, StateValueKind::Bool},
    {"StencilFail", D3DRS_STENCILFAIL, StateValueKind::StencilOp},
    {"StencilZFail", D3DRS_STENCILZFAIL, StateValueKind::StencilOp},
    {"StencilPass", D3DRS_STENCILPASS, StateValueKind::StencilOp},
    {"StencilFunc", D3DRS_STENCILFUNC, StateValueKind::Compare},
    {"StencilRef", D3DRS_STENCILREF, StateValueKind::Integer},
    {"StencilMask", D3DRS_STENCILMASK, StateValueKind::Integer},
    {"StencilWriteMask", D3DRS_STENCILWRITEMASK, StateValueKind::Integer},
    {"TextureFactor", D3DRS_TEXTUREFACTOR, StateValueKind::Color},
    {"Clipping", D3DRS_CLIPPING, StateValueKind::Bool},
    {"Lighting", D3DRS_LIGHTING, StateValueKind::Bool},
    {"Ambient", D3DRS_AMBIENT, StateValueKind::Color},
    {"FogVertexMode", D3DRS_FOGVERTEXMODE, StateValueKind::FogMode},
    {"ColorVertex", D3DRS_COLORVERTEX, StateValueKind::Bool},
    {"LocalViewer", D3DRS_LOCALVIEWER, StateValueKind::Bool},
    {"NormalizeNormals", D3DRS_NORMALIZENORMALS, StateValueKind::Bool},
    {"DiffuseMaterialSource", D3DRS_DIFFUSEMATERIALSOURCE, StateValueKind::MaterialSource},
    {"SpecularMaterialSource", D3DRS_SPECULARMATERIALSOURCE, StateValueKind::MaterialSource},
    {"AmbientMaterialSource", D3DRS_AMBIENTMATERIALSOURCE, StateValueKind::MaterialSource},
    {"EmissiveMaterialSource", D3DRS_EMISSIVEMATERIALSOURCE, StateValueKind::MaterialSource},
    {"ClipPlaneEnable", D3DRS_CLIPPLANEENABLE, StateValueKind::Integer},
    {"PointSize", D3DRS_POINTSIZE, StateValueKind::Float},
    {"PointSize_Min", D3DRS_POINTSIZE_MIN, StateValueKind::Float},
    {"PointSpriteEnable", D3DRS_POINTSPRITEENABLE, StateValueKind::Bool},
    {"PointScaleEnable", D3DRS_POINTSCALEENABLE, StateValueKind::Bool},
    {"PointScale_A", D3DRS_POINTSCALE_A, StateValueKind::Float},
    {"PointScale_B", D3DRS_POINTSCALE_B, StateValueKind::Float},
    {"PointScale_C", D3DRS_POINTSCALE_C, StateValueKind::Float},
    {"MultiSampleAntialias", D3DRS_MULTISAMPLEANTIALIAS, StateValueKind::Bool},
    {"MultiSampleMask", D3DRS_MULTISAMPLEMASK, StateValueKind::Integer},
    {"PointSize_Max", D3DRS_POINTSIZE_MAX, StateValueKind::Float},
    {"ColorWriteEnable", D3DRS_COLORWRITEENABLE, StateValueKind::ColorWrite},
    {"BlendOp", D3DRS_BLENDOP, StateValueKind::BlendOp},
    {"ScissorTestEnable", D3DRS_SCISSORTESTENABLE, StateValueKind::Bool},
    {"SlopeScaleDepthBias", D3DRS_SLOPESCALEDEPTHBIAS, StateValueKind::Float},
    {"AntialiasedLineEnable", D3DRS_ANTIALIASEDLINEENABLE, StateValueKind::Bool},
    {"TwoSidedStencilMode", D3DRS_TWOSIDEDSTENCILMODE, StateValueKind::Bool},
    {"CCW_StencilFail", D3DRS_CCW_STENCILFAIL, StateValueKind::StencilOp},
    {"CCW_StencilZFail", D3DRS_CCW_STENCILZFAIL, StateValueKind::StencilOp},
    {"CCW_StencilPass", D3DRS_CCW_STENCILPASS, StateValueKind::StencilOp},
    {"CCW_StencilFunc", D3DRS_CCW_STENCILFUNC, StateValueKind::Compare},
    {"BlendFactor", D3DRS_BLENDFACTOR, StateValueKind::Color},
    {"SRGBWriteEnable", D3DRS_SRGBWRITEENABLE, StateValueKind::Bool},
    {"DepthBias", D3DRS_DEPTHBIAS, StateValueKind::Float},
    {"SeparateAlphaBlendEnable", D3DRS_SEPARATEALPHABLENDENABLE, StateValueKind::Bool},
    {"SrcBlendAlpha", D3DRS_SRCBLENDALPHA, StateValueKind::Blend},
    {"DestBlendAlpha", D3DRS_DESTBLENDALPHA, StateValueKind::Blend},
    {"BlendOpAlpha", D3DRS_BLENDOPALPHA, StateValueKind::BlendOp},
};

const StateInfo kSamplerStates[] = {
    {"Texture", 0, StateValueKind::Texture},
    {"AddressU", D3DSAMP_ADDRESSU, StateValueKind::TextureAddress},
    {"AddressV", D3DSAMP_ADDRESSV, StateValueKind::TextureAddress},
    {"AddressW", D3DSAMP_ADDRESSW, StateValueKind::TextureAddress},
    {"BorderColor", D3DSAMP_BORDERCOLOR, StateValueKind::Color},
    {"MagFilter", D3DSAMP_MAGFILTER, StateValueKind::TextureFilter},
    {"MinFilter", D3DSAMP_MINFILTER, StateValueKind::TextureFilter},
    {"MipFilter", D3DSAMP_MIPFILTER, StateValueKind::TextureFilter},
    {"MipMapLodBias", D3DSAMP_MIPMAPLODBIAS, StateValueKind::Float},
    {"MaxMipLevel", D3DSAMP_MAXMIPLEVEL, StateValueKind::Integer},
    {"MaxAnisotropy", D3DSAMP_MAXANISOTROPY, StateValueKind::Integer},
    {"SRGBTexture", D3DSAMP_SRGBTEXTURE, StateValueKind::Bool},
};

struct NamedValue {
  const char* name;
  uint32_t value;
};

const NamedValue kBoolValues[] = {{"TRUE", 1}, {"FALSE", 0}};
const NamedValue kZBufferValues[] = {
    {"TRUE", D3DZB_TRUE}, {"FALSE", D3DZB_FALSE}, {"USEW", D3DZB_USEW}};
const NamedValue kFillValues[] = {
    {"POINT", D3DFILL_POINT}, {"WIREFRAME", D3DFILL_WIREFRAME}, {"SOLID", D3DFILL_SOLID}};
const NamedValue kShadeValues[] = {
    {"FLAT", D3DSHADE_FLAT}, {"GOURAUD", D3DSHADE_GOURAUD}, {"PHONG", D3DSHADE_PHONG}};
const NamedValue kBlendValues[] = {
    {"ZERO", D3DBLEND_ZERO},
    {"ONE", D3DBLEND_ONE},
    {"SRCCOLOR", D3DBLEND_SRCCOLOR},
    {"INVSRCCOLOR", D3DBLEND_INVSRCCOLOR},
    {"SRCALPHA", D3DBLEND_SRCALPHA},
    {"INVSRCALPHA", D3DBLEND_INVSRCALPHA},
    {"DESTALPHA", D3DBLEND_DESTALPHA},
    {"INVDESTALPHA", D3DBLEND_INVDESTALPHA},
    {"DESTCOLOR", D3DBLEND_DESTCOLOR},
    {"INVDESTCOLOR", D3DBLEND_INVDESTCOLOR},
    {"SRCALPHASAT", D3DBLEND_SRCALPHASAT},
    {"BOTHSRCALPHA", D3DBLEND_BOTHSRCALPHA},
    {"BOTHINVSRCALPHA", D3DBLEND_BOTHINVSRCALPHA},
    {"BLENDFACTOR", D3DBLEND_BLENDFACTOR},
    {"INVBLENDFACTOR", D3DBLEND_INVBLENDFACTOR},
};
const NamedValue kBlendOpValues[] = {{"ADD", D3DBLENDOP_ADD},
                                     {"SUBTRACT", D3DBLENDOP_SUBTRACT},
                                     {"REVSUBTRACT", D3DBLENDOP_REVSUBTRACT},
                                     {"MIN", D3DBLENDOP_MIN},
                                     {"MAX", D3DBLENDOP_MAX}};
const NamedValue kCullValues[] = {{"NONE", D3DCULL_NONE}, {"CW", D3DCULL_CW}, {"CCW", D3DCULL_CCW}};
const NamedValue kCompareValues[] = {{"NEVER", D3DCMP_NEVER},
                                     {"LESS", D3DCMP_LESS},
                                     {"EQUAL", D3DCMP_EQUAL},
                                     {"LESSEQUAL", D3DCMP_LESSEQUAL},
                                     {"GREATER", D3DCMP_GREATER},
                                     {"NOTEQUAL", D3DCMP_NOTEQUAL},
                                     {"GREATEREQUAL", D3DCMP_GREATEREQUAL},
                                     {"ALWAYS", D3DCMP_ALWAYS}};
const NamedValue kStencilOpValues[] = {
    {"KEEP", D3DSTENCILOP_KEEP},       {"ZERO", D3DSTENCILOP_ZERO},
    {"REPLACE", D3DSTENCILOP_REPLACE}, {"INCRSAT", D3DSTENCILOP_INCRSAT},
    {"DECRSAT", D3DSTENCILOP_DECRSAT}, {"INVERT", D3DSTENCILOP_INVERT},
    {"INCR", D3DSTENCILOP_INCR},       {"DECR", D3DSTENCILOP_DECR}};
const NamedValue kColorWriteValues[] = {{"RED", 1}, {"GREEN", 2}, {"BLUE", 4}, {"ALPHA", 8}};
// D3DFOG_* and D3DMCS_* are not among the shared constants: values from d3d9types.h.
const NamedValue kFogValues[] = {{"NONE", 0}, {"EXP", 1}, {"EXP2", 2}, {"LINEAR", 3}};
const NamedValue kMaterialSourceValues[] = {{"MATERIAL", 0}, {"COLOR1", 1}, {"COLOR2", 2}};
const NamedValue kFilterValues[] = {{"NONE", D3DTEXF_NONE},
                                    {"POINT", D3DTEXF_POINT},
                                    {"LINEAR", D3DTEXF_LINEAR},
                                    {"ANISOTROPIC", D3DTEXF_ANISOTROPIC},
                                    {"PYRAMIDALQUAD", D3DTEXF_PYRAMIDALQUAD},
                                    {"GAUSSIANQUAD", D3DTEXF_GAUSSIANQUAD}};
const NamedValue kAddressValues[] = {{"WRAP", D3DTADDRESS_WRAP},
                                     {"MIRROR", D3DTADDRESS_MIRROR},
                                     {"CLAMP", D3DTADDRESS_CLAMP},
                                     {"BORDER", D3DTADDRESS_BORDER},
                                     {"MIRRORONCE", D3DTADDRESS_MIRRORONCE}};

template <size_t N>
std::span<const NamedValue> values(const NamedValue (&table)[N]) {
  return {table, N};
}

std::span<const NamedValue> named_values(StateValueKind kind) {
  switch (kind) {
    case StateValueKind::Bool:
      return values(kBoolValues);
    case StateValueKind::ZBuffer:
      return values(kZBufferValues);
    case StateValueKind::FillMode:
      return values(kFillValues);
    case StateValueKind::ShadeMode:
      return values(kShadeValues);
    case StateValueKind::Blend:
      return values(kBlendValues);
    case StateValueKind::BlendOp:
      return values(kBlendOpValues);
    case StateValueKind::Cull:
      return values(kCullValues);
    case StateValueKind::Compare:
      return values(kCompareValues);
    case StateValueKind::StencilOp:
      return values(kStencilOpValues);
    case StateValueKind::ColorWrite:
      return values(kColorWriteValues);
    case StateValueKind::FogMode:
      return values(kFogValues);
    case StateValueKind::MaterialSource:
      return values(kMaterialSourceValues);
    case StateValueKind::TextureFilter:
      return values(kFilterValues);
    case StateValueKind::TextureAddress:
      return values(kAddressValues);
    default:
      return {};
  }
}

const StateInfo* find_state(std::span<const StateInfo> table, std::string_view name) {
  for (const StateInfo& info : table) {
    if (equals_ignoring_case(info.name, name)) return &info;
  }
  return nullptr;
}

bool lookup_name(StateValueKind kind, std::string_view name, uint32_t& result) {
  for (const NamedValue& entry : named_values(kind)) {
    if (equals_ignoring_case(entry.name, name)) {
      result = entry.value;
      return true;
    }
  }
  return false;
}

// A signed number from one or two tokens ("-", "1.5").
bool read_number(std::span<const Token> tokens, double& value, bool& is_integer) {
  bool negative = false;
  if (tokens.size() == 2 && (tokens[0].is('-') || tokens[0].is('+'))) {
    negative = tokens[0].is('-');
    tokens = tokens.subspan(1);
  }
  if (tokens.size() != 1 || tokens[0].kind != TokenKind::Number) return false;
  if (!parse_number_literal(tokens[0].text, value, is_integer)) return false;
  if (negative) value = -value;
  return true;
}

uint32_t float_bits(double value) {
  float f = static_cast<float>(value);
  uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

uint32_t color_byte(double channel) {
  double clamped = channel < 0.0 ? 0.0 : (channel > 1.0 ? 1.0 : channel);
  return static_cast<uint32_t>(std::lround(clamped * 255.0));
}

// "{r, g, b, a}" or "float4(r, g, b, a)" as a D3DCOLOR.
bool read_float_color(std::span<const Token> tokens, uint32_t& result) {
  if (tokens.size() >= 2 && tokens[0].is_identifier() && tokens[1].is('(')) {
    if (!tokens.back().is(')')) return false;
    tokens = tokens.subspan(2, tokens.size() - 3);
  } else if (tokens.size() >= 2 && tokens[0].is('{') && tokens.back().is('}')) {
    tokens = tokens.subspan(1, tokens.size() - 2);
  } else {
    return false;
  }
  std::vector<double> channels;
  size_t start = 0;
  for (size_t i = 0; i <= tokens.size(); ++i) {
    if (i == tokens.size() || tokens[i].is(',')) {
      double value = 0.0;
      bool is_integer = false;
      if (!read_number(tokens.subspan(start, i - start), value, is_integer)) return false;
      channels.push_back(value);
      start = i + 1;
    }
  }
  if (channels.size() != 4) return false;
  result = color_byte(channels[3]) << 24 | color_byte(channels[0]) << 16 |
           color_byte(channels[1]) << 8 | color_byte(channels[2]);
  return true;
}

bool read_integer(std::span<const Token> tokens, uint32_t& result) {
  double value = 0.0;
  bool is_integer = false;
  if (!read_number(tokens, value, is_integer)) return false;
  if (value != std::floor(value) || value < -2147483648.0 || value > 4294967295.0) return false;
  result =
      value < 0 ? static_cast<uint32_t>(static_cast<int32_t>(value)) : static_cast<uint32_t>(value);
  return true;
}

}  // namespace

const StateInfo* find_render_state(std::string_view name) {
  return find_state(kRenderStates, name);
}

const StateInfo* find_sampler_state(std::string_view name) {
  return find_state(kSamplerStates, name);
}

bool parse_state_value(StateValueKind kind, std::span<const Token> value, uint32_t& result) {
  // Effects may wrap a value in parentheses: "ZEnable = (TRUE);".
  while (value.size() >= 2 && value.front().is('(') && value.back().is(')')) {
    value = value.subspan(1, value.size() - 2);
  }
  if (value.empty()) return false;
  if (kind == StateValueKind::Float) {
    double number = 0.0;
    bool is_integer = false;
    if (!read_number(value, number, is_integer)) return false;
    result = float_bits(number);
    return true;
  }
  if (kind == StateValueKind::Color) {
    return read_integer(value, result) || read_float_color(value, result);
  }
  if (kind == StateValueKind::ColorWrite) {
    // Channel names joined by '|'.
    if (value.size() % 2 == 0) return false;
    uint32_t mask = 0;
    for (size_t i = 0; i < value.size(); i += 2) {
      uint32_t channel = 0;
      if (!lookup_name(kind, value[i].text, channel) &&
          !read_integer(value.subspan(i, 1), channel)) {
        return false;
      }
      mask |= channel;
      if (i + 1 < value.size() && !value[i + 1].is('|')) return false;
    }
    result = mask;
    return true;
  }
  if (value.size() == 1 && value[0].is_identifier())
    return lookup_name(kind, value[0].text, result);
  return read_integer(value, result);
}

}  // namespace fx
