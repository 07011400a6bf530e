#include "app/timer.h"

#include "platform/win/windows_api.h"

namespace {

constexpr uint32_t kStartPeriod = 1;
constexpr uint32_t kPeriodsTried = 100;

}  // namespace

uint32_t CTimer::instanceCount = 0;
bool CTimer::periodSet = false;
bool CTimer::failed = false;
uint32_t CTimer::period = kStartPeriod;

CTimer::CTimer() {
  if (instanceCount == 0 && !periodSet && !failed) {
    // The finest resolution the system grants, from 1 ms up to 100 ms.
    for (uint32_t i = 0; i < kPeriodsTried; ++i) {
      if (timeBeginPeriod(period + i) == TIMERR_NOERROR) {
        periodSet = true;
        period += i;
        break;
      }
    }
    if (!periodSet) {
      failed = true;
      log_int("<error> CTimer() unable set timer res milisec 1-", 99);
    }
  } else if (instanceCount == 0 && periodSet) {
    // A new lifetime raises the period found before; concurrent instances
    // share the one raised period, so every raise has exactly one end.
    timeBeginPeriod(period);
  }
  ++instanceCount;
}

CTimer::~CTimer() {
  --instanceCount;
  if (instanceCount == 0 && periodSet) timeEndPeriod(period);
}

uint32_t CTimer::Now() { return timeGetTime(); }

void CTimer::reset_for_tests() {
  instanceCount = 0;
  periodSet = false;
  failed = false;
  period = kStartPeriod;
}
