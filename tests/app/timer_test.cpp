#include "app/timer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/log.h"
#include "platform/win/win_test_hooks.h"
#include "tests/support/temp_dir.h"

namespace {

constexpr char kHeader[] = "'Brenvik' DEBUGFILE\n";

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CTimer::reset_for_tests();
    log_reset_for_tests();
    std::filesystem::current_path(dir.path());
    log_init();
    log_enable(true);
    win_hook_time_period(
        [this](UINT p) {
          begun.push_back(p);
          return p >= firstGranted ? TIMERR_NOERROR : TIMERR_NOCANDO;
        },
        [this](UINT p) {
          ended.push_back(p);
          return TIMERR_NOERROR;
        });
  }
  void TearDown() override {
    win_hook_time_period({}, {});
    CTimer::reset_for_tests();
    log_reset_for_tests();
  }
  std::string log() const { return read_whole_file(dir.file("loaderlog.txt")); }

  WorkingDirectoryGuard cwd;
  TempDir dir;
  UINT firstGranted = 1;
  std::vector<UINT> begun;
  std::vector<UINT> ended;
};

TEST_F(TimerTest, RaisesTheFinestGrantedPeriodAndEndsThatSamePeriodOnce) {
  firstGranted = 5;
  {
    CTimer first;
    EXPECT_EQ(begun, (std::vector<UINT>{1, 2, 3, 4, 5}));
    {
      CTimer second;  // shares the raised period
      EXPECT_EQ(begun.size(), 5u);
    }
    EXPECT_TRUE(ended.empty());
  }
  EXPECT_EQ(ended, std::vector<UINT>{5});

  // A later lifetime raises the period found before, without searching again.
  begun.clear();
  ended.clear();
  {
    CTimer again;
    EXPECT_EQ(begun, std::vector<UINT>{5});
  }
  EXPECT_EQ(ended, std::vector<UINT>{5});
  EXPECT_EQ(log(), kHeader);
}

TEST_F(TimerTest, FailedSearchTriesOneToOneHundredAndLogsOnceForTheProcess) {
  firstGranted = 1000;
  {
    CTimer timer;
    ASSERT_EQ(begun.size(), 100u);
    for (UINT i = 0; i < 100; ++i) EXPECT_EQ(begun[i], i + 1);
  }
  EXPECT_TRUE(ended.empty());  // nothing was raised, so nothing is ended
  EXPECT_EQ(log(), std::string(kHeader) + "<error> CTimer() unable set timer res milisec 1- 99\n");

  // Even when a period would now be granted, the search is not repeated and
  // nothing is left raised without its end.
  firstGranted = 1;
  begun.clear();
  {
    CTimer later;
    CTimer another;
  }
  EXPECT_TRUE(begun.empty());
  EXPECT_TRUE(ended.empty());
  EXPECT_EQ(log(), std::string(kHeader) + "<error> CTimer() unable set timer res milisec 1- 99\n");
}

TEST_F(TimerTest, NowIsTheSystemClockNotTimeSinceConstruction) {
  const uint32_t before = timeGetTime();
  CTimer timer;
  const uint32_t now = CTimer::Now();
  const uint32_t after = timeGetTime();
  EXPECT_LE(now - before, after - before);
}

}  // namespace
