#include "app/data_folder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool IsDataFolder(const fs::path& folder) {
  std::error_code error;
  return fs::is_regular_file(folder / "bin" / "wall.x_out", error) &&
         fs::is_regular_file(folder / "effect" / "skinned.fx", error);
}

std::string ExecutableFolder() {
  std::error_code error;
  const fs::path self = fs::read_symlink("/proc/self/exe", error);
  return error ? "" : self.parent_path().string();
}

}  // namespace

std::optional<DataFolders> FindDataFolders(std::string* missing) {
  std::vector<fs::path> candidates;
  if (const char* given = std::getenv("MESHVIEW_DATA_DIR"); given != nullptr && *given != '\0') {
    candidates.push_back(given);
  } else if (const std::string exe = ExecutableFolder(); !exe.empty()) {
    candidates.push_back(fs::path(exe) / ".." / "share" / "meshview");
  }
  std::string tried;
  for (const fs::path& folder : candidates) {
    if (IsDataFolder(folder)) {
      const std::string root = fs::weakly_canonical(folder).string() + "/";
      return DataFolders{root + "bin/", root + "texture/", root + "effect/"};
    }
    tried += (tried.empty() ? "" : ", ") + folder.string();
  }
  *missing = "no data folder (looked in " + tried + ")";
  return std::nullopt;
}
