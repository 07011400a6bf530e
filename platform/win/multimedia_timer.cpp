#include <chrono>
#include <functional>
#include <utility>

#include "platform/win/win_test_hooks.h"
#include "platform/win/windows_api.h"

namespace {

std::function<MMRESULT(UINT)> g_beginPeriodHook;
std::function<MMRESULT(UINT)> g_endPeriodHook;

// Linux timers already tick in 1 ms steps, so any sensible period is granted;
// 0 is refused as Windows refuses it.
MMRESULT accept_period(UINT period) { return period == 0 ? TIMERR_NOCANDO : TIMERR_NOERROR; }

}  // namespace

DWORD timeGetTime() {
  // The monotonic clock counts from boot, like the Windows one; keeping only
  // the low 32 bits gives the same wrap-around after about 49.7 days.
  const auto sinceEpoch = std::chrono::steady_clock::now().time_since_epoch();
  const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch);
  return static_cast<DWORD>(static_cast<uint64_t>(milliseconds.count()));
}

MMRESULT timeBeginPeriod(UINT period) {
  return g_beginPeriodHook ? g_beginPeriodHook(period) : accept_period(period);
}

MMRESULT timeEndPeriod(UINT period) {
  return g_endPeriodHook ? g_endPeriodHook(period) : accept_period(period);
}

void win_hook_time_period(std::function<MMRESULT(UINT)> begin, std::function<MMRESULT(UINT)> end) {
  g_beginPeriodHook = std::move(begin);
  g_endPeriodHook = std::move(end);
}
