#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// meshconv's time budget: each stage of a conversion (import, assemble,
// write, check) has its own limit, so that a model that keeps the importer
// busy without end ends with one clear line and status 1 instead of a hang.

constexpr double kDefaultStageSeconds = 120.0;

// Removes "--max-seconds S" (or "--max-seconds=S") from arguments and sets
// *seconds; leaves *seconds alone when the option is absent. False with
// *problem for a value that is not a number of seconds above 0.
bool take_stage_time_limit(std::vector<std::string>& arguments, double* seconds,
                           std::string* problem);

// Watches the running stage from a thread of its own. A stage that runs past
// the limit ends the process at once: the line "meshconv: INPUT: the STAGE
// stage took longer than S s" goes to stderr and the status is 1 (_exit, since
// the stuck stage cannot be asked to stop).
class StageWatchdog {
 public:
  explicit StageWatchdog(double seconds);
  ~StageWatchdog();
  StageWatchdog(const StageWatchdog&) = delete;
  StageWatchdog& operator=(const StageWatchdog&) = delete;

  // Starts the clock for stage of the conversion of input; an empty stage
  // stops it.
  void enter(const std::string& input, const std::string& stage);

 private:
  void watch();

  const std::chrono::duration<double> limit_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::string input_;
  std::string stage_;
  std::chrono::steady_clock::time_point deadline_;
  bool stopping_ = false;
  std::thread thread_;
};
