// Device states, their defaults and the calls that set them: both backends
// must answer every case alike.
#include <bit>
#include <cstring>

#include "platform/d3d9_util.h"
#include "tests/conformance/conformance_devices.h"

template <class Backend>
class StateConformance : public DeviceConformance<Backend> {};
TYPED_TEST_SUITE(StateConformance, ConformanceBackends, BackendNames);

TYPED_TEST(StateConformance, NewDeviceHasDirect3DsDefaults) {
  IDirect3DDevice9* dev = this->dev();
  for (const DefaultRenderState& entry : DefaultRenderStates(true)) {
    DWORD value = 0xDEAD;
    ASSERT_EQ(dev->GetRenderState(entry.state, &value), D3D_OK);
    EXPECT_EQ(value, entry.value) << "render state " << entry.state;
  }
  const struct {
    D3DRENDERSTATETYPE state;
    DWORD value;
  } offByDefault[] = {{D3DRS_ALPHABLENDENABLE, 0}, {D3DRS_STENCILENABLE, 0},
                      {D3DRS_ALPHATESTENABLE, 0},  {D3DRS_TWOSIDEDSTENCILMODE, 0},
                      {D3DRS_DEPTHBIAS, 0},        {D3DRS_SEPARATEALPHABLENDENABLE, 0}};
  for (const auto& row : offByDefault) {
    DWORD value = 0xDEAD;
    ASSERT_EQ(dev->GetRenderState(row.state, &value), D3D_OK);
    EXPECT_EQ(value, row.value) << "render state " << row.state;
  }

  const struct {
    DWORD stage;
    D3DTEXTURESTAGESTATETYPE type;
    DWORD value;
  } stages[] = {{0, D3DTSS_COLOROP, D3DTOP_MODULATE},
                {1, D3DTSS_COLOROP, D3DTOP_DISABLE},
                {0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1},
                {7, D3DTSS_ALPHAOP, D3DTOP_DISABLE},
                {3, D3DTSS_COLORARG1, D3DTA_TEXTURE},
                {3, D3DTSS_COLORARG2, D3DTA_CURRENT},
                {5, D3DTSS_TEXCOORDINDEX, 5}};
  for (const auto& row : stages) {
    DWORD value = 0xDEAD;
    ASSERT_EQ(dev->GetTextureStageState(row.stage, row.type, &value), D3D_OK);
    EXPECT_EQ(value, row.value) << "stage " << row.stage << " state " << row.type;
  }

  const struct {
    D3DSAMPLERSTATETYPE type;
    DWORD value;
  } samplers[] = {{D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP},
                  {D3DSAMP_ADDRESSW, D3DTADDRESS_WRAP},
                  {D3DSAMP_MAGFILTER, D3DTEXF_POINT},
                  {D3DSAMP_MINFILTER, D3DTEXF_POINT},
                  {D3DSAMP_MIPFILTER, D3DTEXF_NONE},
                  {D3DSAMP_MAXANISOTROPY, 1},
                  {D3DSAMP_BORDERCOLOR, 0},
                  {D3DSAMP_MAXMIPLEVEL, 0}};
  for (DWORD sampler : {0u, 15u}) {
    for (const auto& row : samplers) {
      DWORD value = 0xDEAD;
      ASSERT_EQ(dev->GetSamplerState(sampler, row.type, &value), D3D_OK);
      EXPECT_EQ(value, row.value) << "sampler " << sampler << " state " << row.type;
    }
  }

  D3DVIEWPORT9 viewport{};
  ASSERT_EQ(dev->GetViewport(&viewport), D3D_OK);
  EXPECT_EQ(viewport.X, 0u);
  EXPECT_EQ(viewport.Width, kConformanceWidth);
  EXPECT_EQ(viewport.Height, kConformanceHeight);
  EXPECT_EQ(viewport.MaxZ, 1.0f);

  D3DMATRIX world{};
  ASSERT_EQ(dev->GetTransform(D3DTS_WORLD, &world), D3D_OK);
  Matrix4 identity;
  identity.setIdentity();
  EXPECT_EQ(std::memcmp(&world, &identity, sizeof world), 0);
  DWORD fvf = 0xDEAD;
  ASSERT_EQ(dev->GetFVF(&fvf), D3D_OK);
  EXPECT_EQ(fvf, 0u);
}

// Every state call: the last slot of each kind is taken and read back, the
// first slot past it and a missing out pointer are refused.
TYPED_TEST(StateConformance, StateSlotsEndWhereTheCapsSay) {
  IDirect3DDevice9* dev = this->dev();
  DWORD value = 0;
  const auto last = [](DWORD count) { return count - 1; };

  EXPECT_EQ(dev->SetRenderState(D3DRENDERSTATETYPE(last(kRenderStateCount)), 7), D3D_OK);
  EXPECT_EQ(dev->GetRenderState(D3DRENDERSTATETYPE(last(kRenderStateCount)), &value), D3D_OK);
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(dev->SetRenderState(D3DRENDERSTATETYPE(kRenderStateCount), 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->GetRenderState(D3DRENDERSTATETYPE(kRenderStateCount), &value), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->GetRenderState(D3DRS_ZENABLE, nullptr), D3DERR_INVALIDCALL);

  const auto lastType = D3DTEXTURESTAGESTATETYPE(last(kStageStateCount));
  EXPECT_EQ(dev->SetTextureStageState(last(kMaxTextureStages), lastType, 9), D3D_OK);
  EXPECT_EQ(dev->GetTextureStageState(last(kMaxTextureStages), lastType, &value), D3D_OK);
  EXPECT_EQ(value, 9u);
  EXPECT_EQ(dev->SetTextureStageState(kMaxTextureStages, D3DTSS_COLOROP, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->SetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(kStageStateCount), 1),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->GetTextureStageState(0, D3DTEXTURESTAGESTATETYPE(kStageStateCount), &value),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->GetTextureStageState(0, D3DTSS_COLOROP, nullptr), D3DERR_INVALIDCALL);

  const auto lastSampler = D3DSAMPLERSTATETYPE(last(kSamplerStateCount));
  EXPECT_EQ(dev->SetSamplerState(last(kMaxSamplers), lastSampler, 11), D3D_OK);
  EXPECT_EQ(dev->GetSamplerState(last(kMaxSamplers), lastSampler, &value), D3D_OK);
  EXPECT_EQ(value, 11u);
  EXPECT_EQ(dev->SetSamplerState(kMaxSamplers, D3DSAMP_MAGFILTER, 1), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->SetSamplerState(0, D3DSAMPLERSTATETYPE(kSamplerStateCount), 1),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->GetSamplerState(0, D3DSAMPLERSTATETYPE(kSamplerStateCount), &value),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->GetSamplerState(0, D3DSAMP_MAGFILTER, nullptr), D3DERR_INVALIDCALL);

  Matrix4 scale;
  scale.setIdentity();
  scale.m[0] = 3.0f;
  EXPECT_EQ(dev->SetTransform(D3DTS_VIEW, &scale), D3D_OK);
  D3DMATRIX read{};
  EXPECT_EQ(dev->GetTransform(D3DTS_VIEW, &read), D3D_OK);
  EXPECT_EQ(read.m[0], 3.0f);
  EXPECT_EQ(dev->SetTransform(D3DTS_VIEW, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->GetTransform(D3DTS_VIEW, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->GetFVF(nullptr), D3DERR_INVALIDCALL);
}

TYPED_TEST(StateConformance, ViewportMustLieInsideTheTarget) {
  const struct {
    const char* name;
    D3DVIEWPORT9 viewport;
    HRESULT result;
  } cases[] = {
      {"whole target", {0, 0, kConformanceWidth, kConformanceHeight, 0, 1}, D3D_OK},
      {"inner corner", {10, 8, 20, 16, 0.25f, 0.75f}, D3D_OK},
      {"one pixel at the far corner",
       {kConformanceWidth - 1, kConformanceHeight - 1, 1, 1, 0, 1},
       D3D_OK},
      {"zero width", {0, 0, 0, 10, 0, 1}, D3DERR_INVALIDCALL},
      {"zero height", {0, 0, 10, 0, 0, 1}, D3DERR_INVALIDCALL},
      {"past the right edge", {1, 0, kConformanceWidth, 10, 0, 1}, D3DERR_INVALIDCALL},
      {"past the bottom", {0, 40, 10, 9, 0, 1}, D3DERR_INVALIDCALL},
      {"offset wraps around", {0xFFFFFFF0u, 0, 32, 10, 0, 1}, D3DERR_INVALIDCALL},
      {"depth above 1", {0, 0, 10, 10, 0, 1.5f}, D3DERR_INVALIDCALL},
      {"depth below 0", {0, 0, 10, 10, -0.1f, 1}, D3DERR_INVALIDCALL},
  };
  IDirect3DDevice9* dev = this->dev();
  for (const auto& c : cases) {
    EXPECT_EQ(dev->SetViewport(&c.viewport), c.result) << c.name;
    D3DVIEWPORT9 now{};
    ASSERT_EQ(dev->GetViewport(&now), D3D_OK);
    if (c.result == D3D_OK) {
      EXPECT_EQ(std::memcmp(&now, &c.viewport, sizeof now), 0) << c.name;
    } else {
      EXPECT_NE(std::memcmp(&now, &c.viewport, sizeof now), 0) << c.name << " was kept";
    }
  }
  EXPECT_EQ(dev->SetViewport(nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->GetViewport(nullptr), D3DERR_INVALIDCALL);
}

TYPED_TEST(StateConformance, ClearArguments) {
  const D3DRECT rect{1, 1, 5, 5};
  const struct {
    const char* name;
    DWORD count;
    const D3DRECT* rects;
    DWORD flags;
    float z;
    HRESULT result;
  } cases[] = {
      {"everything", 0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 1, D3D_OK},
      {"one rectangle", 1, &rect, D3DCLEAR_TARGET, 0, D3D_OK},
      {"no flags", 0, nullptr, 0, 1, D3DERR_INVALIDCALL},
      {"count without rectangles", 2, nullptr, D3DCLEAR_TARGET, 1, D3DERR_INVALIDCALL},
      {"depth above 1", 0, nullptr, D3DCLEAR_ZBUFFER, 1.5f, D3DERR_INVALIDCALL},
      {"depth below 0", 0, nullptr, D3DCLEAR_ZBUFFER, -0.5f, D3DERR_INVALIDCALL},
      {"colour ignores depth", 0, nullptr, D3DCLEAR_TARGET, 7.0f, D3D_OK},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(this->dev()->Clear(c.count, c.rects, c.flags, 0xFF102030, c.z, 0), c.result)
        << c.name;
  }
}

TYPED_TEST(StateConformance, ScenesDoNotNest) {
  IDirect3DDevice9* dev = this->dev();
  EXPECT_EQ(dev->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->BeginScene(), D3D_OK);
  EXPECT_EQ(dev->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->EndScene(), D3D_OK);
  EXPECT_EQ(dev->EndScene(), D3DERR_INVALIDCALL);
}

// A render target switch: only render-target surfaces are taken, the
// viewport follows the new target, and the device holds what it draws into.
TYPED_TEST(StateConformance, RenderTargetSwitches) {
  IDirect3DDevice9* dev = this->dev();
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(dev->GetRenderTarget(0, &backBuffer), D3D_OK);
  ASSERT_NE(backBuffer, nullptr);
  D3DSURFACE_DESC backDesc{};
  ASSERT_EQ(backBuffer->GetDesc(&backDesc), D3D_OK);
  EXPECT_EQ(backDesc.Width, kConformanceWidth);
  EXPECT_NE(backDesc.Usage & D3DUSAGE_RENDERTARGET, 0u);

  IDirect3DTexture9* target = nullptr;
  ASSERT_EQ(dev->CreateTexture(32, 16, 1, D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                               &target, nullptr),
            D3D_OK);
  IDirect3DTexture9* plain = nullptr;
  ASSERT_EQ(dev->CreateTexture(32, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain, nullptr),
            D3D_OK);
  IDirect3DSurface9* targetLevel = nullptr;
  IDirect3DSurface9* plainLevel = nullptr;
  ASSERT_EQ(target->GetSurfaceLevel(0, &targetLevel), D3D_OK);
  ASSERT_EQ(plain->GetSurfaceLevel(0, &plainLevel), D3D_OK);

  EXPECT_EQ(dev->SetRenderTarget(0, plainLevel), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->SetRenderTarget(kMaxRenderTargets, targetLevel), D3DERR_INVALIDCALL);
  const D3DVIEWPORT9 part{2, 2, 8, 8, 0, 1};
  ASSERT_EQ(dev->SetViewport(&part), D3D_OK);

  const ULONG before = this->References(target);
  ASSERT_EQ(dev->SetRenderTarget(0, targetLevel), D3D_OK);
  EXPECT_EQ(this->References(target), before + 1) << "the device holds its target";
  D3DVIEWPORT9 viewport{};
  ASSERT_EQ(dev->GetViewport(&viewport), D3D_OK);
  EXPECT_EQ(viewport.Width, 32u);
  EXPECT_EQ(viewport.Height, 16u);
  EXPECT_EQ(viewport.X, 0u);
  const D3DVIEWPORT9 tooWide{0, 0, 40, 8, 0, 1};
  EXPECT_EQ(dev->SetViewport(&tooWide), D3DERR_INVALIDCALL) << "checked against the new target";

  IDirect3DSurface9* current = nullptr;
  ASSERT_EQ(dev->GetRenderTarget(0, &current), D3D_OK);
  EXPECT_EQ(current, targetLevel);
  current->Release();
  EXPECT_EQ(dev->GetRenderTarget(1, &current), D3DERR_INVALIDCALL);
  EXPECT_EQ(current, nullptr);
  EXPECT_EQ(dev->GetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(dev->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1, 0), D3D_OK);

  ASSERT_EQ(dev->SetRenderTarget(0, backBuffer), D3D_OK);
  EXPECT_EQ(this->References(target), before) << "the old target is let go";
  ASSERT_EQ(dev->GetViewport(&viewport), D3D_OK);
  EXPECT_EQ(viewport.Width, kConformanceWidth);

  targetLevel->Release();
  plainLevel->Release();
  target->Release();
  plain->Release();
  backBuffer->Release();
}
