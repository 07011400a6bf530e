#include <bit>

#include "platform/d3d9_util.h"
#include "platform/gl/gl_device.h"
#include "platform/gl/gl_enums.h"
#include "platform/gl/gl_names.h"

namespace {

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
  GlSurface* target = bindings_.Target();
  const D3DVIEWPORT9& viewport = state_.Viewport();
  if (target == backBuffer_ && drawIntoWindow_) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    SetWindowOrientation(true);
    backBufferPixels_ = BackBufferPixels::WindowBack;
    glViewport(GLint(viewport.X), TargetRow(LONG(viewport.Y), LONG(viewport.Height)),
               GLsizei(viewport.Width), GLsizei(viewport.Height));
    glDepthRange(viewport.MinZ, viewport.MaxZ);
    return true;
  }
  const GLuint framebuffer = target->Framebuffer();
  if (framebuffer == 0) return false;
  if (target == backBuffer_) backBufferPixels_ = BackBufferPixels::OffScreen;
  SetWindowOrientation(false);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
  if (parameters_.EnableAutoDepthStencil &&
      EnsureDepthBuffer(target->Desc().Width, target->Desc().Height) &&
      target->AttachedDepth() != depthBuffer_) {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              depthBuffer_);
    target->SetAttachedDepth(depthBuffer_);
  }
  glViewport(GLint(viewport.X), GLint(viewport.Y), GLsizei(viewport.Width),
             GLsizei(viewport.Height));
  glDepthRange(viewport.MinZ, viewport.MaxZ);
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
  glBlendEquationSeparate(
      gl_blend_equation(op),
      gl_blend_equation(separateAlpha ? RenderStateValue(D3DRS_BLENDOPALPHA) : op));
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
  bool activeUnitMoved = false;
  for (DWORD unit = 0; unit < units; ++unit) {
    const auto s = [this, unit](D3DSAMPLERSTATETYPE type) {
      return state_.SamplerState(unit, type);
    };
    if (state_.TakeSamplerChange(unit)) {
      const GLuint sampler = samplers_[unit];
      glSamplerParameteri(sampler, GL_TEXTURE_WRAP_S, gl_address_mode(s(D3DSAMP_ADDRESSU)));
      glSamplerParameteri(sampler, GL_TEXTURE_WRAP_T, gl_address_mode(s(D3DSAMP_ADDRESSV)));
      glSamplerParameteri(sampler, GL_TEXTURE_WRAP_R, gl_address_mode(s(D3DSAMP_ADDRESSW)));
      glSamplerParameteri(sampler, GL_TEXTURE_MAG_FILTER, gl_mag_filter(s(D3DSAMP_MAGFILTER)));
      glSamplerParameteri(sampler, GL_TEXTURE_MIN_FILTER,
                          gl_min_filter(s(D3DSAMP_MINFILTER), s(D3DSAMP_MIPFILTER)));
      float border[4];
      ColorOf(s(D3DSAMP_BORDERCOLOR), border);
      glSamplerParameterfv(sampler, GL_TEXTURE_BORDER_COLOR, border);
      glSamplerParameterf(sampler, GL_TEXTURE_LOD_BIAS,
                          std::bit_cast<float>(s(D3DSAMP_MIPMAPLODBIAS)));
      // Direct3D's MAXMIPLEVEL names the largest level that may be used.
      glSamplerParameterf(sampler, GL_TEXTURE_MIN_LOD, float(s(D3DSAMP_MAXMIPLEVEL)));
    }
    const GlTexture* texture = bindings_.TextureAt(unit);
    const GLuint name = texture != nullptr ? texture->Name() : 0;
    if (!drawState_.UnitNeeds(unit, name, samplers_[unit])) continue;
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(GL_TEXTURE_2D, name);
    glBindSampler(unit, samplers_[unit]);
    activeUnitMoved = true;
  }
  // Textures made or filled later bind on unit 0.
  if (activeUnitMoved) glActiveTexture(GL_TEXTURE0);
}
