// The pieces that adapt a pass's GLSL and vertex inputs to this device.
#include <string>

#include "tests/gl/effect_test_support.h"

namespace {

size_t Count(const std::string& text, const std::string& word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

}  // namespace

TEST(GlEffectTranslation, VertexSourceEndsWithThePositionFixUpAfterItsDirectives) {
  const std::string glsl =
      "#version 330\n"
      "#extension GL_ARB_separate_shader_objects : enable\n"
      "layout(location = 0) in vec4 fx_a_POSITION0;\n"
      "void main()\n{\n    gl_Position = fx_a_POSITION0;\n}\n";
  const std::string source = gl_effect_vertex_source(glsl);
  ASSERT_EQ(source.rfind("#version 330\n#extension GL_ARB_separate_shader_objects : enable\n", 0), 0u) << source;
  EXPECT_LT(source.find("mv_fix_position"), source.find("in vec4 fx_a_POSITION0"));
  EXPECT_EQ(Count(source, "void main()"), 1u);
  EXPECT_LT(source.find("void mv_effect_main()"), source.find("void main()"));
  EXPECT_NE(source.find("gl_Position = mv_fix_position(gl_Position);"), std::string::npos);

  // It links, and the device finds the fix-up's uniforms in it.
  GlTestDevice device(8, 8);
  ASSERT_TRUE(device.ok());
  device.gl()->MakeCurrent();
  std::string messages;
  GLuint program = gl_build_program(source.c_str(), "#version 330\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n",
                                    &messages);
  ASSERT_NE(program, 0u) << messages;
  EXPECT_GE(gl_find_position_fixup(program).pixelShift, 0);
  gl_delete_program(program);

  EXPECT_EQ(gl_effect_vertex_source("void main() {}\n"), "");
  EXPECT_EQ(gl_effect_vertex_source("#version 330\nvoid other() {}\n"), "");
}

TEST(GlEffectTranslation, InputsAreFoundBySemanticAndUnknownOnesReadTheMissingConstant) {
  const auto input = [](const char* semantic, uint32_t index, fx::ValueType type, uint32_t location) {
    fx::VertexInput v;
    v.semantic = semantic;
    v.semantic_index = index;
    v.type = type;
    v.location = location;
    return v;
  };
  const std::vector<GlInputLocation> locations = gl_effect_inputs({
      input("POSITION", 0, fx::ValueType::Float, 0),
      input("BLENDINDICES", 0, fx::ValueType::Int, 1),
      input("TEXCOORD", 3, fx::ValueType::Float, 2),
      input("FOG", 0, fx::ValueType::Float, 3),
  });
  ASSERT_EQ(locations.size(), 4u);
  EXPECT_EQ(locations[0].semantic, VertexSemantic::Position);
  EXPECT_FALSE(locations[0].integer);
  EXPECT_EQ(locations[1].semantic, VertexSemantic::BlendIndices);
  EXPECT_TRUE(locations[1].integer);
  EXPECT_EQ(locations[2].semantic, VertexSemantic::TexCoord);
  EXPECT_EQ(locations[2].index, 3);
  EXPECT_EQ(locations[2].location, 2);
  // No vertex format, however full, supplies the unknown semantic.
  const VertexLayout everything = vertex_layout_of_fvf(D3DFVF_XYZB5 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_NORMAL |
                                                       D3DFVF_PSIZE | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX8);
  EXPECT_EQ(everything.Find(locations[3].semantic, locations[3].index), nullptr);
  EXPECT_EQ(locations[3].location, 3);
}
