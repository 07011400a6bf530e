#pragma once
#include <memory>
#include <string>
#include <vector>

#include "platform/d3d9.h"
#include "platform/record/record_object.h"

class RecordTexture;

// A colour surface: the back buffer (standalone) or one level of a texture,
// which shares its texture's references as in Direct3D.
class RecordSurface final : public Recorded<IDirect3DSurface9> {
 public:
  RecordSurface(std::shared_ptr<Recorder> recorder, RecordTexture* container,
                const D3DSURFACE_DESC& desc);
  ~RecordSurface() override;

  HRESULT GetDesc(D3DSURFACE_DESC* pDesc) override;

  void Grab() override;
  ULONG Drop() override;
  ULONG References() const override;

  const D3DSURFACE_DESC& Desc() const { return desc_; }
  // Null for the back buffer.
  RecordTexture* Container() const { return container_; }

 private:
  RecordTexture* container_;
  D3DSURFACE_DESC desc_;
};

class RecordTexture final : public Recorded<IDirect3DTexture9> {
 public:
  // levels must already be resolved (at least 1).
  RecordTexture(std::shared_ptr<Recorder> recorder, UINT width, UINT height, UINT levels,
                DWORD usage, D3DFORMAT format, D3DPOOL pool, std::string sourceFile);
  ~RecordTexture() override;

  DWORD GetLevelCount() override;
  HRESULT GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) override;
  HRESULT GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) override;

  UINT Width() const { return width_; }
  UINT Height() const { return height_; }
  UINT Levels() const { return static_cast<UINT>(levels_.size()); }
  DWORD Usage() const { return usage_; }
  D3DFORMAT Format() const { return format_; }
  D3DPOOL Pool() const { return pool_; }
  // The image file it was loaded from; "" for a created texture.
  const std::string& SourceFile() const { return sourceFile_; }
  RecordSurface* Level(UINT level) const { return levels_[level]; }

 private:
  UINT width_;
  UINT height_;
  DWORD usage_;
  D3DFORMAT format_;
  D3DPOOL pool_;
  std::string sourceFile_;
  std::vector<RecordSurface*> levels_;
};
