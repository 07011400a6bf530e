#include "tools/meshconv/stage_time_limit.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(MeshconvStageTimeLimit, OptionIsTakenOutOfTheArguments) {
  const struct {
    std::vector<std::string> arguments;
    bool ok;
    double seconds;
    std::vector<std::string> left;
  } cases[] = {
      {{"in.fbx", "out"}, true, 7, {"in.fbx", "out"}},
      {{"--max-seconds", "30", "in.fbx", "out"}, true, 30, {"in.fbx", "out"}},
      {{"in.fbx", "--max-seconds=0.5", "out", "--fps", "30"},
       true,
       0.5,
       {"in.fbx", "out", "--fps", "30"}},
      {{"in.fbx", "out", "--max-seconds"}, false, 7, {}},
      {{"--max-seconds", "0", "in", "out"}, false, 7, {}},
      {{"--max-seconds", "-5", "in", "out"}, false, 7, {}},
      {{"--max-seconds=10s", "in", "out"}, false, 7, {}},
      {{"--max-seconds=inf", "in", "out"}, false, 7, {}},
  };
  for (const auto& c : cases) {
    std::vector<std::string> arguments = c.arguments;
    double seconds = 7;
    std::string problem;
    EXPECT_EQ(take_stage_time_limit(arguments, &seconds, &problem), c.ok) << c.arguments[0];
    EXPECT_EQ(seconds, c.seconds);
    if (c.ok) {
      EXPECT_EQ(arguments, c.left);
    } else {
      EXPECT_NE(problem.find("--max-seconds"), std::string::npos);
    }
  }
}

// A stage that never ends is cut off with the one line and status 1.
TEST(MeshconvStageTimeLimitDeathTest, AStagePastItsLimitEndsTheProgramWithOneLine) {
  EXPECT_EXIT(
      {
        StageWatchdog watchdog(0.01);
        watchdog.enter("walker.fbx", "import");
        // A stage that does not end; after a minute the watchdog has plainly failed.
        for (int i = 0; i < 600; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::_Exit(2);
      },
      ::testing::ExitedWithCode(1),
      "^meshconv: walker.fbx: the import stage took longer than 0.01 s\n$");
}

// Ended stages are no longer watched, however long the program goes on.
TEST(MeshconvStageTimeLimitDeathTest, EndedStagesAreNotCutOff) {
  EXPECT_EXIT(
      {
        {
          StageWatchdog watchdog(0.01);
          watchdog.enter("walker.fbx", "import");
          watchdog.enter("walker.fbx", "");
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        std::_Exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
