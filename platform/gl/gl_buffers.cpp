#include "platform/gl/gl_buffers.h"

#include <new>

#include "platform/d3d9_rules.h"
#include "platform/gl/gl_names.h"

GlVertexBuffer* AsGlVertexBuffer(IDirect3DVertexBuffer9* buffer) {
  return buffer != nullptr ? dynamic_cast<GlVertexBuffer*>(buffer) : nullptr;
}

GlIndexBuffer* AsGlIndexBuffer(IDirect3DIndexBuffer9* buffer) {
  return buffer != nullptr ? dynamic_cast<GlIndexBuffer*>(buffer) : nullptr;
}

bool GlBufferStorage::Make(std::shared_ptr<GlContext> context, UINT length) {
  context_ = std::move(context);
  try {
    bytes_.assign(length, 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  context_->MakeCurrent();
  while (glGetError() != GL_NO_ERROR) {
  }
  name_ = gl_make_name(GlNameKind::Buffer);
  // The element-array target would change the bound vertex array's state;
  // the copy target binds nothing that drawing uses.
  glBindBuffer(GL_COPY_WRITE_BUFFER, name_);
  glBufferData(GL_COPY_WRITE_BUFFER, GLsizeiptr(length), bytes_.data(), GL_STATIC_DRAW);
  glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
  return glGetError() == GL_NO_ERROR;
}

GlBufferStorage::~GlBufferStorage() {
  if (name_ == 0) return;
  context_->MakeCurrent();
  gl_delete_name(GlNameKind::Buffer, name_);
}

HRESULT GlBufferStorage::Lock(UINT offset, UINT size, void** data, DWORD flags) {
  if (data != nullptr) *data = nullptr;
  size_t begin = 0;
  size_t end = 0;
  const HRESULT checked = ResolveLockRange(Length(), offset, size, data, &begin, &end);
  if (checked != D3D_OK) return checked;
  *data = bytes_.data() + begin;
  ++locks_;
  if ((flags & D3DLOCK_READONLY) == 0 && end > begin) {
    if (dirtyBegin_ == dirtyEnd_) {
      dirtyBegin_ = begin;
      dirtyEnd_ = end;
    } else {
      if (begin < dirtyBegin_) dirtyBegin_ = begin;
      if (end > dirtyEnd_) dirtyEnd_ = end;
    }
  }
  return D3D_OK;
}

HRESULT GlBufferStorage::Unlock() {
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  if (--locks_ > 0 || dirtyBegin_ == dirtyEnd_) return D3D_OK;
  context_->MakeCurrent();
  glBindBuffer(GL_COPY_WRITE_BUFFER, name_);
  glBufferSubData(GL_COPY_WRITE_BUFFER, GLintptr(dirtyBegin_), GLsizeiptr(dirtyEnd_ - dirtyBegin_),
                  bytes_.data() + dirtyBegin_);
  glBindBuffer(GL_COPY_WRITE_BUFFER, 0);
  dirtyBegin_ = dirtyEnd_ = 0;
  return D3D_OK;
}

HRESULT GlVertexBuffer::Create(std::shared_ptr<GlContext> context, UINT length, DWORD usage,
                               DWORD fvf, D3DPOOL pool, GlVertexBuffer** buffer) {
  if (buffer != nullptr) *buffer = nullptr;
  const HRESULT checked = CheckVertexBuffer(length, fvf, pool, buffer, nullptr);
  if (checked != D3D_OK || context == nullptr) return D3DERR_INVALIDCALL;
  GlVertexBuffer* made = new (std::nothrow) GlVertexBuffer();
  if (made == nullptr) return E_OUTOFMEMORY;
  made->desc_ = {D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf};
  if (!made->storage_.Make(std::move(context), length)) {
    made->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *buffer = made;
  return D3D_OK;
}

HRESULT GlVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
  if (pDesc == nullptr) return D3DERR_INVALIDCALL;
  *pDesc = desc_;
  return D3D_OK;
}

HRESULT GlIndexBuffer::Create(std::shared_ptr<GlContext> context, UINT length, DWORD usage,
                              D3DFORMAT format, D3DPOOL pool, GlIndexBuffer** buffer) {
  if (buffer != nullptr) *buffer = nullptr;
  const HRESULT checked = CheckIndexBuffer(length, format, pool, buffer, nullptr);
  if (checked != D3D_OK || context == nullptr) return D3DERR_INVALIDCALL;
  GlIndexBuffer* made = new (std::nothrow) GlIndexBuffer();
  if (made == nullptr) return E_OUTOFMEMORY;
  made->desc_ = {format, D3DRTYPE_INDEXBUFFER, usage, pool, length};
  if (!made->storage_.Make(std::move(context), length)) {
    made->Release();
    return D3DERR_OUTOFVIDEOMEMORY;
  }
  *buffer = made;
  return D3D_OK;
}

HRESULT GlIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
  if (pDesc == nullptr) return D3DERR_INVALIDCALL;
  *pDesc = desc_;
  return D3D_OK;
}
