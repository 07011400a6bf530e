// The pure translations of the OpenGL backend: Direct3D enumerations to GL,
// flexible vertex formats to semantic-named elements, texture-stage states
// to the fixed-function program's operations.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "platform/d3d9_util.h"
#include "platform/fvf_layout.h"
#include "platform/gl/gl_enums.h"
#include "platform/gl/gl_fixed_function.h"

// One-to-one names are left to the pixel tests; here, the values Direct3D
// does not define (each falls back to a harmless default) and the mappings
// whose GL names mean something else.
TEST(GlTranslation, UnknownValuesFallBackAndDifferentlyNamedOnesMapRight) {
  const struct {
    const char* what;
    long got, expected;  // GL's enums come as GLenum or GLint
  } cases[] = {
      {"compare 0", gl_compare_func(0), GL_ALWAYS},
      {"compare 99", gl_compare_func(99), GL_ALWAYS},
      {"blend 0", gl_blend_factor(0), GL_ONE},
      {"blend 77", gl_blend_factor(77), GL_ONE},
      {"blend factor", gl_blend_factor(D3DBLEND_BLENDFACTOR), GL_CONSTANT_COLOR},
      {"blend op 0", gl_blend_equation(0), GL_FUNC_ADD},
      {"reverse subtract", gl_blend_equation(D3DBLENDOP_REVSUBTRACT), GL_FUNC_REVERSE_SUBTRACT},
      // Direct3D's saturating and wrapping steps are GL's plain and _WRAP ones.
      {"stencil incrsat", gl_stencil_op(D3DSTENCILOP_INCRSAT), GL_INCR},
      {"stencil incr", gl_stencil_op(D3DSTENCILOP_INCR), GL_INCR_WRAP},
      {"stencil decr", gl_stencil_op(D3DSTENCILOP_DECR), GL_DECR_WRAP},
      {"stencil 42", gl_stencil_op(42), GL_KEEP},
      {"fill 0", gl_polygon_mode(0), GL_FILL},
      {"address 0", gl_address_mode(0), GL_REPEAT},
      {"anisotropic magnification", gl_mag_filter(D3DTEXF_ANISOTROPIC), GL_LINEAR},
      // Mip filter NONE samples level 0 only, whatever the chain.
      {"min point, no mips", gl_min_filter(D3DTEXF_POINT, D3DTEXF_NONE), GL_NEAREST},
      {"min linear, no mips", gl_min_filter(D3DTEXF_LINEAR, D3DTEXF_NONE), GL_LINEAR},
      {"min linear, point mips", gl_min_filter(D3DTEXF_LINEAR, D3DTEXF_POINT),
       GL_LINEAR_MIPMAP_NEAREST},
      {"min point, linear mips", gl_min_filter(D3DTEXF_POINT, D3DTEXF_LINEAR),
       GL_NEAREST_MIPMAP_LINEAR},
      // The fixed-function subset: a dot product modulates, the current
      // colour is the diffuse one and alpha replication is dropped.
      {"stage op dot3", long(ff_stage_op(D3DTOP_DOTPRODUCT3)), long(FfStageOp::Modulate)},
      {"stage op modulate", long(ff_stage_op(D3DTOP_MODULATE)), long(FfStageOp::Modulate)},
      {"stage arg current", long(ff_stage_arg(D3DTA_CURRENT)), long(FfStageArg::Diffuse)},
      {"stage arg replicated", long(ff_stage_arg(D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE)),
       long(FfStageArg::Texture)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.what;

  // Front faces are Direct3D's (clockwise) ones: CCW culls GL's back faces.
  EXPECT_TRUE(gl_cull(D3DCULL_CCW).enabled);
  EXPECT_EQ(gl_cull(D3DCULL_CCW).face, GLenum(GL_BACK));
  EXPECT_EQ(gl_cull(D3DCULL_CW).face, GLenum(GL_FRONT));
  EXPECT_FALSE(gl_cull(D3DCULL_NONE).enabled);
  EXPECT_FALSE(gl_cull(0).enabled);

  GLenum mode = 0;
  EXPECT_TRUE(gl_primitive_mode(D3DPT_TRIANGLEFAN, &mode));
  EXPECT_EQ(mode, GLenum(GL_TRIANGLE_FAN));
  EXPECT_FALSE(gl_primitive_mode(static_cast<D3DPRIMITIVETYPE>(0), &mode));
  EXPECT_FALSE(gl_primitive_mode(static_cast<D3DPRIMITIVETYPE>(7), &mode));
}

TEST(GlTranslation, TextureFormats) {
  GlTextureFormat format;
  ASSERT_TRUE(gl_texture_format(D3DFMT_A8R8G8B8, &format));
  // ARGB words are B, G, R, A bytes.
  EXPECT_EQ(format.format, GLenum(GL_BGRA));
  EXPECT_EQ(format.internalFormat, GL_RGBA8);
  EXPECT_EQ(format.bytesPerTexel, 4u);
  ASSERT_TRUE(gl_texture_format(D3DFMT_X8R8G8B8, &format));
  EXPECT_EQ(format.swizzle[3], GL_ONE);
  ASSERT_TRUE(gl_texture_format(D3DFMT_R32F, &format));
  EXPECT_EQ(format.internalFormat, GL_R32F);
  EXPECT_TRUE(format.renderable);
  const GLint oneRed[4] = {GL_RED, GL_ONE, GL_ONE, GL_ONE};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(format.swizzle[i], oneRed[i]) << i;
  EXPECT_FALSE(gl_texture_format(D3DFMT_DXT1, &format));
  EXPECT_FALSE(gl_texture_format(D3DFMT_D24S8, &format));
}

TEST(GlTranslation, VertexLayoutsOfTheModelAndUtilityFormats) {
  // Skinned: 3 weights, palette in the last beta, normal, one set, a
  // 3-component tangent set.
  FvfLayout skinned = DecodeFvf(0x4121C);
  EXPECT_EQ(skinned.size, 60u);
  EXPECT_EQ(skinned.size, VertexSizeOfFVF(0x4121C));
  ASSERT_EQ(skinned.count, 6);
  const VertexElement* weights = skinned.Find(VertexSemantic::BlendWeight, 0);
  ASSERT_NE(weights, nullptr);
  EXPECT_EQ(weights->components, 3);
  EXPECT_EQ(weights->offset, 12u);
  const VertexElement* indices = skinned.Find(VertexSemantic::BlendIndices, 0);
  ASSERT_NE(indices, nullptr);
  EXPECT_EQ(indices->type, VertexElementType::UByte4);
  EXPECT_EQ(indices->offset, 24u);
  EXPECT_EQ(skinned.Find(VertexSemantic::Normal, 0)->offset, 28u);
  EXPECT_EQ(skinned.Find(VertexSemantic::TexCoord, 0)->components, 2);
  const VertexElement* tangent = skinned.Find(VertexSemantic::TexCoord, 1);
  ASSERT_NE(tangent, nullptr);
  EXPECT_EQ(tangent->components, 3);
  EXPECT_EQ(tangent->offset, 48u);
  EXPECT_FALSE(skinned.pretransformed);

  // Static: normal, two sets and a tangent; shadow volume: two vectors.
  const FvfLayout statics = DecodeFvf(0x100312);
  EXPECT_EQ(statics.size, 52u);
  EXPECT_EQ(statics.Find(VertexSemantic::TexCoord, 2)->offset, 40u);
  EXPECT_EQ(statics.Find(VertexSemantic::BlendWeight, 0), nullptr);
  const FvfLayout shadow = DecodeFvf(0x50202);
  EXPECT_EQ(shadow.size, 36u);
  EXPECT_EQ(shadow.Find(VertexSemantic::TexCoord, 1)->offset, 24u);

  // The device utilities' and the font's formats.
  const FvfLayout screen = DecodeFvf(D3DFVF_XYZRHW | D3DFVF_TEX1);
  EXPECT_TRUE(screen.pretransformed);
  EXPECT_EQ(screen.size, 24u);
  EXPECT_EQ(screen.Find(VertexSemantic::Position, 0)->components, 4);
  const FvfLayout glyph = DecodeFvf(D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1);
  EXPECT_EQ(glyph.size, 28u);
  EXPECT_EQ(glyph.Find(VertexSemantic::Color, 0)->type, VertexElementType::D3DColor);
  EXPECT_EQ(glyph.Find(VertexSemantic::TexCoord, 0)->offset, 20u);
  const FvfLayout colored = DecodeFvf(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  EXPECT_EQ(colored.size, 16u);
  EXPECT_EQ(colored.Find(VertexSemantic::Color, 0)->offset, 12u);

  // Without LASTBETA every beta is a weight.
  const FvfLayout plainWeights = DecodeFvf(D3DFVF_XYZB2);
  EXPECT_EQ(plainWeights.Find(VertexSemantic::BlendWeight, 0)->components, 2);
  EXPECT_EQ(plainWeights.Find(VertexSemantic::BlendIndices, 0), nullptr);
}

TEST(GlTranslation, ShaderSemanticNames) {
  const struct {
    const char* name;
    VertexSemantic semantic;
    uint8_t index;
  } good[] = {{"POSITION", VertexSemantic::Position, 0},
              {"position0", VertexSemantic::Position, 0},
              {"POSITIONT", VertexSemantic::Position, 0},
              {"BLENDWEIGHT", VertexSemantic::BlendWeight, 0},
              {"BlendIndices0", VertexSemantic::BlendIndices, 0},
              {"NORMAL", VertexSemantic::Normal, 0},
              {"TEXCOORD", VertexSemantic::TexCoord, 0},
              {"TEXCOORD7", VertexSemantic::TexCoord, 7},
              {"TEXCOORD12", VertexSemantic::TexCoord, 12},
              {"COLOR1", VertexSemantic::Color, 1},
              {"PSIZE", VertexSemantic::PointSize, 0},
              {"TANGENT0", VertexSemantic::Tangent, 0}};
  for (const auto& row : good) {
    VertexSemantic semantic = VertexSemantic::Normal;
    uint8_t index = 99;
    ASSERT_TRUE(parse_vertex_semantic(row.name, &semantic, &index)) << row.name;
    EXPECT_EQ(semantic, row.semantic) << row.name;
    EXPECT_EQ(index, row.index) << row.name;
  }
  VertexSemantic semantic;
  uint8_t index;
  for (const char* bad : {"", "TANGENTX", "TEXCOORD1A", "COLOR256", "TEXCOORD99999999999", "POS"}) {
    EXPECT_FALSE(parse_vertex_semantic(bad, &semantic, &index)) << bad;
  }
  EXPECT_FALSE(parse_vertex_semantic(nullptr, &semantic, &index));
}
