#include <bit>

#include "platform/d3d9_rules.h"
#include "platform/d3d9_util.h"
#include "platform/gl/gl_device.h"
#include "platform/gl/gl_enums.h"

FfSettings GlDevice::FixedFunctionSettings(const FvfLayout& layout) const {
  FfSettings s;
  s.pretransformed = layout.pretransformed;
  s.hasColor = layout.Find(VertexSemantic::Color, 0) != nullptr;
  s.lighting = RenderStateValue(D3DRS_LIGHTING) != 0;
  const Matrix4 world = state_.Transform(D3DTS_WORLD);
  const Matrix4 view = state_.Transform(D3DTS_VIEW);
  const Matrix4 projection = state_.Transform(D3DTS_PROJECTION);
  const D3DVIEWPORT9& viewport = state_.Viewport();
  s.worldView = world * view;
  s.worldViewProj = s.worldView * projection;
  s.viewport[0] = float(viewport.X);
  s.viewport[1] = float(viewport.Y);
  s.viewport[2] = float(viewport.Width);
  s.viewport[3] = float(viewport.Height);

  const auto stage = [this](D3DTEXTURESTAGESTATETYPE type) {
    return state_.TextureStageState(0, type);
  };
  s.color = {ff_stage_op(stage(D3DTSS_COLOROP)), ff_stage_arg(stage(D3DTSS_COLORARG1)),
             ff_stage_arg(stage(D3DTSS_COLORARG2))};
  s.alpha = {ff_stage_op(stage(D3DTSS_ALPHAOP)), ff_stage_arg(stage(D3DTSS_ALPHAARG1)),
             ff_stage_arg(stage(D3DTSS_ALPHAARG2))};
  // A disabled first stage disables the whole cascade: the diffuse colour
  // passes through, alpha included.
  if (s.color.op == FfStageOp::Disable) s.alpha.op = FfStageOp::Disable;

  s.pointSize = RenderStateFloat(D3DRS_POINTSIZE);
  s.pointScale = RenderStateValue(D3DRS_POINTSCALEENABLE) != 0;
  s.pointScaleA = RenderStateFloat(D3DRS_POINTSCALE_A);
  s.pointScaleB = RenderStateFloat(D3DRS_POINTSCALE_B);
  s.pointScaleC = RenderStateFloat(D3DRS_POINTSCALE_C);
  const float deviceMax = context_->MaxPointSize();
  const float stateMax = RenderStateFloat(D3DRS_POINTSIZE_MAX);
  s.pointSizeMax = stateMax < deviceMax ? stateMax : deviceMax;
  s.pointSizeMin = RenderStateFloat(D3DRS_POINTSIZE_MIN);
  if (!(s.pointSizeMin >= 1.0f)) s.pointSizeMin = 1.0f;
  if (!(s.pointSizeMax >= s.pointSizeMin)) s.pointSizeMax = s.pointSizeMin;
  s.pointSprite = RenderStateValue(D3DRS_POINTSPRITEENABLE) != 0;
  return s;
}

bool GlDevice::PrepareDraw(GLuint buffer, uintptr_t offset, GLsizei stride) {
  drawState_.Begin(this);
  if (!BindTarget()) return false;
  if (drawState_.RenderStatesNeeded(state_.TakeRenderStateChange())) ApplyRenderStates();
  const FvfLayout layout = DecodeFvf(state_.FVF());
  const D3DVIEWPORT9& viewport = state_.Viewport();
  const bool flipY = !context_->HasClipControl();
  const GlInputLocation* inputs = nullptr;
  int inputCount = 0;
  if (effect_ != nullptr) {
    glUseProgram(effect_->program);
    gl_set_position_fixup(effect_->fixup, float(viewport.Width), float(viewport.Height), flipY);
    inputs = effect_->inputs.data();
    inputCount = int(effect_->inputs.size());
  } else {
    if (layout.Find(VertexSemantic::Position, 0) == nullptr) return false;
    fixedFunction_.Use(FixedFunctionSettings(layout), flipY);
    inputs = fixedFunction_.Inputs();
    inputCount = fixedFunction_.InputCount();
  }
  BindTexturesAndSamplers(effect_ == nullptr);
  glBindVertexArray(vertexArray_);
  if (drawState_.InputsNeeded(state_.FVF(), buffer, offset, stride, inputs, inputCount))
    gl_bind_vertex_inputs(layout, buffer, offset, stride, inputs, inputCount);
  return true;
}

HRESULT GlDevice::DrawUser(D3DPRIMITIVETYPE PrimitiveType, UINT PrimitiveCount,
                           const void* pVertexStreamZeroData, UINT VertexStreamZeroStride) {
  GLenum mode = GL_TRIANGLES;
  if (!gl_primitive_mode(PrimitiveType, &mode)) return D3DERR_INVALIDCALL;
  const UINT vertices = VertexCountForPrimitives(PrimitiveType, PrimitiveCount);
  context_->MakeCurrent();
  GLint first = 0;
  if (!userStream_.Append(userVertices_, pVertexStreamZeroData,
                          size_t(vertices) * VertexStreamZeroStride, VertexStreamZeroStride,
                          &first) ||
      !PrepareDraw(userVertices_, 0, GLsizei(VertexStreamZeroStride)))
    return D3DERR_INVALIDCALL;
  glDrawArrays(mode, first, GLsizei(vertices));
  return D3D_OK;
}

HRESULT GlDevice::DrawIndexed(D3DPRIMITIVETYPE PrimitiveType, INT BaseVertexIndex, UINT startIndex,
                              UINT primCount) {
  const auto& stream = bindings_.StreamAt(0);
  const GlIndexBuffer* indices = bindings_.Indices();
  GLenum mode = GL_TRIANGLES;
  if (!gl_primitive_mode(PrimitiveType, &mode)) return D3DERR_INVALIDCALL;
  const UINT indexCount = VertexCountForPrimitives(PrimitiveType, primCount);
  context_->MakeCurrent();
  if (!PrepareDraw(stream.buffer->Name(), stream.offset, GLsizei(stream.stride))) {
    return D3DERR_INVALIDCALL;
  }
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indices->Name());
  const UINT indexSize = indices->IndexSize();
  glDrawElementsBaseVertex(
      mode, GLsizei(indexCount), indexSize == 4 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT,
      reinterpret_cast<const void*>(uintptr_t(startIndex) * indexSize), BaseVertexIndex);
  return D3D_OK;
}
