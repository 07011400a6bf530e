#pragma once
#include <cstdint>

// The loader log: one process-wide text file, "loaderlog.txt" in the start-up
// directory. Every write opens the file, appends one line and closes it, so
// the file is complete on disk after each line.

// Fixes the log path from the current working directory and writes the header
// line (truncating an earlier log). Call once, before the directory changes.
void log_init();
void log_enable(bool on);
bool log_enabled();

// Keeps the log off for its lifetime, then puts back what was: for reads that
// only prepare (file lists, prefetches) whose files the real load reports.
class LogSilence {
 public:
  LogSilence() : was_enabled_(log_enabled()) { log_enable(false); }
  ~LogSilence() { log_enable(was_enabled_); }
  LogSilence(const LogSilence&) = delete;
  LogSilence& operator=(const LogSilence&) = delete;

 private:
  bool was_enabled_;
};
void log_text(const char* text);
void log_text2(const char* text, const char* text2);
void log_int(const char* label, int32_t value);
void log_uint(const char* label, uint32_t value);
void log_hex(const char* label, uint32_t value);
void log_float(const char* label, float value);

// Like log_init, but with the log file given by the caller (tools that keep
// their own log of one load). Writes the header, truncating the file.
void log_init_file(const char* path);

// The full path that log_init fixed ("" before it).
const char* log_path();

// Test support: forget the fixed path and make the next log_init write the
// header again, as at process start.
void log_reset_for_tests();
