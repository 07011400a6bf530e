#include "app/window.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win/win_test_hooks.h"
#include "tests/win/headless_video.h"

namespace {

LPARAM point(uint32_t x, uint32_t y) { return static_cast<LPARAM>(x | (y << 16)); }

TEST(WndProc, RecordsKeysPointerAndLeftButtonAndPassesTheRestOn) {
  CWindow window;  // clears the key arrays
  g_leftDown = 0;
  const HWND none = nullptr;

  EXPECT_EQ(WndProc(none, WM_KEYDOWN, 0x26, 0), 0);
  EXPECT_EQ(WndProc(none, WM_KEYDOWN, 511, 0), 0);
  EXPECT_EQ(g_keyDown[0x26], 1);
  EXPECT_EQ(g_keyDown[511], 1);
  EXPECT_EQ(WndProc(none, WM_KEYUP, 0x26, 0), 0);
  EXPECT_EQ(g_keyDown[0x26], 0);
  EXPECT_EQ(g_keyDown[511], 1);

  // Codes past the table are dropped, not written beyond it.
  EXPECT_EQ(WndProc(none, WM_KEYDOWN, 512, 0), 0);
  EXPECT_EQ(WndProc(none, WM_KEYDOWN, 100000, 0), 0);
  EXPECT_EQ(WndProc(none, WM_KEYUP, 512, 0), 0);
  EXPECT_EQ(g_keyDown[511], 1);
  EXPECT_EQ(g_keyLatch[0], 0);

  // Both halves of the position are taken as unsigned 16-bit values.
  EXPECT_EQ(WndProc(none, WM_MOUSEMOVE, 0, point(640, 480)), 0);
  EXPECT_EQ(g_mouseX, 640u);
  EXPECT_EQ(g_mouseY, 480u);
  WndProc(none, WM_MOUSEMOVE, 0, static_cast<LPARAM>(0xFFFF8000u));
  EXPECT_EQ(g_mouseX, 0x8000u);
  EXPECT_EQ(g_mouseY, 0xFFFFu);
  WndProc(none, WM_MOUSEMOVE, 0, static_cast<LPARAM>(-1));  // sign-extended to 64 bits
  EXPECT_EQ(g_mouseY, 0xFFFFu);

  EXPECT_EQ(WndProc(none, WM_LBUTTONDOWN, MK_LBUTTON, 0), 0);
  EXPECT_EQ(g_leftDown, 1);
  EXPECT_EQ(WndProc(none, WM_LBUTTONUP, 0, 0), 0);
  EXPECT_EQ(g_leftDown, 0);

  // Double clicks, system keys and the wheel take the default path and
  // change nothing.
  EXPECT_EQ(WndProc(none, WM_LBUTTONDBLCLK, MK_LBUTTON, 0), 0);
  EXPECT_EQ(g_leftDown, 0);
  EXPECT_EQ(WndProc(none, WM_SYSKEYDOWN, 0x4F, 1 << 29), 0);
  EXPECT_EQ(g_keyDown[0x4F], 0);
  EXPECT_EQ(WndProc(none, WM_MOUSEWHEEL, static_cast<WPARAM>(120) << 16, 0), 0);
  EXPECT_EQ(g_leftDown, 0);

  // A new window object starts with every key up.
  CWindow another;
  EXPECT_EQ(g_keyDown[511], 0);
}

class WindowInput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { use_headless_video(); }
  void SetUp() override {
    ASSERT_TRUE(window.Create("saját modell", true, 800, 600, 0));
    hwnd = window.GetHwnd();
    drain_messages();
  }
  void TearDown() override {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
    drain_messages();
  }
  // One frame's message step of the viewer: take one message, dispatch it.
  MSG step() {
    MSG msg{};
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return MSG{};
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    return msg;
  }

  CWindow window;
  HWND hwnd = nullptr;
};

TEST_F(WindowInput, ClientAreaIsCentredShownAndResizable) {
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  RECT client{};
  ASSERT_TRUE(GetClientRect(hwnd, &client));
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 600);
  // The outer window starts where a centred client area would.
  RECT outer{};
  ASSERT_TRUE(GetWindowRect(hwnd, &outer));
  EXPECT_EQ(outer.left, (screenWidth >> 1) - 400);
  EXPECT_EQ(outer.top, (screenHeight >> 1) - 300);
  SDL_Window* sdl = platform_sdl_window(hwnd);
  ASSERT_NE(sdl, nullptr);
  EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN);
  EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_RESIZABLE);
  EXPECT_EQ(std::string(SDL_GetWindowTitle(sdl)), "saját modell");
}

TEST_F(WindowInput, FullScreenWindowIsABorderlessPopupAtTheOrigin) {
  DestroyWindow(hwnd);
  CWindow full;
  ASSERT_TRUE(full.Create("full", false, 320, 200, 0));
  RECT outer{};
  ASSERT_TRUE(GetWindowRect(full.GetHwnd(), &outer));
  EXPECT_EQ(outer.left, 0);
  EXPECT_EQ(outer.right, 320);
  EXPECT_EQ(outer.bottom, 200);
  EXPECT_TRUE(SDL_GetWindowFlags(platform_sdl_window(full.GetHwnd())) & SDL_WINDOW_BORDERLESS);
  DestroyWindow(full.GetHwnd());
}

TEST_F(WindowInput, KeysReachTheStateByVirtualKeyCodeButAltCombinationsDoNot) {
  push_key(hwnd, SDL_KEYDOWN, SDLK_o);
  EXPECT_EQ(step().message, WM_KEYDOWN);
  EXPECT_EQ(g_keyDown[0x4F], 1);
  push_key(hwnd, SDL_KEYDOWN, SDLK_UP);
  step();
  EXPECT_EQ(g_keyDown[0x26], 1);
  push_key(hwnd, SDL_KEYUP, SDLK_o);
  EXPECT_EQ(step().message, WM_KEYUP);
  EXPECT_EQ(g_keyDown[0x4F], 0);
  EXPECT_EQ(g_keyDown[0x26], 1);

  push_key(hwnd, SDL_KEYDOWN, SDLK_LALT, KMOD_LALT);
  push_key(hwnd, SDL_KEYDOWN, SDLK_p, KMOD_LALT);
  EXPECT_EQ(step().message, WM_SYSKEYDOWN);
  MSG altP = step();
  EXPECT_EQ(altP.message, WM_SYSKEYDOWN);
  EXPECT_EQ(altP.wParam, 0x50u);
  EXPECT_EQ(g_keyDown[0x50], 0);
  EXPECT_EQ(g_keyDown[0x12], 0);
}

TEST_F(WindowInput, PointerAndLeftButtonIncludingDoubleClicks) {
  g_leftDown = 0;
  push_motion(hwnd, 123, 456);
  EXPECT_EQ(step().message, WM_MOUSEMOVE);
  EXPECT_EQ(g_mouseX, 123u);
  EXPECT_EQ(g_mouseY, 456u);

  push_button(hwnd, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 123, 456, 1);
  EXPECT_EQ(step().message, WM_LBUTTONDOWN);
  EXPECT_EQ(g_leftDown, 1);
  push_button(hwnd, SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 123, 456, 1);
  EXPECT_EQ(step().message, WM_LBUTTONUP);
  EXPECT_EQ(g_leftDown, 0);

  // Moves outside the client area are not reported; a release there is.
  push_button(hwnd, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 123, 456, 1);
  push_motion(hwnd, -5, 10);
  push_motion(hwnd, 800, 10);
  push_motion(hwnd, 10, 600);
  push_button(hwnd, SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -5, 10, 1);
  EXPECT_EQ(step().message, WM_LBUTTONDOWN);
  EXPECT_EQ(step().message, WM_LBUTTONUP);
  EXPECT_EQ(g_leftDown, 0);
  EXPECT_EQ(g_mouseX, 123u);
  EXPECT_EQ(g_mouseY, 456u);

  // The quick second click is a double click: it starts no drag...
  push_button(hwnd, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 123, 456, 2);
  EXPECT_EQ(step().message, WM_LBUTTONDBLCLK);
  EXPECT_EQ(g_leftDown, 0);
  // ...but its release still ends one left over from a release outside the window.
  g_leftDown = 1;
  push_button(hwnd, SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 123, 456, 2);
  EXPECT_EQ(step().message, WM_LBUTTONUP);
  EXPECT_EQ(g_leftDown, 0);

  // The right button's release reaches the loop as a message of its own.
  push_button(hwnd, SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 2);
  EXPECT_EQ(step().message, WM_RBUTTONUP);
  EXPECT_EQ(g_mouseX, 123u);
}

TEST_F(WindowInput, WheelNotchesAndFractionsReachTheLoopInTheMessage) {
  const auto delta = [](const MSG& msg) {
    return static_cast<short>(static_cast<uint16_t>(msg.wParam >> 16));
  };
  push_wheel(hwnd, 1.0f);
  push_wheel(hwnd, -1.0f);
  push_wheel(hwnd, 0.5f);
  push_wheel(hwnd, -0.25f);
  MSG msg = step();
  EXPECT_EQ(msg.message, WM_MOUSEWHEEL);
  EXPECT_EQ(delta(msg), 120);
  EXPECT_EQ(delta(step()), -120);
  EXPECT_EQ(delta(step()), 60);
  msg = step();
  EXPECT_EQ(msg.message, WM_MOUSEWHEEL);
  EXPECT_EQ(delta(msg), -30);
  EXPECT_EQ(step().message, WM_NULL);
}

TEST_F(WindowInput, ClosingTheWindowEndsTheLoopWithQuit) {
  push_close(hwnd);
  MSG msg = step();
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 0u);
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WindowLifetime, ClassIsUnregisteredOnlyOnceItsWindowIsGone) {
  use_headless_video();
  WNDCLASSA probe{};
  probe.lpfnWndProc = WndProc;
  probe.hInstance = GetModuleHandleA(nullptr);
  probe.lpszClassName = "MyD3D";

  HWND left = nullptr;
  {
    CWindow window;
    ASSERT_TRUE(window.Create("a", true, 200, 100, 0x00FF00));
    left = window.GetHwnd();
  }
  // As after Escape: the window still exists, so the class stays registered.
  EXPECT_TRUE(IsWindow(left));
  EXPECT_EQ(RegisterClassA(&probe), 0);

  {
    CWindow window;
    ASSERT_TRUE(window.Create("b", true, 200, 100, 0));  // reuses the registered class
    DestroyWindow(window.GetHwnd());
    DestroyWindow(left);
  }
  EXPECT_NE(RegisterClassA(&probe), 0);  // the destructor unregistered it
  EXPECT_TRUE(UnregisterClassA("MyD3D", GetModuleHandleA(nullptr)));
  drain_messages();
}

TEST(WindowLifetime, FailedCreationShowsItsBoxAndReportsFalse) {
  use_headless_video();
  std::string shown;
  win_hook_message_box([&](HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    EXPECT_EQ(owner, nullptr);
    EXPECT_EQ(type, MB_OK);
    shown += std::string(text) + "|" + caption + "\n";
    return IDOK;
  });
  win_hook_fail_window_creation(true);
  testing::internal::CaptureStderr();
  CWindow window;
  const bool created = window.Create("x", true, 800, 600, 0);
  const std::string errors = testing::internal::GetCapturedStderr();
  win_hook_fail_window_creation(false);
  win_hook_message_box({});

  EXPECT_FALSE(created);
  EXPECT_EQ(window.GetHwnd(), nullptr);
  EXPECT_EQ(shown, "Nem sikerűlt ablakot létrehozni!|FA-TÁL ERROR - No window created!\n");
  EXPECT_NE(errors.find("Nem sikerűlt ablakot létrehozni!"), std::string::npos);
}

}  // namespace
