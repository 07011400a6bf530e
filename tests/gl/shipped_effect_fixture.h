#pragma once
// The effects the demo ships (demo/effect), loaded on a headless device of
// the OpenGL backend and driven as the renderer drives them: parameters by
// name, technique 0, one pass per draw.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <epoxy/gl.h>

#include "platform/d3dx9.h"
#include "platform/gl/gl_effect.h"
#include "platform/gl/gl_texture.h"
#include "tests/gl/gl_test_device.h"

namespace shipped_effect {

// With its first valid technique selected; null (and a failure) when it does not load.
inline Held<ID3DXEffect> LoadShippedEffect(GlTestDevice& device, const char* file) {
  const std::string path = std::string(MESHVIEW_TEST_DATA) + "/../../demo/effect/" + file;
  ID3DXEffect* effect = nullptr;
  ID3DXBuffer* errors = nullptr;
  gl_create_effect_from_file(*device.gl(), path.c_str(), nullptr, nullptr, 0, nullptr, &effect, &errors);
  Held<ID3DXBuffer> messages(errors);
  EXPECT_NE(effect, nullptr) << file << ": " << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
  D3DXHANDLE technique = nullptr;
  if (effect != nullptr) {
    EXPECT_EQ(effect->FindNextValidTechnique(nullptr, &technique), D3D_OK) << file;
    EXPECT_EQ(effect->SetTechnique(technique), D3D_OK) << file;
  }
  return Held<ID3DXEffect>(effect);
}

// A triangle list as 32-bit words; a packed palette-index word is stored bit for bit.
struct Mesh {
  DWORD fvf = 0;
  UINT stride = 0;
  std::vector<float> words;
};

inline float PackedIndices(uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
  const uint8_t bytes[4] = {a, b, c, d};
  float word;
  std::memcpy(&word, bytes, 4);
  return word;
}

inline void DrawPass(GlTestDevice& device, ID3DXEffect* effect, UINT pass, const Mesh& mesh) {
  UINT passes = 0;
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  EXPECT_EQ(effect->Pass(pass), D3D_OK);
  device->SetFVF(mesh.fvf);
  EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, UINT(mesh.words.size() * 4 / mesh.stride / 3),
                                    mesh.words.data(), mesh.stride),
            D3D_OK);
  effect->End();
}

inline Held<IDirect3DTexture9> WhiteTexture(GlTestDevice& device) {
  return MakeTexture(device, 4, 4, std::vector<D3DCOLOR>(16, 0xFFFFFFFF));
}

// Level 0 of a float render target, row 0 the top row.
inline std::vector<float> ReadFloatTarget(GlTestDevice& device, IDirect3DSurface9* level) {
  const D3DSURFACE_DESC& desc = AsGlSurface(level)->Desc();
  std::vector<float> texels(size_t(desc.Width) * desc.Height);
  device.gl()->MakeCurrent();
  GLint previous = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, AsGlSurface(level)->Framebuffer());
  glReadPixels(0, 0, GLsizei(desc.Width), GLsizei(desc.Height), GL_RED, GL_FLOAT, texels.data());
  glBindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(previous));
  return texels;
}

inline Matrix4 ViewProj(Vector3 eye, Vector3 at, float fovDegrees) {
  Matrix4 view, projection;
  view.lookAt(eye, at, Vector3{0, 1, 0});
  projection.perspectiveFov(fovDegrees, 1.0f, 1.0f, 50.0f);
  return view * projection;
}

}  // namespace shipped_effect
