#include "render/vertex_buffer.h"

#include "render/device_globals.h"

VertexBuffer::~VertexBuffer() { Release(); }

bool VertexBuffer::Create(int32_t bytes, uint32_t stride, uint32_t fvf) {
  Release();
  if (g_device == nullptr || bytes < 0) return false;
  // The FVF stays out of the buffer; the draw sets it on the device.
  if (g_device->CreateVertexBuffer(static_cast<UINT>(bytes), 0, 0, D3DPOOL_MANAGED, &buffer_,
                                   nullptr) != D3D_OK) {
    buffer_ = nullptr;
    return false;
  }
  size_ = bytes;
  stride_ = stride;
  fvf_ = fvf;
  return true;
}

void* VertexBuffer::Lock(uint32_t offset, uint32_t count) {
  if (buffer_ == nullptr) return nullptr;
  if (offset == 0 && count == 0) count = static_cast<uint32_t>(size_);
  if (uint64_t(offset) + count > uint64_t(size_)) return nullptr;
  void* data = nullptr;
  if (buffer_->Lock(offset, count, &data, D3DLOCK_NOSYSLOCK) != D3D_OK) return nullptr;
  return data;
}

void VertexBuffer::Unlock() {
  if (buffer_ != nullptr) buffer_->Unlock();
}

void VertexBuffer::Release() {
  size_ = 0;
  stride_ = 0;
  if (buffer_ != nullptr) {
    buffer_->Release();
    buffer_ = nullptr;
  }
}
