#include "tools/meshconv/memory_limit.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

namespace {

constexpr uint64_t kMiB = uint64_t(1) << 20;

}  // namespace

bool sanitizer_build() {
#if defined(__SANITIZE_ADDRESS__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

uint64_t default_memory_limit() {
  const long pages = sysconf(_SC_PHYS_PAGES);
  const long pageSize = sysconf(_SC_PAGE_SIZE);
  const uint64_t physical = pages > 0 && pageSize > 0 ? uint64_t(pages) * uint64_t(pageSize) : 0;
  const uint64_t cap = 4096 * kMiB;
  return physical == 0 ? cap : std::min(physical / 4, cap);
}

bool take_memory_limit(std::vector<std::string>& arguments, uint64_t* bytes, std::string* problem) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    std::string text;
    size_t taken = 1;
    if (arguments[i] == "--max-memory") {
      if (i + 1 >= arguments.size()) {
        *problem = "--max-memory needs a size in MiB";
        return false;
      }
      text = arguments[i + 1];
      taken = 2;
    } else if (arguments[i].rfind("--max-memory=", 0) == 0) {
      text = arguments[i].substr(13);
    } else {
      continue;
    }
    char* end = nullptr;
    const unsigned long long mib = std::strtoull(text.c_str(), &end, 10);
    if (text.empty() || text[0] == '-' || *end != '\0' || mib == 0 || mib > (uint64_t(1) << 40)) {
      *problem = "--max-memory takes a whole number of MiB above 0, not \"" + text + "\"";
      return false;
    }
    *bytes = uint64_t(mib) * kMiB;
    arguments.erase(arguments.begin() + long(i), arguments.begin() + long(i + taken));
    --i;
  }
  return true;
}

bool apply_memory_limit(uint64_t bytes) {
  if (sanitizer_build()) return true;
  rlimit limit{};
  if (getrlimit(RLIMIT_AS, &limit) != 0) return false;
  // Never raise a limit the caller's environment already set lower.
  if (limit.rlim_max != RLIM_INFINITY && bytes > limit.rlim_max) bytes = limit.rlim_max;
  limit.rlim_cur = bytes;
  return setrlimit(RLIMIT_AS, &limit) == 0;
}
