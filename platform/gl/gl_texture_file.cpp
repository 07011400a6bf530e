#include "platform/gl/gl_texture_file.h"

#include <utility>
#include <vector>

#include "platform/d3d9_util.h"
#include "platform/gl/gl_device.h"
#include "platform/gl/image_file.h"

namespace {

bool TakesFileSize(UINT requested) {
  return requested == 0 || requested == D3DX_DEFAULT || requested == D3DX_DEFAULT_NONPOW2 ||
         requested == D3DX_FROM_FILE;
}

D3DXIMAGE_FILEFORMAT FileFormatOf(ImageFileType type) {
  switch (type) {
    case ImageFileType::Jpg: return D3DXIFF_JPG;
    case ImageFileType::Tga: return D3DXIFF_TGA;
    case ImageFileType::Png: return D3DXIFF_PNG;
    default: return D3DXIFF_BMP;
  }
}

// RGBA bytes become A8R8G8B8 texels (B, G, R, A bytes) in place, so the
// decoded image is the only texel buffer; texels matching the colour key
// become transparent black, as D3DX does.
void ToArgbTexels(std::vector<uint8_t>& rgba, D3DCOLOR colorKey) {
  uint8_t* texel = rgba.data();
  for (size_t i = 0; i < rgba.size(); i += 4) {
    const D3DCOLOR argb = D3DCOLOR_ARGB(texel[i + 3], texel[i], texel[i + 1], texel[i + 2]);
    if (colorKey != 0 && argb == colorKey) {
      texel[i] = texel[i + 1] = texel[i + 2] = texel[i + 3] = 0;
      continue;
    }
    std::swap(texel[i], texel[i + 2]);
  }
}

}  // namespace

HRESULT gl_create_texture_from_file(IDirect3DDevice9* device, LPCSTR file, UINT width,
                                    UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format,
                                    D3DPOOL pool, DWORD, DWORD, D3DCOLOR colorKey,
                                    D3DXIMAGE_INFO* sourceInfo, PALETTEENTRY*,
                                    IDirect3DTexture9** texture) {
  if (texture != nullptr) *texture = nullptr;
  GlDevice* glDevice = AsGlDevice(device);
  if (glDevice == nullptr || file == nullptr || texture == nullptr) return D3DERR_INVALIDCALL;
  if (format == D3DFMT_UNKNOWN) format = D3DFMT_A8R8G8B8;
  if (format != D3DFMT_A8R8G8B8 && format != D3DFMT_X8R8G8B8) return D3DERR_NOTAVAILABLE;

  RgbaImage image;
  ImageFileType type = ImageFileType::Unknown;
  const ImageLoad load = load_image_file(file, &image, &type);
  if (load == ImageLoad::Missing) return D3DERR_NOTFOUND;
  if (load != ImageLoad::Loaded) return D3DXERR_INVALIDDATA;
  if (sourceInfo != nullptr) {
    *sourceInfo = D3DXIMAGE_INFO{image.width, image.height, 1, 1, D3DFMT_A8R8G8B8,
                                 D3DRTYPE_TEXTURE, FileFormatOf(type)};
  }

  const UINT targetWidth = TakesFileSize(width) ? image.width : width;
  const UINT targetHeight = TakesFileSize(height) ? image.height : height;
  if (!fit_image(image, targetWidth, targetHeight)) return E_OUTOFMEMORY;
  ToArgbTexels(image.rgba, colorKey);
  const std::vector<uint8_t>& texels = image.rgba;

  const UINT chain = FullMipChainLength(targetWidth, targetHeight);
  UINT levels = mipLevels;
  if (levels == 0 || levels == D3DX_DEFAULT) levels = chain;
  if (levels == D3DX_FROM_FILE) levels = 1;
  if (levels > chain) levels = chain;

  GlTexture* made = nullptr;
  HRESULT result = GlTexture::Create(glDevice->Context(), targetWidth, targetHeight, levels,
                                     usage, format, pool, &made);
  if (FAILED(result)) return result;
  result = made->FillLevel0(texels.data(), texels.size());
  if (FAILED(result)) {
    made->Release();
    return result;
  }
  *texture = made;
  return D3D_OK;
}
