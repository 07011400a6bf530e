#pragma once
// Shared pieces of the effect tests: loading the test effects on a headless
// device, pixel-space matrices and drawing vertices from memory.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "geometry/matrix4.h"
#include "platform/gl/gl_backend.h"
#include "platform/gl/gl_effect.h"
#include "platform/gl/gl_texture.h"
#include "tests/gl/gl_test_device.h"

inline std::string EffectData(const char* name) {
  return std::string(MESHVIEW_TEST_DATA) + "/fxgl/" + name;
}

// Releases a COM-style object at the end of a scope.
template <class T>
class Held {
 public:
  Held() = default;
  explicit Held(T* object) : object_(object) {}
  ~Held() { reset(); }
  Held(Held&& other) noexcept : object_(other.object_) { other.object_ = nullptr; }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  void reset() {
    if (object_ != nullptr) object_->Release();
    object_ = nullptr;
  }
  T* get() const { return object_; }
  T* operator->() const { return object_; }
  T** out() {
    reset();
    return &object_;
  }
  explicit operator bool() const { return object_ != nullptr; }

 private:
  T* object_ = nullptr;
};

// Through the backend's entry point, as D3DXCreateEffectFromFileA reaches it.
inline HRESULT CreateEffect(const GlTestDevice& device, const std::string& path, Held<ID3DXEffect>& effect,
                            Held<ID3DXBuffer>* errors = nullptr) {
  return gl_graphics_backend().CreateEffectFromFile(device.get(), path.c_str(), nullptr, nullptr, 0, nullptr,
                                                    effect.out(), errors != nullptr ? errors->out() : nullptr);
}

// Row-vector matrix from pixel coordinates (x right, y down, z kept) to
// Direct3D clip space on a target of that size.
inline Matrix4 PixelSpace(float width, float height) {
  Matrix4 m;
  m.setIdentity();
  m.at(0, 0) = 2.0f / width;
  m.at(1, 1) = -2.0f / height;
  m.at(3, 0) = -1.0f;
  m.at(3, 1) = 1.0f;
  return m;
}

inline Matrix4 Translation(float x, float y, float z) {
  Matrix4 m;
  m.setIdentity();
  m.at(3, 0) = x;
  m.at(3, 1) = y;
  m.at(3, 2) = z;
  return m;
}

// Two triangles covering the rectangle, each vertex made by `corner`.
template <class Vertex, class MakeVertex>
std::vector<Vertex> Rectangle(float left, float top, float right, float bottom, MakeVertex corner) {
  const Vertex a = corner(left, top), b = corner(right, top), c = corner(left, bottom),
               d = corner(right, bottom);
  return {a, b, c, c, b, d};
}

template <class Vertex>
HRESULT DrawList(const GlTestDevice& device, DWORD fvf, const std::vector<Vertex>& vertices) {
  device->SetFVF(fvf);
  return device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(vertices.size() / 3), vertices.data(), sizeof(Vertex));
}

// A managed A8R8G8B8 texture with these texels (0xAARRGGBB, rows top first).
inline Held<IDirect3DTexture9> MakeTexture(const GlTestDevice& device, UINT width, UINT height,
                                           const std::vector<uint32_t>& texels) {
  Held<IDirect3DTexture9> texture;
  EXPECT_EQ(device->CreateTexture(width, height, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, texture.out(), nullptr),
            D3D_OK);
  if (texture) {
    EXPECT_EQ(AsGlTexture(texture.get())->FillLevel0(texels.data(), texels.size() * 4), D3D_OK);
  }
  return texture;
}

inline void ExpectColorNear(D3DCOLOR actual, D3DCOLOR expected, int tolerance, const char* where) {
  for (int shift : {16, 8, 0}) {
    const int a = int(actual >> shift & 0xFF), e = int(expected >> shift & 0xFF);
    EXPECT_NEAR(a, e, tolerance) << where << ": " << std::hex << Rgb(actual) << " against " << Rgb(expected);
  }
}
