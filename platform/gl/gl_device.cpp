#include "platform/gl/gl_device.h"

#include <algorithm>
#include <new>

#include "platform/d3d9_rules.h"
#include "platform/gl/gl_names.h"

namespace {

// The window's own depth-stencil buffer matches the back buffer's D24S8.
bool WindowHasDepthStencil() {
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  GLint depthType = GL_NONE;
  GLint stencilType = GL_NONE;
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH,
                                        GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &depthType);
  glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL,
                                        GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &stencilType);
  GLint depthBits = 0;
  GLint stencilBits = 0;
  if (depthType != GL_NONE) {
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_DEPTH,
                                          GL_FRAMEBUFFER_ATTACHMENT_DEPTH_SIZE, &depthBits);
  }
  if (stencilType != GL_NONE) {
    glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, GL_STENCIL,
                                          GL_FRAMEBUFFER_ATTACHMENT_STENCIL_SIZE, &stencilBits);
  }
  while (glGetError() != GL_NO_ERROR) {
  }
  return depthBits == 24 && stencilBits == 8;
}

}  // namespace

GlDevice* AsGlDevice(IDirect3DDevice9* device) {
  return device != nullptr ? dynamic_cast<GlDevice*>(device) : nullptr;
}

D3DCOLOR GlImage::Pixel(UINT x, UINT y) const {
  if (x >= width || y >= height) return 0;
  const uint8_t* p = &bgra[(size_t(y) * width + x) * 4];
  return D3DCOLOR_ARGB(p[3], p[2], p[1], p[0]);
}

HRESULT GlDevice::Create(IDirect3D9* direct3d, std::shared_ptr<GlContext> context, D3DDEVTYPE type,
                         DWORD behaviorFlags, const D3DPRESENT_PARAMETERS& parameters,
                         GlDevice** device) {
  *device = nullptr;
  const UINT limit = UINT(context->MaxTextureSize());
  if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0) {
    return D3DERR_INVALIDCALL;
  }
  if (parameters.BackBufferWidth > limit || parameters.BackBufferHeight > limit) {
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  GlDevice* made =
      new (std::nothrow) GlDevice(direct3d, std::move(context), type, behaviorFlags, parameters);
  if (made == nullptr) return E_OUTOFMEMORY;
  if (!made->MakeGlObjects()) {
    made->Release();
    return D3DERR_NOTAVAILABLE;
  }
  *device = made;
  return D3D_OK;
}

GlDevice::GlDevice(IDirect3D9* direct3d, std::shared_ptr<GlContext> context, D3DDEVTYPE type,
                   DWORD behaviorFlags, const D3DPRESENT_PARAMETERS& parameters)
    : D3D9Device(parameters),
      direct3d_(direct3d),
      context_(std::move(context)),
      type_(type),
      behaviorFlags_(behaviorFlags),
      parameters_(parameters) {
  direct3d_->AddRef();
}

bool GlDevice::MakeGlObjects() {
  context_->MakeCurrent();
  backBuffer_ =
      GlSurface::MakeBackBuffer(context_, parameters_.BackBufferWidth, parameters_.BackBufferHeight,
                                parameters_.BackBufferFormat);
  if (backBuffer_ == nullptr) return false;
  bindings_.BindFirstTarget(backBuffer_);
  if (parameters_.EnableAutoDepthStencil &&
      !EnsureDepthBuffer(parameters_.BackBufferWidth, parameters_.BackBufferHeight)) {
    return false;
  }
  vertexArray_ = gl_make_name(GlNameKind::VertexArray);
  userVertices_ = gl_make_name(GlNameKind::Buffer);
  for (GLuint& sampler : samplers_) sampler = gl_make_name(GlNameKind::Sampler);
  if (!fixedFunction_.Build()) return false;
  // Direct3D's point sizes come from the vertex shader, in a core context
  // only with this switched on.
  glEnable(GL_PROGRAM_POINT_SIZE);
  glPointParameteri(GL_POINT_SPRITE_COORD_ORIGIN, GL_LOWER_LEFT);
  glFrontFace(gl_front_face(context_->HasClipControl()));
  // A read-back after Present finds the frame in the window's back buffer
  // only where the swap copies it out and leaves it (Mesa's software
  // rasterizers); elsewhere that buffer is undefined after a swap.
  windowCanTakeFrames_ = context_->HasClipControl() && context_->IsSoftware() &&
                         parameters_.SwapEffect == D3DSWAPEFFECT_DISCARD &&
                         (!parameters_.EnableAutoDepthStencil || WindowHasDepthStencil());
  ChooseBackBufferPath();
  return glGetError() == GL_NO_ERROR;
}

void GlDevice::ChooseBackBufferPath() {
  int width = 0;
  int height = 0;
  SDL_GL_GetDrawableSize(context_->Window(), &width, &height);
  drawIntoWindow_ = windowCanTakeFrames_ && UINT(width) == parameters_.BackBufferWidth &&
                    UINT(height) == parameters_.BackBufferHeight;
}

void GlDevice::SetWindowOrientation(bool window) {
  if (window == windowOrientation_) return;
  windowOrientation_ = window;
  // GL's own origin puts Direct3D's top row at the top of the window. The
  // front face stays: GL judges facing after the origin is applied, so a
  // triangle clockwise on screen is clockwise under either origin.
  glClipControl(window ? GL_LOWER_LEFT : GL_UPPER_LEFT, GL_ZERO_TO_ONE);
}

GLint GlDevice::TargetRow(LONG top, LONG height) const {
  if (bindings_.Target() != backBuffer_ || !drawIntoWindow_) return GLint(top);
  return GLint(LONG(parameters_.BackBufferHeight) - top - height);
}

void GlDevice::ReadWindow(GLenum buffer, int width, int height, GlImage* image) {
  image->width = UINT(width);
  image->height = UINT(height);
  image->bgra.assign(size_t(width) * height * 4, 0);
  std::vector<uint8_t> rows(image->bgra.size());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadBuffer(buffer);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, width, height, GL_BGRA, GL_UNSIGNED_BYTE, rows.data());
  const size_t rowBytes = size_t(width) * 4;
  for (int y = 0; y < height; ++y) {
    std::copy_n(rows.data() + size_t(height - 1 - y) * rowBytes, rowBytes,
                image->bgra.data() + size_t(y) * rowBytes);
  }
  glReadBuffer(GL_BACK);
}

GlDevice::~GlDevice() {
  bindings_.UnbindAll();
  if (backBuffer_ != nullptr) backBuffer_->Release();
  context_->MakeCurrent();
  glBindVertexArray(0);
  glUseProgram(0);
  fixedFunction_.Release();
  gl_delete_name(GlNameKind::VertexArray, vertexArray_);
  gl_delete_name(GlNameKind::Buffer, userVertices_);
  for (GLuint& sampler : samplers_) gl_delete_name(GlNameKind::Sampler, sampler);
  gl_delete_name(GlNameKind::Renderbuffer, depthBuffer_);
  direct3d_->Release();
}

ULONG GlDevice::AddRef() { return ++references_; }

ULONG GlDevice::Release() {
  if (references_ == 0) return 0;
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

// ---- frame -------------------------------------------------------------

HRESULT GlDevice::ClearTarget(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color,
                              float Z, DWORD Stencil) {
  context_->MakeCurrent();
  if (!BindTarget()) return D3DERR_INVALIDCALL;

  GLbitfield mask = 0;
  if (Flags & D3DCLEAR_TARGET) {
    mask |= GL_COLOR_BUFFER_BIT;
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glClearColor(float((Color >> 16) & 0xFF) / 255.0f, float((Color >> 8) & 0xFF) / 255.0f,
                 float(Color & 0xFF) / 255.0f, float((Color >> 24) & 0xFF) / 255.0f);
  }
  if (Flags & D3DCLEAR_ZBUFFER) {
    mask |= GL_DEPTH_BUFFER_BIT;
    glDepthMask(GL_TRUE);
    glClearDepth(Z);
  }
  if (Flags & D3DCLEAR_STENCIL) {
    mask |= GL_STENCIL_BUFFER_BIT;
    glStencilMask(0xFF);
    glClearStencil(GLint(Stencil & 0xFF));
  }
  // Direct3D clears the viewport (or the given rectangles inside it); rows
  // count from the top in GL memory as well.
  const D3DVIEWPORT9& viewport = state_.Viewport();
  const LONG left = LONG(viewport.X);
  const LONG top = LONG(viewport.Y);
  const LONG right = LONG(viewport.X + viewport.Width);
  const LONG bottom = LONG(viewport.Y + viewport.Height);
  glEnable(GL_SCISSOR_TEST);
  const DWORD rectangles = Count > 0 ? Count : 1;
  for (DWORD i = 0; i < rectangles; ++i) {
    LONG x1 = left, y1 = top, x2 = right, y2 = bottom;
    if (Count > 0) {
      x1 = pRects[i].x1 > left ? pRects[i].x1 : left;
      y1 = pRects[i].y1 > top ? pRects[i].y1 : top;
      x2 = pRects[i].x2 < right ? pRects[i].x2 : right;
      y2 = pRects[i].y2 < bottom ? pRects[i].y2 : bottom;
    }
    if (x2 <= x1 || y2 <= y1) continue;
    glScissor(x1, TargetRow(y1, y2 - y1), x2 - x1, y2 - y1);
    glClear(mask);
  }
  glDisable(GL_SCISSOR_TEST);
  // The write masks are the render states' again at the next draw.
  drawState_.ForgetRenderStates();
  return D3D_OK;
}

// No flush at the end of a scene: the driver runs the queued work at Present
// or read-back, and a flush per scene only cuts the frame's work into
// smaller batches.
HRESULT GlDevice::PresentFrame() {
  context_->MakeCurrent();
  const GLuint source = backBuffer_->Framebuffer();
  if (source == 0) return D3DERR_INVALIDCALL;
  int width = 0;
  int height = 0;
  SDL_GL_GetDrawableSize(context_->Window(), &width, &height);
  const GLint sourceWidth = GLint(parameters_.BackBufferWidth);
  const GLint sourceHeight = GLint(parameters_.BackBufferHeight);
  if (backBufferPixels_ == BackBufferPixels::WindowBack) {
    // The frame is in the window already.
    if (keepPresented_) ReadWindow(GL_BACK, width, height, &lastPresented_);
    backBufferPixels_ = BackBufferPixels::WindowFront;
  } else if (width > 0 && height > 0) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    // Mesa takes a resized window's new size when the window's viewport is
    // set.
    glViewport(0, 0, width, height);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    drawState_.ForgetRenderStates();
    // Scaled to the window as a resized Direct3D window stretches its back
    // buffer; the window's rows run bottom-up, so the copy turns over.
    const bool sameSize = width == sourceWidth && height == sourceHeight;
    glBlitFramebuffer(0, 0, sourceWidth, sourceHeight, 0, height, width, 0, GL_COLOR_BUFFER_BIT,
                      sameSize ? GL_NEAREST : GL_LINEAR);
    if (keepPresented_) ReadWindow(GL_BACK, width, height, &lastPresented_);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
  }
  SDL_GL_SwapWindow(context_->Window());
  ChooseBackBufferPath();
  return D3D_OK;
}

bool GlDevice::ReadBackBuffer(GlImage* image) {
  if (image == nullptr) return false;
  context_->MakeCurrent();
  const GLuint source = backBuffer_->Framebuffer();
  if (source == 0) return false;
  if (backBufferPixels_ != BackBufferPixels::OffScreen) {
    // Drawn into the window: its back buffer holds the frame, also after
    // Present (see MakeGlObjects). Whoever reads back after presenting is
    // likely to do it again, so later frames keep a copy of their own.
    const bool presented = backBufferPixels_ == BackBufferPixels::WindowFront;
    ReadWindow(GL_BACK, int(parameters_.BackBufferWidth), int(parameters_.BackBufferHeight), image);
    if (presented) {
      windowCanTakeFrames_ = false;
      ChooseBackBufferPath();
    }
    return glGetError() == GL_NO_ERROR;
  }
  image->width = parameters_.BackBufferWidth;
  image->height = parameters_.BackBufferHeight;
  image->bgra.assign(size_t(image->width) * image->height * 4, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, source);
  glReadBuffer(GL_COLOR_ATTACHMENT0);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  // GL memory row 0 is the top row here (see the class comment).
  glReadPixels(0, 0, GLsizei(image->width), GLsizei(image->height), GL_BGRA, GL_UNSIGNED_BYTE,
               image->bgra.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  return glGetError() == GL_NO_ERROR;
}

// ---- resources ---------------------------------------------------------

HRESULT GlDevice::MakeVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                   IDirect3DVertexBuffer9** ppVertexBuffer) {
  GlVertexBuffer* buffer = nullptr;
  const HRESULT result = GlVertexBuffer::Create(context_, Length, Usage, FVF, Pool, &buffer);
  *ppVertexBuffer = buffer;
  return result;
}

HRESULT GlDevice::MakeIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                  IDirect3DIndexBuffer9** ppIndexBuffer) {
  GlIndexBuffer* buffer = nullptr;
  const HRESULT result = GlIndexBuffer::Create(context_, Length, Usage, Format, Pool, &buffer);
  *ppIndexBuffer = buffer;
  return result;
}

HRESULT GlDevice::MakeTexture(UINT Width, UINT Height, UINT Levels, DWORD Usage, D3DFORMAT Format,
                              D3DPOOL Pool, IDirect3DTexture9** ppTexture) {
  GlTexture* texture = nullptr;
  const HRESULT result =
      GlTexture::Create(context_, Width, Height, Levels, Usage, Format, Pool, &texture);
  *ppTexture = texture;
  return result;
}
