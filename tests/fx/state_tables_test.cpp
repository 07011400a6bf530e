#include "platform/fx/state_tables.h"

#include <gtest/gtest.h>

#include <cstring>

namespace fx {
namespace {

// Parses "State = value" the way a pass holds it.
bool parse(const char* state, const std::string& value_text, uint32_t& value) {
  const StateInfo* info = find_render_state(state);
  if (info == nullptr) info = find_sampler_state(state);
  EXPECT_NE(info, nullptr) << state;
  if (info == nullptr) return false;
  TokenizedSource tokens = tokenize(value_text, "t.fx");
  tokens.tokens.pop_back();  // the End token
  return parse_state_value(info->kind, tokens.tokens, value);
}

uint32_t bits(float f) {
  uint32_t result = 0;
  std::memcpy(&result, &f, sizeof result);
  return result;
}

TEST(StateTables, NamesAndValuesBecomeDirect3DNumbers) {
  struct Case {
    const char* state;
    const char* value;
    uint32_t expected;
  };
  const Case cases[] = {
      {"CullMode", "CCW", D3DCULL_CCW},
      {"CULLMODE", "none", D3DCULL_NONE},
      {"CullMode", "CW", D3DCULL_CW},
      {"ZEnable", "TRUE", 1},
      {"ZEnable", "false", 0},
      {"ZEnable", "USEW", D3DZB_USEW},
      {"ZWriteEnable", "1", 1},
      {"ZFunc", "LESSEQUAL", D3DCMP_LESSEQUAL},
      {"ZFunc", "Always", D3DCMP_ALWAYS},
      {"AlphaFunc", "GREATER", D3DCMP_GREATER},
      {"AlphaBlendEnable", "(TRUE)", 1},
      {"SrcBlend", "SRCALPHA", D3DBLEND_SRCALPHA},
      {"DestBlend", "INVSRCALPHA", D3DBLEND_INVSRCALPHA},
      {"DestBlend", "ONE", D3DBLEND_ONE},
      {"BlendOp", "REVSUBTRACT", D3DBLENDOP_REVSUBTRACT},
      {"FillMode", "SOLID", D3DFILL_SOLID},
      {"FillMode", "WIREFRAME", D3DFILL_WIREFRAME},
      {"StencilPass", "INCRSAT", D3DSTENCILOP_INCRSAT},
      {"AlphaRef", "0x80", 128},
      {"StencilMask", "-1", 0xFFFFFFFFu},
      {"ColorWriteEnable", "RED | GREEN | ALPHA", 11},
      {"ColorWriteEnable", "0", 0},
      {"DepthBias", "-0.5", bits(-0.5f)},
      {"PointSize", "4", bits(4.0f)},
      {"FogColor", "0xFF102030", 0xFF102030u},
      {"BlendFactor", "float4(1, 0, 0, 1)", 0xFFFF0000u},
      {"MinFilter", "ANISOTROPIC", D3DTEXF_ANISOTROPIC},
      {"AddressU", "MirrorOnce", D3DTADDRESS_MIRRORONCE},
  };
  for (const Case& c : cases) {
    uint32_t value = 0xDEADBEEF;
    EXPECT_TRUE(parse(c.state, c.value, value)) << c.state << " = " << c.value;
    EXPECT_EQ(value, c.expected) << c.state << " = " << c.value;
  }
  EXPECT_EQ(find_render_state("zwriteenable")->number, D3DRS_ZWRITEENABLE);
  EXPECT_EQ(find_render_state("FillMode")->number, D3DRS_FILLMODE);
  EXPECT_EQ(find_sampler_state("borderColor")->number, D3DSAMP_BORDERCOLOR);
}

TEST(StateTables, RejectsValuesAStateDoesNotTake) {
  struct Case {
    const char* state;
    const char* value;
  };
  const Case cases[] = {
      {"CullMode", "SRCALPHA"},   // another state's name
      {"CullMode", "CCW CW"},     // two values
      {"ZEnable", "1.5"},         // not a whole number
      {"SrcBlend", "WIREFRAME"},  // wrong enumeration
      {"ColorWriteEnable", "RED |"},
      {"ColorWriteEnable", "RED GREEN"},
      {"DepthBias", "LOW"},
      {"BlendFactor", "{1, 0, 0}"},  // three channels
      {"ZFunc", ""},
  };
  for (const Case& c : cases) {
    uint32_t value = 0;
    EXPECT_FALSE(parse(c.state, c.value, value)) << c.state << " = " << c.value;
  }
  EXPECT_EQ(find_render_state("NoSuchState"), nullptr);
  EXPECT_EQ(find_sampler_state("CullMode"), nullptr);
}

}  // namespace
}  // namespace fx
