// A program set on the device in place of the fixed-function pipeline (as
// the effect runtime's passes do) reads the vertex stream by HLSL semantic.
#include <cstdint>
#include <cstring>
#include <string>

#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include "platform/gl/gl_shader.h"
#include "tests/gl/gl_test_device.h"

namespace {

const char kVertex[] = R"(
in vec3 inPos;
in float inWeight;
in vec4 inIndices;
in ivec4 inIndicesInt;
in vec3 inTangent;
in vec4 inColor;
out vec4 v;
void main() {
  bool exact = inIndicesInt.x == 200 && inIndicesInt.y == 3;
  v = vec4(inIndices.x / 255.0, inTangent.z, inColor.r + inWeight,
           exact ? inColor.a : 0.5);
  gl_Position = mv_fix_position(vec4(inPos, 1.0));
}
)";

const char kFragment[] = R"(#version 330 core
in vec4 v;
out vec4 o;
void main() { o = v; }
)";

// XYZB2 with the palette in the last beta, then two texture sets, the
// second with three components: 40 bytes.
struct SkinVertex {
  float x, y, z;
  float weight;
  uint8_t indices[4];
  float u, v;
  float tangent[3];
};
static_assert(sizeof(SkinVertex) == 40);
constexpr DWORD kSkinFVF =
    D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_TEX2 | D3DFVF_TEXCOORDSIZE3(1);

}  // namespace

TEST(GlEffectProgram, InputsReadTheStreamBySemanticAndMissingOnesReadZeroZeroZeroOne) {
  for (bool fallback : {false, true}) {
    SCOPED_TRACE(fallback ? "fix-up" : "clip control");
    NoClipControl hook(fallback);
    GlTestDevice device(40, 30);
    ASSERT_TRUE(device.ok());
    device.gl()->MakeCurrent();
    std::string messages;
    const std::string vertex = std::string("#version 330 core\n") + kGlPositionFixupGlsl + kVertex;
    GlEffectProgram program;
    program.program = gl_build_program(vertex.c_str(), kFragment, &messages);
    ASSERT_NE(program.program, 0u) << messages;
    program.fixup = gl_find_position_fixup(program.program);
    const struct {
      const char* name;
      VertexSemantic semantic;
      uint8_t index;
      bool integer;
    } inputs[] = {{"inPos", VertexSemantic::Position, 0, false},
                  {"inWeight", VertexSemantic::BlendWeight, 0, false},
                  {"inIndices", VertexSemantic::BlendIndices, 0, false},
                  {"inIndicesInt", VertexSemantic::BlendIndices, 0, true},
                  {"inTangent", VertexSemantic::TexCoord, 1, false},
                  {"inColor", VertexSemantic::Color, 0, false}};
    for (const auto& input : inputs) {
      const GLint location = glGetAttribLocation(program.program, input.name);
      ASSERT_GE(location, 0) << input.name;
      program.inputs.push_back({input.semantic, input.index, location, input.integer});
    }

    // Three vertices that the base index skips, then a quad over the whole
    // target.
    SkinVertex vertices[7] = {};
    const float corners[4][2] = {{-1, 1}, {1, 1}, {-1, -1}, {1, -1}};
    for (int i = 0; i < 4; ++i) {
      vertices[3 + i] = {corners[i][0], corners[i][1], 0.5f, 0.25f, {200, 3, 0, 0},
                         0, 0, {0.0f, 0.0f, 0.5f}};
    }
    IDirect3DVertexBuffer9* buffer = nullptr;
    ASSERT_EQ(device->CreateVertexBuffer(sizeof(vertices), 0, 0, D3DPOOL_MANAGED, &buffer, nullptr),
              D3D_OK);
    void* bytes = nullptr;
    ASSERT_EQ(buffer->Lock(0, 0, &bytes, 0), D3D_OK);
    std::memcpy(bytes, vertices, sizeof(vertices));
    buffer->Unlock();
    IDirect3DIndexBuffer9* indices = nullptr;
    ASSERT_EQ(device->CreateIndexBuffer(12, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &indices, nullptr),
              D3D_OK);
    const uint16_t quad[6] = {0, 1, 2, 2, 1, 3};
    ASSERT_EQ(indices->Lock(0, 0, &bytes, 0), D3D_OK);
    std::memcpy(bytes, quad, sizeof(quad));
    indices->Unlock();

    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetFVF(kSkinFVF);
    device->SetStreamSource(0, buffer, 0, sizeof(SkinVertex));
    device->SetIndices(indices);
    device.gl()->SetEffectProgram(&program);
    ASSERT_EQ(device->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 3, 0, 4, 0, 2), D3D_OK);
    device.gl()->SetEffectProgram(nullptr);

    const GlImage image = device.Capture();
    // Indices unnormalised (200), the third tangent component (0.5), the
    // missing colour (0, 0, 0, 1) plus the weight (0.25).
    for (UINT y : {0u, 15u, 29u}) {
      for (UINT x : {0u, 20u, 39u}) {
        const D3DCOLOR pixel = image.Pixel(x, y);
        EXPECT_EQ(pixel >> 16 & 0xFF, 200u) << x << "," << y;
        EXPECT_NEAR(double(pixel >> 8 & 0xFF), 127.5, 0.6);
        EXPECT_NEAR(double(pixel & 0xFF), 63.75, 0.6);
        EXPECT_EQ(pixel >> 24, 255u);
      }
    }
    device->SetStreamSource(0, nullptr, 0, 0);
    device->SetIndices(nullptr);
    buffer->Release();
    indices->Release();
    device.gl()->MakeCurrent();
    gl_delete_program(program.program);
  }
}
