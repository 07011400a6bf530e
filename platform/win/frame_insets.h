#pragma once
#include "platform/win/windows_api.h"

// How far a window's outer rectangle reaches beyond its client area for a
// style. The window manager draws the real decorations; these fixed sizes
// (those of Windows at 96 dpi) only make AdjustWindowRectEx and
// CreateWindowExA agree, so that a client size survives the round trip.
struct FrameInsets {
  LONG left = 0;
  LONG top = 0;
  LONG right = 0;
  LONG bottom = 0;
};

FrameInsets frame_insets(DWORD style, bool menu);
