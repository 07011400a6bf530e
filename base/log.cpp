#include "base/log.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr size_t kPathBufferSize = 640;
constexpr char kLogFileName[] = "loaderlog.txt";
constexpr char kHeader[] = "'Brenvik' DEBUGFILE\n";
#ifdef _WIN32
constexpr char kFallbackFolder[] = "c:";
constexpr char kSeparator[] = "\\";
#else
constexpr char kFallbackFolder[] = ".";
constexpr char kSeparator[] = "/";
#endif

char g_logPath[kPathBufferSize] = {};
bool g_logEnabled = false;
bool g_headerPending = true;

// Opens the log for one append; nullptr when disabled or when the file cannot
// be opened (that write is then dropped silently).
FILE* open_for_append() {
  if (!g_logEnabled || g_logPath[0] == '\0') return nullptr;
  return std::fopen(g_logPath, "a+");
}

}  // namespace

void log_init() {
  std::memset(g_logPath, 0, sizeof g_logPath);
  // Leave room for separator, file name and terminator within the buffer.
  const size_t directoryCapacity = kPathBufferSize - 1 - (sizeof kLogFileName - 1);
  if (getcwd(g_logPath, directoryCapacity) == nullptr) {
    std::memset(g_logPath, 0, sizeof g_logPath);
    std::strcpy(g_logPath, kFallbackFolder);
  }
  std::strcat(g_logPath, kSeparator);
  std::strcat(g_logPath, kLogFileName);

  if (g_headerPending) {
    if (FILE* file = std::fopen(g_logPath, "w")) {
      std::fputs(kHeader, file);
      std::fclose(file);
    }
    g_headerPending = false;
  }
}

void log_init_file(const char* path) {
  std::memset(g_logPath, 0, sizeof g_logPath);
  std::strncpy(g_logPath, path ? path : "", sizeof g_logPath - 1);
  if (FILE* file = std::fopen(g_logPath, "w")) {
    std::fputs(kHeader, file);
    std::fclose(file);
  }
  g_headerPending = false;
}

void log_enable(bool on) { g_logEnabled = on; }

bool log_enabled() { return g_logEnabled; }

void log_text(const char* text) {
  if (FILE* file = open_for_append()) {
    std::fprintf(file, "%s\n", text ? text : "(null)");
    std::fclose(file);
  }
}

void log_text2(const char* text, const char* text2) {
  if (FILE* file = open_for_append()) {
    std::fprintf(file, "%s%s\n", text ? text : "(null)", text2 ? text2 : "(null)");
    std::fclose(file);
  }
}

void log_int(const char* label, int32_t value) {
  if (FILE* file = open_for_append()) {
    std::fprintf(file, "%s %d\n", label ? label : "(null)", value);
    std::fclose(file);
  }
}

void log_uint(const char* label, uint32_t value) {
  if (FILE* file = open_for_append()) {
    std::fprintf(file, "%s %u\n", label ? label : "(null)", value);
    std::fclose(file);
  }
}

void log_hex(const char* label, uint32_t value) {
  if (FILE* file = open_for_append()) {
    std::fprintf(file, "%s %x\n", label ? label : "(null)", value);
    std::fclose(file);
  }
}

void log_float(const char* label, float value) {
  if (FILE* file = open_for_append()) {
    std::fprintf(file, "%s %f\n", label ? label : "(null)", static_cast<double>(value));
    std::fclose(file);
  }
}

const char* log_path() { return g_logPath; }

void log_reset_for_tests() {
  std::memset(g_logPath, 0, sizeof g_logPath);
  g_headerPending = true;
  g_logEnabled = false;
}
