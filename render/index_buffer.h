#pragma once
#include <cstdint>

#include "platform/d3d9.h"

// Owns one managed-pool Direct3D buffer of 16-bit indices and its count.
class IndexBuffer {
 public:
  IndexBuffer() = default;
  ~IndexBuffer();
  IndexBuffer(const IndexBuffer&) = delete;
  IndexBuffer& operator=(const IndexBuffer&) = delete;

  bool Create(int32_t count);
  // In indices: (0, 0) locks all; first + count past the end gives null
  // without asking the device.
  uint16_t* Lock(uint32_t first, uint32_t count);
  void Unlock();
  // The count stays.
  void Release();

  IDirect3DIndexBuffer9* GetBuffer() const { return buffer_; }
  int32_t GetCount() const { return count_; }

 private:
  IDirect3DIndexBuffer9* buffer_ = nullptr;
  int32_t count_ = 0;
};
