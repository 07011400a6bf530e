#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "tools/meshconv/memory_limit.h"
#include "tools/meshconv/meshconv_command.h"
#include "tools/meshconv/stage_time_limit.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  uint64_t memoryLimit = default_memory_limit();
  std::string problem;
  if (!take_memory_limit(arguments, &memoryLimit, &problem)) {
    std::cerr << "meshconv: " << problem << "\n";
    return 2;
  }
  double stageSeconds = kDefaultStageSeconds;
  if (!take_stage_time_limit(arguments, &stageSeconds, &problem)) {
    std::cerr << "meshconv: " << problem << "\n";
    return 2;
  }
  if (!apply_memory_limit(memoryLimit))
    std::cerr << "meshconv: warning: the memory limit was not applied\n";
  // The running program's own path, to find effect files installed beside it.
  std::error_code code;
  const std::string executable = std::filesystem::read_symlink("/proc/self/exe", code).string();
  StageWatchdog watchdog(stageSeconds);
  return runMeshconv(arguments, executable, std::cout, std::cerr,
                     [&watchdog](const std::string& input, const std::string& stage) {
                       std::cout << std::flush;
                       watchdog.enter(input, stage);
                     });
}
