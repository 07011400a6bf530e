#include "platform/record/record_texture.h"

#include "platform/d3d9_rules.h"

RecordSurface::RecordSurface(std::shared_ptr<Recorder> recorder, RecordTexture* container,
                             const D3DSURFACE_DESC& desc)
    : Recorded(std::move(recorder), RecordKind::Surface, "Surface"),
      container_(container),
      desc_(desc) {}

RecordSurface::~RecordSurface() = default;

HRESULT RecordSurface::GetDesc(D3DSURFACE_DESC* pDesc) {
  auto call = recorder().Begin("Surface::GetDesc", this, {RecP(pDesc)});
  if (call.failure) return call.Finish(*call.failure);
  if (pDesc == nullptr) return call.Finish(D3DERR_INVALIDCALL);
  *pDesc = desc_;
  return call.Finish(D3D_OK);
}

void RecordSurface::Grab() {
  if (container_ != nullptr) {
    container_->Grab();
  } else {
    Recorded::Grab();
  }
}

ULONG RecordSurface::Drop() {
  return container_ != nullptr ? container_->Drop() : Recorded::Drop();
}

ULONG RecordSurface::References() const {
  return container_ != nullptr ? container_->References() : Recorded::References();
}

RecordTexture::RecordTexture(std::shared_ptr<Recorder> recorder, UINT width, UINT height,
                             UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                             std::string sourceFile)
    : Recorded(std::move(recorder), RecordKind::Texture, "Texture"),
      width_(width),
      height_(height),
      usage_(usage),
      format_(format),
      pool_(pool),
      sourceFile_(std::move(sourceFile)) {
  for (UINT level = 0; level < levels; ++level) {
    levels_.push_back(new RecordSurface(sharedRecorder(), this,
                                        MipLevelDesc(width, height, level, format, usage, pool)));
  }
}

RecordTexture::~RecordTexture() {
  for (RecordSurface* level : levels_) delete level;
}

DWORD RecordTexture::GetLevelCount() {
  recorder().Begin("Texture::GetLevelCount", this, {}).Finish(D3D_OK);
  return Levels();
}

HRESULT RecordTexture::GetLevelDesc(UINT Level, D3DSURFACE_DESC* pDesc) {
  auto call = recorder().Begin("Texture::GetLevelDesc", this, {RecU(Level), RecP(pDesc)});
  if (call.failure) return call.Finish(*call.failure);
  if (pDesc == nullptr || Level >= Levels()) return call.Finish(D3DERR_INVALIDCALL);
  *pDesc = levels_[Level]->Desc();
  return call.Finish(D3D_OK);
}

HRESULT RecordTexture::GetSurfaceLevel(UINT Level, IDirect3DSurface9** ppSurfaceLevel) {
  auto call =
      recorder().Begin("Texture::GetSurfaceLevel", this, {RecU(Level), RecP(ppSurfaceLevel)});
  if (ppSurfaceLevel != nullptr) *ppSurfaceLevel = nullptr;
  if (call.failure) return call.Finish(*call.failure);
  if (ppSurfaceLevel == nullptr || Level >= Levels()) return call.Finish(D3DERR_INVALIDCALL);
  levels_[Level]->Grab();
  *ppSurfaceLevel = levels_[Level];
  return call.Finish(D3D_OK);
}
