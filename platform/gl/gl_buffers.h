#pragma once
#include <memory>
#include <vector>

#include <epoxy/gl.h>

#include "platform/d3d9.h"
#include "platform/gl/gl_context.h"
#include "platform/gl/gl_ref_counted.h"

// The bytes of a vertex or index buffer: a CPU copy that Lock hands out and
// a GL buffer that Unlock brings up to date with the locked range.
class GlBufferStorage {
 public:
  // False when memory or GL refuse the size.
  bool Make(std::shared_ptr<GlContext> context, UINT length);
  ~GlBufferStorage();

  // SizeToLock 0 locks to the end; a range past the end is refused.
  HRESULT Lock(UINT offset, UINT size, void** data, DWORD flags);
  HRESULT Unlock();

  GLuint Name() const { return name_; }
  UINT Length() const { return UINT(bytes_.size()); }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::shared_ptr<GlContext> context_;
  std::vector<uint8_t> bytes_;
  GLuint name_ = 0;
  int locks_ = 0;
  size_t dirtyBegin_ = 0;
  size_t dirtyEnd_ = 0;  // nothing to upload while begin == end
};

class GlVertexBuffer final : public GlRefCounted<IDirect3DVertexBuffer9> {
 public:
  static HRESULT Create(std::shared_ptr<GlContext> context, UINT length, DWORD usage, DWORD fvf,
                        D3DPOOL pool, GlVertexBuffer** buffer);

  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override {
    return storage_.Lock(OffsetToLock, SizeToLock, ppbData, Flags);
  }
  HRESULT Unlock() override { return storage_.Unlock(); }
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

  GLuint Name() const { return storage_.Name(); }
  UINT Length() const { return storage_.Length(); }

 private:
  GlVertexBuffer() = default;
  ~GlVertexBuffer() override = default;

  GlBufferStorage storage_;
  D3DVERTEXBUFFER_DESC desc_{};
};

class GlIndexBuffer final : public GlRefCounted<IDirect3DIndexBuffer9> {
 public:
  static HRESULT Create(std::shared_ptr<GlContext> context, UINT length, DWORD usage,
                        D3DFORMAT format, D3DPOOL pool, GlIndexBuffer** buffer);

  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override {
    return storage_.Lock(OffsetToLock, SizeToLock, ppbData, Flags);
  }
  HRESULT Unlock() override { return storage_.Unlock(); }
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

  GLuint Name() const { return storage_.Name(); }
  UINT IndexSize() const { return desc_.Format == D3DFMT_INDEX32 ? 4 : 2; }
  UINT IndexCount() const { return storage_.Length() / IndexSize(); }

 private:
  GlIndexBuffer() = default;
  ~GlIndexBuffer() override = default;

  GlBufferStorage storage_;
  D3DINDEXBUFFER_DESC desc_{};
};

GlVertexBuffer* AsGlVertexBuffer(IDirect3DVertexBuffer9* buffer);
GlIndexBuffer* AsGlIndexBuffer(IDirect3DIndexBuffer9* buffer);
