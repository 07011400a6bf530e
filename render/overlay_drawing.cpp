#include "render/overlay_drawing.h"

#include <algorithm>

#include "render/device.h"

namespace {

// Large line lists go to the device in pieces of this many segments.
constexpr size_t kSegmentsPerCall = 16384;

// Switches the depth test off for its lifetime.
class DepthTestOff {
 public:
  DepthTestOff() {
    if (g_device != nullptr && g_device->GetRenderState(D3DRS_ZENABLE, &saved_) == D3D_OK) {
      g_device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
      restore_ = true;
    }
  }
  ~DepthTestOff() {
    if (restore_) g_device->SetRenderState(D3DRS_ZENABLE, saved_);
  }
  DepthTestOff(const DepthTestOff&) = delete;
  DepthTestOff& operator=(const DepthTestOff&) = delete;

 private:
  DWORD saved_ = D3DZB_TRUE;
  bool restore_ = false;
};

void unlitColorStates(CDevice& device, DWORD fvf) {
  device.SetLighting(false);
  device.SetFVF(fvf);
  device.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  device.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_DIFFUSE);
  device.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  device.SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
}

}  // namespace

void DrawOverlayLines(CDevice& device, const LineList& lines, D3DCOLOR color) {
  if (g_device == nullptr || lines.size() < 2) return;
  DepthTestOff depth;
  unlitColorStates(device, kColoredVertexFVF);
  std::vector<ColoredVertex> vertices;
  const size_t segments = lines.size() / 2;
  for (size_t first = 0; first < segments; first += kSegmentsPerCall) {
    const size_t count = std::min(kSegmentsPerCall, segments - first);
    vertices.clear();
    for (size_t i = 2 * first; i < 2 * (first + count); ++i) {
      vertices.push_back(ColoredVertex{lines[i].x, lines[i].y, lines[i].z, color});
    }
    device.DrawPrimitiveUP(D3DPT_LINELIST, static_cast<UINT>(count), vertices.data(),
                           sizeof(ColoredVertex));
  }
}

void DrawOverlayPoints(CDevice& device, const std::vector<Vector3>& points, D3DCOLOR color) {
  if (g_device == nullptr || points.empty()) return;
  DepthTestOff depth;
  device.DrawPoints(points.data(), static_cast<int32_t>(points.size()), color);
}

void DrawScreenRect(CDevice& device, int32_t x, int32_t y, int32_t width, int32_t height,
                    D3DCOLOR color) {
  if (g_device == nullptr || width <= 0 || height <= 0) return;
  DepthTestOff depth;
  unlitColorStates(device, kScreenColorVertexFVF);
  // Edges half a pixel out: pixel centres sit on whole coordinates.
  const float left = static_cast<float>(x) - 0.5f;
  const float top = static_cast<float>(y) - 0.5f;
  const float right = static_cast<float>(x + width) - 0.5f;
  const float bottom = static_cast<float>(y + height) - 0.5f;
  const ScreenColorVertex quad[4] = {
      {left, top, 0.0f, 1.0f, color},
      {right, top, 0.0f, 1.0f, color},
      {left, bottom, 0.0f, 1.0f, color},
      {right, bottom, 0.0f, 1.0f, color},
  };
  device.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(ScreenColorVertex));
}
