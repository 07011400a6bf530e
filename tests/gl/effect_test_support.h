#pragma once
// Shared pieces of the effect tests: test effects on a headless device,
// pixel-space matrices, quads and textures.
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "geometry/matrix4.h"
#include "platform/gl/gl_backend.h"
#include "platform/gl/gl_effect.h"
#include "platform/gl/gl_texture.h"
#include "tests/gl/gl_test_device.h"

// Through the backend's entry point, as D3DXCreateEffectFromFileA reaches it.
inline Held<ID3DXEffect> LoadEffect(const GlTestDevice& device, const std::string& name,
                                    HRESULT* result = nullptr, Held<ID3DXBuffer>* errors = nullptr) {
  const std::string path = std::string(MESHVIEW_TEST_DATA) + "/fxgl/" + name;
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* buffer = nullptr;
  const HRESULT r = gl_graphics_backend().CreateEffectFromFile(device.get(), path.c_str(), nullptr, nullptr, 0,
                                                               nullptr, &effect, &buffer);
  if (result != nullptr) *result = r;
  if (errors != nullptr) {
    errors->reset(buffer);
  } else if (buffer != nullptr) {
    buffer->Release();
  }
  return Held<ID3DXEffect>(effect);
}

// Row-vector matrix from pixels (x right, y down) to clip space.
inline Matrix4 PixelSpace(float width, float height) {
  Matrix4 m;
  m.setIdentity();
  m.at(0, 0) = 2.0f / width;
  m.at(1, 1) = -2.0f / height;
  m.at(3, 0) = -1.0f;
  m.at(3, 1) = 1.0f;
  return m;
}

inline Matrix4 Translation(float x, float y) {
  Matrix4 m;
  m.setIdentity();
  m.at(3, 0) = x;
  m.at(3, 1) = y;
  return m;
}

// A vertex of D3DFVF_XYZ.
struct Position {
  float x, y, z;
};

// Two triangles over the rectangle, each vertex made by corner(x, y).
template <class Vertex, class Corner>
std::vector<Vertex> Quad(float left, float top, float right, float bottom, Corner corner) {
  const Vertex a = corner(left, top), b = corner(right, top), c = corner(left, bottom), d = corner(right, bottom);
  return {a, b, c, c, b, d};
}

// Clears, then runs every pass of the technique with `draw` inside it.
template <class Draw>
void DrawTechnique(const GlTestDevice& device, ID3DXEffect* effect, const char* technique, Draw draw) {
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  ASSERT_EQ(effect->SetTechnique(technique), D3D_OK);
  UINT passes = 0;
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  for (UINT pass = 0; pass < passes; ++pass) {
    ASSERT_EQ(effect->Pass(pass), D3D_OK);
    draw();
  }
  ASSERT_EQ(effect->End(), D3D_OK);
}

template <class Vertex>
void DrawList(const GlTestDevice& device, DWORD fvf, const std::vector<Vertex>& vertices) {
  device->SetFVF(fvf);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(vertices.size() / 3), vertices.data(), sizeof(Vertex)),
            D3D_OK);
}

// Each colour channel within the tolerance.
inline bool Near(D3DCOLOR actual, D3DCOLOR expected, int tolerance) {
  for (int shift : {16, 8, 0}) {
    if (std::abs(int(actual >> shift & 0xFF) - int(expected >> shift & 0xFF)) > tolerance) return false;
  }
  return true;
}
