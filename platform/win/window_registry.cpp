#include "platform/win/window_registry.h"

#include <cstdint>
#include <cstdio>
#include <map>
#include <utility>

#include "platform/win/sdl_window.h"

namespace {

std::map<uintptr_t, WindowRecord> g_windows;
uintptr_t g_nextHandle = 1;
bool g_videoStarted = false;

uintptr_t key_of(HWND hwnd) { return reinterpret_cast<uintptr_t>(hwnd); }

}  // namespace

bool ensure_sdl_video() {
  if (g_videoStarted) return true;
  // As in Windows, the click that activates a window is still delivered.
  // SDL's capture of the mouse during a drag stays on, so a button released
  // outside the window still ends the drag.
  SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL video could not start: %s\n", SDL_GetError());
    return false;
  }
  g_videoStarted = true;
  // The GL driver stays loaded for the whole run: otherwise it is unloaded
  // with the last window and loaded again with the next one, and the driver
  // leaks a little on each unload. Without GL, window creation reports it.
  SDL_GL_LoadLibrary(nullptr);
  return true;
}

bool sdl_video_started() { return g_videoStarted; }

HWND add_window(WindowRecord record) {
  const uintptr_t key = g_nextHandle++;
  g_windows.emplace(key, std::move(record));
  return reinterpret_cast<HWND>(key);
}

WindowRecord* find_window(HWND hwnd) {
  auto found = g_windows.find(key_of(hwnd));
  return found == g_windows.end() ? nullptr : &found->second;
}

WindowRecord* find_live_window(HWND hwnd) {
  WindowRecord* record = find_window(hwnd);
  return record != nullptr && record->alive ? record : nullptr;
}

HWND live_window_for_sdl_id(Uint32 sdlId) {
  for (auto& [key, record] : g_windows) {
    if (record.alive && record.sdlId == sdlId) return reinterpret_cast<HWND>(key);
  }
  return nullptr;
}

std::vector<HWND> live_windows() {
  std::vector<HWND> handles;
  for (auto& [key, record] : g_windows) {
    if (record.alive) handles.push_back(reinterpret_cast<HWND>(key));
  }
  return handles;
}

bool class_has_live_windows(const std::string& className) {
  for (auto& [key, record] : g_windows) {
    if (record.alive && record.className == className) return true;
  }
  return false;
}

void drop_window_unless_held(HWND hwnd) {
  auto found = g_windows.find(key_of(hwnd));
  if (found == g_windows.end() || found->second.alive || found->second.holds > 0) return;
  SDL_DestroyWindow(found->second.sdl);
  g_windows.erase(found);
}

SDL_Window* platform_sdl_window(HWND hwnd) {
  WindowRecord* record = find_window(hwnd);
  return record != nullptr ? record->sdl : nullptr;
}

void platform_hold_sdl_window(HWND hwnd) {
  if (WindowRecord* record = find_window(hwnd)) ++record->holds;
}

void platform_release_sdl_window(HWND hwnd) {
  WindowRecord* record = find_window(hwnd);
  if (record == nullptr || record->holds == 0) return;
  --record->holds;
  drop_window_unless_held(hwnd);
}
