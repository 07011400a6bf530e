// Making devices of the OpenGL backend: the device types, the arguments
// Direct3D refuses, and windows from the window layer.
#include <gtest/gtest.h>

#include "platform/gl/gl_direct3d.h"
#include "platform/win/windows_api.h"
#include "tests/gl/gl_test_device.h"
#include "tests/support/present_parameters.h"

TEST(GlDeviceCreation, HardwareAndReferenceMakeContextsTheSoftwareTypeIsNotAvailable) {
  GlTestDevice hal(64, 48, D3DDEVTYPE_HAL);
  ASSERT_TRUE(hal.ok()) << std::hex << hal.result();
  EXPECT_EQ(hal.gl()->DeviceType(), D3DDEVTYPE_HAL);
  // Mesa's llvmpipe answers an explicit request for software rendering.
  GlTestDevice reference(64, 48, D3DDEVTYPE_REF);
  ASSERT_TRUE(reference.ok()) << std::hex << reference.result();
  EXPECT_TRUE(reference.gl()->Context()->IsSoftware());
  GlTestDevice software(64, 48, D3DDEVTYPE_SW);
  EXPECT_FALSE(software.ok());
  EXPECT_EQ(software.result(), D3DERR_NOTAVAILABLE);
  GlTestDevice nullReference(64, 48, D3DDEVTYPE_NULLREF);
  EXPECT_EQ(nullReference.result(), D3DERR_NOTAVAILABLE);
}

TEST(GlDeviceCreation, RefusedArgumentsAndTheWindowSizeForAZeroBackBuffer) {
  // A test device's set-up, then a window of its own.
  GlTestDevice setUp(8, 8);
  ASSERT_TRUE(setUp.ok());
  SDL_Window* window = SDL_CreateWindow("gl", 0, 0, 72, 40, SDL_WINDOW_OPENGL);
  ASSERT_NE(window, nullptr);
  GlDirect3D* direct3d = new GlDirect3D(31);
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
  parameters.Windowed = 1;
  parameters.EnableAutoDepthStencil = 1;
  parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  IDirect3DDevice9* device = reinterpret_cast<IDirect3DDevice9*>(&parameters);
  // No vertex processing, or two kinds at once.
  EXPECT_EQ(
      direct3d->CreateDeviceOnWindow(window, nullptr, D3DDEVTYPE_HAL, 0, &parameters, &device),
      D3DERR_INVALIDCALL);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(direct3d->CreateDeviceOnWindow(
                window, nullptr, D3DDEVTYPE_HAL,
                D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                &parameters, &device),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(direct3d->CreateDeviceOnWindow(window, nullptr, D3DDEVTYPE_HAL,
                                           D3DCREATE_HARDWARE_VERTEXPROCESSING, nullptr, &device),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(direct3d->CreateDevice(1, D3DDEVTYPE_HAL, nullptr, D3DCREATE_HARDWARE_VERTEXPROCESSING,
                                   &parameters, &device),
            D3DERR_INVALIDCALL);

  // A zero size takes the window's client size, as a windowed device does.
  ASSERT_EQ(direct3d->CreateDeviceOnWindow(window, nullptr, D3DDEVTYPE_HAL,
                                           D3DCREATE_MIXED_VERTEXPROCESSING, &parameters, &device),
            D3D_OK);
  EXPECT_EQ(parameters.BackBufferWidth, 72u);
  EXPECT_EQ(parameters.BackBufferHeight, 40u);
  IDirect3DSurface9* backBuffer = nullptr;
  ASSERT_EQ(device->GetRenderTarget(0, &backBuffer), D3D_OK);
  D3DSURFACE_DESC desc{};
  backBuffer->GetDesc(&desc);
  EXPECT_EQ(desc.Width, 72u);
  EXPECT_EQ(desc.Height, 40u);
  EXPECT_NE(desc.Usage & D3DUSAGE_RENDERTARGET, 0u);
  backBuffer->Release();
  EXPECT_EQ(device->Release(), 0u);
  EXPECT_EQ(direct3d->Release(), 0u);
  SDL_DestroyWindow(window);
}

TEST(GlDeviceCreation, OnAWindowOfTheWindowLayerThatMayCloseFirst) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "GlDeviceTest";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "GlDeviceTest", "gl", WS_POPUP, 0, 0, 96, 64, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
  ASSERT_NE(window, nullptr);
  IDirect3D9* direct3d = new GlDirect3D(31);
  D3DPRESENT_PARAMETERS parameters = WindowedPresentParameters(96, 64);
  IDirect3DDevice9* device = nullptr;
  ASSERT_EQ(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                   D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device),
            D3D_OK);
  EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF112233, 1.0f, 0), D3D_OK);
  EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  IDirect3DTexture9* texture = nullptr;
  ASSERT_EQ(device->CreateTexture(8, 8, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr),
            D3D_OK);
  // The window goes before the device and its texture, as at shutdown.
  EXPECT_TRUE(DestroyWindow(window));
  GlImage image;
  EXPECT_TRUE(AsGlDevice(device)->ReadBackBuffer(&image));
  EXPECT_EQ(image.Pixel(5, 5), 0xFF112233u);
  EXPECT_EQ(texture->Release(), 0u);
  EXPECT_EQ(device->Release(), 0u);
  // With the last hold gone the handle is unknown.
  EXPECT_EQ(direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                                   D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device),
            D3DERR_INVALIDCALL);
  EXPECT_EQ(device, nullptr);
  EXPECT_EQ(direct3d->Release(), 0u);
  UnregisterClassA("GlDeviceTest", windowClass.hInstance);
}
