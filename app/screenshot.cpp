#include "app/screenshot.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/gl/back_buffer_image.h"
#include "render/device_globals.h"

namespace {

bool ParseDelay(const char* text, uint32_t* delay) {
  if (text == nullptr || *text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  const unsigned long long value = std::strtoull(text, &end, 10);
  if (errno != 0 || *end != '\0' || value > std::numeric_limits<uint32_t>::max()) return false;
  *delay = static_cast<uint32_t>(value);
  return true;
}

}  // namespace

ScreenshotSchedule::ScreenshotSchedule(std::string path, uint32_t delay, uint32_t start)
    : path_(std::move(path)), delay_(delay), start_(start), pending_(!path_.empty()) {}

ScreenshotSchedule ScreenshotSchedule::FromEnvironment(uint32_t now) {
  const char* path = std::getenv(kPathVariable);
  if (path == nullptr || *path == '\0') return ScreenshotSchedule();
  uint32_t delay = kDefaultDelay;
  if (!ParseDelay(std::getenv(kDelayVariable), &delay)) delay = kDefaultDelay;
  return ScreenshotSchedule(path, delay, now);
}

bool ScreenshotSchedule::Due(uint32_t now) {
  // Unsigned difference, like every other interval of the millisecond clock.
  if (!pending_ || now - start_ < delay_) return false;
  pending_ = false;
  return true;
}

void ScreenshotSchedule::Check(uint32_t now) {
  if (!Due(now)) return;
  if (Save(path_)) {
    std::fprintf(stderr, "meshview: screenshot saved to %s\n", path_.c_str());
  } else {
    std::fprintf(stderr, "meshview: screenshot to %s failed\n", path_.c_str());
  }
}

bool ScreenshotSchedule::Save(const std::string& path) {
  return save_back_buffer_png(g_device, path.c_str());
}
