#pragma once
#include <cstdint>

#include "base/cbase.h"

// The millisecond clock that drives animation. While any timer exists the
// system timer resolution is raised, so the clock advances in fine steps.
class CTimer : public CBase {
 public:
  CTimer();
  ~CTimer() override;
  CTimer(const CTimer&) = delete;
  CTimer& operator=(const CTimer&) = delete;

  // System time in milliseconds; wraps as an unsigned 32-bit value, so
  // callers take differences in unsigned arithmetic.
  static uint32_t Now();

  // Test support: forget the class-wide state, as at process start.
  static void reset_for_tests();

 private:
  // Shared by all instances, one copy per process.
  static uint32_t instanceCount;
  static bool periodSet;
  static bool failed;
  static uint32_t period;
};
