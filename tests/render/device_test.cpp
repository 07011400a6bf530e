#include "render/device.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>
#include <vector>

#include "render/index_buffer.h"
#include "render/texture.h"
#include "render/vertex_buffer.h"
#include "tests/render/recorded_device_fixture.h"

namespace {

HWND Window() { return reinterpret_cast<HWND>(uintptr_t{0x5150}); }

// Runs CDevice::Create on a fresh recording and hands the recording back.
class DeviceCreation : public ::testing::Test {
 protected:
  void TearDown() override {
    ReleaseDeviceGlobals();
    EXPECT_EQ(backend.recorder().LiveTotal(), 0);
  }
  Recorder& rec() { return backend.recorder(); }

  RecordingBackend backend;
  ScopedGraphicsBackend scope{backend};
};

}  // namespace

TEST_F(DeviceCreation, FallsBackFromHardwareToReferenceToSoftware) {
  rec().Fail("CreateDevice", D3DERR_NOTAVAILABLE).WhenArg(1, D3DDEVTYPE_HAL);
  CDevice device;
  ASSERT_EQ(device.Create(640, 480, true, Window()), 1);
  std::vector<const CallRecord*> attempts = rec().Log().Named("CreateDevice");
  ASSERT_EQ(attempts.size(), 2u);
  EXPECT_EQ(attempts[1]->u(1), D3DDEVTYPE_REF);
  EXPECT_EQ(attempts[1]->u(3), D3DCREATE_MIXED_VERTEXPROCESSING);
  EXPECT_EQ(AsRecordDevice(g_device)->DeviceType(), D3DDEVTYPE_REF);

  rec().Fail("CreateDevice", D3DERR_NOTAVAILABLE).WhenArg(1, D3DDEVTYPE_REF);
  ASSERT_EQ(device.Create(640, 480, true, Window()), 1);
  EXPECT_EQ(AsRecordDevice(g_device)->DeviceType(), D3DDEVTYPE_SW);
  EXPECT_EQ(AsRecordDevice(g_device)->BehaviorFlags(), D3DCREATE_SOFTWARE_VERTEXPROCESSING);

  // Every attempt: adapter 0, the window as focus window.
  for (const CallRecord* call : rec().Log().Named("CreateDevice")) {
    EXPECT_EQ(call->u(0), 0u);
    EXPECT_EQ(call->p(2), Window());
  }
}

TEST_F(DeviceCreation, ThreeFailuresReturnZeroAndKeepTheDirect3DObject) {
  CDevice device;
  ASSERT_EQ(device.Create(800, 600, true, Window()), 1);
  rec().Fail("CreateDevice", D3DERR_NOTAVAILABLE);
  const size_t mark = rec().Log().Size();
  EXPECT_EQ(device.Create(800, 600, true, Window()), 0);
  std::vector<std::string> expected = {"Direct3DCreate9", "CreateDevice", "CreateDevice",
                                       "CreateDevice"};
  EXPECT_EQ(rec().Log().Ops(mark), expected);
  EXPECT_EQ(g_device, nullptr);
  ASSERT_NE(g_d3d, nullptr);
  EXPECT_EQ(rec().Live(RecordKind::Direct3D), 1);
  EXPECT_EQ(rec().Live(RecordKind::Device), 0);
  // The earlier device's size does not outlive it.
  EXPECT_EQ(g_screenWidth, 0);
  EXPECT_EQ(g_screenHeight, 0);
}

TEST_F(DeviceCreation, NoDirect3DObjectMeansNoDevice) {
  rec().Fail("Direct3DCreate9");
  CDevice device;
  EXPECT_EQ(device.Create(800, 600, true, Window()), 0);
  EXPECT_EQ(g_d3d, nullptr);
  EXPECT_EQ(g_device, nullptr);
}

TEST_F(DeviceCreation, PresentationParametersAndTheStatesItSets) {
  CDevice device;
  ASSERT_EQ(device.Create(800, 600, false, Window()), 1);
  EXPECT_EQ(g_screenWidth, 800);
  EXPECT_EQ(g_screenHeight, 600);
  EXPECT_EQ(rec().Log().First("Direct3DCreate9")->u(0), 31u);

  const auto p = rec().Log().First("CreateDevice")->As<D3DPRESENT_PARAMETERS>();
  EXPECT_EQ(p.BackBufferWidth, 800u);
  EXPECT_EQ(p.BackBufferHeight, 600u);
  EXPECT_EQ(p.BackBufferFormat, D3DFMT_A8R8G8B8);
  EXPECT_EQ(p.BackBufferCount, 1u);
  EXPECT_EQ(p.MultiSampleType, D3DMULTISAMPLE_NONE);
  EXPECT_EQ(p.MultiSampleQuality, 0u);
  EXPECT_EQ(p.SwapEffect, D3DSWAPEFFECT_DISCARD);
  EXPECT_EQ(p.hDeviceWindow, Window());
  EXPECT_EQ(p.Windowed, 0);
  EXPECT_EQ(p.EnableAutoDepthStencil, 1);
  EXPECT_EQ(p.AutoDepthStencilFormat, D3DFMT_D24S8);
  EXPECT_EQ(p.Flags, D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL);
  EXPECT_EQ(p.FullScreen_RefreshRateInHz, 0u);
  EXPECT_EQ(p.PresentationInterval, D3DPRESENT_INTERVAL_IMMEDIATE);
  EXPECT_EQ(rec().Log().First("CreateDevice")->u(3), D3DCREATE_HARDWARE_VERTEXPROCESSING);

  const RecordDevice* made = AsRecordDevice(g_device);
  EXPECT_EQ(made->RenderState(D3DRS_ZENABLE), DWORD(D3DZB_TRUE));
  EXPECT_EQ(made->RenderState(D3DRS_CULLMODE), DWORD(D3DCULL_NONE));
  EXPECT_EQ(made->RenderState(D3DRS_LIGHTING), 0u);
}

TEST_F(DeviceCreation, SecondCreateReleasesTheFirstObjects) {
  CDevice device;
  ASSERT_EQ(device.Create(800, 600, true, Window()), 1);
  IDirect3D9* firstD3D = g_d3d;
  IDirect3DDevice9* firstDevice = g_device;
  const size_t mark = rec().Log().Size();
  ASSERT_EQ(device.Create(400, 300, true, Window()), 1);
  EXPECT_EQ(rec().Live(RecordKind::Device), 1);
  EXPECT_EQ(rec().Live(RecordKind::Direct3D), 1);
  std::vector<std::string> ops = rec().Log().Ops(mark, true);
  ASSERT_GE(ops.size(), 3u);
  // The Direct3D object first, then the device, then the new objects.
  EXPECT_EQ(ops[0], "Direct3D::Release");
  EXPECT_EQ(ops[1], "Device::Release");
  EXPECT_EQ(ops[2], "Direct3DCreate9");
  EXPECT_EQ(rec().Log().All()[mark].object, firstD3D);
  EXPECT_EQ(rec().Log().All()[mark + 1].object, firstDevice);
  EXPECT_EQ(g_screenWidth, 400);
}

TEST(DeviceWithoutDevice, WrappersReportFailureAndDrawNothing) {
  RecordingBackend backend;
  ScopedGraphicsBackend scope(backend);
  ReleaseDeviceGlobals();
  CDevice device;
  // Failure, not a success the caller cannot tell apart.
  EXPECT_EQ(device.SetRenderState(D3DRS_LIGHTING, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 3, 0, 1), D3DERR_NOTAVAILABLE);
  EXPECT_FALSE(device.SetFVF(0x42));
  VertexBuffer vertices;
  IndexBuffer indices;
  EXPECT_FALSE(device.SetStreamSource(&vertices));
  EXPECT_FALSE(device.SetIndices(&indices));
  const Vector3 points[2] = {{0, 0, 0}, {1, 1, 1}};
  device.DrawPoints(points, 2, 0xFFFFFFFF);
  device.DrawLineStrip(points, 2, 0xFFFFFFFF, true);
  device.ClearAndBegin(0, D3DCLEAR_TARGET, 1.0f);
  device.EndAndPresent();
  EXPECT_EQ(backend.recorder().Log().Size(), 0u);
}

using DeviceUtilities = RecordedDeviceTest;

TEST_F(DeviceUtilities, FrameCallsAndBindings) {
  const size_t mark = log().Size();
  device.ClearAndBegin(D3DCOLOR_XRGB(0, 0, 255), D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0f);
  device.EndAndPresent();
  EXPECT_EQ(log().Ops(mark),
            (std::vector<std::string>{"Clear", "BeginScene", "EndScene", "Present"}));
  const CallRecord* clear = log().Last("Clear");
  EXPECT_EQ(clear->u(0), 0u);
  EXPECT_EQ(clear->p(1), nullptr);
  EXPECT_EQ(clear->u(2), D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER);
  EXPECT_EQ(clear->u(3), 0xFF0000FFu);
  EXPECT_EQ(clear->f(4), 1.0);
  EXPECT_EQ(clear->u(5), 0u);
  const CallRecord* present = log().Last("Present");
  for (size_t i = 0; i < 4; ++i) EXPECT_EQ(present->p(i), nullptr);

  // Stream and index binding pass the wrappers' buffers and stride.
  VertexBuffer vertices;
  IndexBuffer indices;
  EXPECT_FALSE(device.SetIndices(&indices));  // holds no buffer: no device call
  EXPECT_EQ(log().Count("SetIndices"), 0u);
  ASSERT_TRUE(vertices.Create(480, 60, 0x4121C));
  ASSERT_TRUE(indices.Create(30));
  EXPECT_TRUE(device.SetStreamSource(&vertices));
  EXPECT_TRUE(device.SetIndices(&indices));
  EXPECT_TRUE(device.SetFVF(vertices.GetFVF()));
  const CallRecord* stream = log().Last("SetStreamSource");
  EXPECT_EQ(stream->u(0), 0u);
  EXPECT_EQ(stream->p(1), vertices.GetBuffer());
  EXPECT_EQ(stream->u(2), 0u);
  EXPECT_EQ(stream->u(3), 60u);
  EXPECT_EQ(recorded().FVF(), 0x4121Cu);
  EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, 0, 10), D3D_OK);
  EXPECT_EQ(device.DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 8, 0, 11), D3DERR_INVALIDCALL);

  rec().Fail("SetStreamSource");
  rec().Fail("SetFVF");
  EXPECT_FALSE(device.SetStreamSource(&vertices));
  EXPECT_FALSE(device.SetFVF(0x42));
}

TEST_F(DeviceUtilities, PointsAreUnlitSpritesWithTheirColour) {
  const Vector3 points[3] = {{1, 2, 3}, {-4, 5, 6}, {7, 8, -9}};
  const D3DRENDERSTATETYPE watched[] = {D3DRS_LIGHTING,         D3DRS_POINTSPRITEENABLE,
                                        D3DRS_POINTSCALEENABLE, D3DRS_POINTSCALE_A,
                                        D3DRS_POINTSCALE_B,     D3DRS_POINTSCALE_C};
  struct {
    std::vector<DWORD> states, stage0;
    DWORD fvf = 0, stage1 = 0;
  } at;  // what is in force when the points are drawn
  rec().Watch("DrawPrimitiveUP", [&](const CallRecord&) {
    for (D3DRENDERSTATETYPE state : watched) at.states.push_back(recorded().RenderState(state));
    for (D3DTEXTURESTAGESTATETYPE type : {D3DTSS_COLORARG1, D3DTSS_COLORARG2, D3DTSS_COLOROP}) {
      at.stage0.push_back(recorded().TextureStageState(0, type));
    }
    at.stage1 = recorded().TextureStageState(1, D3DTSS_COLOROP);
    at.fvf = recorded().FVF();
  });
  const std::vector<DWORD> expected = {0, 1, 1, std::bit_cast<DWORD>(10000.0f), 0, 0};
  device.DrawPoints(points, 3, 0x80FF0000);

  const CallRecord* draw = log().Last("DrawPrimitiveUP");
  ASSERT_NE(draw, nullptr);
  EXPECT_EQ(draw->u(0), D3DPT_POINTLIST);
  EXPECT_EQ(draw->u(1), 3u);
  EXPECT_EQ(draw->u(3), 16u);
  std::vector<ColoredVertex> vertices = draw->AsArray<ColoredVertex>();
  ASSERT_EQ(vertices.size(), 3u);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(vertices[i].x, points[i].x);
    EXPECT_EQ(vertices[i].y, points[i].y);
    EXPECT_EQ(vertices[i].z, points[i].z);
    EXPECT_EQ(vertices[i].color, 0x80FF0000u);
  }

  EXPECT_EQ(at.states, expected) << "lighting off, scaled sprites on at the draw";
  EXPECT_EQ(at.fvf, 0x42u);
  EXPECT_EQ(at.stage0, (std::vector<DWORD>{D3DTA_TEXTURE, D3DTA_DIFFUSE, D3DTOP_SELECTARG2}));
  EXPECT_EQ(at.stage1, DWORD(D3DTOP_DISABLE));
  EXPECT_EQ(recorded().RenderState(D3DRS_POINTSPRITEENABLE), 0u);
  // Turning sprites off leaves the scale as it was.
  EXPECT_EQ(recorded().RenderState(D3DRS_POINTSCALE_A), std::bit_cast<DWORD>(10000.0f));
}

TEST_F(DeviceUtilities, NoPointsSetsTheStatesAndLeavesSpritesOn) {
  const Vector3 point{0, 0, 0};
  for (int32_t count : {0, -1}) {
    device.DrawPoints(&point, count, 0xFFFFFFFF);
    EXPECT_EQ(log().Count("DrawPrimitiveUP"), 0u) << count;
    EXPECT_EQ(recorded().RenderState(D3DRS_POINTSPRITEENABLE), 1u) << count;
    EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLOROP), D3DTOP_SELECTARG2);
  }
  device.DrawPoints(nullptr, 5, 0xFFFFFFFF);
  EXPECT_EQ(log().Count("DrawPrimitiveUP"), 0u);
}

TEST_F(DeviceUtilities, LineStripsOpenAndClosed) {
  const Vector3 points[3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
  device.DrawLineStrip(points, 3, 0xFF00FF00, false);
  const CallRecord* open = log().Last("DrawPrimitiveUP");
  ASSERT_NE(open, nullptr);
  EXPECT_EQ(open->u(0), D3DPT_LINESTRIP);
  EXPECT_EQ(open->u(1), 2u);
  EXPECT_EQ(open->u(3), 16u);
  EXPECT_EQ(open->AsArray<ColoredVertex>().size(), 3u);

  // Two points closed: A to B and back.
  device.DrawLineStrip(points, 2, 0xFF00FF00, true);
  const CallRecord* closed = log().Last("DrawPrimitiveUP");
  EXPECT_EQ(closed->u(1), 2u);
  std::vector<ColoredVertex> vertices = closed->AsArray<ColoredVertex>();
  ASSERT_EQ(vertices.size(), 3u);
  EXPECT_EQ(vertices[1].x, 1.0f);
  EXPECT_EQ(vertices[2].x, 0.0f);
  EXPECT_EQ(vertices[2].color, 0xFF00FF00u);

  // One point: the states, but nothing drawn.
  const size_t draws = log().Count("DrawPrimitiveUP");
  device.DrawLineStrip(points, 1, 0xFF00FF00, true);
  EXPECT_EQ(log().Count("DrawPrimitiveUP"), draws);
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLORARG1), D3DTA_DIFFUSE);
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLOROP), D3DTOP_SELECTARG1);
  // Lighting and sprites are left alone.
  EXPECT_EQ(log().Count("SetRenderState"), 3u);  // the three of creation
}

TEST_F(DeviceUtilities, ScreenQuadCoversHalfAPixelMoreOnEachSide) {
  Texture texture;
  device.DrawScreenQuad(0, 0, 400, 512, &texture);  // no texture held: binds null
  ASSERT_TRUE(texture.CreateRenderTarget(512, 512, D3DFMT_R32F));
  device.DrawScreenQuad(0, 0, 400, 512, nullptr);  // no wrapper: nothing at all
  device.DrawScreenQuad(0, 0, 400, 512, &texture);
  const CallRecord* draw = log().Last("DrawPrimitiveUP");
  EXPECT_EQ(draw->u(0), D3DPT_TRIANGLESTRIP);
  EXPECT_EQ(draw->u(1), 2u);
  EXPECT_EQ(draw->u(3), 24u);
  std::vector<ScreenVertex> quad = draw->AsArray<ScreenVertex>();
  ASSERT_EQ(quad.size(), 4u);
  const float expected[4][4] = {
      {-0.5f, -0.5f, 0, 0}, {400.5f, -0.5f, 1, 0}, {-0.5f, 512.5f, 0, 1}, {400.5f, 512.5f, 1, 1}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(quad[i].x, expected[i][0]) << i;
    EXPECT_EQ(quad[i].y, expected[i][1]) << i;
    EXPECT_EQ(quad[i].z, 0.0f);
    EXPECT_EQ(quad[i].rhw, 1.0f);
    EXPECT_EQ(quad[i].u, expected[i][2]) << i;
    EXPECT_EQ(quad[i].v, expected[i][3]) << i;
  }
  EXPECT_EQ(log().Last("SetFVF")->u(0), 0x104u);
  EXPECT_EQ(log().Last("SetTexture")->u(0), 0u);
  EXPECT_EQ(log().Last("SetTexture")->p(1), texture.GetD3DTexture());
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLORARG1), D3DTA_TEXTURE);
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLORARG2), D3DTA_DIFFUSE);
  EXPECT_EQ(recorded().TextureStageState(0, D3DTSS_COLOROP), D3DTOP_SELECTARG1);
  EXPECT_EQ(recorded().TextureStageState(1, D3DTSS_COLOROP), D3DTOP_DISABLE);

  // An offset rectangle.
  device.DrawScreenQuad(10, 20, 30, 40, &texture);
  quad = log().Last("DrawPrimitiveUP")->AsArray<ScreenVertex>();
  EXPECT_EQ(quad[0].x, 9.5f);
  EXPECT_EQ(quad[0].y, 19.5f);
  EXPECT_EQ(quad[3].x, 40.5f);
  EXPECT_EQ(quad[3].y, 60.5f);
}

TEST_F(DeviceUtilities, UserMemoryDrawsOnlyWithinItsGuards) {
  const float data[4 * 32] = {};
  device.DrawPrimitiveUP(D3DPT_POINTLIST, 0, data, 16);
  device.DrawPrimitiveUP(D3DPT_POINTLIST, 1, nullptr, 16);
  device.DrawPrimitiveUP(D3DPT_POINTLIST, 1, data, 11);
  device.DrawPrimitiveUP(D3DPT_POINTLIST, 1, data, 129);
  EXPECT_EQ(log().Count("DrawPrimitiveUP"), 0u);
  device.DrawPrimitiveUP(D3DPT_POINTLIST, 1, data, 12);
  device.DrawPrimitiveUP(D3DPT_POINTLIST, 1, data, 128);
  EXPECT_EQ(log().Count("DrawPrimitiveUP"), 2u);
}
