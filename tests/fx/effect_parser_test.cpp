#include "platform/fx/effect_parser.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fx/entry_wrapper.h"

namespace fx {
namespace {

const char kEffect[] =
    "float4x4 World : WORLD < string UIName = \"World\"; >;\n"                   // 1
    "float3 LightDir = {0.0, -1.0, 0.5};\n"                                      // 2
    "const float Scale = 2;\n"                                                   // 3
    "texture Diffuse < string File = \"a.bmp\"; >;\n"                            // 4
    "sampler2D DiffuseSampler = sampler_state {\n"                               // 5
    "  Texture = <Diffuse>; MinFilter = LINEAR; AddressU = CLAMP;\n"             // 6
    "};\n"                                                                       // 7
    "float4 PS(float2 uv : TEXCOORD0, uniform float k = 1) : COLOR0\n"           // 8
    "{ return tex2D(DiffuseSampler, uv) * k; }\n"                                // 9
    "technique First < int x = 1; >\n"                                           // 10
    "{\n"                                                                        // 11
    "  pass P0 {\n"                                                              // 12
    "    VertexShader = compile vs_2_0 VS(1, float3(0, 1, 0));\n"                // 13
    "    PixelShader = compile ps_2_0 PS();\n"                                   // 14
    "    cullmode = ccw; ZEnable = (TRUE); ZFunc = LessEqual;\n"                 // 15
    "    SrcBlend = SRCALPHA; DestBlend = INVSRCALPHA; FillMode = WIREFRAME;\n"  // 16
    "    AlphaBlendEnable = true; ZWriteEnable = 0;\n"                           // 17
    "    Texture[0] = <Diffuse>; FancyState = 3;\n"                              // 18
    "  }\n"                                                                      // 19
    "  pass { PixelShader = NULL; }\n"                                           // 20
    "}\n"                                                                        // 21
    "technique Second { pass Only { VertexShader = compile vs_3_0 VS(); } }\n";  // 22

size_t count_lines(const std::string& text) {
  return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

uint32_t state_value(const ParsedPass& pass, const std::string& name) {
  for (const RenderStateSetting& setting : pass.render_states) {
    if (setting.name == name) return setting.value;
  }
  ADD_FAILURE() << "no render state " << name;
  return 0xDEADBEEF;
}

TEST(EffectParser, ReadsTechniquesPassesShadersAndRenderStates) {
  ParsedEffect effect;
  std::string messages;
  ASSERT_TRUE(parse_effect(kEffect, "demo.fx", effect, messages)) << messages;

  ASSERT_EQ(effect.techniques.size(), 2u);
  EXPECT_EQ(effect.techniques[0].name, "First");
  EXPECT_EQ(effect.techniques[1].name, "Second");
  ASSERT_EQ(effect.techniques[0].passes.size(), 2u);
  const ParsedPass& pass = effect.techniques[0].passes[0];
  EXPECT_EQ(pass.name, "P0");
  EXPECT_EQ(effect.techniques[0].passes[1].name, "");
  EXPECT_TRUE(effect.techniques[0].passes[1].pixel.profile.empty());

  EXPECT_EQ(pass.vertex.profile, "vs_2_0");
  EXPECT_EQ(pass.vertex.function, "VS");
  ASSERT_EQ(pass.vertex.arguments.size(), 2u);
  EXPECT_EQ(pass.vertex.arguments[0], "1");
  EXPECT_EQ(pass.vertex.arguments[1].substr(0, 7), "float3(");
  EXPECT_EQ(pass.vertex.where(), "demo.fx(13)");
  EXPECT_EQ(pass.pixel.function, "PS");
  EXPECT_TRUE(pass.pixel.arguments.empty());

  // Names are kept in their table spelling; values are the state tables' tests.
  EXPECT_EQ(pass.render_states.size(), 8u);
  EXPECT_EQ(state_value(pass, "CullMode"), D3DCULL_CCW);
  EXPECT_EQ(state_value(pass, "ZEnable"), D3DZB_TRUE);
  EXPECT_EQ(state_value(pass, "ZWriteEnable"), 0u);
  EXPECT_EQ(pass.render_states[0].state, D3DRS_CULLMODE);

  // Indexed and unknown states are kept for the runtime to report.
  ASSERT_EQ(pass.ignored_states.size(), 2u);
  EXPECT_EQ(pass.ignored_states[0].name, "Texture[0]");
  EXPECT_EQ(pass.ignored_states[1].name, "FancyState");
  EXPECT_EQ(pass.ignored_states[1].value, "3");
  EXPECT_EQ(pass.ignored_states[1].where, "demo.fx(18)");
}

TEST(EffectParser, BlanksEffectSyntaxAndKeepsEveryLine) {
  ParsedEffect effect;
  std::string messages;
  ASSERT_TRUE(parse_effect(kEffect, "demo.fx", effect, messages)) << messages;
  const std::string& hlsl = effect.shader_source;
  const std::string original = kEffect;

  ASSERT_EQ(hlsl.size(), original.size());
  EXPECT_EQ(count_lines(hlsl), count_lines(original));
  for (size_t i = 0; i < hlsl.size(); ++i) {
    if (original[i] == '\n') {
      EXPECT_EQ(hlsl[i], '\n') << "line break moved at " << i;
    }
  }
  for (const char* gone :
       {"technique", "pass", "compile", "sampler_state", "UIName", "texture", "0.5}", "<"}) {
    EXPECT_EQ(hlsl.find(gone), std::string::npos) << gone << " left in:\n" << hlsl;
  }
  // What the compiler needs stays, in place.
  EXPECT_NE(hlsl.find("float4x4 World : WORLD"), std::string::npos);
  EXPECT_NE(hlsl.find("const float Scale = 2;"), std::string::npos);
  EXPECT_NE(hlsl.find("sampler2D DiffuseSampler"), std::string::npos);
  EXPECT_EQ(hlsl.find("float4 PS("), original.find("float4 PS("));
}

TEST(EffectParser, FollowsLineDirectivesIntoIncludedFiles) {
  const std::string source =
      "float4 a;\n"
      "#line 1 \"lib/common.fxh\"\n"
      "float4 b;\n"
      "technique T { pass P { CullMode = SIDEWAYS; } }\n"
      "#line 3 \"main.fx\"\n"
      "float4 c;\n";
  ParsedEffect effect;
  std::string messages;
  EXPECT_FALSE(parse_effect(source, "main.fx", effect, messages));
  EXPECT_NE(messages.find(
                "lib/common.fxh(2): error: invalid value 'SIDEWAYS' for render state 'CullMode'"),
            std::string::npos)
      << messages;

  // The directive lines themselves survive blanking.
  const std::string good =
      "#line 7 \"x.fxh\"\ntechnique T {\n#line 9 \"x.fxh\"\npass P { } }\nfloat4 d;\n";
  ASSERT_TRUE(parse_effect(good, "main.fx", effect, messages));
  EXPECT_NE(effect.shader_source.find("#line 9 \"x.fxh\""), std::string::npos);
  EXPECT_EQ(effect.shader_source.find("pass"), std::string::npos);
}

TEST(EffectParser, ReportsBrokenEffectSyntaxWithFileAndLine) {
  struct Case {
    const char* source;
    const char* expected;
  };
  const Case cases[] = {
      {"technique T\n{ pass P { ZEnable = TRUE; }\n",
       "bad.fx(1): error: technique 'T' is not closed"},
      {"technique T {\n foo P { } }",
       "bad.fx(2): error: expected 'pass' in technique 'T', found 'foo'"},
      {"technique T { pass P {\n CullMode CCW; } }",
       "bad.fx(2): error: expected '=' after 'CullMode'"},
      {"technique T { pass P { CullMode = CCW } }",
       "bad.fx(1): error: missing ';' after state assignment"},
      {"technique T { pass P {\n\n VertexShader = compile ps_2_0 VS(); } }",
       "bad.fx(3): error: profile 'ps_2_0' cannot compile a vertex shader"},
      {"technique T { pass P { PixelShader = asm { ps_1_1 }; } }",
       "bad.fx(1): error: assembly shaders are not supported"},
      {"technique T { pass P { PixelShader = PS(); } }",
       "bad.fx(1): error: expected 'compile <profile> <function>(...)' for PixelShader"},
      {"technique T { pass P { PixelShader = compile ps_2_0 PS(1,); } }",
       "bad.fx(1): error: missing argument in call of 'PS'"},
      {"sampler s = sampler_state {\n Texture = <missing>; };",
       "bad.fx(1): error: sampler 's' uses undeclared texture 'missing'"},
      {"texture t; sampler s = sampler_state { MinFilter = BLURRY; };",
       "bad.fx(1): error: invalid value 'BLURRY' for sampler state 'MinFilter'"},
      {"sampler s = 3;", "bad.fx(1): error: expected 'sampler_state { ... }' for sampler 's'"},
      {"float4 x < string a = \"b\";", "bad.fx(1): error: annotation is not closed"},
      {"float4 f(float4 x) { return x;", "bad.fx(1): error: unexpected end of file after 'float4'"},
      {"float A;\nbool A;", "bad.fx(2): error: redefinition of 'A' with another type"},
      {"static float A;\nfloat A[2];", "bad.fx(2): error: redefinition of 'A' with another type"},
      {"sampler A;\nfloat A;", "bad.fx(2): error: redefinition of 'A' with another type"},
      {"float A[2];\nstatic float A[3];",
       "bad.fx(2): error: redefinition of 'A' with another type"},
      {"float A;\nbool A struct V { float x; };",
       "bad.fx(2): error: redefinition of 'A' with another type"},
      {"float4x4 A\nfloat B;", "bad.fx(2): error: missing ';' after 'A'"},
      {"float A : SEM B;", "bad.fx(1): error: missing ';' after 'A'"},
      {"samp float4 A;", "bad.fx(1): error: missing ';' after 'float4'"},
      {"bool A\nstruct V { float x; };", "bad.fx(2): error: missing ';' after 'A'"},
      {"float4x4 W;\nvoid f() W;", "bad.fx(2): error: unexpected 'W' after the parameters of 'f'"},
      {"void f() : COLOR W\n{ }", "bad.fx(1): error: unexpected 'W' after the parameters of 'f'"},
      {"struct S { float x; };\nfloat S f() { }", "bad.fx(2): error: missing ';' after 'S'"},
      {"struct S { float x; };\nfloat S;",
       "bad.fx(2): error: redefinition of 'S' with another type"},
      {"struct S { float x; } A;\nstruct { float x; } A;",
       "bad.fx(2): error: redefinition of 'A' with another type"},
  };
  for (const Case& c : cases) {
    ParsedEffect effect;
    std::string messages;
    EXPECT_FALSE(parse_effect(c.source, "bad.fx", effect, messages)) << c.source;
    EXPECT_NE(messages.find(c.expected), std::string::npos) << c.source << "\n gave: " << messages;
  }
}

TEST(EffectParser, ReadsSamplerStatesWithDirect3DDefaults) {
  const char source[] =
      "texture A; texture B;\n"
      "sampler2D s1 = sampler_state { Texture = <A>; MinFilter = ANISOTROPIC; MagFilter = linear;\n"
      "  MipFilter = LINEAR; AddressU = Mirror; AddressV = BORDER; AddressW = MIRRORONCE;\n"
      "  BorderColor = {1.0, 0.0, 0.5, 0.0}; MaxAnisotropy = 8; MipMapLodBias = -0.5; Unknown[1] = "
      "2; };\n"
      "samplerCUBE s2 = sampler_state { texture = (B); };\n"
      "sampler s3 : register(s2);\n"
      "sampler2D s4 = sampler_state { Texture = NULL; BorderColor = 0x80FF0000; };\n";
  ParsedEffect effect;
  std::string messages;
  ASSERT_TRUE(parse_effect(source, "s.fx", effect, messages)) << messages;
  ASSERT_EQ(effect.textures.size(), 2u);
  EXPECT_EQ(effect.textures[1].name, "B");
  ASSERT_EQ(effect.samplers.size(), 4u);

  const EffectSampler& s1 = effect.samplers[0];
  EXPECT_EQ(s1.type, "sampler2D");
  EXPECT_EQ(s1.texture, "A");
  EXPECT_EQ(s1.min_filter, D3DTEXF_ANISOTROPIC);
  EXPECT_EQ(s1.mag_filter, D3DTEXF_LINEAR);
  EXPECT_EQ(s1.mip_filter, D3DTEXF_LINEAR);
  EXPECT_EQ(s1.address_u, D3DTADDRESS_MIRROR);
  EXPECT_EQ(s1.address_v, D3DTADDRESS_BORDER);
  EXPECT_EQ(s1.address_w, D3DTADDRESS_MIRRORONCE);
  EXPECT_EQ(s1.border_color, 0x00FF0080u);  // ARGB from (r, g, b, a)
  EXPECT_EQ(s1.max_anisotropy, 8u);
  EXPECT_FLOAT_EQ(s1.mip_lod_bias, -0.5f);
  ASSERT_EQ(s1.ignored_states.size(), 1u);
  EXPECT_EQ(s1.ignored_states[0].name, "Unknown[1]");

  const EffectSampler& s2 = effect.samplers[1];
  EXPECT_EQ(s2.texture, "B");
  EXPECT_EQ(s2.min_filter, D3DTEXF_POINT);
  EXPECT_EQ(s2.mag_filter, D3DTEXF_POINT);
  EXPECT_EQ(s2.mip_filter, D3DTEXF_NONE);
  EXPECT_EQ(s2.address_u, D3DTADDRESS_WRAP);
  EXPECT_EQ(effect.samplers[2].name, "s3");
  EXPECT_TRUE(effect.samplers[2].texture.empty());
  EXPECT_TRUE(effect.samplers[3].texture.empty());
  EXPECT_EQ(effect.samplers[3].border_color, 0x80FF0000u);
  EXPECT_NE(effect.shader_source.find("sampler s3"), std::string::npos);
  EXPECT_EQ(effect.shader_source.find("register"), std::string::npos);
}

TEST(EffectParser, KeepsLiteralInitialValuesOfParameters) {
  const char source[] =
      "float a = 512;\n"
      "float3 b = {0.0, -1.0, .5f};\n"
      "float4 c : COLOR < int k = 1; > = float4(float2(1, 2), -3, 4e1);\n"
      "bool d = true, e = false;\n"
      "float f[2] = { {1}, {2}, };\n"
      "float g = a * 2;\n"
      "static float h = 3;\n"
      "uniform float4x4 i : register(c8) : WORLD;\n"
      "string j = \"text\";\n";
  ParsedEffect effect;
  std::string messages;
  ASSERT_TRUE(parse_effect(source, "v.fx", effect, messages)) << messages;
  auto values = [&](const char* name) {
    const ParsedVariable* variable = effect.find_variable(name);
    EXPECT_NE(variable, nullptr) << name;
    return variable ? variable->initial_values : std::vector<double>{-999};
  };
  EXPECT_EQ(values("a"), std::vector<double>({512}));
  EXPECT_EQ(values("b"), std::vector<double>({0.0, -1.0, 0.5}));
  EXPECT_EQ(values("c"), std::vector<double>({1, 2, -3, 40}));
  EXPECT_EQ(values("d"), std::vector<double>({1}));
  EXPECT_EQ(values("e"), std::vector<double>({0}));
  EXPECT_EQ(values("f"), std::vector<double>({1, 2}));
  EXPECT_TRUE(values("g").empty());  // not made of literals
  EXPECT_TRUE(values("i").empty());
  EXPECT_EQ(effect.find_variable("c")->semantic, "COLOR");
  EXPECT_EQ(effect.find_variable("i")->semantic, "WORLD");
  EXPECT_NE(effect.shader_source.find("uniform float4x4 i"), std::string::npos);
  EXPECT_EQ(effect.shader_source.find("register"), std::string::npos);
  EXPECT_EQ(effect.find_variable("c")->where, "v.fx(3)");
  EXPECT_EQ(effect.find_variable("h"), nullptr);  // static: not a parameter
  EXPECT_EQ(effect.find_variable("j"), nullptr);
  // Uniform initializers are blanked; a static one is the compiler's to keep.
  EXPECT_EQ(effect.shader_source.find("512"), std::string::npos);
  EXPECT_NE(effect.shader_source.find("static float h = 3;"), std::string::npos);
  EXPECT_EQ(effect.shader_source.find("string"), std::string::npos);
}

TEST(EffectParser, SurvivesAnEffectCutAtEveryLength) {
  // Every prefix is a plausible half-written file: the parser must answer
  // without reading past the text and, when it accepts, keep every line.
  const std::string effect_text = kEffect;
  size_t accepted = 0;
  for (size_t length = 0; length <= effect_text.size(); ++length) {
    const std::string cut = effect_text.substr(0, length);
    ParsedEffect effect;
    std::string messages;
    if (parse_effect(cut, "cut.fx", effect, messages)) {
      ++accepted;
      ASSERT_EQ(effect.shader_source.size(), cut.size()) << length;
      ASSERT_EQ(count_lines(effect.shader_source), count_lines(cut)) << length;
    } else {
      ASSERT_EQ(messages.rfind("cut.fx(", 0), 0u) << length << ": " << messages;
    }
  }
  EXPECT_GT(accepted, 0u);
  EXPECT_LT(accepted, effect_text.size());
}

TEST(EntryWrapper, BindsCompileArgumentsToUniformParameters) {
  const char source[] =
      "void VS(in float4 p : POSITION, uniform int count, out float4 o : POSITION, uniform float s "
      "= 0.5)\n"
      "{ o = p * count * s; }\n"
      "float4 PS(float2 uv : TEXCOORD0) : COLOR0 { return uv.xyxy; }\n"
      "technique T { pass P {\n"
      "  VertexShader = compile vs_2_0 VS(3);\n"
      "  PixelShader = compile ps_2_0 PS(1); } }\n";
  ParsedEffect effect;
  std::string messages;
  ASSERT_TRUE(parse_effect(source, "w.fx", effect, messages)) << messages;
  const ParsedPass& pass = effect.techniques[0].passes[0];

  const ParsedFunction* vs = effect.find_function("VS", 1);
  ASSERT_NE(vs, nullptr);
  EXPECT_TRUE(has_uniform_parameters(*vs));
  std::string code;
  std::string error;
  ASSERT_TRUE(make_entry_wrapper(*vs, pass.vertex, "fx_entry_0", code, error)) << error;
  EXPECT_EQ(code,
            "#line 5 \"w.fx\"\n"
            "void fx_entry_0(in float4 p : POSITION, out float4 o : POSITION) { VS(p, (3), o, "
            "(0.5)); }\n");

  const ParsedFunction* ps = effect.find_function("PS", 1);
  ASSERT_NE(ps, nullptr);
  EXPECT_FALSE(has_uniform_parameters(*ps));
  EXPECT_FALSE(make_entry_wrapper(*ps, pass.pixel, "fx_entry_1", code, error));
  EXPECT_EQ(error, "'PS' takes 0 uniform argument(s), 1 given");

  ShaderRequest none = pass.vertex;
  none.arguments.clear();
  EXPECT_FALSE(make_entry_wrapper(*vs, none, "fx_entry_2", code, error));
  EXPECT_EQ(error, "uniform parameter 'count' of 'VS' has no value");
}

}  // namespace
}  // namespace fx
