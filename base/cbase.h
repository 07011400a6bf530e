#pragma once
#include "base/log.h"

// The common base of the classes that write to the loader log. The log keeps
// no per-object state; the members only give every logging class the same
// spelling of the log operations.
class CBase {
 public:
  virtual ~CBase() = default;

  static void log_init() { ::log_init(); }
  static void log_enable(bool on) { ::log_enable(on); }
  static void log_text(const char* text) { ::log_text(text); }
  static void log_text2(const char* text, const char* text2) { ::log_text2(text, text2); }
  static void log_int(const char* label, int32_t value) { ::log_int(label, value); }
  static void log_uint(const char* label, uint32_t value) { ::log_uint(label, value); }
  static void log_hex(const char* label, uint32_t value) { ::log_hex(label, value); }
  static void log_float(const char* label, float value) { ::log_float(label, value); }
};
