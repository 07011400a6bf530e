#pragma once
#include <cstdint>
#include <string>

// Reads back what a load wrote to the loader log, to tell the user why it
// failed in one line.
class LoadReport {
 public:
  // Remembers where the log ends now; the load to report on follows.
  explicit LoadReport(std::string logPath);

  // The first reason the log gives after the mark: the compiler's first
  // message when an effect did not compile, else the first error line; ""
  // when the log names none.
  std::string FirstError() const;

 private:
  std::string logPath_;
  uintmax_t start_ = 0;
};

// The first reason in the given log text, as FirstError finds it.
std::string FirstErrorIn(const std::string& text);
