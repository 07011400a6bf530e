#include "render/effect.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/record/record_effect.h"
#include "platform/win/win_test_hooks.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/support/log_capture.h"

namespace {

class EffectTest : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    win_hook_message_box([this](HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
      boxes.push_back(std::string(caption) + "|" + text + "|" + std::to_string(type) +
                      (owner == nullptr ? "|no owner" : "|owner"));
      return IDOK;
    });
  }
  void TearDown() override {
    win_hook_message_box({});
    RecordedDeviceTest::TearDown();
  }
  // An existing effect file, "compiled" as setup says.
  std::string effectFile(const std::string& name, const EffectSetup& setup) {
    write_whole_file(files.file(name), "technique t { pass p {} }\n");
    rec().SetEffect(files.file(name), setup);
    return files.file(name);
  }
  // The log lines written since the last call.
  std::vector<std::string> newLines() {
    std::vector<std::string> all = logLines.lines();
    std::vector<std::string> fresh(all.begin() + static_cast<long>(seen), all.end());
    seen = all.size();
    return fresh;
  }

  TempDir files;
  LogCapture logLines;
  size_t seen = 0;
  std::vector<std::string> boxes;
};

TEST_F(EffectTest, FailedLoadsAreLoggedAndLeaveNothingToSet) {
  EffectSetup broken;
  broken.compileErrors = "skin.fx(12,5): error X3004: undeclared identifier 'bone'";
  EffectSetup invalidOnly;
  invalidOnly.invalidTechniques = 1;
  invalidOnly.validTechniques = 0;
  const std::string missing = files.file("absent.fx");
  const std::string brokenPath = effectFile("broken.fx", broken);
  const std::string invalidPath = effectFile("invalid.fx", invalidOnly);
  struct Case {
    std::string path;
    std::vector<std::string> lines;
    const char* errortext;
  };
  const std::vector<Case> cases = {
      {missing,
       {"<error at loading> Ceffect::LoadFromFile: " + missing, "Cefect: file not excist...?"},
       "bad filename"},
      {brokenPath,
       {"<error at loading> Ceffect::LoadFromFile: " + brokenPath, "compiler message:",
        broken.compileErrors},
       "not loaded"},
      {invalidPath,
       {"<error> Ceffect::LoadFromFile: no technique found", "in file>" + invalidPath},
       "no tech found"},
  };
  for (const Case& c : cases) {
    Ceffect effect;
    EXPECT_EQ(effect.LoadFromFile(c.path.c_str()), 0u);
    EXPECT_EQ(newLines(), c.lines);
    EXPECT_STREQ(effect.ErrorText(), c.errortext);
    // Setters refuse without reaching the effect and keep the last result.
    const size_t calls = log().Size();
    Matrix4 matrix;
    const float value = 1.0f;
    EXPECT_FALSE(effect.SetMatrix("World", &matrix));
    EXPECT_FALSE(effect.SetMatrixArray("matrixBone", &matrix, 1));
    EXPECT_FALSE(effect.SetValue("SMAP_SIZE", &value, 1));
    EXPECT_FALSE(effect.SetTexture("g_txScene", nullptr));
    EXPECT_EQ(effect.LastResult(), 0);
    EXPECT_EQ(log().Size(), calls);
  }
  // Only the compiler's messages are shown, in one box without an owner.
  EXPECT_EQ(boxes, std::vector<std::string>{"compiler hiba!|" + broken.compileErrors + "|0|no owner"});
  EXPECT_EQ(rec().Live(RecordKind::Buffer), 0);
}

TEST_F(EffectTest, AtMost127ValidTechniques) {
  EffectSetup most;
  most.validTechniques = 127;
  Ceffect fits;
  EXPECT_EQ(fits.LoadFromFile(effectFile("most.fx", most).c_str()), 127u);

  EffectSetup tooMany;
  tooMany.validTechniques = 128;
  const std::string path = effectFile("many.fx", tooMany);
  Ceffect overflow;
  newLines();
  EXPECT_EQ(overflow.LoadFromFile(path.c_str()), 0u);
  EXPECT_EQ(newLines(), (std::vector<std::string>{
                            "<error> Ceffect::findtechs(): too many techniques! max>  128",
                            "<error> Ceffect::LoadFromFile: no technique found", "in file>" + path}));
}

TEST_F(EffectTest, TechniquesPassesAndTheirEnd) {
  EffectSetup setup;
  setup.invalidTechniques = 1;  // index 0 is the first technique that validates
  setup.passes = 2;
  Ceffect effect;
  ASSERT_EQ(effect.LoadFromFile(effectFile("two.fx", setup).c_str()), 1u);
  auto* recorded = dynamic_cast<RecordEffect*>(effect.GetEffect());
  ASSERT_NE(recorded, nullptr);

  EXPECT_EQ(effect.SetTech(1, 0), 0u);
  EXPECT_EQ(log().Count("Effect::Begin"), 0u);
  EXPECT_FALSE(effect.SetPass(0));  // nothing begun

  ASSERT_EQ(effect.SetTech(0, 0), 2u);
  EXPECT_EQ(recorded->CurrentTechnique(), 1);
  EXPECT_FALSE(effect.SetPass(2));
  EXPECT_EQ(log().Count("Effect::Pass"), 0u);
  EXPECT_TRUE(effect.SetPass(1));
  EXPECT_EQ(recorded->CurrentPass(), 1);

  effect.EndTech();
  effect.EndTech();
  EXPECT_EQ(log().Count("Effect::End"), 1u);
  EXPECT_FALSE(effect.SetPass(0));

  // A Begin that failed leaves nothing to end.
  rec().Fail("Effect::Begin").Times(1);
  EXPECT_EQ(effect.SetTech(0, 0), 0u);
  effect.EndTech();
  EXPECT_EQ(log().Count("Effect::End"), 1u);
}

}  // namespace
