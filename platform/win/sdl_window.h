#pragma once
#include "platform/win/windows_api.h"

// For platform code only: the SDL window behind a window handle, so that the
// OpenGL backend can make its context on it and present into it.
struct SDL_Window;

// The SDL window of hwnd, or null for an unknown handle. A held window is
// still returned after DestroyWindow, until it is released.
SDL_Window* platform_sdl_window(HWND hwnd);

// Keeps the SDL window alive past DestroyWindow (hidden), so that a GL context
// made on it can still be used to free its objects; the window goes when the
// last hold is released after DestroyWindow. Both do nothing for an unknown
// handle.
void platform_hold_sdl_window(HWND hwnd);
void platform_release_sdl_window(HWND hwnd);

// Sets SDL's GL attributes to the one pixel format that every window and every
// GL context of this program uses (software: ask for a non-accelerated one).
// Call right before SDL_CreateWindow or SDL_GL_CreateContext.
void platform_request_gl_pixel_format(bool software);
