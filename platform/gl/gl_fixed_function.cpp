#include "platform/gl/gl_fixed_function.h"

#include <string>

namespace {

const char kVertexMain[] = R"(
layout(location = 0) in vec4 a_position;
layout(location = 1) in vec4 a_color;
layout(location = 2) in vec4 a_texcoord;
uniform mat4 u_worldViewProj;
uniform mat4 u_worldView;
uniform bool u_pretransformed;
uniform vec4 u_viewport;
uniform bool u_hasColor;
uniform bool u_lighting;
uniform float u_pointSize;
uniform bool u_pointScale;
uniform vec3 u_pointScaleFactors;
uniform vec2 u_pointSizeRange;
out vec4 v_color;
out vec2 v_texcoord;
void main() {
  vec4 color = u_hasColor ? a_color : vec4(1.0);
  float size = u_pointSize;
  vec4 clip;
  if (u_pretransformed) {
    // Pixels of the render target and 1/w, back to clip space.
    float w = a_position.w > 0.0 ? 1.0 / a_position.w : 1.0;
    vec2 ndc = vec2((a_position.x - u_viewport.x) / u_viewport.z * 2.0 - 1.0,
                    1.0 - (a_position.y - u_viewport.y) / u_viewport.w * 2.0);
    clip = vec4(ndc * w, a_position.z * w, w);
  } else {
    vec4 p = vec4(a_position.xyz, 1.0);
    // Matrices arrive row-major for row vectors, so GL reads them transposed.
    clip = u_worldViewProj * p;
    if (u_pointScale) {
      // Direct3D 9 point scaling, with d the distance from the eye.
      float d = length((u_worldView * p).xyz);
      float f = u_pointScaleFactors.x + u_pointScaleFactors.y * d +
                u_pointScaleFactors.z * d * d;
      size = f > 0.0 ? u_viewport.w * u_pointSize * sqrt(1.0 / f) : u_pointSizeRange.y;
    }
    // No lights exist: a lit vertex keeps only its alpha.
    if (u_lighting) color = vec4(0.0, 0.0, 0.0, u_hasColor ? a_color.a : 0.0);
  }
  gl_PointSize = clamp(size, u_pointSizeRange.x, u_pointSizeRange.y);
  v_color = color;
  v_texcoord = a_texcoord.xy;
  gl_Position = mv_fix_position(clip);
}
)";

const char kFragment[] = R"(#version 330 core
in vec4 v_color;
in vec2 v_texcoord;
uniform sampler2D u_texture;
uniform bool u_pointSprite;
uniform ivec3 u_colorStage;
uniform ivec3 u_alphaStage;
out vec4 o_color;
vec4 argument(int which, vec4 diffuse, vec4 texel) { return which == 1 ? texel : diffuse; }
vec4 combine(ivec3 stage, vec4 diffuse, vec4 texel) {
  vec4 a1 = argument(stage.y, diffuse, texel);
  vec4 a2 = argument(stage.z, diffuse, texel);
  if (stage.x == 1) return a1;
  if (stage.x == 2) return a2;
  if (stage.x == 3) return a1 * a2;
  return diffuse;
}
void main() {
  vec2 uv = u_pointSprite ? gl_PointCoord : v_texcoord;
  vec4 texel = texture(u_texture, uv);
  o_color = vec4(combine(u_colorStage, v_color, texel).rgb,
                 combine(u_alphaStage, v_color, texel).a);
}
)";

}  // namespace

FfStageOp ff_stage_op(DWORD d3dTextureOp) {
  switch (d3dTextureOp) {
    case D3DTOP_DISABLE: return FfStageOp::Disable;
    case D3DTOP_SELECTARG1: return FfStageOp::SelectArg1;
    case D3DTOP_SELECTARG2: return FfStageOp::SelectArg2;
    default: return FfStageOp::Modulate;
  }
}

FfStageArg ff_stage_arg(DWORD d3dTextureArg) {
  return (d3dTextureArg & D3DTA_SELECTMASK) == D3DTA_TEXTURE ? FfStageArg::Texture
                                                             : FfStageArg::Diffuse;
}

bool GlFixedFunction::Build() {
  if (program_ != 0) return true;
  const std::string vertex = std::string("#version 330 core\n") + kGlPositionFixupGlsl + kVertexMain;
  program_ = gl_build_program(vertex.c_str(), kFragment);
  if (program_ == 0) return false;
  fixup_ = gl_find_position_fixup(program_);
  at_.worldViewProj = glGetUniformLocation(program_, "u_worldViewProj");
  at_.worldView = glGetUniformLocation(program_, "u_worldView");
  at_.pretransformed = glGetUniformLocation(program_, "u_pretransformed");
  at_.viewport = glGetUniformLocation(program_, "u_viewport");
  at_.hasColor = glGetUniformLocation(program_, "u_hasColor");
  at_.lighting = glGetUniformLocation(program_, "u_lighting");
  at_.pointSize = glGetUniformLocation(program_, "u_pointSize");
  at_.pointScale = glGetUniformLocation(program_, "u_pointScale");
  at_.pointScaleFactors = glGetUniformLocation(program_, "u_pointScaleFactors");
  at_.pointSizeRange = glGetUniformLocation(program_, "u_pointSizeRange");
  at_.pointSprite = glGetUniformLocation(program_, "u_pointSprite");
  at_.colorStage = glGetUniformLocation(program_, "u_colorStage");
  at_.alphaStage = glGetUniformLocation(program_, "u_alphaStage");
  at_.texture = glGetUniformLocation(program_, "u_texture");
  inputs_[0] = {VertexSemantic::Position, 0, 0, false};
  inputs_[1] = {VertexSemantic::Color, 0, 1, false};
  inputs_[2] = {VertexSemantic::TexCoord, 0, 2, false};
  return true;
}

void GlFixedFunction::Release() { gl_delete_program(program_); }

void GlFixedFunction::Use(const FfSettings& s, bool flipY) {
  glUseProgram(program_);
  glUniformMatrix4fv(at_.worldViewProj, 1, GL_FALSE, s.worldViewProj.m);
  glUniformMatrix4fv(at_.worldView, 1, GL_FALSE, s.worldView.m);
  glUniform1i(at_.pretransformed, s.pretransformed ? 1 : 0);
  glUniform4fv(at_.viewport, 1, s.viewport);
  glUniform1i(at_.hasColor, s.hasColor ? 1 : 0);
  glUniform1i(at_.lighting, s.lighting ? 1 : 0);
  glUniform1f(at_.pointSize, s.pointSize);
  glUniform1i(at_.pointScale, s.pointScale ? 1 : 0);
  glUniform3f(at_.pointScaleFactors, s.pointScaleA, s.pointScaleB, s.pointScaleC);
  glUniform2f(at_.pointSizeRange, s.pointSizeMin, s.pointSizeMax);
  glUniform1i(at_.pointSprite, s.pointSprite ? 1 : 0);
  glUniform3i(at_.colorStage, GLint(s.color.op), GLint(s.color.arg1), GLint(s.color.arg2));
  glUniform3i(at_.alphaStage, GLint(s.alpha.op), GLint(s.alpha.arg1), GLint(s.alpha.arg2));
  glUniform1i(at_.texture, 0);
  gl_set_position_fixup(fixup_, s.viewport[2], s.viewport[3], flipY);
}
