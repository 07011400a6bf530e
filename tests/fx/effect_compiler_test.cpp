#include "platform/fx/effect_compiler.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/fx/effect_cache.h"
#include "platform/fx/glsl_program_check.h"
#include "platform/fx/parameter_store.h"
#include "tests/support/temp_dir.h"

namespace fx {
namespace {

const std::string kData = std::string(MESHVIEW_TEST_DATA) + "/fx/";

// The scene effect is compiled once for all tests that only read it.
const CompiledEffect& scene() {
  static EffectCompileResult result = compile_effect_file(kData + "scene.fx");
  EXPECT_TRUE(result.compiled()) << result.messages;
  static CompiledEffect empty;
  return result.effect ? *result.effect : empty;
}

const EffectPass& pass(const CompiledEffect& effect, size_t technique, size_t index) {
  static const EffectPass missing;
  if (technique >= effect.techniques.size() || index >= effect.techniques[technique].passes.size()) {
    ADD_FAILURE() << "no pass " << technique << "/" << index;
    return missing;
  }
  return effect.techniques[technique].passes[index];
}

uint32_t state(const EffectPass& p, uint32_t number) {
  for (const RenderStateSetting& setting : p.render_states) {
    if (setting.state == number) return setting.value;
  }
  ADD_FAILURE() << "pass " << p.name << " has no render state " << number;
  return 0xDEADBEEF;
}

float float_at(const std::vector<uint8_t>& block, uint32_t offset) {
  float value = 0;
  std::memcpy(&value, block.data() + offset, sizeof value);
  return value;
}

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The pass's two shaders link as one GLSL program.
testing::AssertionResult links(const EffectPass& p) {
  std::string log;
  if (check_glsl_program(p.vertex.glsl, p.pixel.glsl, log)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << p.name << ":\n" << log << p.vertex.glsl << p.pixel.glsl;
}

// The tail of a one-technique effect around a pixel shader PS.
const std::string kPassThroughVS = "float4 VS(float4 p : POSITION) : POSITION { return p; }\n";
const std::string kTechniqueT =
    "technique T { pass P { VertexShader = compile vs_2_0 VS(); PixelShader = compile ps_2_0 PS(); "
    "} }\n";

TEST(EffectCompiler, SceneEffectHasItsTechniquesPassesAndStates) {
  const CompiledEffect& effect = scene();
  ASSERT_EQ(effect.techniques.size(), 2u);
  EXPECT_EQ(effect.techniques[0].name, "Skinned");
  EXPECT_EQ(effect.techniques[1].name, "Wireframe");
  ASSERT_EQ(effect.techniques[0].passes.size(), 2u);
  ASSERT_EQ(effect.techniques[1].passes.size(), 1u);

  const EffectPass& shadow = pass(effect, 0, 0);
  const EffectPass& lit = pass(effect, 0, 1);
  const EffectPass& lines = pass(effect, 1, 0);
  EXPECT_EQ(shadow.name, "Shadow");
  EXPECT_EQ(lit.name, "Lit");
  EXPECT_EQ(lines.name, "Lines");
  // Each pass keeps its own states (their values are the parser's tests').
  EXPECT_EQ(state(shadow, D3DRS_CULLMODE), D3DCULL_CCW);
  EXPECT_EQ(state(lit, D3DRS_CULLMODE), D3DCULL_NONE);
  EXPECT_EQ(state(lines, D3DRS_FILLMODE), D3DFILL_WIREFRAME);
  ASSERT_EQ(lines.ignored_states.size(), 1u);
  EXPECT_EQ(lines.ignored_states[0].name, "Texture[0]");

  // The macro stood for the profile.
  EXPECT_EQ(lit.vertex.profile, "vs_2_0");
  EXPECT_EQ(lit.vertex.function, "SceneVS");
  EXPECT_EQ(lit.pixel.profile, "ps_2_0");
  for (const EffectPass* p : {&shadow, &lit, &lines}) EXPECT_TRUE(p->has_program()) << p->name;
}

TEST(EffectCompiler, SceneEffectTexturesSamplersAndTextureUnits) {
  const CompiledEffect& effect = scene();
  ASSERT_EQ(effect.textures.size(), 2u);
  EXPECT_EQ(effect.textures[0].name, "g_txScene");
  EXPECT_EQ(effect.textures[1].name, "ShadowTexture");
  ASSERT_EQ(effect.samplers.size(), 2u);
  const EffectSampler& scene_sampler = effect.samplers[0];
  EXPECT_EQ(scene_sampler.name, "SceneSampler");
  EXPECT_EQ(scene_sampler.texture, "g_txScene");
  EXPECT_EQ(scene_sampler.address_v, D3DTADDRESS_CLAMP);
  const EffectSampler& shadow_sampler = effect.samplers[1];
  EXPECT_EQ(shadow_sampler.texture, "ShadowTexture");
  EXPECT_EQ(shadow_sampler.border_color, 0xFFFFFFFFu);

  // Units are given in declaration order to the samplers a pass uses.
  const EffectPass& lit = pass(effect, 0, 1);
  ASSERT_EQ(lit.samplers.size(), 2u);
  EXPECT_EQ(lit.samplers[0].sampler, 0u);
  EXPECT_EQ(lit.samplers[0].unit, 0u);
  EXPECT_EQ(lit.samplers[1].sampler, 1u);
  EXPECT_EQ(lit.samplers[1].unit, 1u);
  EXPECT_TRUE(contains(lit.pixel.glsl, "uniform sampler2D " + lit.samplers[1].uniform + ";")) << lit.pixel.glsl;
  EXPECT_TRUE(pass(effect, 0, 0).samplers.empty());
  const EffectPass& lines = pass(effect, 1, 0);
  ASSERT_EQ(lines.samplers.size(), 1u);
  EXPECT_EQ(lines.samplers[0].sampler, 0u);
  EXPECT_EQ(lines.samplers[0].unit, 0u);
  EXPECT_EQ(lines.samplers[0].uniform, lit.samplers[0].uniform);
}

TEST(EffectCompiler, SceneEffectParametersHaveBlockOffsetsSizesAndInitialValues) {
  const CompiledEffect& effect = scene();
  struct Expected {
    const char* name;
    ValueClass value_class;
    uint32_t rows, columns, elements, offset, size;
  };
  // std140 rules: arrays and matrix vectors on 16-byte boundaries.
  const Expected expected[] = {
      {"World", ValueClass::MatrixColumns, 4, 4, 0, 0, 64},
      {"CamViewProj", ValueClass::MatrixColumns, 4, 4, 0, 64, 64},
      {"matrixBone", ValueClass::MatrixColumns, 4, 4, 4, 128, 256},
      {"LiteViewProj", ValueClass::MatrixColumns, 4, 4, 0, 384, 64},
      {"LightDir", ValueClass::Vector, 1, 3, 0, 448, 12},
      {"SMAP_SIZE", ValueClass::Scalar, 1, 1, 0, 460, 4},
      {"AmbientColor", ValueClass::Vector, 1, 4, 0, 464, 16},
      {"UseTexture", ValueClass::Scalar, 1, 1, 0, 480, 4},
      {"Weights", ValueClass::Scalar, 1, 1, 3, 496, 48},
      {"Tint", ValueClass::MatrixRows, 4, 3, 0, 544, 64},
  };
  ASSERT_EQ(effect.parameters.size(), std::size(expected));
  for (const Expected& e : expected) {
    const EffectParameter* p = effect.find_parameter(e.name);
    ASSERT_NE(p, nullptr) << e.name;
    EXPECT_EQ(p->value_class, e.value_class) << e.name;
    EXPECT_EQ(p->rows, e.rows) << e.name;
    EXPECT_EQ(p->columns, e.columns) << e.name;
    EXPECT_EQ(p->elements, e.elements) << e.name;
    EXPECT_EQ(p->offset, e.offset) << e.name;
    EXPECT_EQ(p->size, e.size) << e.name;
  }
  EXPECT_EQ(effect.find_parameter("matrixBone")->array_stride, 64u);
  EXPECT_EQ(effect.find_parameter("matrixBone")->matrix_stride, 16u);
  EXPECT_EQ(effect.find_parameter("Weights")->array_stride, 16u);
  EXPECT_EQ(effect.find_parameter("UseTexture")->type, ValueType::Bool);
  EXPECT_EQ(effect.find_parameter("World")->semantic, "WORLD");
  EXPECT_EQ(effect.uniform_block, "fx_Globals");
  EXPECT_EQ(effect.uniform_block_size, 608u);

  const std::vector<uint8_t>& initial = effect.initial_values;
  ASSERT_EQ(initial.size(), 608u);
  EXPECT_EQ(float_at(initial, 448), 0.0f);
  EXPECT_EQ(float_at(initial, 452), -1.0f);
  EXPECT_EQ(float_at(initial, 456), 0.5f);
  EXPECT_EQ(float_at(initial, 460), 512.0f);
  EXPECT_EQ(float_at(initial, 464), 0.25f);
  EXPECT_EQ(float_at(initial, 472), 0.3f);
  uint32_t use_texture = 0;
  std::memcpy(&use_texture, initial.data() + 480, 4);
  EXPECT_EQ(use_texture, 1u);
  EXPECT_EQ(float_at(initial, 496), 0.25f);
  EXPECT_EQ(float_at(initial, 512), 0.5f);
  EXPECT_EQ(float_at(initial, 528), 0.25f);
  EXPECT_EQ(float_at(initial, 0), 0.0f);  // no initial value: zero

  // Every program declares the block with exactly this size.
  for (const EffectTechnique& technique : effect.techniques) {
    for (const EffectPass& p : technique.passes) {
      EXPECT_TRUE(contains(p.vertex.glsl, "uniform fx_Globals")) << p.vertex.glsl;
    }
  }
}

TEST(EffectCompiler, EveryPassIsAGlsl330PairThatLinks) {
  const CompiledEffect& effect = scene();
  for (const EffectTechnique& technique : effect.techniques) {
    for (const EffectPass& p : technique.passes) {
      for (const std::string* glsl : {&p.vertex.glsl, &p.pixel.glsl}) {
        EXPECT_EQ(glsl->rfind("#version 330\n", 0), 0u) << *glsl;
        EXPECT_FALSE(contains(*glsl, "#extension")) << *glsl;
      }
      EXPECT_TRUE(links(p)) << technique.name;
    }
  }
}

TEST(EffectCompiler, PositionOutputsBecomeTheClipPosition) {
  const CompiledEffect& effect = scene();
  // Lit returns a struct whose member is ": POSITION"; Shadow writes an out
  // parameter marked POSITION. Both must drive gl_Position.
  for (const EffectPass* p : {&pass(effect, 0, 0), &pass(effect, 0, 1), &pass(effect, 1, 0)}) {
    EXPECT_TRUE(contains(p->vertex.glsl, "gl_Position = ")) << p->name << "\n" << p->vertex.glsl;
    EXPECT_FALSE(contains(p->vertex.glsl, "fx_v_POSITION0")) << p->name << "\n" << p->vertex.glsl;
  }
  // The pixel shader takes the whole output struct; its POSITION member is
  // the fragment position rather than an input nothing writes.
  EXPECT_TRUE(contains(pass(effect, 0, 1).pixel.glsl, "gl_FragCoord")) << pass(effect, 0, 1).pixel.glsl;
}

TEST(EffectCompiler, VertexOutputsMeetPixelInputsBySemantic) {
  const CompiledEffect& effect = scene();
  // Lines: the vertex shader's struct member TexCoord and the pixel shader's
  // parameter uv share TEXCOORD0, Diffuse and diffuse share COLOR0.
  const EffectPass& lines = pass(effect, 1, 0);
  for (const char* name : {"fx_v_TEXCOORD0", "fx_v_COLOR0"}) {
    EXPECT_TRUE(contains(lines.vertex.glsl, std::string("out vec4 ") + name + ";")) << name << "\n" << lines.vertex.glsl;
    EXPECT_TRUE(contains(lines.pixel.glsl, std::string("in vec4 ") + name + ";")) << name << "\n" << lines.pixel.glsl;
  }
  // Same semantic, different HLSL names in the two shaders of the shadow pass.
  EXPECT_TRUE(contains(pass(effect, 0, 0).vertex.glsl, "out vec4 fx_v_TEXCOORD0;"));
  EXPECT_TRUE(contains(pass(effect, 0, 0).pixel.glsl, "in vec4 fx_v_TEXCOORD0;"));

  // Vertex inputs report their semantics for the vertex streams.
  const std::vector<VertexInput>& inputs = pass(effect, 0, 1).vertex_inputs;
  ASSERT_EQ(inputs.size(), 5u);
  std::string semantics;
  for (const VertexInput& input : inputs) {
    semantics += input.semantic + std::to_string(input.semantic_index) + " ";
    EXPECT_TRUE(contains(pass(effect, 0, 1).vertex.glsl,
                         "layout(location = " + std::to_string(input.location) + ") in ")) << input.attribute;
  }
  EXPECT_EQ(semantics, "POSITION0 BLENDWEIGHT0 BLENDINDICES0 NORMAL0 TEXCOORD0 ");
  EXPECT_EQ(inputs[4].components, 2u);

  // The check itself must catch a pixel input no vertex output writes.
  std::string log;
  std::string reads_color1 = lines.pixel.glsl;
  size_t at = reads_color1.find("fx_v_COLOR0");
  ASSERT_NE(at, std::string::npos);
  while ((at = reads_color1.find("fx_v_COLOR0")) != std::string::npos) reads_color1.replace(at, 11, "fx_v_COLOR1");
  EXPECT_FALSE(check_glsl_program(lines.vertex.glsl, reads_color1, log));
  EXPECT_TRUE(contains(log, "fx_v_COLOR1")) << log;
}

TEST(EffectCompiler, OutputsAndInputsOfDifferentWidthsStillMeet) {
  // Direct3D 9 pairs by semantic whatever the widths: float4 written, float2
  // read; float3 written, float4 read (w = 1); one float each way.
  TempDir dir;
  write_whole_file(
      dir.file("widths.fx"),
      "float4x4 WorldViewProj;\n"
      "struct VS_OUT { float4 pos : POSITION; float4 uv : TEXCOORD0; float3 tint : COLOR0;\n"
      "                float fog : TEXCOORD1; };\n"
      "VS_OUT VS(float4 p : POSITION, float2 uv : TEXCOORD0)\n"
      "{ VS_OUT o; o.pos = mul(p, WorldViewProj); o.uv = uv.xyxy; o.tint = p.xyz; o.fog = p.w; "
      "return o; }\n"
      "float4 PS(float2 uv : TEXCOORD0, float4 tint : COLOR0, float fog : TEXCOORD1) : COLOR\n"
      "{ return tint * uv.x * fog; }\n" +
          kTechniqueT);
  EffectCompileResult result = compile_effect_file(dir.file("widths.fx"));
  ASSERT_TRUE(result.compiled()) << result.messages;
  const EffectPass& p = result.effect->techniques[0].passes[0];
  EXPECT_TRUE(links(p));
  EXPECT_TRUE(contains(p.vertex.glsl, "fx_v_COLOR0 = vec4(fx_l_COLOR0, 1.0);")) << p.vertex.glsl;
  EXPECT_TRUE(contains(p.vertex.glsl, "fx_v_TEXCOORD1 = vec4(fx_l_TEXCOORD1, 0.0, 0.0, 1.0);")) << p.vertex.glsl;
  EXPECT_TRUE(contains(p.pixel.glsl, "fx_l_TEXCOORD0 = fx_v_TEXCOORD0.xy;")) << p.pixel.glsl;
  EXPECT_TRUE(contains(p.pixel.glsl, "fx_l_TEXCOORD1 = fx_v_TEXCOORD1.x;")) << p.pixel.glsl;
}

TEST(EffectCompiler, CompileArgumentsBindUniformParameters) {
  const CompiledEffect& effect = scene();
  // SceneVS(true) and SceneVS(false): one function, two programs.
  const std::string& lit = pass(effect, 0, 1).vertex.glsl;
  const std::string& unlit = pass(effect, 1, 0).vertex.glsl;
  EXPECT_NE(lit, unlit);
  EXPECT_TRUE(contains(lit, "SceneVS(")) << lit;
  EXPECT_TRUE(contains(lit, "true")) << lit;
  EXPECT_TRUE(contains(unlit, "false")) << unlit;
}

TEST(EffectCompiler, FailuresNameTheFileAndLine) {
  struct Case {
    const char* file;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {"syntax_error.fx", {"syntax_error.fx(8): error"}},
      {"include_error.fx", {"broken.fxh(3): error", "UndeclaredScale"}},
      {"effect_error.fx", {"effect_error.fx(11): error: invalid value 'WIREFRAME' for render state 'DestBlend'"}},
      {"entry_errors.fx",
       {"entry_errors.fx(8): error: entry point 'NoSuchFunction' not found",
        "entry_errors.fx(13): error: 'Scaled' takes 1 uniform argument(s), 2 given"}},
      {"bad_values.fx", {"bad_values.fx(20): error: PS: pixel shader output semantic TEXCOORD0 is not supported"}},
  };
  for (const Case& c : cases) {
    EffectCompileResult result = compile_effect_file(kData + c.file);
    EXPECT_EQ(result.status, EffectStatus::Failed) << c.file;
    EXPECT_EQ(result.effect, nullptr) << c.file;
    for (const std::string& part : c.expected) EXPECT_TRUE(contains(result.messages, part)) << c.file << ":\n" << result.messages;
  }

  // With the shader mended, the short initial value is what remains.
  TempDir dir;
  std::string mended = read_whole_file(kData + "bad_values.fx");
  mended.replace(mended.find(": TEXCOORD0\n"), 11, ": COLOR0   ");
  write_whole_file(dir.file("bad_values.fx"), mended);
  EffectCompileResult short_value = compile_effect_file(dir.file("bad_values.fx"));
  EXPECT_FALSE(short_value.compiled());
  EXPECT_TRUE(contains(short_value.messages, "bad_values.fx(3): error: initial value of 'LightDir' has 2 components, 3 expected"))
      << short_value.messages;

  // A missing file is told apart: no compiler text at all.
  EffectCompileResult missing = compile_effect_file(kData + "no_such_effect.fx");
  EXPECT_EQ(missing.status, EffectStatus::FileNotFound);
  EXPECT_TRUE(missing.messages.empty());
}

TEST(EffectCompiler, IncludesAndFileNamesAreFoundAsWrittenOnWindows) {
  TempDir dir;
  std::filesystem::create_directories(dir.path() / "Effects" / "Shared");
  write_whole_file(dir.file("Effects/Shared/Colors.fxh"), "#define RED float4(1, 0, 0, 1)\n");
  write_whole_file(dir.file("Effects/flat.fx"),
                   "#include \"shared\\colors.fxh\"\n"
                   "float4 PS() : COLOR { return RED; }\n" +
                       kPassThroughVS + kTechniqueT);
  EffectCompileResult result = compile_effect_file(dir.path().string() + "/effects\\FLAT.fx");
  ASSERT_TRUE(result.compiled()) << result.messages;
  EXPECT_TRUE(links(result.effect->techniques[0].passes[0]));
}

TEST(EffectCompiler, GlobalsNoShaderReadsAreStillParameters) {
  // The renderer sets World and LightDir on every effect; setting them must
  // not fail because this effect's shaders happen not to read them.
  TempDir dir;
  write_whole_file(dir.file("plain.fx"),
                   "float4x4 World;\n"
                   "float3 LightDir = {1, 2, 3};\n"
                   "float4 PS() : COLOR { return float4(1, 0, 0, 1); }\n" +
                       kPassThroughVS + kTechniqueT);
  EffectCompileResult result = compile_effect_file(dir.file("plain.fx"));
  ASSERT_TRUE(result.compiled()) << result.messages;
  const CompiledEffect& effect = *result.effect;
  ASSERT_NE(effect.find_parameter("World"), nullptr);
  ASSERT_NE(effect.find_parameter("LightDir"), nullptr);
  EXPECT_EQ(effect.find_parameter("LightDir")->offset, 64u);
  EXPECT_EQ(float_at(effect.initial_values, 68), 2.0f);
  const EffectPass& p = effect.techniques[0].passes[0];
  EXPECT_FALSE(contains(p.vertex.glsl, "fx_Globals")) << p.vertex.glsl;
  EXPECT_TRUE(links(p));
}

TEST(EffectCompiler, ClipSpaceOptionsStillLink) {
  EffectCompileOptions options;
  options.glsl.fixup_clip_space = true;
  options.glsl.flip_vertex_y = true;
  options.glsl.position_offset_uniform = "fx_PixelOffset";
  EffectCompileResult result = compile_effect_file(kData + "scene.fx", options);
  ASSERT_TRUE(result.compiled()) << result.messages;
  const EffectPass& lit = result.effect->techniques[0].passes[1];
  EXPECT_TRUE(contains(lit.vertex.glsl, "uniform vec2 fx_PixelOffset;")) << lit.vertex.glsl;
  EXPECT_TRUE(contains(lit.vertex.glsl, "gl_Position.xy += fx_PixelOffset * gl_Position.w;"));
  EXPECT_TRUE(contains(lit.vertex.glsl, "gl_Position.y = -gl_Position.y;")) << lit.vertex.glsl;
  EXPECT_FALSE(contains(scene().techniques[0].passes[1].vertex.glsl, "fx_PixelOffset"));
  EXPECT_TRUE(links(lit));
}

TEST(EffectCache, CompilesTheSameFileOnceAndAgainWhenItChanges) {
  TempDir dir;
  const std::string path = dir.file("cached.fx");
  const std::string source =
      "float4 Tint = {1, 1, 1, 1};\n"
      "float4 PS() : COLOR { return Tint; }\n" +
      kPassThroughVS + kTechniqueT;
  write_whole_file(path, source);
  EffectCache cache;
  EffectCompileResult first = cache.compile_file(path);
  EffectCompileResult second = cache.compile_file(path);
  ASSERT_TRUE(first.compiled()) << first.messages;
  EXPECT_TRUE(second.compiled());
  EXPECT_EQ(first.effect, second.effect);
  EXPECT_EQ(cache.compilations(), 1u);

  // Other options make another program.
  EffectCompileOptions flipped;
  flipped.glsl.flip_vertex_y = true;
  EXPECT_NE(cache.compile_file(path, flipped).effect, first.effect);
  EXPECT_EQ(cache.compilations(), 2u);

  // Changed bytes compile again; a failure is not kept.
  write_whole_file(path, source + "technique Broken { pass P { CullMode = NOWHERE; } }\n");
  EXPECT_FALSE(cache.compile_file(path).compiled());
  EXPECT_FALSE(cache.compile_file(path).compiled());
  EXPECT_EQ(cache.compilations(), 4u);
  write_whole_file(path, source);
  EXPECT_TRUE(cache.compile_file(path).compiled());
  EXPECT_EQ(cache.compilations(), 5u);
  EXPECT_EQ(cache.compile_file(dir.file("absent.fx")).status, EffectStatus::FileNotFound);
}

}  // namespace
}  // namespace fx
