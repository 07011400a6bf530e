#pragma once
#include <SDL.h>

#include <cstdlib>
#include <vector>

#include "platform/win/sdl_window.h"
#include "platform/win/windows_api.h"

// Window tests run without a display, on SDL's offscreen driver, and talk to
// the window layer only through pushed SDL events.
inline void use_headless_video() { setenv("SDL_VIDEODRIVER", "offscreen", 1); }

// Removes everything waiting, the quit request included.
inline void drain_messages() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
  }
}

inline Uint32 sdl_id(HWND hwnd) { return SDL_GetWindowID(platform_sdl_window(hwnd)); }

inline void push_key(HWND hwnd, Uint32 type, SDL_Keycode symbol, Uint16 modifiers = KMOD_NONE) {
  SDL_Event event{};
  event.key.type = type;
  event.key.windowID = sdl_id(hwnd);
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.keysym.sym = symbol;
  event.key.keysym.mod = modifiers;
  SDL_PushEvent(&event);
}

inline void push_motion(HWND hwnd, int x, int y) {
  SDL_Event event{};
  event.motion.type = SDL_MOUSEMOTION;
  event.motion.windowID = sdl_id(hwnd);
  event.motion.x = x;
  event.motion.y = y;
  SDL_PushEvent(&event);
}

inline void push_button(HWND hwnd, Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1) {
  SDL_Event event{};
  event.button.type = type;
  event.button.windowID = sdl_id(hwnd);
  event.button.button = button;
  event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = clicks;
  event.button.x = x;
  event.button.y = y;
  SDL_PushEvent(&event);
}

inline void push_wheel(HWND hwnd, float notches) {
  SDL_Event event{};
  event.wheel.type = SDL_MOUSEWHEEL;
  event.wheel.windowID = sdl_id(hwnd);
  event.wheel.preciseY = notches;
  event.wheel.y = static_cast<Sint32>(notches);
  SDL_PushEvent(&event);
}

inline void push_close(HWND hwnd) {
  SDL_Event event{};
  event.window.type = SDL_WINDOWEVENT;
  event.window.windowID = sdl_id(hwnd);
  event.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&event);
}

// A file dropped on the window; SDL hands over a copy of the path it made.
inline void push_drop(HWND hwnd, const char* path) {
  SDL_Event event{};
  event.drop.type = SDL_DROPFILE;
  event.drop.windowID = sdl_id(hwnd);
  event.drop.file = SDL_strdup(path);
  SDL_PushEvent(&event);
}
