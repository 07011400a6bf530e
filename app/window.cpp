#include "app/window.h"

#include <cstring>

unsigned char g_keyDown[512];
unsigned char g_keyLatch[512];
uint32_t g_mouseX = 0;
uint32_t g_mouseY = 0;
unsigned char g_leftDown = 0;

namespace {

constexpr char kClassName[] = "MyD3D";
constexpr char kNoWindowText[] = "Nem sikerűlt ablakot létrehozni!";
constexpr char kNoWindowCaption[] = "FA-TÁL ERROR - No window created!";
constexpr DWORD kWindowedStyle = WS_POPUP | WS_OVERLAPPEDWINDOW;
constexpr DWORD kFullScreenStyle = WS_POPUP;
constexpr WPARAM kKeyCount = sizeof g_keyDown;

}  // namespace

CWindow::CWindow() {
  std::memset(g_keyDown, 0, sizeof g_keyDown);
  std::memset(g_keyLatch, 0, sizeof g_keyLatch);
}

CWindow::~CWindow() {
  // Fails quietly while the window still exists (left by Escape); the window
  // then goes with the process.
  UnregisterClassA(kClassName, instance);
  hwnd = nullptr;
}

bool CWindow::Create(const char* title, bool windowed, int width, int height, COLORREF colour) {
  instance = GetModuleHandleA(nullptr);

  // The client size is centred, not the outer window.
  int x = (GetSystemMetrics(SM_CXSCREEN) >> 1) - (width >> 1);
  int y = (GetSystemMetrics(SM_CYSCREEN) >> 1) - (height >> 1);
  DWORD style = kWindowedStyle;
  int outerWidth = width;
  int outerHeight = height;
  if (windowed) {
    RECT rect = {0, 0, width, height};
    AdjustWindowRectEx(&rect, style, 0, 0);
    outerWidth = (rect.left < 0 ? -rect.left : rect.left) + rect.right;
    outerHeight = (rect.top < 0 ? -rect.top : rect.top) + rect.bottom;
  } else {
    style = kFullScreenStyle;
    x = 0;
    y = 0;
  }

  WNDCLASSA windowClass = {};
  windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  windowClass.lpfnWndProc = WndProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorA(nullptr, IDC_CROSS);
  windowClass.hbrBackground = CreateSolidBrush(colour);
  windowClass.lpszMenuName = "";
  windowClass.lpszClassName = kClassName;
  // A class left registered by an earlier call makes this fail harmlessly.
  RegisterClassA(&windowClass);

  const HWND created = CreateWindowExA(0, kClassName, title, style, x, y, outerWidth, outerHeight,
                                       nullptr, nullptr, instance, nullptr);
  if (created == nullptr) {
    MessageBoxA(nullptr, kNoWindowText, kNoWindowCaption, MB_OK);
    return false;
  }
  hwnd = created;
  ShowWindow(hwnd, SW_SHOW);
  UpdateWindow(hwnd);
  SetFocus(hwnd);
  return true;
}

LRESULT WndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_SIZE:
      return 0;
    case WM_KEYDOWN:
      if (wParam < kKeyCount) g_keyDown[wParam] = 1;
      return 0;
    case WM_KEYUP:
      if (wParam < kKeyCount) g_keyDown[wParam] = 0;
      return 0;
    case WM_MOUSEMOVE:
      g_mouseX = static_cast<uint32_t>(lParam) & 0xFFFFu;
      g_mouseY = (static_cast<uint32_t>(lParam) >> 16) & 0xFFFFu;
      return 0;
    case WM_LBUTTONDOWN:
      g_leftDown = 1;
      return 0;
    case WM_LBUTTONUP:
      g_leftDown = 0;
      return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return 0;
    default:
      return DefWindowProcA(hwnd, message, wParam, lParam);
  }
}
