#pragma once
#include <cstdint>
#include <string>

// A testing aid: when MESHVIEW_SCREENSHOT names a PNG file, the back buffer is
// saved there once, MESHVIEW_SCREENSHOT_AFTER_MS milliseconds (default 3000)
// after the frame loop began.
class ScreenshotSchedule {
 public:
  static constexpr const char* kPathVariable = "MESHVIEW_SCREENSHOT";
  static constexpr const char* kDelayVariable = "MESHVIEW_SCREENSHOT_AFTER_MS";
  static constexpr uint32_t kDefaultDelay = 3000;

  // Nothing to save.
  ScreenshotSchedule() = default;
  ScreenshotSchedule(std::string path, uint32_t delay, uint32_t start);
  // From the two variables; nothing to save when the path is unset or empty.
  // A delay that is not a whole number of milliseconds takes the default.
  static ScreenshotSchedule FromEnvironment(uint32_t now);

  // True exactly once: at the first time now at least delay after start.
  bool Due(uint32_t now);
  // Saves the back buffer when due and says on standard error how it went.
  void Check(uint32_t now);
  // Saves the back buffer as a PNG at path now; false when it could not.
  static bool Save(const std::string& path);

  bool Pending() const { return pending_; }
  const std::string& Path() const { return path_; }
  uint32_t Delay() const { return delay_; }

 private:
  std::string path_;
  uint32_t delay_ = kDefaultDelay;
  uint32_t start_ = 0;
  bool pending_ = false;
};
