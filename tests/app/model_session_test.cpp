#include "app/model_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/file_loads.h"
#include "app/run.h"
#include "app/window.h"
#include "base/log.h"
#include "tests/app/viewer_folder.h"
#include "tests/render/recorded_device_fixture.h"
#include "tests/win/headless_video.h"

namespace fs = std::filesystem;

namespace {

// A viewer opened on the demo's figure, over a recorded device, in a real
// (headless) window that receives injected drops and keys.
class Session : public RecordedDeviceTest {
 protected:
  static void SetUpTestSuite() { use_headless_video(); }
  void SetUp() override {
    RecordedDeviceTest::SetUp();
    g_leftDown = 0;
    folder.writeWall();
    folder.writeFont();
    folder.writeFigure();
    ASSERT_TRUE(window.Create("session", true, 320, 240, 0));
    DragAcceptFiles(window.GetHwnd(), 1);
    drain_messages();
    figure = CheckModelFile((folder.bin() / "walker.x_out").string());
    ASSERT_TRUE(figure.ok);
  }
  void TearDown() override {
    session.reset();
    scene.reset();
    Font::Unload();
    DestroyWindow(window.GetHwnd());
    drain_messages();
    RecordedDeviceTest::TearDown();
  }

  void Start(bool watch) {
    SceneSettings settings;
    settings.startAnimation = 0;
    settings.drawSkinnedAlways = true;
    settings.clock = [this] { return now; };
    scene = std::make_unique<ViewerScene>(
        SceneServices{device, camera, NativeModelLoad(figure.path), {}, {}}, settings);
    scene->SetUp();
    ASSERT_EQ(scene->Model().ready, 1);
    ModelSession::Hooks hooks;
    hooks.loadFor = [](const ModelFileCheck& file) { return NativeModelLoad(file.path); };
    hooks.filesOf = [](const ModelFileCheck& file) {
      return FilesOfModel(file.path, FoldersForModel(file.path));
    };
    hooks.opened = [this](const ModelFileCheck& file) { opened.push_back(file.path); };
    session = std::make_unique<ModelSession>(*scene, figure, log_path(), watch, hooks);
  }
  // One frame of the viewer's loop, time moving on by step milliseconds.
  void Frame(uint32_t step = 20) {
    now += step;
    ASSERT_TRUE(scene->Frame());
    session->AfterFrame(now);
  }
  int32_t Clips() const {
    const auto* clips = scene->Model().GetAnimations();
    return clips != nullptr ? clips->count : 0;
  }

  ViewerFolder folder;
  CWindow window;
  CCamera camera;
  ModelFileCheck figure;
  uint32_t now = 100000;
  std::unique_ptr<ViewerScene> scene;
  std::unique_ptr<ModelSession> session;
  std::vector<std::string> opened;
};

TEST_F(Session, ADroppedModelReplacesTheCurrentOne) {
  Start(false);
  ASSERT_EQ(Clips(), 3);
  const std::string wall = (folder.bin() / "wall.x_out").string();
  push_drop(window.GetHwnd(), wall.c_str());
  Frame();
  EXPECT_EQ(Clips(), 0) << "the wall is showing";
  EXPECT_EQ(session->File().path, wall);
  EXPECT_EQ(opened, std::vector<std::string>{wall});
  EXPECT_EQ(session->Notice(now), "");
}

TEST_F(Session, ADroppedFileThatFailsKeepsTheModelAndSaysWhyForAWhile) {
  Start(false);
  const RenderModel* before = &scene->Model();
  struct Case {
    std::string path;
    std::string says;
  };
  write_whole_file((folder.bin() / "notes.x_out").string(), "MeSh but not really");
  const std::vector<Case> cases = {
      {(folder.bin() / "missing.x_out").string(), "missing.x_out: not found"},
      {folder.bin().string(), "is a directory"},
      {(folder.bin() / "notes.x_out").string(), "notes.x_out: <error>"},
  };
  for (const Case& c : cases) {
    push_drop(window.GetHwnd(), c.path.c_str());
    Frame();
    EXPECT_EQ(&scene->Model(), before) << c.path;
    EXPECT_EQ(Clips(), 3);
    EXPECT_NE(session->Notice(now).find(c.says), std::string::npos) << session->Notice(now);
    Frame(ModelSession::kDropNoticeMs - 40);
    EXPECT_NE(session->Notice(now), "") << "still showing just before its time is up";
    Frame(40);
    EXPECT_EQ(session->Notice(now), "") << "gone after a few seconds";
  }
  EXPECT_TRUE(opened.empty());
}

TEST_F(Session, F5ReloadsAndABrokenEffectKeepsThePreviousModelUntilItLoadsAgain) {
  Start(false);
  const RenderModel* first = &scene->Model();
  push_key(window.GetHwnd(), SDL_KEYDOWN, SDLK_F5);
  Frame();
  const RenderModel* second = &scene->Model();
  EXPECT_NE(second, first) << "F5 loaded the model again";
  EXPECT_EQ(session->Notice(now), "");

  // The effect no longer compiles.
  EffectSetup broken;
  broken.compileErrors = "skinned.fx(7): error X3004: undeclared identifier 'q'\nsecond\n";
  rec().SetDefaultEffect(broken);
  push_key(window.GetHwnd(), SDL_KEYUP, SDLK_F5);
  push_key(window.GetHwnd(), SDL_KEYDOWN, SDLK_F5);
  Frame();
  Frame();
  EXPECT_EQ(&scene->Model(), second) << "the previous model keeps running";
  const std::string notice = session->Notice(now);
  EXPECT_NE(notice.find("reload failed: skinned.fx(7): error X3004"), std::string::npos) << notice;
  Frame(ModelSession::kDropNoticeMs * 4);
  EXPECT_EQ(session->Notice(now), notice) << "shown until a load succeeds";

  rec().SetDefaultEffect(EffectSetup{});
  push_key(window.GetHwnd(), SDL_KEYUP, SDLK_F5);
  push_key(window.GetHwnd(), SDL_KEYDOWN, SDLK_F5);
  Frame();
  Frame();
  EXPECT_NE(&scene->Model(), second);
  EXPECT_EQ(session->Notice(now), "");
}

TEST_F(Session, WatchingReloadsWhenAFileTheModelUsesChanges) {
  Start(true);
  const RenderModel* first = &scene->Model();
  Frame(ModelSession::kWatchIntervalMs);
  EXPECT_EQ(&scene->Model(), first) << "nothing changed";
  // The script gains a line: its size changes whatever the clock's resolution.
  const std::string script = (folder.bin() / "walker.txt").string();
  write_whole_file(script, read_whole_file(script) + "\n");
  Frame(ModelSession::kWatchIntervalMs);
  EXPECT_NE(&scene->Model(), first) << "reloaded after the edit";
  const RenderModel* second = &scene->Model();
  Frame(ModelSession::kWatchIntervalMs);
  EXPECT_EQ(&scene->Model(), second) << "once per change";
}

}  // namespace
