#pragma once
#include <cstdint>

#include "base/bounded_array.h"
#include "base/cbase.h"
#include "platform/d3d9.h"

// Owns one Direct3D texture: loaded from an image file, or made as a render
// target. Holds exactly one reference; loading or creating again first
// releases what is held. Needs the device (g_device) to exist.
class Texture : public CBase {
 public:
  // LoadFromFile results.
  static constexpr int kLoadFailed = 0;
  static constexpr int kLoadedDefaultPool = 1;
  static constexpr int kLoadedSystemMemory = 2;

  Texture() = default;
  ~Texture() override;
  Texture(const Texture&) = delete;
  Texture& operator=(const Texture&) = delete;

  // size 0 keeps the image's own size, any other value scales to size x size.
  // Tries the default pool, then system memory: 1 / 2 for the pool that took
  // it, 0 when neither did (nothing is held then).
  int LoadFromFile(const char* path, int32_t size);
  // One level, render-target usage, default pool.
  bool CreateRenderTarget(int32_t width, int32_t height, D3DFORMAT format);
  // The held texture (may be null); the outs receive the stored size.
  IDirect3DTexture9* GetD3DTexture(int32_t* width = nullptr, int32_t* height = nullptr) const;
  // 0 x 0 unless loaded; a file texture keeps 0 x 0 (only render targets
  // store their size).
  void GetSize(int32_t* width, int32_t* height) const;
  void Release();

  bool IsLoaded() const { return loaded_; }
  bool IsSystemMemory() const { return sysmem_; }
  D3DFORMAT GetFormat() const { return format_; }
  // The last file name loaded, "" when none.
  const char* GetName() const { return name_.data != nullptr ? name_.data : ""; }

  // Why the last LoadFromFile failed, in words ("file not found", "not a
  // readable image", "out of memory", ...).
  const char* FailureReason() const;

 private:
  bool LoadAttempt(const char* path, int32_t size, D3DPOOL pool);
  HRESULT lastResult_ = D3D_OK;

  bool loaded_ = false;
  int32_t width_ = 0;
  int32_t height_ = 0;
  D3DFORMAT format_ = D3DFMT_UNKNOWN;
  bool sysmem_ = false;
  IDirect3DTexture9* texture_ = nullptr;
  BoundedArray<char> name_;
};
