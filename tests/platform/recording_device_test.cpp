#include <gtest/gtest.h>

#include <vector>

#include "platform/backend.h"
#include "platform/record/record_device.h"
#include "platform/record/recording_backend.h"

namespace {

HWND FakeWindow() { return reinterpret_cast<HWND>(uintptr_t{0x1234}); }

D3DPRESENT_PARAMETERS Parameters(UINT width, UINT height) {
  D3DPRESENT_PARAMETERS p{};
  p.BackBufferWidth = width;
  p.BackBufferHeight = height;
  p.BackBufferFormat = D3DFMT_A8R8G8B8;
  p.BackBufferCount = 1;
  p.SwapEffect = D3DSWAPEFFECT_DISCARD;
  p.hDeviceWindow = FakeWindow();
  p.Windowed = 1;
  p.EnableAutoDepthStencil = 1;
  p.AutoDepthStencilFormat = D3DFMT_D24S8;
  return p;
}

class RecordingDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d3d_ = Direct3DCreate9(31);
    ASSERT_NE(d3d_, nullptr);
    D3DPRESENT_PARAMETERS p = Parameters(800, 600);
    ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, FakeWindow(),
                                 D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &device_),
              D3D_OK);
    record_ = AsRecordDevice(device_);
    ASSERT_NE(record_, nullptr);
  }
  void TearDown() override {
    if (device_ != nullptr) device_->Release();
    if (d3d_ != nullptr) d3d_->Release();
    // Everything a test made must be gone with the device.
    EXPECT_EQ(rec().LiveTotal(), 0);
  }
  Recorder& rec() { return backend_.recorder(); }

  RecordingBackend backend_;
  ScopedGraphicsBackend scope_{backend_};
  IDirect3D9* d3d_ = nullptr;
  IDirect3DDevice9* device_ = nullptr;
  RecordDevice* record_ = nullptr;
};

}  // namespace

TEST_F(RecordingDeviceTest, CreateDeviceRefusesWhatDirect3DRefuses) {
  D3DPRESENT_PARAMETERS p = Parameters(64, 64);
  IDirect3DDevice9* other = reinterpret_cast<IDirect3DDevice9*>(uintptr_t{1});
  // Two vertex-processing modes at once.
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, FakeWindow(),
                               D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING,
                               &p, &other),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(other, nullptr);
  // Adapter 1 does not exist.
  EXPECT_EQ(d3d_->CreateDevice(1, D3DDEVTYPE_HAL, FakeWindow(),
                               D3DCREATE_HARDWARE_VERTEXPROCESSING, &p, &other),
            D3DERR_INVALIDCALL);
  // No window anywhere.
  p.hDeviceWindow = nullptr;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                               &p, &other),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(rec().Live(RecordKind::Device), 1);

  // The recorded call carries the presentation parameters.
  const CallRecord* call = rec().Log().First("CreateDevice");
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->As<D3DPRESENT_PARAMETERS>().BackBufferWidth, 800u);
  EXPECT_EQ(call->u(1), D3DDEVTYPE_HAL);
}

TEST_F(RecordingDeviceTest, FailureRulesPickCallsByNameArgumentsAndCount) {
  D3DPRESENT_PARAMETERS p = Parameters(64, 64);
  rec().Fail("CreateDevice", D3DERR_NOTAVAILABLE).WhenArg(1, D3DDEVTYPE_HAL);
  IDirect3DDevice9* second = nullptr;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, FakeWindow(), D3DCREATE_HARDWARE_VERTEXPROCESSING,
                               &p, &second),
            D3DERR_NOTAVAILABLE);
  EXPECT_EQ(second, nullptr);
  EXPECT_TRUE(rec().Log().Last("CreateDevice")->injected);
  ASSERT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_REF, FakeWindow(), D3DCREATE_MIXED_VERTEXPROCESSING,
                               &p, &second),
            D3D_OK);
  EXPECT_EQ(AsRecordDevice(second)->DeviceType(), D3DDEVTYPE_REF);
  second->Release();

  // Let one call through, fail the next two, then succeed again.
  rec().Fail("SetFVF", E_FAIL).Skip(1).Times(2);
  std::vector<HRESULT> results;
  for (int i = 0; i < 4; ++i) results.push_back(device_->SetFVF(0x42));
  EXPECT_EQ(results, (std::vector<HRESULT>{D3D_OK, E_FAIL, E_FAIL, D3D_OK}));

  // A failed call has no effect on the state.
  rec().Fail("SetRenderState").WhenArg(0, D3DRS_LIGHTING);
  EXPECT_EQ(device_->SetRenderState(D3DRS_LIGHTING, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(record_->RenderState(D3DRS_LIGHTING), 1u);
  EXPECT_EQ(device_->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE), D3D_OK);
}

TEST_F(RecordingDeviceTest, ReferencesKeepObjectsAliveAndLiveCountsFollowThem) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(64, 32, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture,
                                   nullptr),
            D3D_OK);
  EXPECT_EQ(texture->GetLevelCount(), 7u);  // 64x32 down to 1x1
  EXPECT_EQ(rec().Live(RecordKind::Texture), 1);
  EXPECT_EQ(rec().Live(RecordKind::Surface), 1 + 7);  // back buffer and the levels

  // A level surface shares its texture's references.
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
  D3DSURFACE_DESC desc{};
  ASSERT_EQ(level->GetDesc(&desc), D3D_OK);
  EXPECT_EQ(desc.Width, 16u);
  EXPECT_EQ(desc.Height, 8u);
  EXPECT_EQ(texture->Release(), 1u);  // the surface still holds it
  EXPECT_EQ(rec().Live(RecordKind::Texture), 1);
  EXPECT_EQ(level->Release(), 0u);
  EXPECT_EQ(rec().Live(RecordKind::Texture), 0);
  EXPECT_EQ(rec().Live(RecordKind::Surface), 1);

  // Binding holds a reference, as Direct3D does.
  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, buffer, 0, 16), D3D_OK);
  EXPECT_EQ(buffer->Release(), 1u);
  EXPECT_EQ(rec().Live(RecordKind::VertexBuffer), 1);
  EXPECT_EQ(record_->StreamSource(0), static_cast<void*>(buffer));
  ASSERT_EQ(device_->SetStreamSource(0, nullptr, 0, 0), D3D_OK);
  EXPECT_EQ(rec().Live(RecordKind::VertexBuffer), 0);

  // The device keeps its Direct3D object alive.
  EXPECT_EQ(d3d_->Release(), 1u);
  d3d_ = nullptr;
  EXPECT_EQ(rec().Live(RecordKind::Direct3D), 1);
  EXPECT_EQ(rec().Log().Ops(0, true).back(), "Direct3D::Release");
}

TEST_F(RecordingDeviceTest, TargetsAndViewportsBehaveAsInDirect3D) {
  EXPECT_EQ(record_->Viewport().Width, 800u);
  EXPECT_EQ(record_->Viewport().MaxZ, 1.0f);

  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device_->CreateTexture(512, 512, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F,
                                   D3DPOOL_DEFAULT, &texture, nullptr),
            D3D_OK);
  IDirect3DSurface9* surface = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(0, &surface), D3D_OK);
  ASSERT_EQ(device_->SetRenderTarget(0, surface), D3D_OK);
  // A new target brings a viewport over all of it.
  EXPECT_EQ(record_->Viewport().Width, 512u);
  EXPECT_EQ(record_->Viewport().Height, 512u);

  D3DVIEWPORT9 viewport{0, 0, 512, 512, 1.0f, 50.0f};
  EXPECT_EQ(device_->SetViewport(&viewport), D3DERR_INVALIDCALL);  // depth beyond 1
  viewport = {0, 0, 513, 512, 0.0f, 1.0f};
  EXPECT_EQ(device_->SetViewport(&viewport), D3DERR_INVALIDCALL);  // wider than the target
  viewport = {10, 20, 100, 200, 0.25f, 0.75f};
  EXPECT_EQ(device_->SetViewport(&viewport), D3D_OK);
  D3DVIEWPORT9 read{};
  ASSERT_EQ(device_->GetViewport(&read), D3D_OK);
  EXPECT_EQ(read.Y, 20u);
  EXPECT_EQ(read.MinZ, 0.25f);

  // A texture that is no render target cannot be drawn into.
  IDirect3DTexture9* plain = nullptr;
  ASSERT_EQ(device_->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &plain, nullptr),
            D3D_OK);
  IDirect3DSurface9* plainSurface = nullptr;
  ASSERT_EQ(plain->GetSurfaceLevel(0, &plainSurface), D3D_OK);
  EXPECT_EQ(device_->SetRenderTarget(0, plainSurface), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(record_->RenderTarget(), surface);
  plainSurface->Release();
  plain->Release();

  // GetRenderTarget hands out a reference of its own.
  IDirect3DSurface9* current = nullptr;
  ASSERT_EQ(device_->GetRenderTarget(0, &current), D3D_OK);
  EXPECT_EQ(current, surface);
  current->Release();
  surface->Release();
  texture->Release();
  // The device still holds its target, so the texture lives on.
  EXPECT_EQ(rec().Live(RecordKind::Texture), 1);
  ASSERT_EQ(device_->SetRenderTarget(0, record_->BackBuffer()), D3D_OK);
  EXPECT_EQ(rec().Live(RecordKind::Texture), 0);

  // Render targets live in the default pool only.
  EXPECT_EQ(device_->CreateTexture(8, 8, 1, D3DUSAGE_RENDERTARGET, D3DFMT_R32F, D3DPOOL_MANAGED,
                                   &texture, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(texture, nullptr);
}

TEST_F(RecordingDeviceTest, BuffersKeepWhatWasWrittenAndCheckLockRanges) {
  IDirect3DIndexBuffer9* indices = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
            D3D_OK);
  void* data = nullptr;
  EXPECT_EQ(indices->Lock(8, 6, &data, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(data, nullptr);
  ASSERT_EQ(indices->Lock(4, 4, &data, D3DLOCK_NOSYSLOCK), D3D_OK);
  const uint16_t written[2] = {7, 9};
  std::memcpy(data, written, sizeof written);
  ASSERT_EQ(indices->Unlock(), D3D_OK);
  EXPECT_EQ(indices->Unlock(), D3DERR_INVALIDCALL);  // not locked any more
  auto* record = dynamic_cast<RecordIndexBuffer*>(indices);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Contents(), (std::vector<uint8_t>{0, 0, 0, 0, 7, 0, 9, 0, 0, 0, 0, 0}));
  EXPECT_EQ(record->IndexCount(), 6u);

  EXPECT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &indices, nullptr),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(indices, nullptr);
  record->Release();

  IDirect3DVertexBuffer9* vertices = nullptr;
  EXPECT_EQ(device_->CreateVertexBuffer(0, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr),
            D3DERR_INVALIDCALL);
  // A buffer with a vertex format must hold at least one vertex.
  EXPECT_EQ(device_->CreateVertexBuffer(8, 0, D3DFVF_XYZ, D3DPOOL_MANAGED, &vertices, nullptr),
            D3DERR_INVALIDCALL);
}

TEST_F(RecordingDeviceTest, DrawCallsAreCheckedAndUserVerticesRecorded) {
  // Indexed drawing needs indices and a stream, and enough indices.
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_INVALIDCALL);
  IDirect3DIndexBuffer9* indices = nullptr;
  IDirect3DVertexBuffer9* vertices = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
            D3D_OK);
  ASSERT_EQ(device_->CreateVertexBuffer(48, 0, 0, D3DPOOL_MANAGED, &vertices, nullptr), D3D_OK);
  ASSERT_EQ(device_->SetIndices(indices), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, vertices, 0, 12), D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 2), D3D_OK);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 1, 2), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 0), D3DERR_INVALIDCALL);

  const float line[2][4] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_LINESTRIP, 1, line, 16), D3D_OK);
  const CallRecord* draw = rec().Log().Last("DrawPrimitiveUP");
  ASSERT_NE(draw, nullptr);
  EXPECT_EQ(draw->data.size(), 32u);
  EXPECT_EQ(draw->AsArray<float>()[4], 4.0f);
  // Drawing from user memory leaves stream 0 unbound.
  EXPECT_EQ(record_->StreamSource(0), nullptr);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_LINESTRIP, 0, line, 16), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->DrawPrimitiveUP(D3DPT_LINESTRIP, 1, nullptr, 16), D3DERR_INVALIDCALL);

  // Scenes do not nest.
  EXPECT_EQ(device_->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->BeginScene(), D3D_OK);
  EXPECT_EQ(device_->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_TRUE(record_->InScene());
  EXPECT_EQ(device_->EndScene(), D3D_OK);

  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device_->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 2.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device_->Clear(1, nullptr, D3DCLEAR_TARGET, 0, 1.0f, 0), D3DERR_INVALIDCALL);

  indices->Release();
  vertices->Release();
  ASSERT_EQ(device_->SetIndices(nullptr), D3D_OK);
}

TEST_F(RecordingDeviceTest, StatesReadBackWhatWasSet) {
  // Direct3D's initial culling, and a depth test because of the automatic
  // depth buffer.
  EXPECT_EQ(record_->RenderState(D3DRS_CULLMODE), D3DCULL_CCW);
  EXPECT_EQ(record_->RenderState(D3DRS_ZENABLE), D3DZB_TRUE);

  Matrix4 world;
  ASSERT_EQ(device_->GetTransform(D3DTS_WORLD, &world), D3D_OK);
  EXPECT_EQ(world.at(0, 0), 1.0f);  // identity until set
  world.translation(1.0f, 2.0f, 3.0f);
  ASSERT_EQ(device_->SetTransform(D3DTS_WORLD, &world), D3D_OK);
  Matrix4 read;
  ASSERT_EQ(device_->GetTransform(D3DTS_WORLD, &read), D3D_OK);
  EXPECT_EQ(read.m[13], 2.0f);
  EXPECT_EQ(rec().Log().Last("GetTransform")->As<Matrix4>().m[14], 3.0f);

  DWORD value = 0;
  EXPECT_EQ(device_->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_DISABLE), D3DERR_INVALIDCALL);
  ASSERT_EQ(device_->SetSamplerState(2, D3DSAMP_MINFILTER, D3DTEXF_LINEAR), D3D_OK);
  ASSERT_EQ(device_->GetSamplerState(2, D3DSAMP_MINFILTER, &value), D3D_OK);
  EXPECT_EQ(value, D3DTEXF_LINEAR);
}
