#include "base/program_data.h"

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

#ifndef MESHVIEW_BUILD_DATA_DIR
#define MESHVIEW_BUILD_DATA_DIR ""
#endif

namespace {

std::string withTrailingSeparator(const fs::path& folder) {
  std::string text = folder.lexically_normal().string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

}  // namespace

std::string ProgramDataLookup::failure() const {
  std::string text = "no data folder with " + std::string(program_data::kWallModel) + " and " +
                     program_data::kSkinnedEffect;
  if (tried.empty()) return text;
  text += " (looked in ";
  for (size_t i = 0; i < tried.size(); ++i) text += (i == 0 ? "" : ", ") + tried[i];
  return text + ")";
}

bool isProgramDataFolder(const std::string& folder) {
  if (folder.empty()) return false;
  std::error_code code;
  const fs::path root(folder);
  return fs::is_regular_file(root / program_data::kWallModel, code) &&
         fs::is_regular_file(root / program_data::kSkinnedEffect, code);
}

ProgramDataLookup findProgramData(const std::string& executablePath,
                                  const std::string& buildTreeFolder,
                                  const std::string& overrideFolder) {
  ProgramDataLookup lookup;
  auto consider = [&](const fs::path& folder) {
    const std::string text = withTrailingSeparator(folder);
    lookup.tried.push_back(text);
    if (!isProgramDataFolder(text)) return false;
    lookup.folder = text;
    return true;
  };
  if (!overrideFolder.empty()) {
    consider(overrideFolder);
    return lookup;
  }
  if (!executablePath.empty()) {
    const fs::path installed =
        fs::path(executablePath).parent_path() / program_data::kInstalledFromExecutableDir;
    if (consider(installed)) return lookup;
  }
  if (!buildTreeFolder.empty()) consider(buildTreeFolder);
  return lookup;
}

ProgramDataLookup programData() {
  const char* setting = std::getenv(program_data::kEnvironmentOverride);
  return findProgramData(runningExecutablePath(), MESHVIEW_BUILD_DATA_DIR,
                         setting == nullptr ? std::string() : std::string(setting));
}

std::string runningExecutablePath() {
  std::error_code code;
  const fs::path path = fs::read_symlink("/proc/self/exe", code);
  return code ? std::string() : path.string();
}
