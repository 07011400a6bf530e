#pragma once
#include <cstdint>

#include "platform/d3d9.h"

// Owns one managed-pool Direct3D vertex buffer with its byte size, stride
// and FVF code. The FVF is kept for the draw (which sets it on the device);
// the buffer itself is created without one.
class VertexBuffer {
 public:
  VertexBuffer() = default;
  ~VertexBuffer();
  VertexBuffer(const VertexBuffer&) = delete;
  VertexBuffer& operator=(const VertexBuffer&) = delete;

  bool Create(int32_t bytes, uint32_t stride, uint32_t fvf);
  // (0, 0) locks the whole buffer; a range past the end gives null without
  // asking the device. Unlock only after a lock that succeeded.
  void* Lock(uint32_t offset, uint32_t count);
  void Unlock();
  // Size and stride go to 0; the FVF code stays.
  void Release();

  IDirect3DVertexBuffer9* GetBuffer() const { return buffer_; }
  int32_t GetSize() const { return size_; }
  uint32_t GetStride() const { return stride_; }
  uint32_t GetFVF() const { return fvf_; }

 private:
  IDirect3DVertexBuffer9* buffer_ = nullptr;
  int32_t size_ = 0;
  uint32_t fvf_ = 0;
  uint32_t stride_ = 0;
};
