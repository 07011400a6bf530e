// The pure translations of the OpenGL backend: Direct3D enumerations to GL,
// flexible vertex formats to semantic-named elements, texture-stage states
// to the fixed-function program's operations.
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "platform/d3d9_util.h"
#include "platform/fvf_layout.h"
#include "platform/gl/gl_enums.h"
#include "platform/gl/gl_fixed_function.h"

TEST(GlTranslation, RenderStateEnumsWithSafeDefaults) {
  const struct {
    DWORD d3d;
    GLenum gl;
  } compares[] = {{D3DCMP_NEVER, GL_NEVER},
                  {D3DCMP_LESS, GL_LESS},
                  {D3DCMP_EQUAL, GL_EQUAL},
                  {D3DCMP_LESSEQUAL, GL_LEQUAL},
                  {D3DCMP_GREATER, GL_GREATER},
                  {D3DCMP_NOTEQUAL, GL_NOTEQUAL},
                  {D3DCMP_GREATEREQUAL, GL_GEQUAL},
                  {D3DCMP_ALWAYS, GL_ALWAYS},
                  {0, GL_ALWAYS},
                  {99, GL_ALWAYS}};
  for (const auto& row : compares) EXPECT_EQ(gl_compare_func(row.d3d), row.gl) << row.d3d;

  const struct {
    DWORD d3d;
    GLenum gl;
  } blends[] = {{D3DBLEND_ZERO, GL_ZERO},
                {D3DBLEND_ONE, GL_ONE},
                {D3DBLEND_SRCALPHA, GL_SRC_ALPHA},
                {D3DBLEND_INVSRCALPHA, GL_ONE_MINUS_SRC_ALPHA},
                {D3DBLEND_DESTCOLOR, GL_DST_COLOR},
                {D3DBLEND_INVDESTALPHA, GL_ONE_MINUS_DST_ALPHA},
                {D3DBLEND_BLENDFACTOR, GL_CONSTANT_COLOR},
                {0, GL_ONE},
                {77, GL_ONE}};
  for (const auto& row : blends) EXPECT_EQ(gl_blend_factor(row.d3d), row.gl) << row.d3d;

  EXPECT_EQ(gl_blend_equation(D3DBLENDOP_REVSUBTRACT), GLenum(GL_FUNC_REVERSE_SUBTRACT));
  EXPECT_EQ(gl_blend_equation(D3DBLENDOP_MAX), GLenum(GL_MAX));
  EXPECT_EQ(gl_blend_equation(0), GLenum(GL_FUNC_ADD));
  // Direct3D's saturating and wrapping steps are GL's plain and _WRAP ones.
  EXPECT_EQ(gl_stencil_op(D3DSTENCILOP_INCRSAT), GLenum(GL_INCR));
  EXPECT_EQ(gl_stencil_op(D3DSTENCILOP_INCR), GLenum(GL_INCR_WRAP));
  EXPECT_EQ(gl_stencil_op(D3DSTENCILOP_DECR), GLenum(GL_DECR_WRAP));
  EXPECT_EQ(gl_stencil_op(42), GLenum(GL_KEEP));
  EXPECT_EQ(gl_polygon_mode(D3DFILL_WIREFRAME), GLenum(GL_LINE));
  EXPECT_EQ(gl_polygon_mode(D3DFILL_POINT), GLenum(GL_POINT));
  EXPECT_EQ(gl_polygon_mode(0), GLenum(GL_FILL));

  // Front faces are Direct3D's (clockwise) ones: CCW culls GL's back faces.
  EXPECT_TRUE(gl_cull(D3DCULL_CCW).enabled);
  EXPECT_EQ(gl_cull(D3DCULL_CCW).face, GLenum(GL_BACK));
  EXPECT_TRUE(gl_cull(D3DCULL_CW).enabled);
  EXPECT_EQ(gl_cull(D3DCULL_CW).face, GLenum(GL_FRONT));
  EXPECT_FALSE(gl_cull(D3DCULL_NONE).enabled);
  EXPECT_FALSE(gl_cull(0).enabled);

  GLenum mode = 0;
  const D3DPRIMITIVETYPE types[] = {D3DPT_POINTLIST,    D3DPT_LINELIST,      D3DPT_LINESTRIP,
                                    D3DPT_TRIANGLELIST, D3DPT_TRIANGLESTRIP, D3DPT_TRIANGLEFAN};
  const GLenum modes[] = {GL_POINTS,    GL_LINES,          GL_LINE_STRIP,
                          GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_TRIANGLE_FAN};
  for (int i = 0; i < 6; ++i) {
    ASSERT_TRUE(gl_primitive_mode(types[i], &mode));
    EXPECT_EQ(mode, modes[i]);
  }
  EXPECT_FALSE(gl_primitive_mode(static_cast<D3DPRIMITIVETYPE>(0), &mode));
  EXPECT_FALSE(gl_primitive_mode(static_cast<D3DPRIMITIVETYPE>(7), &mode));
}

TEST(GlTranslation, SamplerStatesAndTextureFormats) {
  EXPECT_EQ(gl_address_mode(D3DTADDRESS_WRAP), GL_REPEAT);
  EXPECT_EQ(gl_address_mode(D3DTADDRESS_MIRROR), GL_MIRRORED_REPEAT);
  EXPECT_EQ(gl_address_mode(D3DTADDRESS_CLAMP), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(gl_address_mode(D3DTADDRESS_BORDER), GL_CLAMP_TO_BORDER);
  EXPECT_EQ(gl_address_mode(0), GL_REPEAT);
  EXPECT_EQ(gl_mag_filter(D3DTEXF_POINT), GL_NEAREST);
  EXPECT_EQ(gl_mag_filter(D3DTEXF_LINEAR), GL_LINEAR);
  EXPECT_EQ(gl_mag_filter(D3DTEXF_ANISOTROPIC), GL_LINEAR);
  // Mip filter NONE samples level 0 only, whatever the chain.
  EXPECT_EQ(gl_min_filter(D3DTEXF_POINT, D3DTEXF_NONE), GL_NEAREST);
  EXPECT_EQ(gl_min_filter(D3DTEXF_LINEAR, D3DTEXF_NONE), GL_LINEAR);
  EXPECT_EQ(gl_min_filter(D3DTEXF_POINT, D3DTEXF_POINT), GL_NEAREST_MIPMAP_NEAREST);
  EXPECT_EQ(gl_min_filter(D3DTEXF_LINEAR, D3DTEXF_POINT), GL_LINEAR_MIPMAP_NEAREST);
  EXPECT_EQ(gl_min_filter(D3DTEXF_POINT, D3DTEXF_LINEAR), GL_NEAREST_MIPMAP_LINEAR);
  EXPECT_EQ(gl_min_filter(D3DTEXF_LINEAR, D3DTEXF_LINEAR), GL_LINEAR_MIPMAP_LINEAR);

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

TEST(GlTranslation, TextureStageOperationsOfTheFixedFunctionSubset) {
  EXPECT_EQ(ff_stage_op(D3DTOP_DISABLE), FfStageOp::Disable);
  EXPECT_EQ(ff_stage_op(D3DTOP_SELECTARG1), FfStageOp::SelectArg1);
  EXPECT_EQ(ff_stage_op(D3DTOP_SELECTARG2), FfStageOp::SelectArg2);
  EXPECT_EQ(ff_stage_op(D3DTOP_MODULATE), FfStageOp::Modulate);
  EXPECT_EQ(ff_stage_op(D3DTOP_DOTPRODUCT3), FfStageOp::Modulate);
  EXPECT_EQ(ff_stage_arg(D3DTA_TEXTURE), FfStageArg::Texture);
  EXPECT_EQ(ff_stage_arg(D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE), FfStageArg::Texture);
  EXPECT_EQ(ff_stage_arg(D3DTA_DIFFUSE), FfStageArg::Diffuse);
  EXPECT_EQ(ff_stage_arg(D3DTA_CURRENT), FfStageArg::Diffuse);
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
