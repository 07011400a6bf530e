#include "platform/record/record_buffers.h"

#include "platform/d3d9_rules.h"

HRESULT RecordedBytes::Lock(UINT offset, UINT size, void** data) {
  if (data != nullptr) *data = nullptr;
  size_t begin = 0;
  size_t end = 0;
  const HRESULT checked = ResolveLockRange(UINT(bytes_.size()), offset, size, data, &begin, &end);
  if (checked != D3D_OK) return checked;
  *data = bytes_.data() + begin;
  ++locks_;
  return D3D_OK;
}

HRESULT RecordedBytes::Unlock() {
  if (locks_ == 0) return D3DERR_INVALIDCALL;
  --locks_;
  return D3D_OK;
}

RecordVertexBuffer::RecordVertexBuffer(std::shared_ptr<Recorder> recorder, UINT length, DWORD usage,
                                       DWORD fvf, D3DPOOL pool)
    : Recorded(std::move(recorder), RecordKind::VertexBuffer, "VertexBuffer"),
      bytes_(length),
      desc_{D3DFMT_UNKNOWN, D3DRTYPE_VERTEXBUFFER, usage, pool, length, fvf} {}

HRESULT RecordVertexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) {
  auto call = recorder().Begin("VertexBuffer::Lock", this,
                               {RecU(OffsetToLock), RecU(SizeToLock), RecP(ppbData), RecU(Flags)});
  if (call.failure) {
    if (ppbData != nullptr) *ppbData = nullptr;
    return call.Finish(*call.failure);
  }
  return call.Finish(bytes_.Lock(OffsetToLock, SizeToLock, ppbData));
}

HRESULT RecordVertexBuffer::Unlock() {
  auto call = recorder().Begin("VertexBuffer::Unlock", this, {});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(bytes_.Unlock());
}

HRESULT RecordVertexBuffer::GetDesc(D3DVERTEXBUFFER_DESC* pDesc) {
  auto call = recorder().Begin("VertexBuffer::GetDesc", this, {RecP(pDesc)});
  if (call.failure) return call.Finish(*call.failure);
  if (pDesc == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  *pDesc = desc_;
  return call.Finish(D3D_OK);
}

RecordIndexBuffer::RecordIndexBuffer(std::shared_ptr<Recorder> recorder, UINT length, DWORD usage,
                                     D3DFORMAT format, D3DPOOL pool)
    : Recorded(std::move(recorder), RecordKind::IndexBuffer, "IndexBuffer"),
      bytes_(length),
      desc_{format, D3DRTYPE_INDEXBUFFER, usage, pool, length} {}

HRESULT RecordIndexBuffer::Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) {
  auto call = recorder().Begin("IndexBuffer::Lock", this,
                               {RecU(OffsetToLock), RecU(SizeToLock), RecP(ppbData), RecU(Flags)});
  if (call.failure) {
    if (ppbData != nullptr) *ppbData = nullptr;
    return call.Finish(*call.failure);
  }
  return call.Finish(bytes_.Lock(OffsetToLock, SizeToLock, ppbData));
}

HRESULT RecordIndexBuffer::Unlock() {
  auto call = recorder().Begin("IndexBuffer::Unlock", this, {});
  if (call.failure) return call.Finish(*call.failure);
  return call.Finish(bytes_.Unlock());
}

HRESULT RecordIndexBuffer::GetDesc(D3DINDEXBUFFER_DESC* pDesc) {
  auto call = recorder().Begin("IndexBuffer::GetDesc", this, {RecP(pDesc)});
  if (call.failure) return call.Finish(*call.failure);
  if (pDesc == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  *pDesc = desc_;
  return call.Finish(D3D_OK);
}
