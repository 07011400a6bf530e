#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/d3d9.h"
#include "platform/record/record_object.h"

// The bytes of a recorded buffer with its lock count. Lock hands out a
// pointer into the bytes, so what the caller writes is the content.
class RecordedBytes {
 public:
  explicit RecordedBytes(UINT length) : bytes_(length, 0) {}
  // (offset, 0) locks to the end; a range past the end is refused.
  HRESULT Lock(UINT offset, UINT size, void** data);
  HRESULT Unlock();

  const std::vector<uint8_t>& Contents() const { return bytes_; }
  std::vector<uint8_t>& Contents() { return bytes_; }
  int LockCount() const { return locks_; }

 private:
  std::vector<uint8_t> bytes_;
  int locks_ = 0;
};

class RecordVertexBuffer final : public Recorded<IDirect3DVertexBuffer9> {
 public:
  RecordVertexBuffer(std::shared_ptr<Recorder> recorder, UINT length, DWORD usage, DWORD fvf,
                     D3DPOOL pool);
  ~RecordVertexBuffer() override = default;

  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DVERTEXBUFFER_DESC* pDesc) override;

  const std::vector<uint8_t>& Contents() const { return bytes_.Contents(); }
  bool IsLocked() const { return bytes_.LockCount() > 0; }
  const D3DVERTEXBUFFER_DESC& Desc() const { return desc_; }

 private:
  RecordedBytes bytes_;
  D3DVERTEXBUFFER_DESC desc_;
};

class RecordIndexBuffer final : public Recorded<IDirect3DIndexBuffer9> {
 public:
  RecordIndexBuffer(std::shared_ptr<Recorder> recorder, UINT length, DWORD usage,
                    D3DFORMAT format, D3DPOOL pool);
  ~RecordIndexBuffer() override = default;

  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override;
  HRESULT Unlock() override;
  HRESULT GetDesc(D3DINDEXBUFFER_DESC* pDesc) override;

  const std::vector<uint8_t>& Contents() const { return bytes_.Contents(); }
  bool IsLocked() const { return bytes_.LockCount() > 0; }
  const D3DINDEXBUFFER_DESC& Desc() const { return desc_; }
  UINT IndexSize() const { return desc_.Format == D3DFMT_INDEX32 ? 4 : 2; }
  UINT IndexCount() const { return desc_.Size / IndexSize(); }

 private:
  RecordedBytes bytes_;
  D3DINDEXBUFFER_DESC desc_;
};
