// Creating effects (and failing to), listing their techniques, Begin / Pass
// / End, and leaving no GL object behind.
#include <cstring>
#include <string>

#include "platform/fx/effect_cache.h"
#include "platform/gl/gl_names.h"
#include "tests/gl/effect_test_support.h"

namespace {

constexpr UINT kWidth = 40;
constexpr UINT kHeight = 30;

struct Position {
  float x, y, z;
};

std::vector<std::string> ValidTechniques(ID3DXEffect* effect) {
  std::vector<std::string> names;
  D3DXHANDLE technique = nullptr;
  HRESULT result = effect->FindNextValidTechnique(nullptr, &technique);
  while (result == D3D_OK && names.size() < 10) {
    names.emplace_back(technique);
    result = effect->FindNextValidTechnique(technique, &technique);
  }
  EXPECT_EQ(result, S_FALSE);
  EXPECT_EQ(technique, nullptr);
  return names;
}

}  // namespace

TEST(GlEffectCreation, CompileErrorsComeBackWithFileAndLineAndAMissingFileWithNone) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  Held<ID3DXBuffer> errors;
  HRESULT result = CreateEffect(device, EffectData("syntax_error.fx"), effect, &errors);
  EXPECT_TRUE(FAILED(result));
  EXPECT_FALSE(effect);
  ASSERT_TRUE(errors);
  const char* text = static_cast<const char*>(errors->GetBufferPointer());
  EXPECT_NE(std::strstr(text, "syntax_error.fx(7)"), nullptr) << text;
  EXPECT_EQ(errors->GetBufferSize(), std::strlen(text) + 1);

  // A failure is not cached: the next attempt reports it again.
  result = CreateEffect(device, EffectData("syntax_error.fx"), effect, &errors);
  EXPECT_TRUE(FAILED(result));
  ASSERT_TRUE(errors);

  result = CreateEffect(device, EffectData("no_such_effect.fx"), effect, &errors);
  EXPECT_TRUE(FAILED(result));
  EXPECT_FALSE(effect);
  EXPECT_FALSE(errors);

  // What this system never passes is refused rather than ignored.
  const D3DXMACRO macros[] = {{"LIGHTS", "2"}, {nullptr, nullptr}};
  EXPECT_EQ(gl_graphics_backend().CreateEffectFromFile(device.get(), EffectData("transform.fx").c_str(), macros,
                                                       nullptr, 0, nullptr, effect.out(), errors.out()),
            D3DERR_INVALIDCALL);
  EXPECT_FALSE(effect);
}

TEST(GlEffectCreation, EffectWhoseTechniquesCannotLinkLoadsWithNoValidTechnique) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  Held<ID3DXBuffer> errors;
  ASSERT_EQ(CreateEffect(device, EffectData("unlinkable.fx"), effect, &errors), D3D_OK);
  EXPECT_FALSE(errors);
  EXPECT_TRUE(ValidTechniques(effect.get()).empty());
  EXPECT_EQ(effect->SetTechnique("TooBig"), D3DERR_INVALIDCALL);
  UINT passes = 7;
  EXPECT_EQ(effect->Begin(&passes, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->Pass(0), D3DERR_INVALIDCALL);
  D3DXHANDLE next = nullptr;
  EXPECT_EQ(effect->FindNextValidTechnique("NoSuchTechnique", &next), D3DERR_INVALIDCALL);
}

TEST(GlEffectTechniques, ListedInFileOrderAndSelectedByTheHandleOrItsName) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("states.fx"), effect), D3D_OK);
  EXPECT_EQ(ValidTechniques(effect.get()),
            (std::vector<std::string>{"Culled", "Unculled", "DepthTested", "DepthIgnored"}));

  D3DXHANDLE first = nullptr;
  ASSERT_EQ(effect->FindNextValidTechnique(nullptr, &first), D3D_OK);
  EXPECT_EQ(effect->SetTechnique(first), D3D_OK);
  const std::string copy = "DepthIgnored";
  EXPECT_EQ(effect->SetTechnique(copy.c_str()), D3D_OK);
  EXPECT_EQ(effect->SetTechnique("Nothing"), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->SetTechnique(nullptr), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->FindNextValidTechnique(nullptr, nullptr), D3DERR_INVALIDCALL);
}

TEST(GlEffectPasses, BeginPassEndOrderAndFixedFunctionDrawingAfterwards) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("dx9_style.fx"), effect), D3D_OK);
  EXPECT_EQ(effect->Pass(0), D3DERR_INVALIDCALL);  // nothing begun
  EXPECT_EQ(effect->End(), D3DERR_INVALIDCALL);

  UINT passes = 0;
  ASSERT_EQ(effect->SetTechnique("Layered"), D3D_OK);
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  EXPECT_EQ(passes, 2u);
  EXPECT_EQ(effect->Pass(2), D3DERR_INVALIDCALL);
  EXPECT_EQ(effect->Pass(1), D3D_OK);
  EXPECT_NE(device.gl()->EffectProgram(), nullptr);
  // A technique chosen while begun waits for the next Begin.
  ASSERT_EQ(effect->SetTechnique("Modulated"), D3D_OK);
  EXPECT_EQ(effect->Pass(1), D3D_OK);
  ASSERT_EQ(effect->End(), D3D_OK);
  EXPECT_EQ(device.gl()->EffectProgram(), nullptr);
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  EXPECT_EQ(passes, 1u);
  ASSERT_EQ(effect->Pass(0), D3D_OK);
  // Begin again without End ends the first.
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  EXPECT_EQ(device.gl()->EffectProgram(), nullptr);
  ASSERT_EQ(effect->End(), D3D_OK);

  // The fixed-function pipeline draws again: a white XYZ|DIFFUSE triangle.
  struct Colored {
    float x, y, z;
    D3DCOLOR color;
  };
  const std::vector<Colored> triangle = {
      {-1, 1, 0.5f, 0xFFFFFFFF}, {1, 1, 0.5f, 0xFFFFFFFF}, {-1, -1, 0.5f, 0xFFFFFFFF}};
  device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  device->SetRenderState(D3DRS_LIGHTING, 0);
  device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  device->SetTexture(0, nullptr);
  device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_DIFFUSE);
  EXPECT_EQ(DrawList(device, D3DFVF_XYZ | D3DFVF_DIFFUSE, triangle), D3D_OK);
  EXPECT_EQ(Rgb(device.Capture().Pixel(3, 3)), 0xFFFFFFu);

  // Released while a pass is applied, the effect leaves the device no
  // program to draw with.
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  ASSERT_EQ(effect->Pass(0), D3D_OK);
  effect.reset();
  EXPECT_EQ(device.gl()->EffectProgram(), nullptr);
}

TEST(GlEffectDx9Style, TwoTechniquesThreePassesTwoSamplersAndABonePaletteDraw) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  Held<ID3DXBuffer> errors;
  ASSERT_EQ(CreateEffect(device, EffectData("dx9_style.fx"), effect, &errors), D3D_OK)
      << (errors ? static_cast<const char*>(errors->GetBufferPointer()) : "");
  EXPECT_EQ(ValidTechniques(effect.get()), (std::vector<std::string>{"Layered", "Modulated"}));

  Held<IDirect3DTexture9> base = MakeTexture(device, 1, 1, {0xFFFFFF00});    // yellow
  Held<IDirect3DTexture9> detail = MakeTexture(device, 1, 1, {0xFF00FFFF});  // cyan
  ASSERT_EQ(effect->SetTexture("BaseMap", base.get()), D3D_OK);
  ASSERT_EQ(effect->SetTexture("DetailMap", detail.get()), D3D_OK);
  const Matrix4 bones[2] = {Translation(10, 0, 0), Translation(20, 0, 0)};
  const Matrix4 viewProj = PixelSpace(kWidth, kHeight);
  const float opacity = 0.25f;
  ASSERT_EQ(effect->SetMatrixArray("Bones", bones, 2), D3D_OK);
  ASSERT_EQ(effect->SetMatrix("ViewProj", &viewProj), D3D_OK);
  ASSERT_EQ(effect->SetValue("Opacity", &opacity, sizeof opacity), D3D_OK);

  // Half on each bone: the square from x 0..10 lands on 15..25.
  struct SkinVertex {
    float x, y, z;
    float weight;
    uint8_t indices[4];
    float u, v;
  };
  const auto square = Rectangle<SkinVertex>(0, 0, 10, 10, [](float x, float y) {
    return SkinVertex{x, y, 0.5f, 0.5f, {0, 1, 0, 0}, x / 10, y / 10};
  });
  const DWORD fvf = D3DFVF_XYZB2 | D3DFVF_LASTBETA_UBYTE4 | D3DFVF_TEX1;

  const struct {
    const char* technique;
    D3DCOLOR expected;
  } cases[] = {
      // Yellow, then cyan over it at a quarter: (255, 255, 0) x 0.75 + (0, 255, 255) x 0.25.
      {"Layered", 0xBFFF40},
      // Yellow times cyan.
      {"Modulated", 0x00FF00},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.technique);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(effect->SetTechnique(c.technique), D3D_OK);
    UINT passes = 0;
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    for (UINT pass = 0; pass < passes; ++pass) {
      ASSERT_EQ(effect->Pass(pass), D3D_OK);
      EXPECT_EQ(DrawList(device, fvf, square), D3D_OK);
    }
    ASSERT_EQ(effect->End(), D3D_OK);
    const GlImage image = device.Capture();
    ExpectColorNear(image.Pixel(20, 5), c.expected, 2, "inside the moved square");
    EXPECT_EQ(Rgb(image.Pixel(5, 5)), 0u);
    EXPECT_EQ(Rgb(image.Pixel(28, 5)), 0u);
  }
}

TEST(GlEffectResources, ReleasedEffectsLeaveNoGlObjectAndRepeatedLoadsShareTheirWork) {
  GlTestDevice device(kWidth, kHeight);
  ASSERT_TRUE(device.ok());
  device.gl()->MakeCurrent();
  const GlLiveNames before = gl_live_names();
  {
    Held<ID3DXEffect> first;
    ASSERT_EQ(CreateEffect(device, EffectData("dx9_style.fx"), first), D3D_OK);
    const long programs = gl_live_names().Of(GlNameKind::Program);
    // Three passes, three distinct shader pairs.
    EXPECT_EQ(programs - before.Of(GlNameKind::Program), 3);
    const size_t compilations = fx::shared_effect_cache().compilations();
    Held<ID3DXEffect> second;
    ASSERT_EQ(CreateEffect(device, EffectData("dx9_style.fx"), second), D3D_OK);
    EXPECT_EQ(fx::shared_effect_cache().compilations(), compilations);
    EXPECT_EQ(gl_live_names().Of(GlNameKind::Program), programs);
    Held<ID3DXEffect> other;
    ASSERT_EQ(CreateEffect(device, EffectData("transform.fx"), other), D3D_OK);
    Held<ID3DXEffect> unlinkable;
    ASSERT_EQ(CreateEffect(device, EffectData("unlinkable.fx"), unlinkable), D3D_OK);
    // Each effect keeps its own parameter values.
    const float quarter = 0.25f, half = 0.5f;
    ASSERT_EQ(first->SetValue("Opacity", &quarter, 4), D3D_OK);
    ASSERT_EQ(second->SetValue("Opacity", &half, 4), D3D_OK);
    float stored = 0;
    std::memcpy(&stored, static_cast<GlEffect*>(first.get())->Parameters().Block().data() + 192, 4);
    EXPECT_EQ(stored, quarter);

    // Drawing binds textures on the device; release must still clean up.
    Held<IDirect3DTexture9> texture = MakeTexture(device, 1, 1, {0xFFFFFFFF});
    ASSERT_EQ(first->SetTexture("BaseMap", texture.get()), D3D_OK);
    UINT passes = 0;
    ASSERT_EQ(first->Begin(&passes, 0), D3D_OK);
    ASSERT_EQ(first->Pass(0), D3D_OK);
    ASSERT_EQ(first->End(), D3D_OK);
  }
  device.gl()->MakeCurrent();
  const GlLiveNames after = gl_live_names();
  for (GlNameKind kind : {GlNameKind::Program, GlNameKind::Shader, GlNameKind::Buffer, GlNameKind::Texture}) {
    EXPECT_EQ(after.Of(kind), before.Of(kind)) << "kind " << int(kind);
  }
}
