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

  EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
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
  ASSERT_GT(GetSystemMetrics(SM_CXSCREEN), 0);  // starts the offscreen driver

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
}

}  // namespace
