// A pass's render states change what is drawn; End gives the device its own
// states back; states the device cannot follow are logged once and skipped.
#include <string>

#include "base/log.h"
#include "tests/gl/effect_test_support.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr UINT kSize = 20;

struct Position {
  float x, y, z;
};

// In clip space: the left triangle runs clockwise on screen (front-facing
// to Direct3D), the right one counter-clockwise.
const std::vector<Position> kClockwiseLeft = {{-1, 1, 0.5f}, {0, 1, 0.5f}, {-1, -1, 0.5f}};
const std::vector<Position> kCounterClockwiseRight = {{0, 1, 0.5f}, {0, -1, 0.5f}, {1, 1, 0.5f}};

void DrawPass(const GlTestDevice& device, ID3DXEffect* effect, const char* technique,
              const std::vector<std::pair<float, std::vector<Position>>>& drawsByColor) {
  ASSERT_EQ(effect->SetTechnique(technique), D3D_OK);
  UINT passes = 0;
  ASSERT_EQ(effect->Begin(&passes, 0), D3D_OK);
  ASSERT_EQ(effect->Pass(0), D3D_OK);
  for (const auto& [red, vertices] : drawsByColor) {
    const float color[4] = {red, 1.0f - red, 0.0f, 1.0f};
    ASSERT_EQ(effect->SetValue("Color", color, sizeof color), D3D_OK);
    EXPECT_EQ(DrawList(device, D3DFVF_XYZ, vertices), D3D_OK);
  }
  ASSERT_EQ(effect->End(), D3D_OK);
}

std::vector<Position> FullQuad(float z) {
  return Rectangle<Position>(-1, 1, 1, -1, [z](float x, float y) { return Position{x, y, z}; });
}

}  // namespace

TEST(GlEffectStates, CullModeDecidesWhichWindingIsDrawn) {
  GlTestDevice device(kSize, kSize);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("states.fx"), effect), D3D_OK);
  std::vector<Position> both = kClockwiseLeft;
  both.insert(both.end(), kCounterClockwiseRight.begin(), kCounterClockwiseRight.end());

  for (const char* technique : {"Culled", "Unculled"}) {
    SCOPED_TRACE(technique);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_CW);
    DrawPass(device, effect.get(), technique, {{1.0f, both}});
    const GlImage image = device.Capture();
    EXPECT_EQ(Rgb(image.Pixel(2, 5)), 0xFF0000u) << "clockwise: drawn by both";
    const bool culled = std::string(technique) == "Culled";
    EXPECT_EQ(Rgb(image.Pixel(15, 5)), culled ? 0u : 0xFF0000u) << "counter-clockwise";
    // End put the device's own cull mode back.
    DWORD cull = 0;
    device->GetRenderState(D3DRS_CULLMODE, &cull);
    EXPECT_EQ(cull, DWORD(D3DCULL_CW));
  }
}

TEST(GlEffectStates, ZEnableDecidesWhetherAFartherDrawHidesBehindANearerOne) {
  GlTestDevice device(kSize, kSize);
  ASSERT_TRUE(device.ok());
  Held<ID3DXEffect> effect;
  ASSERT_EQ(CreateEffect(device, EffectData("states.fx"), effect), D3D_OK);
  // Red near, then green far; both over the whole target.
  for (const char* technique : {"DepthTested", "DepthIgnored"}) {
    SCOPED_TRACE(technique);
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_ZENABLE, D3DZB_FALSE);
    DrawPass(device, effect.get(), technique, {{1.0f, FullQuad(0.2f)}, {0.0f, FullQuad(0.8f)}});
    const bool tested = std::string(technique) == "DepthTested";
    EXPECT_EQ(Rgb(device.Capture().Pixel(10, 10)), tested ? 0xFF0000u : 0x00FF00u);
    DWORD z = 0;
    device->GetRenderState(D3DRS_ZENABLE, &z);
    EXPECT_EQ(z, DWORD(D3DZB_FALSE));
  }
}

TEST(GlEffectStates, StatesTheDeviceCannotFollowAreLoggedOnceAtLoad) {
  TempDir dir;
  const std::string logPath = dir.file("loaderlog.txt");
  log_init_file(logPath.c_str());
  log_enable(true);
  {
    GlTestDevice device(kSize, kSize);
    ASSERT_TRUE(device.ok());
    Held<ID3DXEffect> effect;
    ASSERT_EQ(CreateEffect(device, EffectData("states.fx"), effect), D3D_OK);
    // A second effect from the file shares the first one's programs: no
    // second report.
    Held<ID3DXEffect> again;
    ASSERT_EQ(CreateEffect(device, EffectData("states.fx"), again), D3D_OK);
    // The pass still draws with what it can follow.
    device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    DrawPass(device, effect.get(), "Culled", {{1.0f, kClockwiseLeft}});
    EXPECT_EQ(Rgb(device.Capture().Pixel(2, 5)), 0xFF0000u);
  }
  log_reset_for_tests();
  const std::string log = read_whole_file(logPath);
  const auto count = [&log](const std::string& text) {
    size_t n = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count("<info> effect state ignored: Wibble = 3 ("), 1u) << log;
  EXPECT_EQ(count("<info> effect state ignored: AlphaTestEnable ("), 1u) << log;
  EXPECT_EQ(count("effect state ignored: CullMode"), 0u) << log;
  EXPECT_NE(log.find("states.fx(17)"), std::string::npos) << log;
}
