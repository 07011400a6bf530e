#include "render/device.h"

#include <bit>

#include "base/bounded_array.h"
#include "render/index_buffer.h"
#include "render/texture.h"
#include "render/vertex_buffer.h"

namespace {

struct CreationAttempt {
  D3DDEVTYPE type;
  DWORD behavior;
};

// Hardware first, then the reference rasterizer, then a software device.
constexpr CreationAttempt kCreationAttempts[] = {
    {D3DDEVTYPE_HAL, D3DCREATE_HARDWARE_VERTEXPROCESSING},
    {D3DDEVTYPE_REF, D3DCREATE_MIXED_VERTEXPROCESSING},
    {D3DDEVTYPE_SW, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
};

constexpr UINT kMinUserStride = 12;
constexpr UINT kMaxUserStride = 128;

D3DPRESENT_PARAMETERS PresentationParameters(int32_t width, int32_t height, bool windowed,
                                             HWND window) {
  D3DPRESENT_PARAMETERS parameters{};
  parameters.BackBufferWidth = static_cast<UINT>(width);
  parameters.BackBufferHeight = static_cast<UINT>(height);
  parameters.BackBufferFormat = D3DFMT_A8R8G8B8;
  parameters.BackBufferCount = 1;
  parameters.MultiSampleType = D3DMULTISAMPLE_NONE;
  parameters.MultiSampleQuality = 0;
  parameters.SwapEffect = D3DSWAPEFFECT_DISCARD;
  parameters.hDeviceWindow = window;
  parameters.Windowed = windowed ? 1 : 0;
  parameters.EnableAutoDepthStencil = 1;
  parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
  parameters.Flags = D3DPRESENTFLAG_DISCARD_DEPTHSTENCIL;
  parameters.FullScreen_RefreshRateInHz = 0;
  parameters.PresentationInterval = D3DPRESENT_INTERVAL_IMMEDIATE;
  return parameters;
}

}  // namespace

int CDevice::Create(int32_t width, int32_t height, bool windowed, HWND window) {
  if (g_device != nullptr || g_d3d != nullptr) ReleaseDeviceGlobals();
  g_d3d = Direct3DCreate9(kDirect3DSdkVersion);
  if (g_d3d == nullptr) return 0;

  D3DPRESENT_PARAMETERS parameters = PresentationParameters(width, height, windowed, window);
  bool created = false;
  for (const CreationAttempt& attempt : kCreationAttempts) {
    if (g_d3d->CreateDevice(D3DADAPTER_DEFAULT, attempt.type, window, attempt.behavior,
                            &parameters, &g_device) == D3D_OK) {
      created = true;
      break;
    }
  }
  if (!created) {
    g_device = nullptr;
    return 0;
  }
  g_screenHeight = height;
  g_screenWidth = width;
  g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  g_device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  g_device->SetRenderState(D3DRS_LIGHTING, 0);
  return 1;
}

void CDevice::ClearAndBegin(D3DCOLOR color, uint8_t clearFlags, float depth) {
  if (g_device == nullptr) return;
  g_device->Clear(0, nullptr, clearFlags, color, depth, 0);
  g_device->BeginScene();
}

void CDevice::EndScene() {
  if (g_device != nullptr) g_device->EndScene();
}

void CDevice::Present() {
  if (g_device != nullptr) g_device->Present(nullptr, nullptr, nullptr, nullptr);
}

void CDevice::EndAndPresent() {
  EndScene();
  Present();
}

HRESULT CDevice::SetRenderState(D3DRENDERSTATETYPE state, DWORD value) {
  // A missing device is a failure the caller can see, not a silent success.
  if (g_device == nullptr) return D3DERR_INVALIDCALL;
  return g_device->SetRenderState(state, value);
}

void CDevice::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value) {
  if (g_device != nullptr) g_device->SetTextureStageState(stage, type, value);
}

void CDevice::SetLighting(bool on) { SetRenderState(D3DRS_LIGHTING, on ? 1 : 0); }

void CDevice::SetPointSprites(bool on) {
  SetRenderState(D3DRS_POINTSPRITEENABLE, on ? 1 : 0);
  if (!on) return;
  SetRenderState(D3DRS_POINTSCALEENABLE, 1);
  // Point-size states take float bit patterns.
  SetRenderState(D3DRS_POINTSCALE_A, std::bit_cast<DWORD>(10000.0f));
  SetRenderState(D3DRS_POINTSCALE_B, std::bit_cast<DWORD>(0.0f));
  SetRenderState(D3DRS_POINTSCALE_C, std::bit_cast<DWORD>(0.0f));
}

bool CDevice::SetStreamSource(const VertexBuffer* vertexBuffer) {
  if (g_device == nullptr || vertexBuffer == nullptr) return false;
  return g_device->SetStreamSource(0, vertexBuffer->GetBuffer(), 0, vertexBuffer->GetStride()) ==
         D3D_OK;
}

bool CDevice::SetIndices(const IndexBuffer* indexBuffer) {
  if (g_device == nullptr || indexBuffer == nullptr || indexBuffer->GetBuffer() == nullptr) {
    return false;
  }
  return g_device->SetIndices(indexBuffer->GetBuffer()) == D3D_OK;
}

bool CDevice::SetFVF(DWORD fvf) {
  if (g_device == nullptr) return false;
  return g_device->SetFVF(fvf) == D3D_OK;
}

void CDevice::SetTexture(DWORD stage, const Texture* texture) {
  if (g_device == nullptr || texture == nullptr) return;
  g_device->SetTexture(stage, texture->GetD3DTexture());
}

void CDevice::DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                              UINT stride) {
  if (g_device == nullptr || primitiveCount < 1 || vertices == nullptr) return;
  if (stride < kMinUserStride || stride > kMaxUserStride) return;
  g_device->DrawPrimitiveUP(type, primitiveCount, vertices, stride);
}

HRESULT CDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex,
                                      UINT vertexCount, UINT startIndex, UINT primitiveCount) {
  if (g_device == nullptr) return D3DERR_NOTAVAILABLE;
  return g_device->DrawIndexedPrimitive(type, baseVertex, minIndex, vertexCount, startIndex,
                                        primitiveCount);
}

void CDevice::DrawPoints(const Vector3* points, int32_t count, D3DCOLOR color) {
  SetLighting(false);
  SetPointSprites(true);
  SetFVF(kColoredVertexFVF);
  SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG2);
  SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);

  // No points (or none to read) draws nothing and leaves sprites on.
  if (points == nullptr) return;
  BoundedArray<ColoredVertex> vertices;
  vertices.resize(count);
  if (vertices.data == nullptr) return;
  for (int32_t i = 0; i < count; ++i) {
    vertices[i].x = points[i].x;
    vertices[i].y = points[i].y;
    vertices[i].z = points[i].z;
    vertices[i].color = color;
  }
  DrawPrimitiveUP(D3DPT_POINTLIST, static_cast<UINT>(count), vertices.data,
                  sizeof(ColoredVertex));
  SetPointSprites(false);
}

void CDevice::DrawLineStrip(const Vector3* points, int32_t count, D3DCOLOR color, bool closed) {
  if (g_device == nullptr) return;
  SetFVF(kColoredVertexFVF);
  SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
  if (count < 2 || points == nullptr) return;

  const int64_t n = closed ? int64_t(count) + 1 : count;
  BoundedArray<ColoredVertex> vertices;
  if (!vertices.resize(n)) return;
  for (int32_t i = 0; i < count; ++i) {
    vertices[i] = ColoredVertex{points[i].x, points[i].y, points[i].z, color};
  }
  if (closed) vertices[count] = ColoredVertex{points[0].x, points[0].y, points[0].z, color};
  DrawPrimitiveUP(D3DPT_LINESTRIP, static_cast<UINT>(n - 1), vertices.data,
                  sizeof(ColoredVertex));
}

void CDevice::DrawScreenQuad(int32_t x, int32_t y, int32_t width, int32_t height,
                             const Texture* texture) {
  if (g_device == nullptr || texture == nullptr) return;
  SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
  SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
  SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);

  // Edges half a pixel out, so that texel centres land on pixel centres.
  const float left = static_cast<float>(double(x) - 0.5);
  const float top = static_cast<float>(double(y) - 0.5);
  const float right = static_cast<float>(double(x) + width + 0.5);
  const float bottom = static_cast<float>(double(y) + height + 0.5);
  const ScreenVertex quad[4] = {
      {left, top, 0.0f, 1.0f, 0.0f, 0.0f},
      {right, top, 0.0f, 1.0f, 1.0f, 0.0f},
      {left, bottom, 0.0f, 1.0f, 0.0f, 1.0f},
      {right, bottom, 0.0f, 1.0f, 1.0f, 1.0f},
  };
  SetFVF(kScreenVertexFVF);
  SetTexture(0, texture);
  DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenVertex));
}
