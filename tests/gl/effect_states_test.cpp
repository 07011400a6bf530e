// A pass's render states change what is drawn and End puts the device's own
// back; states the device cannot follow are logged once and skipped.
#include "base/log.h"
#include "tests/gl/effect_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

// The left triangle runs clockwise on screen (Direct3D's front), the right
// one counter-clockwise.
const std::vector<Position> kBothWindings = {{-1, 1, 0.5f}, {0, 1, 0.5f},  {-1, -1, 0.5f},
                                             {0, 1, 0.5f},  {0, -1, 0.5f}, {1, 1, 0.5f}};

std::vector<Position> FullQuad(float z) {
  return Quad<Position>(-1, 1, 1, -1, [z](float x, float y) { return Position{x, y, z}; });
}

void SetColor(ID3DXEffect* effect, float red) {
  const float color[4] = {red, 1.0f - red, 0.0f, 1.0f};
  ASSERT_EQ(effect->SetValue("Color", color, sizeof color), D3D_OK);
}

}  // namespace

TEST(GlEffectStates, CullModeAndZEnableOfThePassDecideWhatIsDrawn) {
  GlTestDevice device(20, 20);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect = LoadEffect(device, "states.fx");
  ASSERT_TRUE(effect);
  const struct {
    const char* technique;
    DWORD counterClockwise;
  } culling[] = {{"Culled", 0u}, {"Unculled", 0xFF0000u}};
  for (const auto& c : culling) {
    SetColor(effect.get(), 1.0f);
    DrawTechnique(device, effect.get(), c.technique,
                  [&] { DrawList(device, D3DFVF_XYZ, kBothWindings); });
    const GlImage image = device.Capture();
    EXPECT_EQ(Rgb(image.Pixel(2, 5)), 0xFF0000u) << c.technique;
    EXPECT_EQ(Rgb(image.Pixel(15, 5)), c.counterClockwise) << c.technique;
  }
  // Red near, then green far.
  const struct {
    const char* technique;
    DWORD seen;
  } depth[] = {{"DepthIgnored", 0x00FF00u}, {"DepthTested", 0xFF0000u}};
  device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
  for (const auto& c : depth) {
    DrawTechnique(device, effect.get(), c.technique, [&] {
      SetColor(effect.get(), 1.0f);
      DrawList(device, D3DFVF_XYZ, FullQuad(0.2f));
      SetColor(effect.get(), 0.0f);
      DrawList(device, D3DFVF_XYZ, FullQuad(0.8f));
    });
    EXPECT_EQ(Rgb(device.Capture().Pixel(10, 10)), c.seen) << c.technique;
  }
  // End put the device's own depth state back after DepthTested.
  DWORD z = 0;
  device->GetRenderState(D3DRS_ZENABLE, &z);
  EXPECT_EQ(z, DWORD(D3DZB_FALSE));
}

TEST(GlEffectStates, ASecondBeginPutsBackWhatTheFirstSaved) {
  GlTestDevice device(8, 8);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect = LoadEffect(device, "states.fx");
  ASSERT_TRUE(effect && effect->SetTechnique("Unculled") == D3D_OK);
  ASSERT_EQ(device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW), D3D_OK);
  UINT passes = 0;
  DWORD cull = 0;
  for (int begin = 0; begin < 2; ++begin) {  // the second without End
    ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
    ASSERT_EQ(effect->Pass(0), D3D_OK);
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, DWORD(D3DCULL_NONE)) << "the pass's own state, begin " << begin;
  }
  ASSERT_EQ(effect->End(), D3D_OK);
  device->GetRenderState(D3DRS_CULLMODE, &cull);
  EXPECT_EQ(cull, DWORD(D3DCULL_CW)) << "the device's own state, not the first pass's";
}

TEST(GlEffectStates, StatesTheDeviceCannotFollowAreLoggedOncePerEffect) {
  TempDir dir;
  log_init_file(dir.file("loaderlog.txt").c_str());
  log_enable(true);
  {
    GlTestDevice device(20, 20);
    ASSERT_TRUE(device.ok());
    // The second effect shares the first one's programs and says nothing.
    Held<ID3DXEffect> effect = LoadEffect(device, "states.fx"),
                      again = LoadEffect(device, "states.fx");
    ASSERT_TRUE(effect && again);
  }
  log_reset_for_tests();
  const std::string log = read_whole_file(dir.file("loaderlog.txt"));
  const auto count = [&log](const std::string& text) {
    size_t n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("<info> effect state ignored: Wibble = 3 ("), 1u) << log;
  EXPECT_EQ(count("states.fx(17))"), 1u) << log;
  // In two techniques, logged once.
  EXPECT_EQ(count("<info> effect state ignored: AlphaTestEnable ("), 1u) << log;
  EXPECT_EQ(count("ignored: CullMode"), 0u) << log;
}
