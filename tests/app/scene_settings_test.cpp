#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/run.h"
#include "app/viewer_scene.h"
#include "app/window.h"
#include "model/model_loader.h"
#include "tests/app/viewer_folder.h"
#include "tests/render/recorded_device_fixture.h"

namespace {

// The scene with the settings of a file opened from the command line, next
// to the start folder's defaults, over a recorded device.
class SceneSettingsTest : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    g_leftDown = 0;
    folder.writeWall();
    folder.writeFont();
  }
  void TearDown() override {
    Font::Unload();
    RecordedDeviceTest::TearDown();
  }

  static SceneSettings FileSettings() {
    SceneSettings settings;
    settings.startAnimation = 0;
    settings.drawSkinnedAlways = true;
    settings.textOverShadowMap = true;
    settings.logDrawFailureOnce = true;
    return settings;
  }

  // The calls one frame makes.
  std::vector<CallRecord> frameCalls(ViewerScene& scene) {
    const size_t mark = log().Size();
    EXPECT_TRUE(scene.Frame());
    return std::vector<CallRecord>(log().All().begin() + long(mark), log().All().end());
  }
  static size_t count(const std::vector<CallRecord>& calls, const std::string& op) {
    size_t n = 0;
    for (const CallRecord& call : calls) n += call.op == op;
    return n;
  }

  ViewerFolder folder;
  CWindow window;  // every key up
};

constexpr D3DPRIMITIVETYPE kGlyph = D3DPT_TRIANGLEFAN;
constexpr D3DPRIMITIVETYPE kRectangle = D3DPT_TRIANGLESTRIP;

TEST_F(SceneSettingsTest, SkinnedModelsAreDrawnWithoutTheShadowMapOnlyWhenAsked) {
  folder.writeFigure();
  struct Case {
    const char* name;
    SceneSettings settings;
    size_t meshDraws;  // per frame, both passes
  };
  const std::vector<Case> cases = {
      {"start folder: the figure hidden while O is off", SceneSettings{}, 2},
      {"file: the figure drawn from the first frame", FileSettings(), 4},
  };
  for (const Case& c : cases) {
    CRun run;
    ViewerScene scene(run.Services(), c.settings);
    scene.SetUp();
    ASSERT_EQ(scene.Model().ready, 1) << c.name;
    const std::vector<CallRecord> calls = frameCalls(scene);
    EXPECT_EQ(count(calls, "DrawIndexedPrimitive"), c.meshDraws) << c.name;
  }
}

TEST_F(SceneSettingsTest, TheTextIsDrawnOverTheShadowMapRectangleWhenAsked) {
  struct Case {
    const char* name;
    SceneSettings settings;
    bool textAfterRectangle;
  };
  SceneSettings startFolder;
  startFolder.drawShadowMap = 1;
  SceneSettings file = FileSettings();
  file.drawShadowMap = 1;
  for (const Case& c : {Case{"start folder", startFolder, false}, Case{"file", file, true}}) {
    CRun run;
    ViewerScene scene(run.Services(), c.settings);
    scene.SetUp();
    const std::vector<CallRecord> calls = frameCalls(scene);
    size_t rectangle = calls.size();
    size_t firstGlyph = calls.size();
    for (size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].op != "DrawPrimitiveUP") continue;
      if (calls[i].u(0) == kRectangle) rectangle = i;
      if (calls[i].u(0) == kGlyph && firstGlyph == calls.size()) firstGlyph = i;
    }
    ASSERT_LT(rectangle, calls.size()) << c.name << ": the shadow map is shown";
    ASSERT_LT(firstGlyph, calls.size()) << c.name;
    EXPECT_EQ(firstGlyph > rectangle, c.textAfterRectangle) << c.name;
  }
}

TEST_F(SceneSettingsTest, AFailingDrawIsLoggedEveryFrameOrOnceAsAsked) {
  // No model: its draw fails in every shadow pass.
  for (const bool once : {false, true}) {
    SceneSettings settings;
    settings.logDrawFailureOnce = once;
    const size_t before = folder.countLines("animation not.... is! (RT)");
    CRun run;
    ViewerScene scene(run.Services(), settings);
    scene.SetUp();
    for (int frame = 0; frame < 3; ++frame) ASSERT_TRUE(scene.Frame());
    EXPECT_EQ(folder.countLines("animation not.... is! (RT)") - before, once ? 1u : 3u);
  }
}

TEST_F(SceneSettingsTest, HudLinesFollowTheHelpAndEmptyOnesTakeNoRow) {
  CRun run;
  ViewerScene scene(run.Services(), FileSettings());
  scene.hudLines.push_back([] { return std::string("AB"); });
  scene.hudLines.push_back([] { return std::string(); });
  scene.hudLines.push_back([] { return std::string("CDE"); });
  scene.SetUp();
  std::vector<float> rows;
  for (const CallRecord& call : frameCalls(scene)) {
    if (call.op == "DrawPrimitiveUP" && call.u(0) == kGlyph) {
      rows.push_back(call.AsArray<float>()[1]);
    }
  }
  // Help lines on rows 0..4, the two HUD lines on rows 5 and 6, then the
  // frame rate at the bottom.
  std::vector<float> hudRows;
  for (float y : rows) {
    if (y >= 5 * 16.0f - 1.0f && y < 584.0f - 1.0f) hudRows.push_back(y);
  }
  ASSERT_EQ(hudRows.size(), 5u);
  EXPECT_NEAR(hudRows[0], 5 * 16.0f, 1.0f);
  EXPECT_NEAR(hudRows[4], 6 * 16.0f, 1.0f);
}

TEST_F(SceneSettingsTest, ReplacingTheModelKeepsTheCurrentOneWhenTheLoadFails) {
  folder.writeFigure();
  CRun run;
  ViewerScene scene(run.Services(), FileSettings());
  scene.SetUp();
  scene.controls.animationIndex = 2;
  const RenderModel* figure = &scene.Model();
  ASSERT_EQ(figure->GetAnimations()->count, 3);

  const ModelLoad failing = [](RenderModel&, RenderModel&) { return 0u; };
  EXPECT_EQ(scene.ReplaceModel(failing), 0u);
  EXPECT_EQ(&scene.Model(), figure);
  EXPECT_EQ(scene.controls.animationIndex, 2);
  EXPECT_TRUE(scene.Frame());

  // The wall has no clips: the clip index falls back to the first.
  const ModelLoad wallLoad = [](RenderModel& model, RenderModel& shadow) {
    LoadTargets targets;
    targets.keepInRam = 1;
    targets.model = &model;
    targets.shadowModel = &shadow;
    return ModelLoader().load("wall.x_out", targets);
  };
  EXPECT_EQ(scene.ReplaceModel(wallLoad), 1u);
  EXPECT_EQ(scene.Model().ready, 1);
  EXPECT_TRUE(scene.Model().GetAnimations() == nullptr ||
              scene.Model().GetAnimations()->count == 0);
  EXPECT_EQ(scene.controls.animationIndex, 0);
  EXPECT_TRUE(scene.Frame());
}

}  // namespace
