#include "platform/record/recording_backend.h"

#include <optional>
#include <string>

#include "base/input_file.h"
#include "platform/record/image_header.h"
#include "platform/record/record_device.h"
#include "platform/record/record_direct3d.h"
#include "platform/record/record_effect.h"

namespace {

// Through the input reader, like the real backends: regular files and files
// held in memory only.
std::optional<std::string> ReadFile(const char* path, InputKind kind) {
  std::string text;
  if (!read_input_text(path, kind, text, nullptr)) return std::nullopt;
  return text;
}

// A requested size of 0 or one of the "from the file" markers keeps the
// file's size.
UINT ResolveSize(UINT requested, UINT fromFile) {
  const bool fileSize = requested == 0 || requested == D3DX_DEFAULT ||
                        requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE;
  return fileSize ? fromFile : requested;
}

}  // namespace

IDirect3D9* RecordingBackend::CreateDirect3D(UINT sdkVersion) {
  auto call = recorder_->Begin("Direct3DCreate9", nullptr, {RecU(sdkVersion)});
  if (call.failure) {
    call.Finish(*call.failure);
    return nullptr;
  }
  call.Finish(S_OK);
  return new RecordDirect3D(recorder_, sdkVersion);
}

HRESULT RecordingBackend::CreateTextureFromFile(IDirect3DDevice9* device, LPCSTR file, UINT width,
                                                UINT height, UINT mipLevels, DWORD usage,
                                                D3DFORMAT format, D3DPOOL pool, DWORD filter,
                                                DWORD mipFilter, D3DCOLOR colorKey,
                                                D3DXIMAGE_INFO* sourceInfo,
                                                PALETTEENTRY* palette,
                                                IDirect3DTexture9** texture) {
  auto call = recorder_->Begin(
      "D3DXCreateTextureFromFileExA", nullptr,
      {RecP(device), RecS(file), RecU(width), RecU(height), RecU(mipLevels), RecU(usage),
       RecU(format), RecU(pool), RecU(filter), RecU(mipFilter), RecU(colorKey), RecP(sourceInfo),
       RecP(palette), RecP(texture)});
  if (texture != nullptr) *texture = nullptr;
  if (call.failure) return call.Finish(*call.failure);
  RecordDevice* recordDevice = AsRecordDevice(device);
  if (texture == nullptr || recordDevice == nullptr || file == nullptr) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  std::optional<std::string> bytes = ReadFile(file, InputKind::Image);
  if (!bytes || bytes->empty()) return call.Finish(D3DXERR_INVALIDDATA);
  ImageHeader image{recorder_->FallbackImageWidth(), recorder_->FallbackImageHeight(),
                    D3DXIFF_BMP};
  if (std::optional<ImageHeader> header = ReadImageHeader(*bytes)) image = *header;
  if (image.width == 0 || image.height == 0) return call.Finish(D3DXERR_INVALIDDATA);

  const UINT levels = mipLevels == D3DX_DEFAULT ? 0 : mipLevels == D3DX_FROM_FILE ? 1 : mipLevels;
  const D3DFORMAT textureFormat =
      format == D3DFMT_UNKNOWN || format == static_cast<D3DFORMAT>(D3DX_FROM_FILE)
          ? D3DFMT_A8R8G8B8
          : format;
  RecordTexture* made = nullptr;
  const HRESULT result =
      recordDevice->MakeTexture(ResolveSize(width, image.width), ResolveSize(height, image.height),
                                levels, usage, textureFormat, pool, file, &made);
  if (FAILED(result)) return call.Finish(result);
  if (sourceInfo != nullptr) {
    *sourceInfo = D3DXIMAGE_INFO{image.width, image.height,   1, 1, D3DFMT_A8R8G8B8,
                                 D3DRTYPE_TEXTURE, image.format};
  }
  *texture = made;
  return call.Finish(D3D_OK);
}

HRESULT RecordingBackend::CreateEffectFromFile(IDirect3DDevice9* device, LPCSTR file,
                                               const D3DXMACRO* defines, ID3DXInclude* include,
                                               DWORD flags, ID3DXEffectPool* pool,
                                               ID3DXEffect** effect,
                                               ID3DXBuffer** compilationErrors) {
  auto call = recorder_->Begin("D3DXCreateEffectFromFileA", nullptr,
                               {RecP(device), RecS(file), RecP(defines), RecP(include),
                                RecU(flags), RecP(pool), RecP(effect), RecP(compilationErrors)});
  if (effect != nullptr) *effect = nullptr;
  if (compilationErrors != nullptr) *compilationErrors = nullptr;
  if (call.failure) return call.Finish(*call.failure);
  if (effect == nullptr || AsRecordDevice(device) == nullptr || file == nullptr) {
    return call.Finish(D3DERR_INVALIDCALL);
  }
  if (!ReadFile(file, InputKind::Effect)) return call.Finish(E_FAIL);
  const EffectSetup& setup = recorder_->EffectFor(file);
  if (!setup.compileErrors.empty()) {
    if (compilationErrors != nullptr) {
      *compilationErrors = new RecordBuffer(recorder_, setup.compileErrors);
    }
    return call.Finish(D3DXERR_INVALIDDATA);
  }
  *effect = new RecordEffect(recorder_, file, setup);
  return call.Finish(D3D_OK);
}
