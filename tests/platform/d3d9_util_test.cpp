#include "platform/d3d9_util.h"

#include <gtest/gtest.h>

#include "platform/backend.h"
#include "platform/d3dx9.h"
#include "platform/fvf_layout.h"
#include "platform/record/recording_backend.h"

TEST(D3D9Util, VerticesPerDrawFollowThePrimitiveType) {
  struct Case {
    D3DPRIMITIVETYPE type;
    UINT primitives;
    UINT vertices;
  };
  const Case cases[] = {
      {D3DPT_POINTLIST, 5, 5},
      {D3DPT_LINELIST, 3, 6},
      {D3DPT_LINESTRIP, 2, 3},
      {D3DPT_TRIANGLELIST, 4, 12},
      {D3DPT_TRIANGLESTRIP, 2, 4},
      {D3DPT_TRIANGLEFAN, 2, 4},
      {D3DPT_TRIANGLELIST, 0, 0},
      {D3DPT_LINESTRIP, 0, 0},
      {static_cast<D3DPRIMITIVETYPE>(99), 3, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VertexCountForPrimitives(c.type, c.primitives), c.vertices)
        << "type " << c.type << " count " << c.primitives;
  }
}

TEST(D3D9Util, VertexSizeOfTheLayoutsInUse) {
  struct Case {
    DWORD fvf;
    UINT size;
  };
  const Case cases[] = {
      {D3DFVF_XYZ, 12},
      {D3DFVF_XYZ | D3DFVF_DIFFUSE, 16},                   // coloured markers
      {D3DFVF_XYZRHW | D3DFVF_TEX1, 24},                   // screen quad
      {D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1, 28},  // glyphs
      {0x4121C, 60},   // skinned: 3 weights, palette, normal, uv, tangent
      {0x100312, 52},  // static: normal, two uv sets, tangent
      {0x50202, 36},   // shadow volume: position and two 3-float vectors
      {D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE1(0), 16},
      {D3DFVF_XYZ | D3DFVF_TEX1 | D3DFVF_TEXCOORDSIZE4(0), 28},
      {D3DFVF_XYZW | D3DFVF_SPECULAR | D3DFVF_PSIZE, 24},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VertexSizeOfFVF(c.fvf), c.size) << std::hex << "fvf 0x" << c.fvf;
  }
}

TEST(D3D9Util, MipChains) {
  EXPECT_EQ(FullMipChainLength(1, 1), 1u);
  EXPECT_EQ(FullMipChainLength(256, 256), 9u);
  EXPECT_EQ(FullMipChainLength(512, 4), 10u);
  EXPECT_EQ(FullMipChainLength(3, 5), 3u);  // 5 -> 2 -> 1
}

TEST(D3DXMath, MatrixHelpersAgreeWithTheSystemMatrices) {
  // The camera passes degrees converted with the system's factor.
  Matrix4 viaD3DX;
  EXPECT_EQ(D3DXMatrixPerspectiveFovLH(&viaD3DX, 90.0f * kDegreesToRadians, 1.0f, 1.0f, 100.0f),
            &viaD3DX);
  Matrix4 direct;
  direct.perspectiveFov(90.0f, 1.0f, 1.0f, 100.0f);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(viaD3DX.m[i], direct.m[i], 1e-6f) << "element " << i;
  EXPECT_NEAR(viaD3DX.at(0, 0), 1.0f, 1e-6f);
  EXPECT_NEAR(viaD3DX.at(2, 2), 100.0f / 99.0f, 1e-6f);
  EXPECT_NEAR(viaD3DX.at(3, 2), -100.0f / 99.0f, 1e-6f);

  const D3DXVECTOR3 eye{0.0f, 0.0f, -10.0f}, at{0.0f, 0.0f, 0.0f}, up{0.0f, 1.0f, 0.0f};
  Matrix4 view;
  EXPECT_EQ(D3DXMatrixLookAtLH(&view, &eye, &at, &up), &view);
  Matrix4 expected;
  expected.setIdentity();
  expected.at(3, 2) = 10.0f;
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(view.m[i], expected.m[i], 1e-6f) << "element " << i;
}

TEST(GraphicsBackend, InstalledBackendServesTheFreeFunctionsUntilTheScopeEnds) {
  GraphicsBackend& before = CurrentGraphicsBackend();
  {
    RecordingBackend recording;
    ScopedGraphicsBackend scope(recording);
    EXPECT_EQ(&CurrentGraphicsBackend(), &recording);
    IDirect3D9* d3d = Direct3DCreate9(31);
    ASSERT_NE(d3d, nullptr);
    const CallRecord* call = recording.recorder().Log().First("Direct3DCreate9");
    ASSERT_NE(call, nullptr);
    EXPECT_EQ(call->u(0), 31u);
    EXPECT_EQ(recording.recorder().Live(RecordKind::Direct3D), 1);
    d3d->Release();
    EXPECT_EQ(recording.recorder().Live(RecordKind::Direct3D), 0);
  }
  EXPECT_EQ(&CurrentGraphicsBackend(), &before);
}
