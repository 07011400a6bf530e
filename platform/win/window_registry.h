#pragma once
#include <SDL.h>

#include <string>
#include <vector>

#include "platform/win/frame_insets.h"
#include "platform/win/input_translator.h"
#include "platform/win/windows_api.h"

// Platform-internal: the windows that exist, keyed by their never-reused
// handle numbers, and the start of SDL's video subsystem.

struct WindowRecord {
  SDL_Window* sdl = nullptr;
  Uint32 sdlId = 0;
  WNDPROC procedure = nullptr;
  std::string className;
  UINT classStyle = 0;
  FrameInsets insets;
  bool alive = true;          // false from the start of DestroyWindow
  int holds = 0;              // platform_hold_sdl_window minus releases
  bool acceptsFiles = false;  // DragAcceptFiles
  InputTranslator input;
};

// Starts SDL's video subsystem on first use; false while no driver works.
bool ensure_sdl_video();
bool sdl_video_started();

HWND add_window(WindowRecord record);
// The record of a handle, destroyed or not, while it is kept; else null.
WindowRecord* find_window(HWND hwnd);
// The record of a handle that has not been destroyed; else null.
WindowRecord* find_live_window(HWND hwnd);
HWND live_window_for_sdl_id(Uint32 sdlId);
std::vector<HWND> live_windows();
bool class_has_live_windows(const std::string& className);
// After DestroyWindow: frees the SDL window and the record unless held.
void drop_window_unless_held(HWND hwnd);
