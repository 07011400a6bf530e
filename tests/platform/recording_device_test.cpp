#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "platform/backend.h"
#include "platform/record/record_device.h"
#include "platform/record/recording_backend.h"
#include "tests/support/present_parameters.h"

namespace {

HWND FakeWindow() { return reinterpret_cast<HWND>(uintptr_t{0x1234}); }

D3DPRESENT_PARAMETERS Parameters(UINT width, UINT height) {
  D3DPRESENT_PARAMETERS p = WindowedPresentParameters(width, height);
  p.hDeviceWindow = FakeWindow();
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
  EXPECT_EQ(d3d_->CreateDevice(
                0, D3DDEVTYPE_HAL, FakeWindow(),
                D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING, &p, &other),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(other, nullptr);
  // Adapter 1 does not exist.
  EXPECT_EQ(d3d_->CreateDevice(1, D3DDEVTYPE_HAL, FakeWindow(), D3DCREATE_HARDWARE_VERTEXPROCESSING,
                               &p, &other),
            D3DERR_INVALIDCALL);
  // No window anywhere.
  p.hDeviceWindow = nullptr;
  EXPECT_EQ(d3d_->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING, &p,
                               &other),
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

// References themselves are in the conformance suite; here, the recorder's
// count of live objects of each kind follows them.
TEST_F(RecordingDeviceTest, LiveCountsFollowTheReferences) {
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(
      device_->CreateTexture(64, 32, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
      D3D_OK);
  EXPECT_EQ(rec().Live(RecordKind::Surface), 1 + 7);  // back buffer and the levels
  IDirect3DSurface9* level = nullptr;
  ASSERT_EQ(texture->GetSurfaceLevel(2, &level), D3D_OK);
  texture->Release();  // the surface still holds it
  EXPECT_EQ(rec().Live(RecordKind::Texture), 1);
  level->Release();
  EXPECT_EQ(rec().Live(RecordKind::Texture), 0);
  EXPECT_EQ(rec().Live(RecordKind::Surface), 1);

  IDirect3DVertexBuffer9* buffer = nullptr;
  ASSERT_EQ(device_->CreateVertexBuffer(64, 0, 0, D3DPOOL_MANAGED, &buffer, nullptr), D3D_OK);
  ASSERT_EQ(device_->SetStreamSource(0, buffer, 0, 16), D3D_OK);
  buffer->Release();
  EXPECT_EQ(rec().Live(RecordKind::VertexBuffer), 1);
  ASSERT_EQ(device_->SetStreamSource(0, nullptr, 0, 0), D3D_OK);
  EXPECT_EQ(rec().Live(RecordKind::VertexBuffer), 0);

  // The device keeps its Direct3D object alive.
  EXPECT_EQ(d3d_->Release(), 1u);
  d3d_ = nullptr;
  EXPECT_EQ(rec().Live(RecordKind::Direct3D), 1);
}

// The argument rules and states are checked for both backends by the
// conformance suite; this is what only the recorder does: keep the bytes.
TEST_F(RecordingDeviceTest, RecordingKeepsLockedBytesUserVerticesAndReadBacks) {
  IDirect3DIndexBuffer9* indices = nullptr;
  ASSERT_EQ(device_->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
            D3D_OK);
  void* data = nullptr;
  ASSERT_EQ(indices->Lock(4, 4, &data, D3DLOCK_NOSYSLOCK), D3D_OK);
  const uint16_t written[2] = {7, 9};
  std::memcpy(data, written, sizeof written);
  ASSERT_EQ(indices->Unlock(), D3D_OK);
  auto* record = dynamic_cast<RecordIndexBuffer*>(indices);
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Contents(), (std::vector<uint8_t>{0, 0, 0, 0, 7, 0, 9, 0, 0, 0, 0, 0}));
  EXPECT_EQ(record->IndexCount(), 6u);
  record->Release();

  const float line[2][4] = {{1, 2, 3, 0}, {4, 5, 6, 0}};
  ASSERT_EQ(device_->DrawPrimitiveUP(D3DPT_LINESTRIP, 1, line, 16), D3D_OK);
  const CallRecord* draw = rec().Log().Last("DrawPrimitiveUP");
  ASSERT_NE(draw, nullptr);
  EXPECT_EQ(draw->data.size(), 32u);
  EXPECT_EQ(draw->AsArray<float>()[4], 4.0f);

  Matrix4 world;
  world.translation(1.0f, 2.0f, 3.0f);
  ASSERT_EQ(device_->SetTransform(D3DTS_WORLD, &world), D3D_OK);
  Matrix4 read;
  ASSERT_EQ(device_->GetTransform(D3DTS_WORLD, &read), D3D_OK);
  EXPECT_EQ(rec().Log().Last("GetTransform")->As<Matrix4>().m[14], 3.0f);
  EXPECT_EQ(record_->Transform(D3DTS_WORLD).m[13], 2.0f);
}
