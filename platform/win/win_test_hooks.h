#pragma once
#include <functional>
#include <optional>

#include "platform/win/windows_api.h"

// Substitutes that tests install to reach failure paths or to observe calls
// that would otherwise block or touch the system. An empty function restores
// the platform's own behaviour.

// Replaces timeBeginPeriod and timeEndPeriod.
void win_hook_time_period(std::function<MMRESULT(UINT)> begin, std::function<MMRESULT(UINT)> end);

// Replaces the dialog of MessageBoxA (the copy on standard error is still
// written); receives owner, text, caption and type, and gives the result.
void win_hook_message_box(std::function<int(HWND, LPCSTR, LPCSTR, UINT)> show);

// While set, CreateWindowExA fails as if the window system refused.
void win_hook_fail_window_creation(bool fail);

// While set, platform_display_available gives this answer instead of looking.
void win_hook_display_available(std::optional<bool> available);
