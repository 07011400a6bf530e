#include "app/win_main.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "platform/backend.h"
#include "platform/record/recording_backend.h"
#include "platform/win/win_test_hooks.h"
#include "platform/win/window_registry.h"
#include "render/device_globals.h"
#include "tests/app/viewer_folder.h"
#include "tests/win/headless_video.h"

namespace {

// WinMain on the recording backend and a headless window system, with the
// message boxes captured instead of shown.
class Entry : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { use_headless_video(); }
  void SetUp() override {
    win_hook_display_available(true);  // the headless driver stands in for a display
    win_hook_message_box([this](HWND, LPCSTR text, LPCSTR caption, UINT) {
      boxes.emplace_back(text, caption);
      return IDOK;
    });
  }
  void TearDown() override {
    // A run that ends by its quit message leaves its window to the process's
    // end, and with it the window class; later tests need neither.
    for (HWND hwnd : live_windows()) DestroyWindow(hwnd);
    UnregisterClassA("MyD3D", GetModuleHandleA(nullptr));
    win_hook_message_box({});
    win_hook_fail_window_creation(false);
    win_hook_display_available(std::nullopt);
    drain_messages();
    EXPECT_EQ(g_device, nullptr);
    EXPECT_EQ(g_d3d, nullptr);
    EXPECT_EQ(backend.recorder().LiveTotal(), 0) << "every device object released";
  }
  int runWinMain() { return WinMain(nullptr, nullptr, nullptr, SW_SHOW); }

  RecordingBackend backend;
  ScopedGraphicsBackend scope{backend};
  ViewerFolder folder;
  std::vector<std::pair<std::string, std::string>> boxes;
};

}  // namespace

TEST_F(Entry, NormalRunEndsWithAppEndsAndResultOne) {
  folder.writeWall();
  PostQuitMessage(0);  // the first frame that finds the queue empty ends the run
  EXPECT_EQ(runWinMain(), 1);
  EXPECT_TRUE(boxes.empty());
  const std::vector<std::string> lines = folder.logLines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "app ends.");
  EXPECT_EQ(folder.countLines("model not loaded"), 1u);

  // Everything the viewer made was gone before the Direct3D object and then
  // the device were released.
  const CallLog& calls = backend.recorder().Log();
  const CallRecord* shadowMap = calls.First("CreateTexture");
  ASSERT_NE(shadowMap, nullptr);
  const std::vector<std::string> ops = calls.Ops(0, true);
  const auto first = [&](const std::string& op, size_t from = 0) {
    return size_t(std::find(ops.begin() + long(from), ops.end(), op) - ops.begin());
  };
  const auto last = [&](const std::string& op) {
    return size_t(ops.rend() - std::find(ops.rbegin(), ops.rend(), op)) - 1;
  };
  EXPECT_LT(first("CreateDevice"), first("CreateTexture"));
  const size_t lastTexture = last("Texture::Release");
  const size_t direct3d = first("Direct3D::Release", lastTexture);
  ASSERT_LT(direct3d, ops.size());
  EXPECT_LT(direct3d, last("Device::Release"));
  EXPECT_EQ(g_screenWidth, 0);
}

TEST_F(Entry, WindowFailureShowsBothBoxesAndReturnsZero) {
  win_hook_fail_window_creation(true);
  EXPECT_EQ(runWinMain(), 0);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].first, "Nem sikerűlt ablakot létrehozni!");
  EXPECT_EQ(boxes[1], std::make_pair(std::string("Nincs ablak!!"), std::string("vége - HIBA")));
  EXPECT_EQ(folder.logLines(), std::vector<std::string>{"No window for me, sorry!!"});
  EXPECT_EQ(backend.recorder().Log().Count("CreateDevice"), 0u);
}

TEST_F(Entry, WithoutADisplayTheViewerTakesTheNoWindowPathAtOnce) {
  folder.writeWall();
  PostQuitMessage(0);  // would end a run that had started anyway
  win_hook_display_available(false);
  EXPECT_EQ(runWinMain(), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], std::make_pair(std::string("Nincs ablak!!"), std::string("vége - HIBA")));
  EXPECT_EQ(folder.logLines(), std::vector<std::string>{"No window for me, sorry!!"});
  EXPECT_TRUE(live_windows().empty());
  EXPECT_EQ(backend.recorder().Log().Count("CreateDevice"), 0u);
}

TEST_F(Entry, DeviceFailureShowsItsBoxAndReleasesTheDirect3DObject) {
  backend.recorder().Fail("CreateDevice", D3DERR_NOTAVAILABLE);
  EXPECT_EQ(runWinMain(), 0);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], std::make_pair(std::string("Direct3D9 indítása sikertelen!!"),
                                     std::string("vége - HIBA!")));
  EXPECT_EQ(folder.logLines(), std::vector<std::string>{"No Direct3D device, sorry!!"});
  EXPECT_EQ(backend.recorder().Log().Count("CreateDevice"), 3u);
}

TEST_F(Entry, AStartFolderTooLongForTheFolderBufferEndsAtOnceWithoutAWindow) {
  // Nested folders whose whole path is longer than the 2040-byte buffer.
  std::filesystem::path deep = folder.bin();
  const std::string name(200, 'd');
  while (deep.string().size() < 2100) {
    deep /= name;
    std::filesystem::create_directory(deep);
  }
  std::filesystem::current_path(deep);
  EXPECT_EQ(runWinMain(), 0);
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(backend.recorder().Log().Count("Direct3DCreate9"), 0u);
  // The log falls back to the working directory itself for so long a path.
  const std::string log = read_whole_file((deep / "loaderlog.txt").string());
  EXPECT_NE(log.find("--- fatal error --\n ??path is too long??\n"), std::string::npos);
  EXPECT_NE(log.find("Failed1"), std::string::npos);
}
