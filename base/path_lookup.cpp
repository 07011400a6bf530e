#include "base/path_lookup.h"

#include <strings.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The entry of folder whose name equals name ignoring case, or empty.
std::string find_case_insensitive(const fs::path& folder, const std::string& name) {
  std::error_code error;
  fs::directory_iterator entries(folder.empty() ? fs::path(".") : folder, error);
  if (error) return {};
  for (const auto& entry : entries) {
    const std::string candidate = entry.path().filename().string();
    if (strcasecmp(candidate.c_str(), name.c_str()) == 0) return candidate;
  }
  return {};
}

}  // namespace

std::string resolve_existing_path(const char* path) {
  std::string written = path ? path : "";
#ifndef _WIN32
  for (char& c : written) {
    if (c == '\\') c = '/';
  }
#endif
  std::error_code error;
  if (written.empty() || fs::exists(written, error)) return written;

  fs::path resolved;
  for (const fs::path& part : fs::path(written)) {
    const std::string name = part.string();
    if (name.empty() || name == "/" || name == "." || name == "..") {
      resolved /= part;
      continue;
    }
    const fs::path exact = resolved / part;
    if (fs::exists(exact, error)) {
      resolved = exact;
      continue;
    }
    const std::string match = find_case_insensitive(resolved, name);
    if (match.empty()) return written;
    resolved /= match;
  }
  return resolved.string();
}
