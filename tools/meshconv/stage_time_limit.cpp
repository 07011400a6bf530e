#include "tools/meshconv/stage_time_limit.h"

#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

bool take_stage_time_limit(std::vector<std::string>& arguments, double* seconds,
                           std::string* problem) {
  const std::string option = "--max-seconds";
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string text;
    size_t taken = 1;
    if (arguments[i] == option) {
      if (i + 1 >= arguments.size()) {
        *problem = option + " needs a number of seconds";
        return false;
      }
      text = arguments[i + 1];
      taken = 2;
    } else if (arguments[i].rfind(option + "=", 0) == 0) {
      text = arguments[i].substr(option.size() + 1);
    } else {
      continue;
    }
    char* end = nullptr;
    const double value = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != '\0' || !std::isfinite(value) || value <= 0.0 || value > 1e9) {
      *problem = option + " takes a number of seconds above 0, not \"" + text + "\"";
      return false;
    }
    *seconds = value;
    arguments.erase(arguments.begin() + long(i), arguments.begin() + long(i + taken));
    --i;
  }
  return true;
}

StageWatchdog::StageWatchdog(double seconds) : limit_(seconds), thread_([this] { watch(); }) {}

StageWatchdog::~StageWatchdog() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void StageWatchdog::enter(const std::string& input, const std::string& stage) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    input_ = input;
    stage_ = stage;
    deadline_ = std::chrono::steady_clock::now() +
                std::chrono::duration_cast<std::chrono::steady_clock::duration>(limit_);
  }
  wake_.notify_all();
}

void StageWatchdog::watch() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (stage_.empty()) {
      wake_.wait(lock);
    } else if (std::chrono::steady_clock::now() < deadline_) {
      wake_.wait_until(lock, deadline_);
    } else {
      std::ostringstream line;
      line << "meshconv: " << input_ << ": the " << stage_ << " stage took longer than "
           << limit_.count() << " s\n";
      const std::string text = line.str();
      [[maybe_unused]] const ssize_t written = ::write(STDERR_FILENO, text.data(), text.size());
      ::_exit(1);
    }
  }
}
