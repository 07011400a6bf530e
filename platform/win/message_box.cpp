#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>

#include "platform/win/display.h"
#include "platform/win/sdl_window.h"
#include "platform/win/win_test_hooks.h"
#include "platform/win/window_registry.h"
#include "platform/win/windows_api.h"

namespace {

std::function<int(HWND, LPCSTR, LPCSTR, UINT)> g_messageBoxHook;
std::optional<bool> g_displayHook;
bool g_showDialogs = true;

bool is_headless_driver(const char* driver) {
  return driver != nullptr &&
         (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0);
}

bool has_text(const char* value) { return value != nullptr && value[0] != '\0'; }

Uint32 sdl_box_flags(UINT type) {
  switch (type & 0xF0u) {
    case MB_ICONERROR:
      return SDL_MESSAGEBOX_ERROR;
    case MB_ICONWARNING:
      return SDL_MESSAGEBOX_WARNING;
    default:
      return SDL_MESSAGEBOX_INFORMATION;
  }
}

}  // namespace

void platform_show_message_box_dialogs(bool shown) { g_showDialogs = shown; }

void win_hook_display_available(std::optional<bool> available) { g_displayHook = available; }

bool platform_display_available() {
  if (g_displayHook.has_value()) return *g_displayHook;
  if (sdl_video_started()) return !is_headless_driver(SDL_GetCurrentVideoDriver());
  if (is_headless_driver(std::getenv("SDL_VIDEODRIVER"))) return false;
  return has_text(std::getenv("DISPLAY")) || has_text(std::getenv("WAYLAND_DISPLAY"));
}

void win_hook_message_box(std::function<int(HWND, LPCSTR, LPCSTR, UINT)> show) {
  g_messageBoxHook = std::move(show);
}

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  const char* shownText = text != nullptr ? text : "";
  const char* shownCaption = caption != nullptr ? caption : "Error";
  // The copy on standard error survives where no dialog can be seen.
  std::fprintf(stderr, "[%s] %s\n", shownCaption, shownText);
  std::fflush(stderr);

  if (g_messageBoxHook) return g_messageBoxHook(owner, text, caption, type);
  // A dialog could only wait for a user who cannot see it when there is no
  // display, so without one the box is never shown.
  if (!g_showDialogs || !platform_display_available()) return 0;
  SDL_Window* parent = IsWindow(owner) ? platform_sdl_window(owner) : nullptr;
  if (SDL_ShowSimpleMessageBox(sdl_box_flags(type), shownCaption, shownText, parent) != 0) return 0;
  return IDOK;
}
