#pragma once
#include <array>
#include <map>
#include <memory>

#include "platform/d3d9.h"
#include "platform/d3d9_device.h"
#include "platform/record/record_buffers.h"
#include "platform/record/record_object.h"
#include "platform/record/record_texture.h"

// How the recording device holds what is bound to it: by references of its
// own, which are not logged as the caller's AddRef and Release are.
struct RecordBoundObjects {
  using Surface = RecordSurface;
  using VertexBuffer = RecordVertexBuffer;
  using IndexBuffer = RecordIndexBuffer;
  using Texture = RecordTexture;
  static RecordSurface* From(IDirect3DSurface9* object);
  static RecordVertexBuffer* From(IDirect3DVertexBuffer9* object);
  static RecordIndexBuffer* From(IDirect3DIndexBuffer9* object);
  static RecordTexture* From(IDirect3DTexture9* object);
  template <class T>
  static void Keep(T* object) {
    object->Grab();
  }
  template <class T>
  static void Let(T* object) {
    object->Drop();
  }
  static const D3DSURFACE_DESC& Desc(const RecordSurface* surface) { return surface->Desc(); }
};

// A device of the recording backend: the device core, with every call
// logged with its arguments (and failed on purpose where the recorder's
// failure plan says so). Tests read back the state the calls set. It holds references to its
// Direct3D object, its back buffer, the current target and everything bound, as Direct3D does.
class RecordDevice final : public D3D9Device<RecordBoundObjects, Recorded<IDirect3DDevice9>> {
 public:
  RecordDevice(std::shared_ptr<Recorder> recorder, Recorded<IDirect3D9>* direct3d, D3DDEVTYPE type,
               HWND focusWindow, DWORD behaviorFlags, const D3DPRESENT_PARAMETERS& parameters);
  ~RecordDevice() override;

  // A texture made without logging a CreateTexture call (the D3DX loader's
  // own creation); same checks and results as CreateTexture.
  HRESULT MakeTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                      D3DPOOL pool, std::string sourceFile, RecordTexture** texture);

  // ---- state, for tests ----
  D3DDEVTYPE DeviceType() const { return type_; }
  DWORD BehaviorFlags() const { return behaviorFlags_; }
  HWND FocusWindow() const { return focusWindow_; }
  const D3DPRESENT_PARAMETERS& PresentParameters() const { return parameters_; }
  DWORD RenderState(D3DRENDERSTATETYPE state) const { return state_.RenderState(state); }
  DWORD TextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type) const {
    return state_.TextureStageState(stage, type);
  }
  DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type) const {
    return state_.SamplerState(sampler, type);
  }
  // The identity for a transform never set.
  Matrix4 Transform(D3DTRANSFORMSTATETYPE state) const { return state_.Transform(state); }
  const D3DVIEWPORT9& Viewport() const { return state_.Viewport(); }
  RecordSurface* BackBuffer() const { return backBuffer_; }
  RecordSurface* RenderTarget() const { return bindings_.Target(); }
  RecordVertexBuffer* StreamSource(UINT stream) const { return bindings_.StreamAt(stream).buffer; }
  UINT StreamOffset(UINT stream) const { return bindings_.StreamAt(stream).offset; }
  UINT StreamStride(UINT stream) const { return bindings_.StreamAt(stream).stride; }
  RecordIndexBuffer* Indices() const { return bindings_.Indices(); }
  DWORD FVF() const { return state_.FVF(); }
  RecordTexture* BoundTexture(DWORD stage) const { return bindings_.TextureAt(stage); }
  bool InScene() const { return state_.InScene(); }

 private:
  // Logs the call, or fails it where the failure plan says so.
  HRESULT Run(const D3D9Call& call, D3D9CallBody body) override;
  // CreateTexture's work: MakeTexture above without a source file.
  HRESULT MakeTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format,
                      D3DPOOL pool, IDirect3DTexture9** texture) override;
  HRESULT MakeVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                           IDirect3DVertexBuffer9** buffer) override;
  HRESULT MakeIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                          IDirect3DIndexBuffer9** buffer) override;

  Recorded<IDirect3D9>* direct3d_;  // held without logging, as bindings are
  D3DDEVTYPE type_;
  HWND focusWindow_;
  DWORD behaviorFlags_;
  D3DPRESENT_PARAMETERS parameters_;
  RecordSurface* backBuffer_ = nullptr;
};

// The recording device behind an interface pointer; null for another backend.
RecordDevice* AsRecordDevice(IDirect3DDevice9* device);
