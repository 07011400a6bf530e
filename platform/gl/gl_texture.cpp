#include "platform/gl/gl_texture.h"

#include <cstring>
#include <new>

#include "platform/d3d9_rules.h"
#include "platform/gl/gl_names.h"
#include "platform/gl/gl_texture_mips.h"

namespace {

void DrainGlErrors() {
  for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
  }
}

}  // namespace

GlTexture* AsGlTexture(IDirect3DBaseTexture9* texture) {
  return texture != nullptr ? dynamic_cast<GlTexture*>(texture) : nullptr;
}

GlSurface* AsGlSurface(IDirect3DSurface9* surface) {
  return surface != nullptr ? dynamic_cast<GlSurface*>(surface) : nullptr;
}

// ---- surfaces ----------------------------------------------------------

GlSurface* GlSurface::MakeBackBuffer(std::shared_ptr<GlContext> context, UINT width, UINT height,
                                     D3DFORMAT format) {
  D3DSURFACE_DESC desc =
      MipLevelDesc(width, height, 0, format, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
  GlSurface* surface = new GlSurface(nullptr, 0, desc);
  surface->context_ = std::move(context);
  surface->context_->MakeCurrent();
  DrainGlErrors();
  surface->colorBuffer_ = gl_make_name(GlNameKind::Renderbuffer);
  glBindRenderbuffer(GL_RENDERBUFFER, surface->colorBuffer_);
  glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, GLsizei(width), GLsizei(height));
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  if (glGetError() != GL_NO_ERROR || surface->Framebuffer() == 0) {
    surface->Release();
    return nullptr;
  }
  return surface;
}

GlSurface::GlSurface(GlTexture* container, UINT level, const D3DSURFACE_DESC& desc)
    : container_(container), level_(level), desc_(desc) {}

GlSurface::~GlSurface() { FreeGlObjects(); }

void GlSurface::FreeGlObjects() {
  if (framebuffer_ == 0 && colorBuffer_ == 0) return;
  // Levels are freed by their texture, which has made its context current.
  if (context_ != nullptr) context_->MakeCurrent();
  gl_delete_name(GlNameKind::Framebuffer, framebuffer_);
  gl_delete_name(GlNameKind::Renderbuffer, colorBuffer_);
}

ULONG GlSurface::AddRef() {
  if (container_ != nullptr) return container_->AddRef();
  return ++references_;
}

ULONG GlSurface::Release() {
  if (container_ != nullptr) return container_->Release();
  if (references_ == 0) return 0;
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT GlSurface::GetDesc(D3DSURFACE_DESC* pDesc) {
  if (pDesc == nullptr) return D3DERR_INVALIDCALL;
  *pDesc = desc_;
  return D3D_OK;
}

GLuint GlSurface::Framebuffer() {
  if (framebuffer_ != 0) return framebuffer_;
  GLuint texture = container_ != nullptr ? container_->Name() : 0;
  if (container_ != nullptr && texture == 0) return 0;  // system memory: nothing to draw into
  framebuffer_ = gl_make_name(GlNameKind::Framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  if (container_ != nullptr) {
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture,
                           GLint(level_));
  } else {
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colorBuffer_);
  }
  const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  if (!complete) gl_delete_name(GlNameKind::Framebuffer, framebuffer_);
  return framebuffer_;
}

// ---- textures ----------------------------------------------------------

HRESULT GlTexture::Create(std::shared_ptr<GlContext> context, UINT width, UINT height, UINT levels,
                          DWORD usage, D3DFORMAT format, D3DPOOL pool, GlTexture** texture) {
  if (texture == nullptr || context == nullptr) return D3DERR_INVALIDCALL;
  *texture = nullptr;
  GlTextureFormat glFormat;
  const bool renderTarget = (usage & D3DUSAGE_RENDERTARGET) != 0;
  const bool formatSupported =
      gl_texture_format(format, &glFormat) && (!renderTarget || glFormat.renderable);
  const HRESULT checked = CheckTexture(width, height, usage, pool, formatSupported,
                                       UINT(context->MaxTextureSize()), &levels);
  if (checked != D3D_OK) return checked;
  const bool inGl = pool != D3DPOOL_SYSTEMMEM;

  GlTexture* made = new (std::nothrow) GlTexture();
  if (made == nullptr) return E_OUTOFMEMORY;
  made->context_ = std::move(context);
  made->width_ = width;
  made->height_ = height;
  made->usage_ = usage;
  made->format_ = format;
  made->pool_ = pool;
  made->glFormat_ = glFormat;
  for (UINT level = 0; level < levels; ++level) {
    made->levelDescs_.push_back(MipLevelDesc(width, height, level, format, usage, pool));
  }
  made->levels_.assign(levels, nullptr);

  if (!inGl) {
    try {
      made->systemCopy_.assign(size_t(width) * height * glFormat.bytesPerTexel, 0);
    } catch (const std::bad_alloc&) {
      made->Release();
      return E_OUTOFMEMORY;
    }
    *texture = made;
    return D3D_OK;
  }

  made->context_->MakeCurrent();
  DrainGlErrors();
  made->name_ = gl_make_name(GlNameKind::Texture);
  glBindTexture(GL_TEXTURE_2D, made->name_);
  for (UINT level = 0; level < levels; ++level) {
    const D3DSURFACE_DESC& desc = made->levelDescs_[level];
    glTexImage2D(GL_TEXTURE_2D, GLint(level), glFormat.internalFormat, GLsizei(desc.Width),
                 GLsizei(desc.Height), 0, glFormat.format, glFormat.type, nullptr);
  }
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, GLint(levels - 1));
  glTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_RGBA, glFormat.swizzle);
  glBindTexture(GL_TEXTURE_2D, 0);
  gl_disturb_bindings();
  if (glGetError() != GL_NO_ERROR) {
    made->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *texture = made;
  return D3D_OK;
}

GlTexture::~GlTexture() {
  if (name_ != 0) context_->MakeCurrent();
  for (GlSurface* level : levels_) delete level;
  gl_delete_name(GlNameKind::Texture, name_);
}

HRESULT GlTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  if (pDesc == nullptr || Level >= levelDescs_.size()) return D3DERR_INVALIDCALL;
  *pDesc = levelDescs_[Level];
  return D3D_OK;
}

HRESULT GlTexture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
  if (ppSurfaceLevel != nullptr) *ppSurfaceLevel = nullptr;
  if (ppSurfaceLevel == nullptr || Level >= levels_.size()) return D3DERR_INVALIDCALL;
  if (levels_[Level] == nullptr) {
    levels_[Level] = new (std::nothrow) GlSurface(this, Level, levelDescs_[Level]);
    if (levels_[Level] == nullptr) return E_OUTOFMEMORY;
  }
  AddRef();
  *ppSurfaceLevel = levels_[Level];
  return D3D_OK;
}

HRESULT GlTexture::FillLevel0(const void* texels, size_t bytes) {
  const size_t expected = size_t(width_) * height_ * glFormat_.bytesPerTexel;
  if (texels == nullptr || bytes != expected) return D3DERR_INVALIDCALL;
  if (name_ == 0) {
    std::memcpy(systemCopy_.data(), texels, bytes);
    return D3D_OK;
  }
  context_->MakeCurrent();
  DrainGlErrors();
  glBindTexture(GL_TEXTURE_2D, name_);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, GLsizei(width_), GLsizei(height_), glFormat_.format,
                  glFormat_.type, texels);
  if (levels_.size() > 1) {
    if (glFormat_.type == GL_UNSIGNED_BYTE) {
      UploadBoxFilteredLevels(static_cast<const uint8_t*>(texels));
    } else {
      glGenerateMipmap(GL_TEXTURE_2D);
    }
  }
  glBindTexture(GL_TEXTURE_2D, 0);
  gl_disturb_bindings();
  return glGetError() == GL_NO_ERROR ? D3D_OK : D3DERR_OUTOFVIDEOMEMORY;
}

void GlTexture::UploadBoxFilteredLevels(const uint8_t* level0) {
  std::vector<uint8_t> above;
  const uint8_t* source = level0;
  for (size_t level = 1; level < levels_.size(); ++level) {
    const D3DSURFACE_DESC& parent = levelDescs_[level - 1];
    const D3DSURFACE_DESC& desc = levelDescs_[level];
    std::vector<uint8_t> texels =
        gl_box_filter_level(source, parent.Width, parent.Height, glFormat_.bytesPerTexel);
    glTexSubImage2D(GL_TEXTURE_2D, GLint(level), 0, 0, GLsizei(desc.Width), GLsizei(desc.Height),
                    glFormat_.format, glFormat_.type, texels.data());
    above = std::move(texels);
    source = above.data();
  }
}
