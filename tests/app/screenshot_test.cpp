#include "app/screenshot.h"

#include <gtest/gtest.h>

#include <cstdlib>

TEST(ScreenshotSchedule, IsDueOnceAfterItsDelayAcrossTheClocksWrap) {
  ScreenshotSchedule shot("shot.png", 3000, 0xFFFFF000u);
  EXPECT_FALSE(shot.Due(0xFFFFF000u + 2999u));
  EXPECT_TRUE(shot.Due(0xFFFFF000u + 3000u));  // past the wrap
  EXPECT_FALSE(shot.Due(0xFFFFF000u + 9000u));
  EXPECT_FALSE(ScreenshotSchedule().Due(0xFFFFFFFFu));
}

TEST(ScreenshotSchedule, ReadsPathAndDelayFromTheEnvironment) {
  setenv(ScreenshotSchedule::kPathVariable, "", 1);
  EXPECT_FALSE(ScreenshotSchedule::FromEnvironment(0).Pending());
  setenv(ScreenshotSchedule::kPathVariable, "/tmp/x.png", 1);
  for (const char* bad : {"soon", "-5", "12ms", "99999999999"}) {
    setenv(ScreenshotSchedule::kDelayVariable, bad, 1);
    EXPECT_EQ(ScreenshotSchedule::FromEnvironment(0).Delay(), ScreenshotSchedule::kDefaultDelay)
        << bad;
  }
  setenv(ScreenshotSchedule::kDelayVariable, "250", 1);
  ScreenshotSchedule shot = ScreenshotSchedule::FromEnvironment(100);
  EXPECT_EQ(shot.Path(), "/tmp/x.png");
  EXPECT_FALSE(shot.Due(349));
  EXPECT_TRUE(shot.Due(350));
  unsetenv(ScreenshotSchedule::kPathVariable);
  unsetenv(ScreenshotSchedule::kDelayVariable);
}
