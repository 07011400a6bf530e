#pragma once
#include <array>

#include "platform/d3d9.h"
#include "platform/d3d9_caps.h"

// What a device has bound (render target, vertex streams, indices,
// textures), holding a reference to each as Direct3D's device does, with the
// argument rules of the calls that bind. Every backend's device holds one.
//
// Objects names the backend's classes and how the device holds them:
//   using Surface, VertexBuffer, IndexBuffer, Texture;
//   static Surface* From(IDirect3DSurface9*) (and the same for the other
//     three): the backend's object, null for null or another backend's;
//   static void Keep(T*) / Let(T*): take and give up a device reference;
//   static const D3DSURFACE_DESC& Desc(const Surface*).
template <class Objects>
class D3D9DeviceBindings {
 public:
  using Surface = typename Objects::Surface;
  using VertexBuffer = typename Objects::VertexBuffer;
  using IndexBuffer = typename Objects::IndexBuffer;
  using Texture = typename Objects::Texture;

  struct Stream {
    VertexBuffer* buffer = nullptr;
    UINT offset = 0;
    UINT stride = 0;
  };

  D3D9DeviceBindings() = default;
  D3D9DeviceBindings(const D3D9DeviceBindings&) = delete;
  D3D9DeviceBindings& operator=(const D3D9DeviceBindings&) = delete;
  ~D3D9DeviceBindings() { UnbindAll(); }

  // Lets go of everything bound.
  void UnbindAll() {
    for (Texture*& texture : textures_) Hold(texture, static_cast<Texture*>(nullptr));
    for (Stream& stream : streams_) UnbindStream(stream);
    Hold(indices_, static_cast<IndexBuffer*>(nullptr));
    Hold(target_, static_cast<Surface*>(nullptr));
  }

  // The back buffer as the first target.
  void BindFirstTarget(Surface* backBuffer) { Hold(target_, backBuffer); }

  HRESULT SetRenderTarget(DWORD index, IDirect3DSurface9* target) {
    Surface* surface = Objects::From(target);
    if (index >= kMaxRenderTargets || surface == nullptr ||
        (Objects::Desc(surface).Usage & D3DUSAGE_RENDERTARGET) == 0) {
      return D3DERR_INVALIDCALL;
    }
    Hold(target_, surface);
    return D3D_OK;
  }

  // Hands out the current target with a reference for the caller.
  HRESULT GetRenderTarget(DWORD index, IDirect3DSurface9** target) const {
    if (target != nullptr) *target = nullptr;
    if (target == nullptr || index >= kMaxRenderTargets || target_ == nullptr) {
      return D3DERR_INVALIDCALL;
    }
    Objects::Keep(target_);
    *target = target_;
    return D3D_OK;
  }

  HRESULT SetStreamSource(UINT number, IDirect3DVertexBuffer9* data, UINT offset, UINT stride) {
    VertexBuffer* buffer = Objects::From(data);
    if (number >= kMaxStreams || (data != nullptr && buffer == nullptr)) {
      return D3DERR_INVALIDCALL;
    }
    Hold(streams_[number].buffer, buffer);
    streams_[number].offset = offset;
    streams_[number].stride = stride;
    return D3D_OK;
  }

  HRESULT SetIndices(IDirect3DIndexBuffer9* data) {
    IndexBuffer* buffer = Objects::From(data);
    if (data != nullptr && buffer == nullptr) return D3DERR_INVALIDCALL;
    Hold(indices_, buffer);
    return D3D_OK;
  }

  HRESULT SetTexture(DWORD stage, IDirect3DBaseTexture9* data) {
    Texture* texture = Objects::From(data);
    if (stage >= kMaxSamplers || (data != nullptr && texture == nullptr)) {
      return D3DERR_INVALIDCALL;
    }
    Hold(textures_[stage], texture);
    return D3D_OK;
  }

  // Direct3D leaves stream 0 unbound after drawing from user memory.
  void AfterUserDraw() { UnbindStream(streams_[0]); }

  Surface* Target() const { return target_; }
  const D3DSURFACE_DESC& TargetDesc() const { return Objects::Desc(target_); }
  const Stream& StreamAt(UINT number) const { return streams_[number]; }
  IndexBuffer* Indices() const { return indices_; }
  Texture* TextureAt(DWORD stage) const { return textures_[stage]; }

 private:
  template <class T>
  static void Hold(T*& held, T* next) {
    if (next != nullptr) Objects::Keep(next);
    if (held != nullptr) Objects::Let(held);
    held = next;
  }
  static void UnbindStream(Stream& stream) {
    Hold(stream.buffer, static_cast<VertexBuffer*>(nullptr));
    stream = Stream{};
  }

  Surface* target_ = nullptr;
  std::array<Stream, kMaxStreams> streams_{};
  IndexBuffer* indices_ = nullptr;
  std::array<Texture*, kMaxSamplers> textures_{};
};
