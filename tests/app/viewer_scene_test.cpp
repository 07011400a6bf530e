#include "app/viewer_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/run.h"
#include "app/window.h"
#include "tests/app/viewer_folder.h"
#include "tests/render/recorded_device_fixture.h"

namespace {

// CRun and its scene over a recorded device, started in a viewer folder.
class Scene : public RecordedDeviceTest {
 protected:
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    g_leftDown = 0;
  }
  void TearDown() override {
    Font::Unload();
    RecordedDeviceTest::TearDown();
  }

  // Index of the first log line equal to text at or after from; npos if none.
  static size_t find(const std::vector<std::string>& lines, const std::string& text,
                     size_t from = 0) {
    for (size_t i = from; i < lines.size(); ++i) {
      if (lines[i] == text) return i;
    }
    return std::string::npos;
  }
  // The calls of the last frame, from mark on, without reference counting.
  std::vector<const CallRecord*> callsSince(size_t mark) {
    std::vector<const CallRecord*> calls;
    for (size_t i = mark; i < log().Size(); ++i) {
      const CallRecord& call = log().All()[i];
      if (call.op.find("AddRef") == std::string::npos &&
          call.op.find("Release") == std::string::npos) {
        calls.push_back(&call);
      }
    }
    return calls;
  }
  static std::vector<const CallRecord*> named(const std::vector<const CallRecord*>& calls,
                                              const std::string& op) {
    std::vector<const CallRecord*> result;
    for (const CallRecord* call : calls) {
      if (call->op == op) result.push_back(call);
    }
    return result;
  }
  static size_t position(const std::vector<const CallRecord*>& calls, const CallRecord* call) {
    return size_t(std::find(calls.begin(), calls.end(), call) - calls.begin());
  }

  ViewerFolder folder;
  CWindow window;  // every key up
};

}  // namespace

TEST_F(Scene, SetUpLogsAMissingInputFileAndStillLoadsTheWallAndTheShadowMap) {
  folder.writeWall();
  CRun run;
  {
    ViewerScene scene(run.Services());
    scene.SetUp();
    const std::vector<std::string> lines = folder.logLines();
    const size_t noFile = find(lines, "<error> CRun::Run() no file: input.txt?");
    ASSERT_NE(noFile, std::string::npos);
    EXPECT_EQ(lines[noFile + 1], "model not loaded");
    EXPECT_NE(find(lines, "wall.x_out:Mloader output 1", noFile), std::string::npos);
    // The font comes first; the render targets all worked.
    EXPECT_LT(find(lines, "<error> loading character data. Name: font.bmp"), noFile);
    EXPECT_EQ(lines.back(), "wall.x_out:Mloader output 1");

    const CallRecord* shadowMap = log().First("CreateTexture");
    ASSERT_NE(shadowMap, nullptr);
    EXPECT_EQ(shadowMap->u(0), 512u);
    EXPECT_EQ(shadowMap->u(1), 512u);
    EXPECT_EQ(shadowMap->u(4), uint64_t(D3DFMT_R32F));
    EXPECT_EQ(scene.sceneLights.records[0].target, &scene.shadowTarget);
    EXPECT_FLOAT_EQ(scene.sceneLights.records[0].direction.x, 1.0f);
    EXPECT_FLOAT_EQ(scene.lightDirection.x, 0.0f);  // now only the marker line's end
  }
  EXPECT_EQ(rec().Live(RecordKind::Texture), 0) << "the scene frees its textures";
}

TEST_F(Scene, RenderTargetFailuresAreLoggedOnceAndTheFramesGoOn) {
  folder.writeWall();
  rec().Fail("CreateTexture", D3DERR_OUTOFVIDEOMEMORY);
  rec().Fail("GetRenderTarget").Times(1);
  CRun run;
  ViewerScene scene(run.Services());
  scene.SetUp();
  for (const char* line :
       {"<error> no rendertarget tex", "<error> no RTarget", "<error> no STarget"}) {
    EXPECT_EQ(folder.countLines(line), 1u) << line;
  }
  ASSERT_TRUE(scene.Frame());
  ASSERT_TRUE(scene.Frame());
  EXPECT_EQ(folder.countLines("RT!!"), 2u) << "the shadow target cannot be made current";
  EXPECT_EQ(log().Count("Present"), 2u);
}

TEST_F(Scene, EachFrameDrawsTheShadowPassThenTheScreenAndLogsTheMissingModel) {
  folder.writeWall();
  folder.writeFont();
  CRun run;
  ViewerScene scene(run.Services());
  scene.SetUp();
  for (int frame = 0; frame < 3; ++frame) ASSERT_TRUE(scene.Frame());
  EXPECT_EQ(folder.countLines("animation not.... is! (RT)"), 3u) << "one per frame, the model's";

  const size_t mark = log().Size();
  ASSERT_TRUE(scene.Frame());
  const std::vector<const CallRecord*> calls = callsSince(mark);
  const auto targets = named(calls, "SetRenderTarget");
  const auto clears = named(calls, "Clear");
  const auto ends = named(calls, "EndScene");
  const auto walls = named(calls, "DrawIndexedPrimitive");
  ASSERT_EQ(targets.size(), 2u);
  ASSERT_EQ(clears.size(), 2u);
  ASSERT_EQ(ends.size(), 2u);
  ASSERT_EQ(walls.size(), 2u) << "the wall once in each pass";
  // Shadow map first, cleared blue; then the back buffer, slightly darker.
  EXPECT_EQ(targets[0]->p(1), static_cast<const void*>(scene.shadowTarget.GetSurface()));
  EXPECT_EQ(targets[1]->p(1), static_cast<const void*>(recorded().BackBuffer()));
  EXPECT_EQ(clears[0]->u(3), 0x000000FFu);
  EXPECT_EQ(clears[1]->u(3), 0x000000F0u);
  EXPECT_LT(position(calls, walls[0]), position(calls, ends[0]));
  EXPECT_LT(position(calls, ends[0]), position(calls, targets[1]));
  EXPECT_LT(position(calls, targets[1]), position(calls, walls[1]));
  EXPECT_LT(position(calls, ends[1]), position(calls, named(calls, "Present").front()));

  // One quad per character of the help, the toggles and the frame rate, the
  // rate last at the bottom; no shadow-map rectangle while O is off.
  size_t glyphs = 0;
  size_t rectangles = 0;
  float lastGlyphY = 0.0f;
  for (const CallRecord* call : named(calls, "DrawPrimitiveUP")) {
    if (call->u(0) == D3DPT_TRIANGLEFAN) {
      ++glyphs;
      lastGlyphY = call->AsArray<float>()[1];
    }
    rectangles += call->u(0) == D3DPT_TRIANGLESTRIP;
  }
  const std::string help = std::string("LEFT BUTTON TO SPIN OJJECT!") + "WHEEL TO MOVE" +
                           "ARROWS TO ZOOM" + "P : PCF ON/OFF: 0" + "O : DRAW SHADOWMAP: 0" +
                           "FPS:0";
  EXPECT_EQ(glyphs, help.size());
  EXPECT_FLOAT_EQ(lastGlyphY, 600.0f - 16.0f);
  EXPECT_EQ(rectangles, 0u);
}

TEST_F(Scene, OShowsTheShadowMapInThatSameFrameAndEscapeEndsOneUnpresented) {
  folder.writeWall();
  CRun run;
  ViewerScene scene(run.Services());
  scene.SetUp();
  g_keyDown[ViewerControls::kShadowMapKey] = 1;
  size_t mark = log().Size();
  ASSERT_TRUE(scene.Frame());
  std::vector<const CallRecord*> calls = callsSince(mark);
  const CallRecord* quad = nullptr;
  for (const CallRecord* call : named(calls, "DrawPrimitiveUP")) {
    if (call->u(0) == D3DPT_TRIANGLESTRIP) quad = call;
  }
  ASSERT_NE(quad, nullptr);
  const std::vector<float> v = quad->AsArray<float>();  // x, y, z, rhw, u, v per corner
  ASSERT_EQ(v.size(), 24u);
  EXPECT_FLOAT_EQ(v[0], -0.5f);
  EXPECT_FLOAT_EQ(v[1], -0.5f);
  EXPECT_FLOAT_EQ(v[18], 400.5f);
  EXPECT_FLOAT_EQ(v[19], 512.5f);
  EXPECT_EQ(static_cast<IDirect3DTexture9*>(recorded().BoundTexture(0)),
            scene.shadowTexture.GetD3DTexture());
  EXPECT_LT(position(calls, quad), position(calls, named(calls, "Present").front()));

  // Escape: the frame's draws happen, the screen's scene is neither ended
  // nor presented.
  g_keyDown[ViewerControls::kEscapeKey] = 1;
  mark = log().Size();
  EXPECT_FALSE(scene.Frame());
  calls = callsSince(mark);
  EXPECT_EQ(named(calls, "DrawIndexedPrimitive").size(), 2u);
  EXPECT_EQ(named(calls, "EndScene").size(), 1u) << "only the shadow pass was ended";
  EXPECT_TRUE(named(calls, "Present").empty());
}

TEST_F(Scene, RunLoadsTheFirstWordOfInputTxtOnly) {
  folder.writeFigure();
  write_whole_file((folder.bin() / "input.txt").string(),
                   std::string("  ") + demo::kFigureModel + " and then some words\nmore\n");
  CRun run;
  RenderModel model;
  RenderModel shadowVolume;
  EXPECT_EQ(run.Run(model, shadowVolume), 1u);
  EXPECT_EQ(folder.countLines("Mloader OutPut>  1"), 1u);
  EXPECT_EQ(model.ready, 1);
  EXPECT_EQ(shadowVolume.ready, 1) << "the figure's script asks for a shadow volume";
  ASSERT_NE(model.GetAnimations(), nullptr);
  EXPECT_EQ(model.GetAnimations()->count, 3);

  write_whole_file((folder.bin() / "input.txt").string(), " \n\t\n");
  RenderModel empty;
  EXPECT_EQ(run.Run(empty, shadowVolume), 0u);
  EXPECT_EQ(folder.countLines("<error> CRun::Run() file path in input.txt not found"), 1u);

  write_whole_file((folder.bin() / "input.txt").string(), "missing.x_out\n");
  EXPECT_EQ(run.Run(empty, shadowVolume), 0u);
  EXPECT_EQ(folder.countLines("Mloader OutPut>  0"), 1u);
}

TEST(FrameRate, CountsTheFramesOfTheLastIntervalOfAtLeastASecond) {
  uint32_t now = 0xFFFFFF00u;  // the clock wraps within the first interval
  FrameRate rate(now);
  for (int frame = 0; frame < 99; ++frame) {
    now += 10;
    rate.Count(now);
  }
  EXPECT_EQ(rate.fps, 0u) << "nothing to show before a second has passed";
  EXPECT_EQ(rate.frameCount, 99u);
  rate.Count(now + 10);  // 1000 ms after the start
  EXPECT_EQ(rate.fps, 100u);
  EXPECT_EQ(rate.frameCount, 0u);
  EXPECT_EQ(rate.lastTime, now + 10);

  // A slow interval: the count is not scaled by the interval's length.
  rate.Count(now + 3010);
  EXPECT_EQ(rate.fps, 1u);
}
