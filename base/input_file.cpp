#include "base/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/log.h"
#include "base/path_lookup.h"

namespace {

constexpr uint64_t kMiB = uint64_t(1) << 20;

std::string size_text(uint64_t bytes) {
  if (bytes >= kMiB && bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  return std::to_string(bytes) + " bytes";
}

const char* file_type_name(mode_t mode) {
  if (S_ISDIR(mode)) return "is a directory";
  if (S_ISFIFO(mode)) return "not a regular file (a FIFO)";
  if (S_ISSOCK(mode)) return "not a regular file (a socket)";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "not a regular file (a device)";
  return "not a regular file";
}

bool refuse(InputStatus& status, std::string reason) {
  status.reason = std::move(reason);
  const std::string line = "<error> cannot read " + status.path + ": " + status.reason;
  log_text(line.c_str());
  return false;
}

bool report_missing(InputStatus& status) {
  status.missing = true;
  status.reason = "no such file";
  return false;
}

// Checks what is at status.path and opens it without blocking; the
// descriptor, or -1 with status filled in.
int open_regular_file(InputStatus& status, uint64_t limit, uint64_t* size) {
  struct stat info {};
  // stat first, so that a device or FIFO is never opened at all.
  if (::stat(status.path.c_str(), &info) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) {
      report_missing(status);
    } else {
      refuse(status, std::strerror(errno));
    }
    return -1;
  }
  if (!S_ISREG(info.st_mode)) {
    refuse(status, file_type_name(info.st_mode));
    return -1;
  }
  // O_NONBLOCK: should the path have become a FIFO since stat, open returns
  // at once instead of waiting for a writer, and fstat below refuses it.
  const int fd = ::open(status.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    refuse(status, std::strerror(errno));
    return -1;
  }
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    refuse(status, file_type_name(info.st_mode));
    return -1;
  }
  if (uint64_t(info.st_size) > limit) {
    ::close(fd);
    refuse(status, "larger than " + size_text(limit));
    return -1;
  }
  const int flags = ::fcntl(fd, F_GETFL);
  if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
  *size = uint64_t(info.st_size);
  return fd;
}

// Looks the path up in memory first; the resolved disk path otherwise.
MemoryFileBytes locate(const char* path, InputStatus& status) {
  status = InputStatus{};
  status.path = path ? path : "";
  if (status.path.empty()) return nullptr;
  if (MemoryFileBytes bytes = find_memory_file(status.path)) return bytes;
  status.path = resolve_existing_path(path);
  return nullptr;
}

}  // namespace

uint64_t input_size_limit(InputKind kind) {
  switch (kind) {
    case InputKind::Any: return 1024 * kMiB;
    case InputKind::Model: return 1024 * kMiB;
    case InputKind::Script: return 16 * kMiB;
    case InputKind::Settings: return 1 * kMiB;
    case InputKind::FontTable: return 16 * kMiB;
    case InputKind::Image: return 256 * kMiB;
    case InputKind::Effect: return 8 * kMiB;
  }
  return 1024 * kMiB;
}

FILE* open_input_stream(const char* path, InputKind kind, MemoryFileBytes* keepAlive,
                        InputStatus* status) {
  InputStatus local;
  InputStatus& out = status ? *status : local;
  if (keepAlive) keepAlive->reset();
  const uint64_t limit = input_size_limit(kind);
  if (MemoryFileBytes bytes = locate(path, out)) {
    if (bytes->size() > limit) {
      refuse(out, "larger than " + size_text(limit));
      return nullptr;
    }
    if (keepAlive == nullptr) {
      out.reason = "a file held in memory needs a keep-alive reference";
      return nullptr;
    }
    static char empty[1];
    void* buffer = bytes->empty() ? static_cast<void*>(empty) : const_cast<uint8_t*>(bytes->data());
    FILE* stream = ::fmemopen(buffer, bytes->size(), "r");
    if (stream == nullptr) {
      refuse(out, std::strerror(errno));
      return nullptr;
    }
    *keepAlive = std::move(bytes);
    return stream;
  }
  if (out.path.empty()) {
    report_missing(out);
    return nullptr;
  }
  uint64_t size = 0;
  const int fd = open_regular_file(out, limit, &size);
  if (fd < 0) return nullptr;
  FILE* stream = ::fdopen(fd, "rb");
  if (stream == nullptr) {
    ::close(fd);
    refuse(out, std::strerror(errno));
  }
  return stream;
}

bool read_input_file(const char* path, InputKind kind, std::vector<uint8_t>& bytes,
                     InputStatus* status, uint64_t limit) {
  InputStatus local;
  InputStatus& out = status ? *status : local;
  bytes.clear();
  if (limit == 0) limit = input_size_limit(kind);
  if (MemoryFileBytes memory = locate(path, out)) {
    if (memory->size() > limit) return refuse(out, "larger than " + size_text(limit));
    bytes = *memory;
    return true;
  }
  if (out.path.empty()) return report_missing(out);
  uint64_t size = 0;
  const int fd = open_regular_file(out, limit, &size);
  if (fd < 0) return false;
  bool ok = true;
  try {
    bytes.resize(size_t(size));
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t got = ::read(fd, bytes.data() + done, bytes.size() - done);
      if (got < 0 && errno == EINTR) continue;
      if (got <= 0) break;
      done += size_t(got);
    }
    bytes.resize(done);  // a file that shrank meanwhile gives what it has
    // A file that grew meanwhile is read no further than its size at open.
  } catch (const std::bad_alloc&) {
    ok = refuse(out, "out of memory for " + size_text(size));
    bytes.clear();
  }
  ::close(fd);
  return ok;
}

bool read_input_text(const char* path, InputKind kind, std::string& text, InputStatus* status,
                     uint64_t limit) {
  std::vector<uint8_t> bytes;
  text.clear();
  if (!read_input_file(path, kind, bytes, status, limit)) return false;
  text.assign(bytes.begin(), bytes.end());
  return true;
}
