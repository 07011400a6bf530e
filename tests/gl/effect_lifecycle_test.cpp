// Creating effects (and failing to), listing techniques, Begin / Pass / End,
// a Direct3D 9 style effect drawn whole, and no GL object left behind.
#include <cstring>

#include "platform/fx/effect_cache.h"
#include "platform/gl/gl_names.h"
#include "tests/gl/effect_test_support.h"

namespace {

std::vector<std::string> ValidTechniques(ID3DXEffect* effect) {
  std::vector<std::string> names;
  D3DXHANDLE technique = nullptr;
  HRESULT result = effect->FindNextValidTechnique(nullptr, &technique);
  for (; result == D3D_OK && names.size() < 10;
       result = effect->FindNextValidTechnique(technique, &technique)) {
    names.emplace_back(technique);
  }
  EXPECT_EQ(result, S_FALSE);
  EXPECT_EQ(technique, nullptr);
  return names;
}

}  // namespace

TEST(GlEffectCreation, FailuresAndEffectsThatCannotRunOnTheDevice) {
  GlTestDevice device(8, 8);
  ASSERT_TRUE(device.ok());
  HRESULT result = D3D_OK;
  Held<ID3DXBuffer> errors;
  for (int attempt = 0; attempt < 2; ++attempt) {  // a failure is not cached
    EXPECT_FALSE(LoadEffect(device, "syntax_error.fx", &result, &errors));
    EXPECT_TRUE(FAILED(result));
    ASSERT_TRUE(errors);
    const char* text = static_cast<const char*>(errors->GetBufferPointer());
    EXPECT_NE(std::strstr(text, "syntax_error.fx(7)"), nullptr) << text;
    EXPECT_EQ(errors->GetBufferSize(), std::strlen(text) + 1);
  }
  EXPECT_FALSE(LoadEffect(device, "no_such_effect.fx", &result, &errors));
  EXPECT_TRUE(FAILED(result));
  EXPECT_FALSE(errors);

  // Loads, but no technique links: nothing to list, select or begin.
  Held<ID3DXEffect> effect = LoadEffect(device, "unlinkable.fx", &result, &errors);
  ASSERT_EQ(result, D3D_OK);
  EXPECT_FALSE(errors);
  EXPECT_TRUE(ValidTechniques(effect.get()).empty());
  EXPECT_EQ(effect->SetTechnique("TooBig"), D3DERR_INVALIDCALL);
  UINT passes = 0;
  EXPECT_EQ(effect->Begin(&passes, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->Pass(0), D3DERR_INVALIDCALL);
}

// The rules of the calls are in the conformance suite; here, what a pass
// does to the GL device.
TEST(GlEffectTechniques, APassDrawsWithItsProgramUntilEndOrRelease) {
  GlTestDevice device(8, 8);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect = LoadEffect(device, "states.fx");
  ASSERT_TRUE(effect);
  EXPECT_EQ(ValidTechniques(effect.get()),
            (std::vector<std::string>{"Culled", "Unculled", "DepthTested", "DepthIgnored"}));
  ASSERT_EQ(effect->SetTechnique("Unculled"), D3D_OK);
  UINT passes = 0;
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  ASSERT_EQ(effect->Pass(0), D3D_OK);
  EXPECT_NE(device.gl()->EffectProgram(), nullptr);
  ASSERT_EQ(effect->End(), D3D_OK);
  EXPECT_EQ(device.gl()->EffectProgram(), nullptr);  // fixed-function drawing again

  // Released inside a pass, the effect leaves the device nothing dangling.
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  ASSERT_EQ(effect->Pass(0), D3D_OK);
  effect.reset();
  EXPECT_EQ(device.gl()->EffectProgram(), nullptr);
}

TEST(GlEffectDx9Style, TwoTechniquesThreePassesTwoSamplersAndABonePaletteDraw) {
  GlTestDevice device(40, 30);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect = LoadEffect(device, "dx9_style.fx");
  ASSERT_TRUE(effect);
  EXPECT_EQ(ValidTechniques(effect.get()), (std::vector<std::string>{"Layered", "Modulated"}));
  Held<IDirect3DTexture9> base = MakeTexture(device, 1, 1, {0xFFFFFF00});    // yellow
  Held<IDirect3DTexture9> detail = MakeTexture(device, 1, 1, {0xFF00FFFF});  // cyan
  const Matrix4 bones[2] = {Translation(10, 0), Translation(20, 0)}, viewProj = PixelSpace(40, 30);
  const float opacity = 0.25f;
  ASSERT_EQ(effect->SetTexture("BaseMap", base.get()), D3D_OK);
  ASSERT_EQ(effect->SetTexture("DetailMap", detail.get()), D3D_OK);
  ASSERT_EQ(effect->SetMatrixArray("Bones", bones, 2), D3D_OK);
  ASSERT_EQ(effect->SetMatrix("ViewProj", &viewProj), D3D_OK);
  ASSERT_EQ(effect->SetValue("Opacity", &opacity, sizeof opacity), D3D_OK);

  struct SkinVertex {
    float x, y, z, weight;
    uint8_t indices[4];
    float u, v;
  };
  // Half on each bone: x 0..10 lands on 15..25.
  const auto square = Quad<SkinVertex>(0, 0, 10, 10, [](float x, float y) {
    return SkinVertex{x, y, 0.5f, 0.5f, {0, 1, 0, 0}, x / 10, y / 10};
  });
  const struct {
    const char* technique;
    D3DCOLOR expected;
  } cases[] = {{"Layered", 0xBFFF40},     // yellow, then a quarter of cyan over it
               {"Modulated", 0x00FF00}};  // yellow times cyan
  for (const auto& c : cases) {
    DrawTechnique(device, effect.get(), c.technique, [&] {
      DrawList(device, D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_TEX1, square);
    });
    const GlImage image = device.Capture();
    EXPECT_TRUE(Near(image.Pixel(20, 5), c.expected, 2))
        << c.technique << std::hex << " " << image.Pixel(20, 5);
    EXPECT_EQ(Rgb(image.Pixel(14, 5)) | Rgb(image.Pixel(25, 5)), 0u) << c.technique;
  }
}

TEST(GlEffectResources, RepeatedLoadsShareTheirWorkAndReleasedEffectsLeaveNoGlObject) {
  GlTestDevice device(8, 8);
  ASSERT_TRUE(device.ok());
  device.gl()->MakeCurrent();
  const GlLiveNames before = gl_live_names();
  {
    Held<ID3DXEffect> first = LoadEffect(device, "dx9_style.fx");
    ASSERT_TRUE(first);
    const long programs = gl_live_names().Of(GlNameKind::Program);
    EXPECT_EQ(programs - before.Of(GlNameKind::Program), 3);  // three shader pairs
    const size_t compilations = fx::shared_effect_cache().compilations();
    Held<ID3DXEffect> second = LoadEffect(device, "dx9_style.fx");
    ASSERT_TRUE(second);
    EXPECT_EQ(fx::shared_effect_cache().compilations(), compilations);
    EXPECT_EQ(gl_live_names().Of(GlNameKind::Program), programs);
    Held<ID3DXEffect> other = LoadEffect(device, "transform.fx");
    EXPECT_EQ(gl_live_names().Of(GlNameKind::Program), programs + 2);

    // A pass binds a texture on the device; End must let go of it.
    Held<IDirect3DTexture9> texture = MakeTexture(device, 1, 1, {0xFFFFFFFF});
    ASSERT_EQ(first->SetTexture("BaseMap", texture.get()), D3D_OK);
    DrawTechnique(device, first.get(), "Modulated", [] {});
  }
  device.gl()->MakeCurrent();
  const GlLiveNames after = gl_live_names();
  for (GlNameKind kind :
       {GlNameKind::Program, GlNameKind::Shader, GlNameKind::Buffer, GlNameKind::Texture}) {
    EXPECT_EQ(after.Of(kind), before.Of(kind)) << "kind " << int(kind);
  }
}
