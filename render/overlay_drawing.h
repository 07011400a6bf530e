#pragma once
#include <cstdint>
#include <vector>

#include "geometry/vector3.h"
#include "platform/d3d9.h"
#include "render/pose_overlay.h"

class CDevice;

// Review overlays drawn over the finished scene, in the same unlit,
// untextured way as the debug markers: the device's World, View and
// Projection place them, and the depth test is off while they are drawn so
// that nothing of the model hides them. Z enable is put back afterwards.
void DrawOverlayLines(CDevice& device, const LineList& lines, D3DCOLOR color);
void DrawOverlayPoints(CDevice& device, const std::vector<Vector3>& points, D3DCOLOR color);

// Pre-transformed, coloured vertex of the screen rectangles (pixels).
struct ScreenColorVertex {
  float x;
  float y;
  float z;
  float rhw;
  D3DCOLOR color;
};
static_assert(sizeof(ScreenColorVertex) == 20, "ScreenColorVertex is drawn with stride 20");
inline constexpr DWORD kScreenColorVertexFVF = D3DFVF_XYZRHW | D3DFVF_DIFFUSE;

// A filled width x height pixel rectangle at (x, y), covering exactly those
// pixels, without depth test.
void DrawScreenRect(CDevice& device, int32_t x, int32_t y, int32_t width, int32_t height,
                    D3DCOLOR color);
