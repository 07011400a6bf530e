#pragma once

// True when a window would be seen by a user: the video driver is not a
// headless one (offscreen, dummy) and a display is named (DISPLAY or
// WAYLAND_DISPLAY), or SDL's video already runs on a real driver.
bool platform_display_available();

// Whether MessageBoxA shows a dialog when a display is available (the default)
// or only writes its copy on standard error, as it always does.
void platform_show_message_box_dialogs(bool shown);
