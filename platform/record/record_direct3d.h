#pragma once
#include <memory>

#include "platform/d3d9.h"
#include "platform/record/record_object.h"

// The Direct3D object of the recording backend. Every device type is
// available unless a failure rule says otherwise.
class RecordDirect3D final : public Recorded<IDirect3D9> {
 public:
  RecordDirect3D(std::shared_ptr<Recorder> recorder, UINT sdkVersion);
  ~RecordDirect3D() override = default;

  // Refuses an adapter other than 0, no window at all, missing parameters,
  // and behaviour flags without exactly one vertex-processing mode.
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow,
                       DWORD BehaviorFlags, D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;

  UINT SdkVersion() const { return sdkVersion_; }

 private:
  UINT sdkVersion_;
};
