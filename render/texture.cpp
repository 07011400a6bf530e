#include "render/texture.h"

#include <cstring>

#include "platform/d3dx9.h"
#include "render/device_globals.h"

Texture::~Texture() {
  Release();
  name_.free();
}

int Texture::LoadFromFile(const char* path, int32_t size) {
  Release();
  if (g_device == nullptr || path == nullptr) return kLoadFailed;
  if (LoadAttempt(path, size, D3DPOOL_DEFAULT)) {
    loaded_ = true;
    return kLoadedDefaultPool;
  }
  // A file that is missing or no image stays so in system memory.
  if (lastResult_ == D3DERR_NOTFOUND || lastResult_ == D3DXERR_INVALIDDATA) return kLoadFailed;
  // Too large or otherwise refused by video memory: keep a system-memory copy.
  if (LoadAttempt(path, size, D3DPOOL_SYSTEMMEM)) {
    loaded_ = true;
    return kLoadedSystemMemory;
  }
  return kLoadFailed;
}

const char* Texture::FailureReason() const {
  if (lastResult_ == D3D_OK) return "";
  const char* reason = "refused by the device";
  if (lastResult_ == D3DERR_NOTFOUND) reason = "file not found";
  if (lastResult_ == D3DXERR_INVALIDDATA) reason = "not a readable image";
  if (lastResult_ == E_OUTOFMEMORY) reason = "out of memory";
  if (lastResult_ == D3DERR_NOTAVAILABLE) reason = "format not available";
  return reason;
}

bool Texture::LoadAttempt(const char* path, int32_t size, D3DPOOL pool) {
  width_ = 0;
  height_ = 0;
  format_ = D3DFMT_A8R8G8B8;
  sysmem_ = pool == D3DPOOL_SYSTEMMEM;

  const size_t length = std::strlen(path) + 1;
  if (name_.resize(static_cast<int64_t>(length))) std::memcpy(name_.data, path, length);

  // A negative size is no size at all: take the file's.
  const UINT requested = size > 0 ? static_cast<UINT>(size) : 0;
  const HRESULT result = D3DXCreateTextureFromFileExA(
      g_device, path, requested, requested, D3DX_DEFAULT, 0, format_, pool, D3DX_DEFAULT,
      D3DX_DEFAULT, 0, nullptr, nullptr, &texture_);
  lastResult_ = result;
  if (result != D3D_OK) {
    texture_ = nullptr;
    return false;
  }
  return true;
}

bool Texture::CreateRenderTarget(int32_t width, int32_t height, D3DFORMAT format) {
  if (g_device == nullptr) return false;
  Release();
  if (width < 1 || height < 1) return false;
  if (g_device->CreateTexture(static_cast<UINT>(width), static_cast<UINT>(height), 1,
                              D3DUSAGE_RENDERTARGET, format, D3DPOOL_DEFAULT, &texture_,
                              nullptr) != D3D_OK) {
    texture_ = nullptr;
    return false;
  }
  width_ = width;
  height_ = height;
  loaded_ = true;
  return true;
}

IDirect3DTexture9* Texture::GetD3DTexture(int32_t* width, int32_t* height) const {
  if (width != nullptr) *width = width_;
  if (height != nullptr) *height = height_;
  return texture_;
}

void Texture::GetSize(int32_t* width, int32_t* height) const {
  if (width != nullptr) *width = loaded_ ? width_ : 0;
  if (height != nullptr) *height = loaded_ ? height_ : 0;
}

void Texture::Release() {
  if (texture_ != nullptr) {
    texture_->Release();
    texture_ = nullptr;
  }
}
