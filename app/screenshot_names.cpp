#include "app/screenshot_names.h"

#include <cerrno>
#include <cstdio>

#include "platform/gl/back_buffer_image.h"
#include "render/device_globals.h"

namespace {
constexpr int kMostScreenshots = 9999;
}  // namespace

std::string ClaimScreenshotName(const std::string& folder) {
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  for (int number = 1; number <= kMostScreenshots; ++number) {
    char name[32];
    std::snprintf(name, sizeof name, "meshview-%04d.png", number);
    const std::string path = prefix + name;
    // "x": fails when the file exists, so an existing file is never touched.
    std::FILE* file = std::fopen(path.c_str(), "wbx");
    if (file != nullptr) {
      std::fclose(file);
      return path;
    }
    if (errno != EEXIST) return "";
  }
  return "";
}

std::string SaveNewScreenshot(const std::string& folder) {
  const std::string path = ClaimScreenshotName(folder);
  if (path.empty()) return "";
  if (!save_back_buffer_png(g_device, path.c_str())) {
    std::remove(path.c_str());
    return "";
  }
  return path;
}
