// The skinned effect puts every vertex where its bones put it: what it
// covers matches the same mesh skinned here on the CPU and drawn through the
// fixed-function transforms, for every weight count a model file may have.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "tests/gl/shipped_effect_fixture.h"

using namespace shipped_effect;

namespace {

constexpr int kSize = 96;
constexpr D3DCOLOR kBackground = 0xFF0000FF;

struct Influence {
  uint8_t bone;
  float weight;
};

// A ribbon along x: five cross-sections blended between bones far apart in
// the palette, strongest influence first.
const std::vector<Influence> kSections[5] = {{{3, 1.0f}},
                                             {{3, 0.5f}, {200, 0.5f}},
                                             {{200, 0.4f}, {254, 0.3f}, {3, 0.2f}, {17, 0.1f}},
                                             {{254, 0.7f}, {17, 0.3f}},
                                             {{254, 1.0f}}};

// The section's strongest `count` influences, their weights summing to one.
std::vector<Influence> Strongest(int section, int count) {
  std::vector<Influence> kept(kSections[section]);
  kept.resize(std::min<size_t>(count, kept.size()));
  float sum = 0;
  for (const Influence& influence : kept) sum += influence.weight;
  for (Influence& influence : kept) influence.weight /= sum;
  return kept;
}

std::vector<bool> Coverage(const GlImage& image) {
  std::vector<bool> covered(kSize * kSize);
  for (int i = 0; i < kSize * kSize; ++i) covered[i] = Rgb(image.Pixel(i % kSize, i / kSize)) != Rgb(kBackground);
  return covered;
}

// Every pixel either mask covers lies within one pixel of one the other covers.
bool SameWithinOnePixel(const std::vector<bool>& a, const std::vector<bool>& b) {
  auto near = [](const std::vector<bool>& mask, int x, int y) {
    for (int n = 0; n < 9; ++n) {
      const int nx = x + n % 3 - 1, ny = y + n / 3 - 1;
      if (nx >= 0 && ny >= 0 && nx < kSize && ny < kSize && mask[ny * kSize + nx]) return true;
    }
    return false;
  };
  for (int i = 0; i < kSize * kSize; ++i) {
    if ((a[i] && !near(b, i % kSize, i / kSize)) || (b[i] && !near(a, i % kSize, i / kSize))) return false;
  }
  return true;
}

}  // namespace

TEST(ShippedSkinnedEffect, CoversWhatTheCpuSkinnedMeshCoversForEveryWeightCount) {
  // Unused bones fling their vertices off screen, so a wrong index shows.
  std::vector<Matrix4> palette(255);
  for (Matrix4& bone : palette) bone.translation(0, 40, 0);
  palette[3].rotationZ(30).setTranslation(0, 1, 0);
  palette[17].rotationY(35).setTranslation(0, 0.5f, 0);
  palette[200].rotationX(50).setTranslation(0, -1, 0.5f);
  palette[254].rotationZ(-40).setTranslation(1, 0, 0);
  Matrix4 world, view, projection;
  world.rotationY(20).setTranslation(0.3f, 0, 0);
  view.lookAt({0, 0, -9}, {0, 0, 0}, {0, 1, 0});
  projection.perspectiveFov(60, 1, 1, 50);
  const Matrix4 viewProj = view * projection;
  std::vector<bool> bindPose;

  for (bool fallback : {false, true}) {
    NoClipControl hook(fallback);
    GlTestDevice device(kSize, kSize);
    ASSERT_TRUE(device.ok());
    Held<IDirect3DTexture9> white = WhiteTexture(device);
    for (int weights = 0; weights <= 4; ++weights) {
      SCOPED_TRACE(testing::Message() << (fallback ? "clip fix-up" : "clip control") << ", weights " << weights);
      // The stream as the loader lays it out (weights 0: no blend data at
      // all), and the reference skinned here, untextured.
      Mesh mesh{(weights == 0 ? D3DFVF_XYZ : DWORD(0x6 + 2 * weights) | D3DFVF_LASTBETA_UBYTE4) | D3DFVF_NORMAL |
                    D3DFVF_TEX1,
                UINT(4 * (3 + weights + (weights > 0) + 5)), {}};
      struct Colored {
        float x, y, z;
        D3DCOLOR color;
      };
      std::vector<Colored> reference;
      for (int k = 0; k < 24; ++k) {
        // Quad k / 6 joins sections k / 6 and k / 6 + 1, its corners in the order 0 1 2, 2 1 3.
        const int section = k / 6 + (0x2C >> (k % 6) & 1);
        const float x = 2.0f * section - 4.0f, y = (0x32 >> (k % 6) & 1) ? 0.5f : -0.5f;
        mesh.words.insert(mesh.words.end(), {x, y, 0});
        Colored skinned{x, y, 0, 0xFFFFFFFF};
        if (weights > 0) {
          const std::vector<Influence> kept = Strongest(section, weights);
          uint8_t bones[4] = {};
          skinned = {0, 0, 0, 0xFFFFFFFF};
          for (size_t i = 0; i < size_t(weights); ++i) {
            mesh.words.push_back(i < kept.size() ? kept[i].weight : 0.0f);
            if (i >= kept.size()) continue;
            bones[i] = kept[i].bone;
            Matrix4 at;
            const Matrix4 moved = at.translation(x, y, 0) * palette[kept[i].bone];
            skinned = {skinned.x + kept[i].weight * moved.m[12], skinned.y + kept[i].weight * moved.m[13],
                       skinned.z + kept[i].weight * moved.m[14], 0xFFFFFFFF};
          }
          mesh.words.push_back(PackedIndices(bones[0], bones[1], bones[2], bones[3]));
        }
        mesh.words.insert(mesh.words.end(), {0, 0, -1, x, y});
        reference.push_back(skinned);
      }
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kBackground, 1.0f, 0);
      device->SetRenderState(D3DRS_LIGHTING, 0);
      device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
      device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
      device->SetTransform(D3DTS_WORLD, &world);
      device->SetTransform(D3DTS_VIEW, &view);
      device->SetTransform(D3DTS_PROJECTION, &projection);
      device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
      ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, 8, reference.data(), sizeof(Colored)), D3D_OK);
      const std::vector<bool> expected = Coverage(device.Capture());
      if (weights == 0) bindPose = expected;

      // A fresh effect: a mesh without bones never gets a palette.
      Held<ID3DXEffect> effect = LoadShippedEffect(device, "skinned.fx");
      ASSERT_TRUE(effect);
      if (weights > 0) {
        ASSERT_EQ(effect->SetMatrixArray("matrixBone", palette.data(), 255), D3D_OK);
      }
      const float light[3] = {0, 0, 1}, mapSize = 512;
      effect->SetMatrix("World", &world);
      effect->SetMatrix("CamViewProj", &viewProj);
      effect->SetMatrix("LiteViewProj", &viewProj);
      effect->SetValue("LightDir", light, sizeof light);
      effect->SetValue("SMAP_SIZE", &mapSize, sizeof mapSize);
      effect->SetTexture("g_txScene", white.get());
      device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kBackground, 1.0f, 0);
      // States left by earlier drawing that hide the model unless the pass
      // sets its own; put back for the next reference.
      const DWORD states[][3] = {
          {D3DRS_ALPHABLENDENABLE, 1, 0},          {D3DRS_SRCBLEND, D3DBLEND_ZERO, D3DBLEND_ONE},
          {D3DRS_DESTBLEND, D3DBLEND_ONE, D3DBLEND_ZERO}, {D3DRS_ZFUNC, D3DCMP_NEVER, D3DCMP_LESSEQUAL},
          {D3DRS_STENCILENABLE, 1, 0},             {D3DRS_STENCILFUNC, D3DCMP_NEVER, D3DCMP_ALWAYS},
          {D3DRS_CULLMODE, D3DCULL_CW, D3DCULL_NONE}, {D3DRS_COLORWRITEENABLE, 0, 0xF}};
      for (const auto& state : states) device->SetRenderState(D3DRENDERSTATETYPE(state[0]), state[1]);
      DrawPass(device, effect.get(), 2, mesh);
      const std::vector<bool> drawn = Coverage(device.Capture());
      for (const auto& state : states) device->SetRenderState(D3DRENDERSTATETYPE(state[0]), state[2]);

      EXPECT_GT(std::count(expected.begin(), expected.end(), true), 300);
      EXPECT_TRUE(SameWithinOnePixel(drawn, expected));
      // The pose is far from the bind pose, so a skinning fault cannot hide.
      if (weights > 0) {
        EXPECT_FALSE(SameWithinOnePixel(expected, bindPose));
      }
    }
  }
}
