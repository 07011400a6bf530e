#include "render/index_buffer.h"

#include "render/device_globals.h"

namespace {
constexpr uint64_t kIndexBytes = sizeof(uint16_t);
}

IndexBuffer::~IndexBuffer() { Release(); }

bool IndexBuffer::Create(int32_t count) {
  Release();
  if (g_device == nullptr || count < 0) return false;
  if (g_device->CreateIndexBuffer(static_cast<UINT>(count * kIndexBytes), 0, D3DFMT_INDEX16,
                                  D3DPOOL_MANAGED, &buffer_, nullptr) != D3D_OK) {
    buffer_ = nullptr;
    return false;
  }
  count_ = count;
  return true;
}

uint16_t* IndexBuffer::Lock(uint32_t first, uint32_t count) {
  if (buffer_ == nullptr) return nullptr;
  if (first == 0 && count == 0) count = static_cast<uint32_t>(count_);
  if (uint64_t(first) + count > uint64_t(count_)) return nullptr;
  void* data = nullptr;
  if (buffer_->Lock(static_cast<UINT>(first * kIndexBytes), static_cast<UINT>(count * kIndexBytes),
                    &data, D3DLOCK_NOSYSLOCK) != D3D_OK) {
    return nullptr;
  }
  return static_cast<uint16_t*>(data);
}

void IndexBuffer::Unlock() {
  if (buffer_ != nullptr) buffer_->Unlock();
}

void IndexBuffer::Release() {
  if (buffer_ != nullptr) {
    buffer_->Release();
    buffer_ = nullptr;
  }
}
