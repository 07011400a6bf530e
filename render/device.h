#pragma once
#include <cstdint>

#include "geometry/vector3.h"
#include "platform/d3d9.h"
#include "render/device_globals.h"

class IndexBuffer;
class Texture;
class VertexBuffer;

// Vertex of the coloured points and lines: position and colour.
struct ColoredVertex {
  float x = 0.0f;
  float y = 0.0f;
  float z = 0.0f;
  D3DCOLOR color = 0xFFFFFFFF;
};
static_assert(sizeof(ColoredVertex) == 16, "ColoredVertex is drawn with stride 16");
inline constexpr DWORD kColoredVertexFVF = D3DFVF_XYZ | D3DFVF_DIFFUSE;

// Pre-transformed, textured vertex of the screen rectangle (pixels).
struct ScreenVertex {
  float x;
  float y;
  float z;
  float rhw;
  float u;
  float v;
};
static_assert(sizeof(ScreenVertex) == 24, "ScreenVertex is drawn with stride 24");
inline constexpr DWORD kScreenVertexFVF = D3DFVF_XYZRHW | D3DFVF_TEX1;

// The SDK version handed to Direct3DCreate9.
inline constexpr UINT kDirect3DSdkVersion = 31;

// Creates the process-wide device (g_device) and wraps the device calls the
// viewer and the model renderer make. Holds no data: every operation works on
// the globals and does nothing, or reports failure, while there is no device.
class CDevice {
 public:
  // 1 when a device exists afterwards, 0 otherwise. Tries the hardware, the
  // reference and the software device types in turn; releases an earlier
  // device first.
  int Create(int32_t width, int32_t height, bool windowed, HWND window);

  // Whole target, stencil 0, then BeginScene; results ignored.
  void ClearAndBegin(D3DCOLOR color, uint8_t clearFlags, float depth);
  void EndScene();
  void Present();
  void EndAndPresent();

  // The device's result; D3DERR_INVALIDCALL without a device.
  HRESULT SetRenderState(D3DRENDERSTATETYPE state, DWORD value);
  void SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value);
  void SetLighting(bool on);
  // On also switches point scaling on with A = 10000, B = C = 0; off leaves
  // the scaling states as they are.
  void SetPointSprites(bool on);

  // Each true exactly when the device accepted the call.
  bool SetStreamSource(const VertexBuffer* vertexBuffer);
  bool SetIndices(const IndexBuffer* indexBuffer);
  bool SetFVF(DWORD fvf);
  // Nothing for a null wrapper.
  void SetTexture(DWORD stage, const Texture* texture);

  // Draws only for count >= 1, non-null data and a stride of 12..128 bytes.
  void DrawPrimitiveUP(D3DPRIMITIVETYPE type, UINT primitiveCount, const void* vertices,
                       UINT stride);
  // The device's result; D3DERR_NOTAVAILABLE without a device.
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE type, INT baseVertex, UINT minIndex,
                               UINT vertexCount, UINT startIndex, UINT primitiveCount);

  // Debug markers: unlit point sprites, an unlit line strip (closed joins the
  // last point to the first), and a texture on a w x h pixel rectangle at
  // (x, y). None of them restores the states it sets.
  void DrawPoints(const Vector3* points, int32_t count, D3DCOLOR color);
  void DrawLineStrip(const Vector3* points, int32_t count, D3DCOLOR color, bool closed);
  void DrawScreenQuad(int32_t x, int32_t y, int32_t width, int32_t height,
                      const Texture* texture);
};
