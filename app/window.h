#pragma once
#include <cstdint>

#include "platform/win/windows_api.h"

// Input state that the window procedure records and the viewer's controls
// read once per frame.
extern unsigned char g_keyDown[512];   // 1 while the key with that virtual-key code is down
extern unsigned char g_keyLatch[512];  // edge latch of the toggles; cleared by CWindow only
extern uint32_t g_mouseX;              // pointer position in client pixels
extern uint32_t g_mouseY;
extern unsigned char g_leftDown;  // 1 between a left press and its release

// The single application window, of the window class "MyD3D".
class CWindow {
 public:
  CWindow();
  ~CWindow();
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;

  // Registers the class and creates the window with the given client size,
  // centred on the screen; shows its own message box and returns false when
  // no window could be made.
  bool Create(const char* title, bool windowed, int width, int height, COLORREF colour);
  HWND GetHwnd() const { return hwnd; }

 private:
  HWND hwnd = nullptr;
  HINSTANCE instance = nullptr;
};

LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
