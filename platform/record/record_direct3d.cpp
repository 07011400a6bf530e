#include "platform/record/record_direct3d.h"

#include "platform/record/record_device.h"

RecordDirect3D::RecordDirect3D(std::shared_ptr<Recorder> recorder, UINT sdkVersion)
    : Recorded(std::move(recorder), RecordKind::Direct3D, "Direct3D"), sdkVersion_(sdkVersion) {}

HRESULT RecordDirect3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                                     DWORD BehaviorFlags,
                                     D3DPRESENT_PARAMETERS* pPresentationParameters,
                                     IDirect3DDevice9** ppReturnedDeviceInterface) {
  auto call = recorder().Begin(
      "CreateDevice", this,
      {RecU(Adapter), RecU(DeviceType), RecP(hFocusWindow), RecU(BehaviorFlags),
       RecP(pPresentationParameters), RecP(ppReturnedDeviceInterface)},
      pPresentationParameters,
      pPresentationParameters != nullptr ? sizeof(D3DPRESENT_PARAMETERS) : 0);
  if (ppReturnedDeviceInterface != nullptr) *ppReturnedDeviceInterface = nullptr;
  if (call.failure) return call.Finish(*call.failure);
  if (ppReturnedDeviceInterface == nullptr || pPresentationParameters == nullptr ||
      Adapter != D3DADAPTER_DEFAULT) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  const DWORD modes = BehaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                       D3DCREATE_HARDWARE_VERTEXPROCESSING |
                                       D3DCREATE_MIXED_VERTEXPROCESSING);
  const bool oneMode = modes != 0 && (modes & (modes - 1)) == 0;
  const bool knownType = DeviceType >= D3DDEVTYPE_HAL && DeviceType <= D3DDEVTYPE_NULLREF;
  HWND window = pPresentationParameters->hDeviceWindow != nullptr
                    ? pPresentationParameters->hDeviceWindow
                    : hFocusWindow;
  if (!oneMode || !knownType || window == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  *ppReturnedDeviceInterface = new RecordDevice(sharedRecorder(), this, DeviceType, hFocusWindow,
                                                BehaviorFlags, *pPresentationParameters);
  return call.Finish(D3D_OK);
}
