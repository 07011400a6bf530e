#pragma once
// Routes the loader log into a fresh temporary folder for one test and hands
// back the lines written since, without the header.
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "base/log.h"
#include "tests/support/temp_dir.h"

class LogCapture {
 public:
  LogCapture() {
    log_reset_for_tests();
    std::filesystem::current_path(dir_.path());
    log_init();
    log_enable(true);
  }
  ~LogCapture() { log_reset_for_tests(); }

  std::vector<std::string> lines() const {
    std::istringstream in(read_whole_file(dir_.file("loaderlog.txt")));
    std::vector<std::string> result;
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) result.push_back(line);
    return result;
  }

 private:
  TempDir dir_;
  WorkingDirectoryGuard cwd_;  // restored before the folder is removed
};
