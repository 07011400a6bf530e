#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/win/win_test_hooks.h"
#include "tests/win/headless_video.h"

namespace {

uint32_t steady_milliseconds() {
  const auto since = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

TEST(MultimediaTimer, ClockIsTheMonotonicMillisecondCountAndPeriodsCanBeReplaced) {
  const uint32_t before = steady_milliseconds();
  const DWORD now = timeGetTime();
  const uint32_t after = steady_milliseconds();
  // Unsigned differences, so the check also holds across the 32-bit wrap.
  EXPECT_LE(now - before, after - before);

  DWORD previous = timeGetTime();
  for (int i = 0; i < 1000; ++i) {
    const DWORD next = timeGetTime();
    EXPECT_LT(next - previous, 0x80000000u) << "went backwards";
    previous = next;
  }

  EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
  EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);

  std::vector<UINT> begun, ended;
  win_hook_time_period([&](UINT p) { begun.push_back(p); return TIMERR_NOCANDO; },
                       [&](UINT p) { ended.push_back(p); return TIMERR_NOERROR; });
  EXPECT_EQ(timeBeginPeriod(4), TIMERR_NOCANDO);
  EXPECT_EQ(timeEndPeriod(4), TIMERR_NOERROR);
  win_hook_time_period({}, {});
  EXPECT_EQ(timeBeginPeriod(4), TIMERR_NOERROR);
  EXPECT_EQ(begun, std::vector<UINT>{4});
  EXPECT_EQ(ended, std::vector<UINT>{4});
}

TEST(MessageBox, AlwaysCopiedToStandardErrorAndNeverBlocksWithoutADisplay) {
  use_headless_video();
  ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN) > 0, true);  // starts the offscreen driver

  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "Nincs ablak!!", "vége - HIBA", MB_OK), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[vége - HIBA] Nincs ablak!!\n");

  std::vector<std::string> shown;
  win_hook_message_box([&](HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(type, MB_OK | MB_ICONERROR);
    shown.push_back(std::string(caption) + "|" + text);
    return IDOK;
  });
  testing::internal::CaptureStderr();
  EXPECT_EQ(MessageBoxA(nullptr, "text", "caption", MB_OK | MB_ICONERROR), IDOK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[caption] text\n");
  win_hook_message_box({});
  EXPECT_EQ(shown, std::vector<std::string>{"caption|text"});

  testing::internal::CaptureStderr();
  MessageBoxA(nullptr, nullptr, nullptr, MB_OK);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[Error] \n");
}

TEST(SystemObjects, ScreenCursorBrushAndModuleHandles) {
  use_headless_video();
  SDL_DisplayMode mode;
  ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), mode.w);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), mode.h);
  EXPECT_EQ(GetSystemMetrics(42), 0);

  EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
  EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
  EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);

  EXPECT_NE(LoadCursorA(nullptr, IDC_CROSS), nullptr);
  EXPECT_NE(LoadCursorA(nullptr, IDC_CROSS), LoadCursorA(nullptr, IDC_ARROW));
  EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
  EXPECT_EQ(LoadCursorA(nullptr, "named"), nullptr);

  EXPECT_NE(CreateSolidBrush(0), nullptr);  // black is a valid brush
  EXPECT_NE(CreateSolidBrush(0), CreateSolidBrush(0x00FFFFFF));
}

}  // namespace
