// Opens a real 800 x 600 window through the window layer, draws a textured
// screen quad, a line strip and a scaled point with the OpenGL backend the
// way the viewer's device utilities do, presents a few frames and saves the
// back buffer as a PNG. Run by hand, e.g. under Xvfb:
//   xvfb-run -s "-screen 0 1024x768x24" build/platform/gl/gl_example docs/gl-example.png
//
// Where Direct3D 9 puts them: the 64 x 64 texture covers pixels 40..295 in
// both directions (four pixels a texel, red top-left quarter, green top-right,
// blue bottom-left, white bottom-right, a black top row); the yellow line
// strip runs through pixels (400, 150), (700, 150), (700, 450), (400, 450)
// and back; the magenta point is 6 x 6 pixels on (550, 300).
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <stb/stb_image_write.h>

#include "platform/d3dx9.h"
#include "platform/gl/back_buffer_image.h"
#include "platform/win/windows_api.h"

namespace {

struct ScreenVertex {
  float x, y, z, rhw, u, v;
};
struct ColoredVertex {
  float x, y, z;
  D3DCOLOR color;
};

DWORD FloatBits(float value) {
  DWORD bits;
  std::memcpy(&bits, &value, 4);
  return bits;
}

// The example's texture: four coloured quarters and a black top row, so a
// picture turned over or mirrored shows at once.
bool WriteTexture(const std::string& path) {
  std::vector<uint8_t> rgb(64 * 64 * 3);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      uint8_t* p = &rgb[(y * 64 + x) * 3];
      const bool right = x >= 32;
      const bool bottom = y >= 32;
      const bool white = right && bottom;
      p[0] = (!right && !bottom) || white ? 255 : 0;  // red quarter, white quarter
      p[1] = right ? 255 : 0;                          // green quarter, white quarter
      p[2] = bottom ? 255 : 0;                         // blue quarter, white quarter
      if (y == 0) p[0] = p[1] = p[2] = 0;
    }
  }
  return stbi_write_png(path.c_str(), 64, 64, 3, rgb.data(), 64 * 3) != 0;
}

void Draw(IDirect3DDevice9* device, IDirect3DTexture9* texture) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, D3DCOLOR_XRGB(0, 0, 240), 1.0f,
                0);
  device->BeginScene();

  // The screen quad of the device utilities: 255 x 255 at (40, 40), edges
  // half a pixel out.
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  const ScreenVertex quad[4] = {{39.5f, 39.5f, 0, 1, 0, 0},
                                {295.5f, 39.5f, 0, 1, 1, 0},
                                {39.5f, 295.5f, 0, 1, 0, 1},
                                {295.5f, 295.5f, 0, 1, 1, 1}};
  device->SetFVF(D3DFVF_XYZRHW | D3DFVF_TEX1);
  device->SetTexture(0, texture);
  device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));

  // A closed line strip through the transforms: camera at the origin
  // looking along +z, 90 degrees, aspect 4:3. At z = 10, x = 10/0.75 * t
  // and y = 10 * t land on ((1 + t) * 400, (1 - t) * 300).
  Matrix4 identity;
  identity.setIdentity();
  Matrix4 projection;
  D3DXMatrixPerspectiveFovLH(&projection, 90.0f * kDegreesToRadians, 800.0f / 600.0f, 1.0f,
                             100.0f);
  device->SetTransform(D3DTS_WORLD, &identity);
  device->SetTransform(D3DTS_VIEW, &identity);
  device->SetTransform(D3DTS_PROJECTION, &projection);
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  const float sx = 10.0f / 0.75f;
  const D3DCOLOR yellow = D3DCOLOR_XRGB(255, 255, 0);
  const ColoredVertex strip[5] = {{0.0f, 5.0f, 10.0f, yellow},
                                  {0.75f * sx, 5.0f, 10.0f, yellow},
                                  {0.75f * sx, -5.0f, 10.0f, yellow},
                                  {0.0f, -5.0f, 10.0f, yellow},
                                  {0.0f, 5.0f, 10.0f, yellow}};
  device->DrawPrimitiveUP(D3DPT_LINESTRIP, 4, strip, sizeof(ColoredVertex));

  // A point sprite scaled as the debug markers are: 600 x sqrt(1/10000).
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, 1);
  device->SetRenderState(D3DRS_POINTSCALEENABLE, 1);
  device->SetRenderState(D3DRS_POINTSCALE_A, FloatBits(10000.0f));
  device->SetRenderState(D3DRS_POINTSCALE_B, FloatBits(0.0f));
  device->SetRenderState(D3DRS_POINTSCALE_C, FloatBits(0.0f));
  device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  const ColoredVertex point{0.375f * sx, 0.0f, 10.0f, D3DCOLOR_XRGB(255, 0, 255)};
  device->DrawPrimitiveUP(D3DPT_POINTLIST, 1, &point, sizeof(ColoredVertex));
  device->SetRenderState(D3DRS_POINTSPRITEENABLE, 0);

  device->EndScene();
  device->Present(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string output = argc > 1 ? argv[1] : "docs/gl-example.png";
  const std::string texturePath = output + ".texture.png";
  if (!WriteTexture(texturePath)) {
    std::fprintf(stderr, "cannot write %s\n", texturePath.c_str());
    return 1;
  }

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "GlExample";
  RegisterClassA(&windowClass);
  RECT frame{0, 0, 800, 600};
  AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, 0);
  HWND window = CreateWindowExA(0, "GlExample", "meshview GL example",
                                WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, frame.right - frame.left,
                                frame.bottom - frame.top, nullptr, nullptr, windowClass.hInstance,
                                nullptr);
  IDirect3D9* direct3d = Direct3DCreate9(31);
  if (window == nullptr || direct3d == nullptr) {
    std::fprintf(stderr, "no window or no Direct3D object\n");
    return 1;
  }
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = 800;
  parameters.BackBufferHeight = 600;
  parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = window;
  parameters.Windowed = 1;
  parameters.EnableAutoDepthStencil = 1;
  parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  parameters.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
  parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  IDirect3DDevice9* device = nullptr;
  if (direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, window,
                             D3DCREATE_HARDWARE_VERTEXPROCESSING, &parameters, &device) != D3D_OK &&
      direct3d->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_REF, window,
                             D3DCREATE_MIXED_VERTEXPROCESSING, &parameters, &device) != D3D_OK) {
    std::fprintf(stderr, "no device\n");
    return 1;
  }
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetRenderState(D3DRS_LIGHTING, 0);

  IDirect3DTexture9* texture = nullptr;
  if (D3DXCreateTextureFromFileExA(device, texturePath.c_str(), 0, 0, D3DX_DEFAULT, 0,
                                   D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, D3DX_DEFAULT, D3DX_DEFAULT, 0,
                                   nullptr, nullptr, &texture) != D3D_OK) {
    std::fprintf(stderr, "texture not loaded\n");
  }
  std::remove(texturePath.c_str());

  MSG message{};
  for (int frameCount = 0; frameCount < 30; ++frameCount) {
    if (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    Draw(device, texture);
  }
  const bool saved = save_back_buffer_png(device, output.c_str());
  std::printf("%s %s\n", saved ? "saved" : "could not save", output.c_str());

  if (texture != nullptr) texture->Release();
  device->Release();
  direct3d->Release();
  DestroyWindow(window);
  UnregisterClassA("GlExample", windowClass.hInstance);
  return saved ? 0 : 1;
}
