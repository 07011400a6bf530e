#include "app/huge_page_restart.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

std::optional<std::string> tunables_with_huge_pages(const char* current) {
  const std::string_view key = "glibc.malloc.hugetlb";
  const std::string_view tunables = current != nullptr ? current : "";
  size_t start = 0;
  while (start <= tunables.size()) {
    size_t end = tunables.find(':', start);
    if (end == std::string_view::npos) end = tunables.size();
    const std::string_view entry = tunables.substr(start, end - start);
    if (entry.substr(0, entry.find('=')) == key) return std::nullopt;
    start = end + 1;
  }
  std::string value(tunables);
  if (!value.empty()) value += ':';
  value += key;
  value += "=1";
  return value;
}

std::string executable_path() {
  constexpr char kSelf[] = "/proc/self/exe";
  char path[4096];
  const ssize_t length = readlink(kSelf, path, sizeof path - 1);
  if (length <= 0) return kSelf;
  path[length] = '\0';
  return access(path, X_OK) == 0 ? std::string(path) : std::string(kSelf);
}

void restart_with_huge_pages(const char* program, char** argv) {
  if (program == nullptr || argv == nullptr || argv[0] == nullptr) return;
  const char* current = std::getenv("GLIBC_TUNABLES");
  const std::optional<std::string> tunables = tunables_with_huge_pages(current);
  if (!tunables) return;
  const std::optional<std::string> previous =
      current != nullptr ? std::optional<std::string>(current) : std::nullopt;
  if (setenv("GLIBC_TUNABLES", tunables->c_str(), 1) != 0) return;
  execv(program, argv);
  // No restart: go on as we are, with the environment as it was, so that
  // programs started from here see what they would have seen.
  if (previous) {
    setenv("GLIBC_TUNABLES", previous->c_str(), 1);
  } else {
    unsetenv("GLIBC_TUNABLES");
  }
}
