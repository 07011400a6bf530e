#include "platform/gl/gl_device.h"

#include <bit>

#include "platform/d3d9_util.h"
#include "platform/gl/gl_enums.h"
#include "platform/gl/gl_names.h"

namespace {

template <class T>
void Hold(T*& held, T* next) {
  if (next != nullptr) next->AddRef();
  if (held != nullptr) held->Release();
  held = next;
}

void SetEnabled(GLenum capability, bool on) {
  if (on) {
    glEnable(capability);
  } else {
    glDisable(capability);
  }
}

void ColorOf(D3DCOLOR color, float rgba[4]) {
  rgba[0] = float((color >> 16) & 0xFF) / 255.0f;
  rgba[1] = float((color >> 8) & 0xFF) / 255.0f;
  rgba[2] = float(color & 0xFF) / 255.0f;
  rgba[3] = float((color >> 24) & 0xFF) / 255.0f;
}

}  // namespace

// Direct3D 9's defaults.
void GlDevice::SetDefaultStates() {
  renderStates_.fill(0);
  for (const DefaultRenderState& entry : DefaultRenderStates(parameters_.EnableAutoDepthStencil)) {
    renderStates_[entry.state] = entry.value;
  }
  for (DWORD stage = 0; stage < kMaxTextureStages; ++stage) {
    auto& states = stageStates_[stage];
    states.fill(0);
    states[D3DTSS_COLOROP] = stage == 0 ? D3DTOP_MODULATE : D3DTOP_DISABLE;
    states[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    states[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    states[D3DTSS_ALPHAOP] = stage == 0 ? D3DTOP_SELECTARG1 : D3DTOP_DISABLE;
    states[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    states[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    states[D3DTSS_TEXCOORDINDEX] = stage;
  }
  for (auto& sampler : samplerStates_) {
    sampler.fill(0);
    sampler[D3DSAMP_ADDRESSU] = D3DTADDRESS_WRAP;
    sampler[D3DSAMP_ADDRESSV] = D3DTADDRESS_WRAP;
    sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    sampler[D3DSAMP_MAGFILTER] = D3DTEXF_POINT;
    sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    sampler[D3DSAMP_MIPFILTER] = D3DTEXF_NONE;
    sampler[D3DSAMP_MAXANISOTROPY] = 1;
  }
  samplerDirty_.fill(true);
}

void GlDevice::FullTargetViewport() {
  viewport_ = D3DVIEWPORT9{0, 0, renderTarget_->Desc().Width, renderTarget_->Desc().Height, 0.0f,
                           1.0f};
}

DWORD GlDevice::RenderStateValue(D3DRENDERSTATETYPE state) const {
  return state < kRenderStateCount ? renderStates_[state] : 0;
}

float GlDevice::RenderStateFloat(D3DRENDERSTATETYPE state) const {
  return std::bit_cast<float>(RenderStateValue(state));
}

// ---- states ------------------------------------------------------------

HRESULT GlDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  if (State >= kRenderStateCount) return D3DERR_INVALIDCALL;
  renderStates_[State] = Value;
  return D3D_OK;
}

HRESULT GlDevice::GetRenderState(D3DRENDERSTATETYPE State, DWORD* pValue) {
  if (pValue == nullptr || State >= kRenderStateCount) return D3DERR_INVALIDCALL;
  *pValue = renderStates_[State];
  return D3D_OK;
}

HRESULT GlDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  if (Stage >= kMaxTextureStages || Type >= kStageStateCount) return D3DERR_INVALIDCALL;
  stageStates_[Stage][Type] = Value;
  return D3D_OK;
}

HRESULT GlDevice::GetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type,
                                       DWORD* pValue) {
  if (pValue == nullptr || Stage >= kMaxTextureStages || Type >= kStageStateCount) {
    return D3DERR_INVALIDCALL;
  }
  *pValue = stageStates_[Stage][Type];
  return D3D_OK;
}

HRESULT GlDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  if (Sampler >= kMaxSamplers || Type >= kSamplerStateCount) return D3DERR_INVALIDCALL;
  samplerStates_[Sampler][Type] = Value;
  samplerDirty_[Sampler] = true;
  return D3D_OK;
}

HRESULT GlDevice::GetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD* pValue) {
  if (pValue == nullptr || Sampler >= kMaxSamplers || Type >= kSamplerStateCount) {
    return D3DERR_INVALIDCALL;
  }
  *pValue = samplerStates_[Sampler][Type];
  return D3D_OK;
}

HRESULT GlDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  if (pMatrix == nullptr) return D3DERR_INVALIDCALL;
  transforms_[State] = *pMatrix;
  return D3D_OK;
}

HRESULT GlDevice::GetTransform(D3DTRANSFORMSTATETYPE State, D3DMATRIX* pMatrix) {
  if (pMatrix == nullptr) return D3DERR_INVALIDCALL;
  auto found = transforms_.find(State);
  if (found != transforms_.end()) {
    *pMatrix = found->second;
  } else {
    pMatrix->setIdentity();
  }
  return D3D_OK;
}

// ---- destination -------------------------------------------------------

HRESULT GlDevice::GetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9** ppRenderTarget) {
  if (ppRenderTarget != nullptr) *ppRenderTarget = nullptr;
  if (ppRenderTarget == nullptr || RenderTargetIndex >= kMaxRenderTargets) {
    return D3DERR_INVALIDCALL;
  }
  renderTarget_->AddRef();
  *ppRenderTarget = renderTarget_;
  return D3D_OK;
}

HRESULT GlDevice::SetRenderTarget(DWORD RenderTargetIndex, IDirect3DSurface9* pRenderTarget) {
  GlSurface* surface = AsGlSurface(pRenderTarget);
  if (RenderTargetIndex >= kMaxRenderTargets || surface == nullptr ||
      !surface->IsRenderTarget()) {
    return D3DERR_INVALIDCALL;
  }
  Hold(renderTarget_, surface);
  FullTargetViewport();
  return D3D_OK;
}

HRESULT GlDevice::GetViewport(D3DVIEWPORT9* pViewport) {
  if (pViewport == nullptr) return D3DERR_INVALIDCALL;
  *pViewport = viewport_;
  return D3D_OK;
}

HRESULT GlDevice::SetViewport(const D3DVIEWPORT9* pViewport) {
  if (pViewport == nullptr) return D3DERR_INVALIDCALL;
  const D3DVIEWPORT9& v = *pViewport;
  const D3DSURFACE_DESC& target = renderTarget_->Desc();
  const bool inside = v.Width > 0 && v.Height > 0 && uint64_t(v.X) + v.Width <= target.Width &&
                      uint64_t(v.Y) + v.Height <= target.Height;
  const bool depthRange = v.MinZ >= 0.0f && v.MinZ <= 1.0f && v.MaxZ >= 0.0f && v.MaxZ <= 1.0f;
  if (!inside || !depthRange) return D3DERR_INVALIDCALL;
  viewport_ = v;
  return D3D_OK;
}

bool GlDevice::EnsureDepthBuffer(UINT width, UINT height) {
  if (depthBuffer_ != 0 && width <= depthWidth_ && height <= depthHeight_) return true;
  // One depth buffer serves every target, so it grows to the largest.
  const UINT newWidth = width > depthWidth_ ? width : depthWidth_;
  const UINT newHeight = height > depthHeight_ ? height : depthHeight_;
  while (glGetError() != GL_NO_ERROR) {
  }
  GLuint depth = gl_make_name(GlNameKind::Renderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, depth);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, GLsizei(newWidth),
                        GLsizei(newHeight));
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  if (glGetError() != GL_NO_ERROR) {
    gl_delete_name(GlNameKind::Renderbuffer, depth);
    return false;
  }
  gl_delete_name(GlNameKind::Renderbuffer, depthBuffer_);
  depthBuffer_ = depth;
  depthWidth_ = newWidth;
  depthHeight_ = newHeight;
  return true;
}

bool GlDevice::BindTarget() {
  const GLuint framebuffer = renderTarget_->Framebuffer();
  if (framebuffer == 0) return false;
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  if (parameters_.EnableAutoDepthStencil &&
      EnsureDepthBuffer(renderTarget_->Desc().Width, renderTarget_->Desc().Height) &&
      renderTarget_->AttachedDepth() != depthBuffer_) {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              depthBuffer_);
    renderTarget_->SetAttachedDepth(depthBuffer_);
  }
  glViewport(GLint(viewport_.X), GLint(viewport_.Y), GLsizei(viewport_.Width),
             GLsizei(viewport_.Height));
  glDepthRange(viewport_.MinZ, viewport_.MaxZ);
  return true;
}

void GlDevice::ApplyRenderStates() {
  const bool depth = parameters_.EnableAutoDepthStencil != 0;
  SetEnabled(GL_DEPTH_TEST, depth && RenderStateValue(D3DRS_ZENABLE) != D3DZB_FALSE);
  glDepthMask(RenderStateValue(D3DRS_ZWRITEENABLE) != 0 ? GL_TRUE : GL_FALSE);
  glDepthFunc(gl_compare_func(RenderStateValue(D3DRS_ZFUNC)));

  const GlCull cull = gl_cull(RenderStateValue(D3DRS_CULLMODE));
  SetEnabled(GL_CULL_FACE, cull.enabled);
  glCullFace(cull.face);
  glPolygonMode(GL_FRONT_AND_BACK, gl_polygon_mode(RenderStateValue(D3DRS_FILLMODE)));

  SetEnabled(GL_BLEND, RenderStateValue(D3DRS_ALPHABLENDENABLE) != 0);
  DWORD source = RenderStateValue(D3DRS_SRCBLEND);
  DWORD destination = RenderStateValue(D3DRS_DESTBLEND);
  // The two "both" factors set source and destination together.
  if (source == D3DBLEND_BOTHSRCALPHA) {
    source = D3DBLEND_SRCALPHA;
    destination = D3DBLEND_INVSRCALPHA;
  } else if (source == D3DBLEND_BOTHINVSRCALPHA) {
    source = D3DBLEND_INVSRCALPHA;
    destination = D3DBLEND_SRCALPHA;
  }
  const bool separateAlpha = RenderStateValue(D3DRS_SEPARATEALPHABLENDENABLE) != 0;
  const DWORD sourceAlpha = separateAlpha ? RenderStateValue(D3DRS_SRCBLENDALPHA) : source;
  const DWORD destinationAlpha =
      separateAlpha ? RenderStateValue(D3DRS_DESTBLENDALPHA) : destination;
  glBlendFuncSeparate(gl_blend_factor(source), gl_blend_factor(destination),
                      gl_blend_factor(sourceAlpha), gl_blend_factor(destinationAlpha));
  const DWORD op = RenderStateValue(D3DRS_BLENDOP);
  glBlendEquationSeparate(gl_blend_equation(op),
                          gl_blend_equation(separateAlpha ? RenderStateValue(D3DRS_BLENDOPALPHA)
                                                          : op));
  float factor[4];
  ColorOf(RenderStateValue(D3DRS_BLENDFACTOR), factor);
  glBlendColor(factor[0], factor[1], factor[2], factor[3]);

  const DWORD writeMask = RenderStateValue(D3DRS_COLORWRITEENABLE);
  glColorMask((writeMask & 1) != 0, (writeMask & 2) != 0, (writeMask & 4) != 0,
              (writeMask & 8) != 0);

  SetEnabled(GL_STENCIL_TEST, depth && RenderStateValue(D3DRS_STENCILENABLE) != 0);
  const GLint reference = GLint(RenderStateValue(D3DRS_STENCILREF) & 0xFF);
  const GLuint readMask = RenderStateValue(D3DRS_STENCILMASK);
  glStencilMask(RenderStateValue(D3DRS_STENCILWRITEMASK));
  // GL's front faces are Direct3D's clockwise ones; the CCW states apply to
  // the others when two-sided stencil is on.
  const bool twoSided = RenderStateValue(D3DRS_TWOSIDEDSTENCILMODE) != 0;
  const D3DRENDERSTATETYPE backFunc = twoSided ? D3DRS_CCW_STENCILFUNC : D3DRS_STENCILFUNC;
  const D3DRENDERSTATETYPE backFail = twoSided ? D3DRS_CCW_STENCILFAIL : D3DRS_STENCILFAIL;
  const D3DRENDERSTATETYPE backDepthFail = twoSided ? D3DRS_CCW_STENCILZFAIL : D3DRS_STENCILZFAIL;
  const D3DRENDERSTATETYPE backPass = twoSided ? D3DRS_CCW_STENCILPASS : D3DRS_STENCILPASS;
  glStencilFuncSeparate(GL_FRONT, gl_compare_func(RenderStateValue(D3DRS_STENCILFUNC)), reference,
                        readMask);
  glStencilFuncSeparate(GL_BACK, gl_compare_func(RenderStateValue(backFunc)), reference, readMask);
  glStencilOpSeparate(GL_FRONT, gl_stencil_op(RenderStateValue(D3DRS_STENCILFAIL)),
                      gl_stencil_op(RenderStateValue(D3DRS_STENCILZFAIL)),
                      gl_stencil_op(RenderStateValue(D3DRS_STENCILPASS)));
  glStencilOpSeparate(GL_BACK, gl_stencil_op(RenderStateValue(backFail)),
                      gl_stencil_op(RenderStateValue(backDepthFail)),
                      gl_stencil_op(RenderStateValue(backPass)));

  // Direct3D's bias is in depth units; GL counts the 24-bit buffer's steps.
  const float bias = RenderStateFloat(D3DRS_DEPTHBIAS);
  const float slope = RenderStateFloat(D3DRS_SLOPESCALEDEPTHBIAS);
  const bool offset = bias != 0.0f || slope != 0.0f;
  SetEnabled(GL_POLYGON_OFFSET_FILL, offset);
  SetEnabled(GL_POLYGON_OFFSET_LINE, offset);
  SetEnabled(GL_POLYGON_OFFSET_POINT, offset);
  if (offset) glPolygonOffset(slope, bias * 16777215.0f);
}

void GlDevice::BindTexturesAndSamplers(bool fixedFunction) {
  const DWORD units = fixedFunction ? 1 : kMaxSamplers;
  for (DWORD unit = 0; unit < units; ++unit) {
    const auto& s = samplerStates_[unit];
    if (samplerDirty_[unit]) {
      const GLuint sampler = samplers_[unit];
      glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, gl_address_mode(s[D3DSAMP_ADDRESSU]));
      glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, gl_address_mode(s[D3DSAMP_ADDRESSV]));
      glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, gl_address_mode(s[D3DSAMP_ADDRESSW]));
      glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, gl_mag_filter(s[D3DSAMP_MAGFILTER]));
      glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                          gl_min_filter(s[D3DSAMP_MINFILTER], s[D3DSAMP_MIPFILTER]));
      float border[4];
      ColorOf(s[D3DSAMP_BORDERCOLOR], border);
      glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
      glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS,
                          std::bit_cast<float>(s[D3DSAMP_MIPMAPLODBIAS]));
      // Direct3D's MAXMIPLEVEL names the largest level that may be used.
      glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, float(s[D3DSAMP_MAXMIPLEVEL]));
      samplerDirty_[unit] = false;
    }
    glActiveTexture(GL_TEXTURE0 + unit);
    const GlTexture* texture = textures_[unit];
    glBindTexture(GL_TEXTURE_2D, texture != nullptr ? texture->Name() : 0);
    glBindSampler(unit, samplers_[unit]);
  }
  glActiveTexture(GL_TEXTURE0);
}
