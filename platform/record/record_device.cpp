#include "platform/record/record_device.h"

#include <bit>

#include "platform/d3d9_rules.h"
#include "platform/d3d9_util.h"
#include "platform/record/recorded_call.h"

namespace {

template <class Concrete, class Interface>
Concrete* AsRecorded(Interface* object) {
  return object != nullptr ? dynamic_cast<Concrete*>(object) : nullptr;
}

}  // namespace

RecordDevice* AsRecordDevice(IDirect3DDevice9* device) { return AsRecorded<RecordDevice>(device); }

RecordSurface* RecordBoundObjects::From(IDirect3DSurface9* object) {
  return AsRecorded<RecordSurface>(object);
}
RecordVertexBuffer* RecordBoundObjects::From(IDirect3DVertexBuffer9* object) {
  return AsRecorded<RecordVertexBuffer>(object);
}
RecordIndexBuffer* RecordBoundObjects::From(IDirect3DIndexBuffer9* object) {
  return AsRecorded<RecordIndexBuffer>(object);
}
RecordTexture* RecordBoundObjects::From(IDirect3DTexture9* object) {
  return AsRecorded<RecordTexture>(object);
}

RecordDevice::RecordDevice(std::shared_ptr<Recorder> recorder, Recorded<IDirect3D9>* direct3d,
                           D3DDEVTYPE type, HWND focusWindow, DWORD behaviorFlags,
                           const D3DPRESENT_PARAMETERS& parameters)
    : D3D9Device(parameters, std::move(recorder), RecordKind::Device, "Device"),
      direct3d_(direct3d),
      type_(type),
      focusWindow_(focusWindow),
      behaviorFlags_(behaviorFlags),
      parameters_(parameters) {
  direct3d_->Grab();
  backBuffer_ = new RecordSurface(sharedRecorder(), nullptr, BackBufferDesc(parameters));
  bindings_.BindFirstTarget(backBuffer_);
}

RecordDevice::~RecordDevice() {
  bindings_.UnbindAll();
  backBuffer_->Drop();
  direct3d_->Drop();
}

HRESULT RecordDevice::Run(const D3D9Call& call, D3D9CallBody body) {
  return RunRecorded(recorder(), this, call.name, call, body);
}

HRESULT RecordDevice::MakeVertexBuffer(UINT length, DWORD usage, DWORD fvf, D3DPOOL pool,
                                       IDirect3DVertexBuffer9** buffer) {
  *buffer = new RecordVertexBuffer(sharedRecorder(), length, usage, fvf, pool);
  return D3D_OK;
}

HRESULT RecordDevice::MakeIndexBuffer(UINT length, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                      IDirect3DIndexBuffer9** buffer) {
  *buffer = new RecordIndexBuffer(sharedRecorder(), length, usage, format, pool);
  return D3D_OK;
}

HRESULT RecordDevice::MakeTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture) {
  RecordTexture* made = nullptr;
  const HRESULT result = MakeTexture(width, height, levels, usage, format, pool, "", &made);
  *texture = made;
  return result;
}

HRESULT RecordDevice::MakeTexture(UINT width, UINT height, UINT levels, DWORD usage,
                                  D3DFORMAT format, D3DPOOL pool, std::string sourceFile,
                                  RecordTexture** texture) {
  *texture = nullptr;
  UINT resolved = levels;
  // Every format is accepted: recorded textures hold no texels.
  const HRESULT checked =
      CheckTexture(width, height, usage, pool, true, recorder().MaxTextureSize(), &resolved);
  if (FAILED(checked)) return checked;
  *texture = new RecordTexture(sharedRecorder(), width, height, resolved, usage, format, pool,
                               std::move(sourceFile));
  return D3D_OK;
}
