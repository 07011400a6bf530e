#include <SDL.h>
#include <strings.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/win/frame_insets.h"
#include "platform/win/message_queue.h"
#include "platform/win/win_test_hooks.h"
#include "platform/win/window_registry.h"
#include "platform/win/windows_api.h"

namespace {

struct WindowClass {
  std::string name;
  UINT style = 0;
  WNDPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  HCURSOR cursor = nullptr;
};

std::vector<WindowClass> g_classes;
ATOM g_nextAtom = 0xC000;
bool g_failWindowCreation = false;
HWND g_focus = nullptr;
SDL_Cursor* g_crossCursor = nullptr;

// The module handle only has to be non-null and the same on every call.
char g_moduleTag;

constexpr uintptr_t kCursorIdArrow = 32512;
constexpr uintptr_t kCursorIdCross = 32515;
constexpr uintptr_t kLargestResourceId = 0xFFFF;

WindowClass* find_class(LPCSTR name) {
  if (name == nullptr) return nullptr;
  for (WindowClass& windowClass : g_classes) {
    if (strcasecmp(windowClass.name.c_str(), name) == 0) return &windowClass;
  }
  return nullptr;
}

ATOM register_class(LPCSTR name, UINT style, WNDPROC procedure, HINSTANCE instance,
                    HCURSOR cursor) {
  if (name == nullptr || procedure == nullptr || find_class(name) != nullptr) return 0;
  g_classes.push_back({name, style, procedure, instance, cursor});
  return g_nextAtom++;
}

// SDL cursors belong to the whole program, not to a window; the cross of the
// class is shown from the moment its window exists.
void apply_class_cursor(HCURSOR cursor) {
  if (reinterpret_cast<uintptr_t>(cursor) != kCursorIdCross) return;
  if (g_crossCursor == nullptr) g_crossCursor = SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_CROSSHAIR);
  if (g_crossCursor != nullptr) SDL_SetCursor(g_crossCursor);
}

Uint32 sdl_flags_for(DWORD style) {
  Uint32 flags = SDL_WINDOW_OPENGL;
  flags |= (style & WS_VISIBLE) ? SDL_WINDOW_SHOWN : SDL_WINDOW_HIDDEN;
  if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
  if ((style & WS_CAPTION) != WS_CAPTION) flags |= SDL_WINDOW_BORDERLESS;
  return flags;
}

}  // namespace

// The pixel format is fixed when the window is made (the X11 visual, the EGL
// config), so windows and the OpenGL backend's contexts ask for exactly the
// same: a 3.3 core context and a double-buffered window without depth or
// stencil (rendering goes to the backend's own framebuffer).
void platform_request_gl_pixel_format(bool software) {
  SDL_GL_ResetAttributes();
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  // The back buffer's D24S8 depth-stencil buffer, for frames drawn straight
  // into the window.
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
  if (software) SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, 0);
}

void win_hook_fail_window_creation(bool fail) { g_failWindowCreation = fail; }

HMODULE GetModuleHandleA(LPCSTR moduleName) {
  return moduleName == nullptr ? reinterpret_cast<HMODULE>(&g_moduleTag) : nullptr;
}

int GetSystemMetrics(int index) {
  if (index != SM_CXSCREEN && index != SM_CYSCREEN) return 0;
  SDL_DisplayMode mode;
  if (!ensure_sdl_video() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
  return index == SM_CXSCREEN ? mode.w : mode.h;
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR cursorName) {
  const auto id = reinterpret_cast<uintptr_t>(cursorName);
  // Only the system cursors exist; they are named by their resource numbers.
  if (instance != nullptr || id > kLargestResourceId) return nullptr;
  if (id != kCursorIdArrow && id != kCursorIdCross) return nullptr;
  return reinterpret_cast<HCURSOR>(id);
}

HBRUSH CreateSolidBrush(COLORREF colour) {
  // The colour travels in the handle itself (offset so black is not null):
  // nothing to allocate, nothing to free. The renderer paints the window.
  return reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(colour & 0x00FFFFFFu) + 1);
}

ATOM RegisterClassA(const WNDCLASSA* c) {
  if (c == nullptr) return 0;
  return register_class(c->lpszClassName, c->style, c->lpfnWndProc, c->hInstance, c->hCursor);
}

ATOM RegisterClassExA(const WNDCLASSEXA* c) {
  if (c == nullptr || c->cbSize != sizeof(WNDCLASSEXA)) return 0;
  return register_class(c->lpszClassName, c->style, c->lpfnWndProc, c->hInstance, c->hCursor);
}

BOOL UnregisterClassA(LPCSTR className, HINSTANCE instance) {
  WindowClass* windowClass = find_class(className);
  // As in Windows, a class whose windows still exist stays registered.
  if (windowClass == nullptr || windowClass->instance != instance ||
      class_has_live_windows(windowClass->name)) {
    return 0;
  }
  g_classes.erase(g_classes.begin() + (windowClass - g_classes.data()));
  return 1;
}

BOOL AdjustWindowRect(RECT* rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}

BOOL AdjustWindowRectEx(RECT* rect, DWORD style, BOOL menu, DWORD /*exStyle*/) {
  if (rect == nullptr) return 0;
  const FrameInsets insets = frame_insets(style, menu != 0);
  rect->left -= insets.left;
  rect->top -= insets.top;
  rect->right += insets.right;
  rect->bottom += insets.bottom;
  return 1;
}

HWND CreateWindowExA(DWORD /*exStyle*/, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                     int y, int width, int height, HWND /*parent*/, HMENU menu,
                     HINSTANCE /*instance*/, LPVOID /*param*/) {
  const WindowClass* windowClass = find_class(className);
  if (windowClass == nullptr || g_failWindowCreation || !ensure_sdl_video()) return nullptr;

  // Windows takes the outer rectangle; SDL places and sizes the client area.
  const FrameInsets insets = frame_insets(style, menu != nullptr);
  const int clientWidth = std::max(1, static_cast<int>(width - insets.left - insets.right));
  const int clientHeight = std::max(1, static_cast<int>(height - insets.top - insets.bottom));
  const int clientX =
      x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x + insets.left;
  const int clientY =
      y == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y + insets.top;

  platform_request_gl_pixel_format(false);
  SDL_Window* window = SDL_CreateWindow(windowName != nullptr ? windowName : "", clientX, clientY,
                                        clientWidth, clientHeight, sdl_flags_for(style));
  if (window == nullptr) {
    std::fprintf(stderr, "SDL window could not be created: %s\n", SDL_GetError());
    return nullptr;
  }
  apply_class_cursor(windowClass->cursor);

  WindowRecord record;
  record.sdl = window;
  record.sdlId = SDL_GetWindowID(window);
  record.procedure = windowClass->procedure;
  record.className = windowClass->name;
  record.classStyle = windowClass->style;
  record.insets = insets;
  return add_window(std::move(record));
}

BOOL DestroyWindow(HWND hwnd) {
  WindowRecord* record = find_live_window(hwnd);
  if (record == nullptr) return 0;
  // Marked first so that a window procedure destroying it again from its
  // WM_DESTROY handler is refused instead of recursing.
  record->alive = false;
  SDL_HideWindow(record->sdl);
  purge_posted_messages(hwnd);
  const WNDPROC procedure = record->procedure;
  procedure(hwnd, WM_DESTROY, 0, 0);
  if (g_focus == hwnd) g_focus = nullptr;
  drop_window_unless_held(hwnd);
  return 1;
}

BOOL IsWindow(HWND hwnd) { return find_live_window(hwnd) != nullptr ? 1 : 0; }

BOOL ShowWindow(HWND hwnd, int command) {
  WindowRecord* record = find_live_window(hwnd);
  if (record == nullptr) return 0;
  const BOOL wasVisible = (SDL_GetWindowFlags(record->sdl) & SDL_WINDOW_SHOWN) != 0 ? 1 : 0;
  if (command == SW_HIDE) {
    SDL_HideWindow(record->sdl);
  } else {
    SDL_ShowWindow(record->sdl);
  }
  return wasVisible;
}

BOOL UpdateWindow(HWND hwnd) {
  // Nothing is painted outside the renderer, so there is no pending paint.
  return IsWindow(hwnd);
}

HWND SetFocus(HWND hwnd) {
  WindowRecord* record = find_live_window(hwnd);
  if (record == nullptr) return nullptr;
  SDL_RaiseWindow(record->sdl);
  const HWND previous = g_focus;
  g_focus = hwnd;
  return previous;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  WindowRecord* record = find_live_window(hwnd);
  if (record == nullptr || rect == nullptr) return 0;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(record->sdl, &width, &height);
  *rect = {0, 0, width, height};
  return 1;
}

BOOL GetWindowRect(HWND hwnd, RECT* rect) {
  WindowRecord* record = find_live_window(hwnd);
  if (record == nullptr || rect == nullptr) return 0;
  int x = 0, y = 0, width = 0, height = 0;
  SDL_GetWindowPosition(record->sdl, &x, &y);
  SDL_GetWindowSize(record->sdl, &width, &height);
  *rect = {x - record->insets.left, y - record->insets.top, x + width + record->insets.right,
           y + height + record->insets.bottom};
  return 1;
}

BOOL SetWindowTextA(HWND hwnd, LPCSTR text) {
  WindowRecord* record = find_live_window(hwnd);
  if (record == nullptr) return 0;
  SDL_SetWindowTitle(record->sdl, text != nullptr ? text : "");
  return 1;
}
