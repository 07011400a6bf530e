#pragma once
#include <memory>

#include "platform/backend.h"
#include "platform/record/recorder.h"

// The backend the rendering tests run against: every object it makes logs
// its calls into one Recorder, keeps real state and can be told to fail
// chosen calls. Install it with ScopedGraphicsBackend.
//
// Its D3DX loaders work on real files without decoding them:
// - a texture file loads when it can be read and is not empty; its size comes
//   from its BMP, PNG or JPEG header, or is the recorder's fallback size for
//   any other content; a missing, empty or damaged file gives
//   D3DXERR_INVALIDDATA;
// - an effect file is "compiled" when it can be read: the recorder's
//   EffectSetup for that path (or its default) gives the techniques, passes,
//   parameters, or the compiler messages of a failure (D3DXERR_INVALIDDATA
//   with the messages in the error buffer); a missing file gives E_FAIL with
//   no error buffer.
class RecordingBackend final : public GraphicsBackend {
 public:
  RecordingBackend() : recorder_(std::make_shared<Recorder>()) {}

  Recorder& recorder() { return *recorder_; }
  const std::shared_ptr<Recorder>& sharedRecorder() const { return recorder_; }

  const char* Name() const override { return "record"; }
  IDirect3D9* CreateDirect3D(UINT sdkVersion) override;
  HRESULT CreateTextureFromFile(IDirect3DDevice9* device, LPCSTR file, UINT width, UINT height,
                                UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                DWORD filter, DWORD mipFilter, D3DCOLOR colorKey,
                                D3DXIMAGE_INFO* sourceInfo, PALETTEENTRY* palette,
                                IDirect3DTexture9** texture) override;
  HRESULT CreateEffectFromFile(IDirect3DDevice9* device, LPCSTR file, const D3DXMACRO* defines,
                               ID3DXInclude* include, DWORD flags, ID3DXEffectPool* pool,
                               ID3DXEffect** effect, ID3DXBuffer** compilationErrors) override;

 private:
  std::shared_ptr<Recorder> recorder_;
};
