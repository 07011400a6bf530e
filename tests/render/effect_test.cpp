#include "render/effect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/record/record_effect.h"
#include "platform/win/win_test_hooks.h"
#include "render/texture.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/log_capture.h"

namespace {

struct ShownBox {
  HWND owner;
  std::string text;
  std::string caption;
  UINT type;
};

class EffectTest : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    win_hook_message_box([this](HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
      boxes.push_back({owner, text, caption, type});
      return IDOK;
    });
  }
  void TearDown() override {
    win_hook_message_box({});
    RecordedDeviceTest::TearDown();
  }

  // An effect file that exists, "compiled" as setup says.
  std::string effectFile(const std::string& name, const EffectSetup& setup) {
    const std::string path = files.file(name);
    write_whole_file(path, "technique t { pass p {} }\n");
    rec().SetEffect(path, setup);
    return path;
  }

  TempDir files;
  LogCapture logLines;
  std::vector<ShownBox> boxes;
};

// Every setter of an effect that did not load refuses without reaching D3DX.
void expectSettersRefuse(Ceffect& effect, const CallLog& calls) {
  const size_t before = calls.Size();
  Matrix4 matrix;
  const float value = 1.0f;
  EXPECT_FALSE(effect.SetMatrix("World", &matrix));
  EXPECT_FALSE(effect.SetMatrixArray("matrixBone", &matrix, 1));
  EXPECT_FALSE(effect.SetValue("SMAP_SIZE", &value, 1));
  EXPECT_FALSE(effect.SetTexture("g_txScene", nullptr));
  EXPECT_EQ(effect.LastResult(), 0);
  EXPECT_EQ(calls.Size(), before);
}

TEST_F(EffectTest, MissingFileIsABadFilenameWithoutAMessageBox) {
  Ceffect effect;
  EXPECT_STREQ(effect.ErrorText(), "");
  const std::string path = files.file("absent.fx");
  EXPECT_EQ(effect.LoadFromFile(path.c_str()), 0u);
  EXPECT_EQ(logLines.lines(), (std::vector<std::string>{
                                  "<error at loading> Ceffect::LoadFromFile: " + path,
                                  "Cefect: file not excist...?"}));
  EXPECT_TRUE(boxes.empty());
  EXPECT_STREQ(effect.ErrorText(), "bad filename");
  EXPECT_EQ(effect.GetEffect(), nullptr);

  // The creation got the device, no macros, includes, flags or pool.
  const CallRecord* create = log().Last("D3DXCreateEffectFromFileA");
  ASSERT_NE(create, nullptr);
  EXPECT_EQ(create->p(0), g_device);
  EXPECT_EQ(create->s(1), path);
  EXPECT_EQ(create->p(2), nullptr);
  EXPECT_EQ(create->p(3), nullptr);
  EXPECT_EQ(create->u(4), 0u);
  EXPECT_EQ(create->p(5), nullptr);
  expectSettersRefuse(effect, log());
}

TEST_F(EffectTest, CompilerMessagesAreLoggedAndShownInABox) {
  EffectSetup broken;
  broken.compileErrors = "skin.fx(12,5): error X3004: undeclared identifier 'bone'";
  const std::string path = effectFile("skin.fx", broken);
  Ceffect effect;
  EXPECT_EQ(effect.LoadFromFile(path.c_str()), 0u);
  EXPECT_EQ(logLines.lines(), (std::vector<std::string>{
                                  "<error at loading> Ceffect::LoadFromFile: " + path,
                                  "compiler message:", broken.compileErrors}));
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].owner, nullptr);
  EXPECT_EQ(boxes[0].text, broken.compileErrors);
  EXPECT_EQ(boxes[0].caption, "compiler hiba!");
  EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK));
  EXPECT_STREQ(effect.ErrorText(), "not loaded");
  EXPECT_EQ(rec().Live(RecordKind::Buffer), 0);  // the message buffer is released
  expectSettersRefuse(effect, log());
}

TEST_F(EffectTest, TechniqueCountLimits) {
  EffectSetup none;
  none.invalidTechniques = 1;
  none.validTechniques = 0;
  const std::string nonePath = effectFile("none.fx", none);
  Ceffect noTechnique;
  EXPECT_EQ(noTechnique.LoadFromFile(nonePath.c_str()), 0u);
  EXPECT_EQ(logLines.lines(), (std::vector<std::string>{
                                  "<error> Ceffect::LoadFromFile: no technique found",
                                  "in file>" + nonePath}));
  EXPECT_STREQ(noTechnique.ErrorText(), "no tech found");
  EXPECT_EQ(noTechnique.SetTech(0, 0), 0u);
  expectSettersRefuse(noTechnique, log());

  EffectSetup most;
  most.validTechniques = 127;
  Ceffect fits;
  EXPECT_EQ(fits.LoadFromFile(effectFile("most.fx", most).c_str()), 127u);
  EXPECT_EQ(fits.TechniqueCount(), 127);

  EffectSetup tooMany;
  tooMany.validTechniques = 128;
  const std::string tooManyPath = effectFile("many.fx", tooMany);
  Ceffect overflow;
  const size_t linesBefore = logLines.lines().size();
  EXPECT_EQ(overflow.LoadFromFile(tooManyPath.c_str()), 0u);
  const std::vector<std::string> lines = logLines.lines();
  EXPECT_EQ(std::vector<std::string>(lines.begin() + linesBefore, lines.end()),
            (std::vector<std::string>{"<error> Ceffect::findtechs(): too many techniques! max>  128",
                                      "<error> Ceffect::LoadFromFile: no technique found",
                                      "in file>" + tooManyPath}));
  EXPECT_EQ(overflow.TechniqueCount(), 0);
  EXPECT_EQ(log().Count("Effect::FindNextValidTechnique"), 1u + 128u + 128u);
}

TEST_F(EffectTest, TechniquesPassesAndTheirEnd) {
  EffectSetup setup;
  setup.invalidTechniques = 1;  // technique index 0 is the first one that validates
  setup.validTechniques = 1;
  setup.passes = 2;
  Ceffect effect;
  ASSERT_EQ(effect.LoadFromFile(effectFile("two.fx", setup).c_str()), 1u);
  auto* recorded = dynamic_cast<RecordEffect*>(effect.GetEffect());
  ASSERT_NE(recorded, nullptr);

  EXPECT_FALSE(effect.SetPass(0));  // nothing begun
  EXPECT_STREQ(effect.ErrorText(), "wrong pass");
  EXPECT_EQ(effect.SetTech(1, 0), 0u);
  EXPECT_EQ(effect.SetTech(-1, 0), 0u);
  EXPECT_STREQ(effect.ErrorText(), "bad Tech index");
  EXPECT_EQ(log().Count("Effect::SetTechnique"), 0u);
  EXPECT_EQ(log().Count("Effect::Begin"), 0u);

  ASSERT_EQ(effect.SetTech(0, 0), 2u);
  EXPECT_EQ(recorded->CurrentTechnique(), 1);
  EXPECT_EQ(log().Last("Effect::Begin")->u(1), 0u);
  EXPECT_EQ(effect.PassIndex(), 0);
  EXPECT_FALSE(effect.SetPass(2));
  EXPECT_FALSE(effect.SetPass(-1));
  EXPECT_EQ(log().Count("Effect::Pass"), 0u);
  EXPECT_TRUE(effect.SetPass(1));
  EXPECT_EQ(recorded->CurrentPass(), 1);
  EXPECT_EQ(effect.PassIndex(), 2);

  rec().Fail("Effect::Pass").Times(1);
  EXPECT_FALSE(effect.SetPass(0));
  EXPECT_STREQ(effect.ErrorText(), "setpass failed");
  EXPECT_EQ(effect.PassIndex(), 1);  // kept although the pass failed

  effect.EndTech();
  effect.EndTech();
  EXPECT_EQ(log().Count("Effect::End"), 1u);
  EXPECT_FALSE(recorded->IsBegun());
  EXPECT_FALSE(effect.SetPass(0));  // ended: no pass can be selected

  rec().Fail("Effect::SetTechnique").Times(1);
  EXPECT_EQ(effect.SetTech(0, 0), 0u);
  EXPECT_STREQ(effect.ErrorText(), "SetTech failed");
  rec().Fail("Effect::Begin").Times(1);
  EXPECT_EQ(effect.SetTech(0, 0), 0u);
  EXPECT_STREQ(effect.ErrorText(), "Begin failed");
  effect.EndTech();
  EXPECT_EQ(log().Count("Effect::End"), 1u);  // a failed Begin leaves nothing to end
}

TEST_F(EffectTest, SettersPassNamesAndSizesAndKeepTheResult) {
  EffectSetup setup;
  setup.parameters = {{"World", 64}, {"matrixBone", 3 * 64}, {"LightDir", 12}, {"g_txScene", 0}};
  Ceffect effect;
  ASSERT_EQ(effect.LoadFromFile(effectFile("params.fx", setup).c_str()), 1u);
  auto* recorded = dynamic_cast<RecordEffect*>(effect.GetEffect());

  Matrix4 bones[3];
  bones[2].m[5] = 7.0f;
  EXPECT_TRUE(effect.SetMatrixArray("matrixBone", bones, 3));
  EXPECT_EQ(log().Last("Effect::SetMatrixArray")->u(2), 3u);
  EXPECT_EQ(recorded->Value("matrixBone").size(), 3u * 64u);

  const float direction[3] = {1.0f, 0.0f, -2.0f};
  EXPECT_TRUE(effect.SetValue("LightDir", direction, 3));
  const CallRecord* setValue = log().Last("Effect::SetValue");
  EXPECT_EQ(setValue->u(2), 12u);  // floats become bytes
  EXPECT_EQ(setValue->AsArray<float>(), (std::vector<float>{1.0f, 0.0f, -2.0f}));

  // An unknown name fails and keeps the effect's result.
  EXPECT_FALSE(effect.SetMatrix("CamViewProj", &bones[0]));
  EXPECT_EQ(effect.LastResult(), D3DERR_INVALIDCALL);
  EXPECT_TRUE(effect.SetMatrix("World", &bones[2]));
  EXPECT_EQ(effect.LastResult(), 0);

  Texture texture;
  ASSERT_TRUE(texture.CreateRenderTarget(16, 16, D3DFMT_R32F));
  EXPECT_TRUE(effect.SetTexture("g_txScene", &texture));
  EXPECT_EQ(static_cast<IDirect3DTexture9*>(recorded->TextureOf("g_txScene")),
            texture.GetD3DTexture());
  EXPECT_TRUE(effect.SetTexture("g_txScene", nullptr));  // unbinds
  EXPECT_EQ(recorded->TextureOf("g_txScene"), nullptr);
}

}  // namespace
