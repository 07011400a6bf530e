#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/win_test_hooks.h"
#include "tests/win/headless_video.h"

namespace {

struct Seen {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
};
std::vector<Seen> g_seen;

// A window procedure that records what reaches it and otherwise behaves like
// a plain application's: destroying the window quits with code 7.
LRESULT recording_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_seen.push_back({hwnd, message, wParam});
  if (message == WM_DESTROY) {
    PostQuitMessage(7);
    return 0;
  }
  return DefWindowProcA(hwnd, message, wParam, lParam);
}

constexpr char kClass[] = "QueueTestClass";

class MessageQueue : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    use_headless_video();
    WNDCLASSA windowClass{};
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = recording_procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    RegisterClassA(&windowClass);
  }
  void SetUp() override {
    first = make_window();
    ASSERT_NE(first, nullptr);
    drain_messages();
    g_seen.clear();
  }
  void TearDown() override {
    for (HWND hwnd : {first, second}) {
      if (IsWindow(hwnd)) DestroyWindow(hwnd);
    }
    drain_messages();
  }
  static HWND make_window() {
    return CreateWindowExA(0, kClass, "queue test", WS_POPUP | WS_OVERLAPPEDWINDOW, 10, 10, 216,
                           139, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
  }

  HWND first = nullptr;
  HWND second = nullptr;
};

TEST_F(MessageQueue, OneMessagePerCallInArrivalOrderWithFilters) {
  push_key(first, SDL_KEYDOWN, SDLK_a);
  push_button(first, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 3, 4);
  push_key(first, SDL_KEYUP, SDLK_a);

  MSG msg{};
  // Looking without removing leaves the message at the front.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(msg.hwnd, first);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);

  // A range filter skips over the messages outside it, which stay queued.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEHWHEEL, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_RBUTTONDOWN);
  EXPECT_EQ(msg.lParam, 3 | (4 << 16));

  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('A'));
  EXPECT_TRUE(g_seen.empty());  // nothing is dispatched by peeking
  EXPECT_EQ(DispatchMessageA(&msg), 0);
  ASSERT_EQ(g_seen.size(), 1u);
  EXPECT_EQ(g_seen[0].message, WM_KEYDOWN);

  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYUP);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

  // A window filter takes only that window's messages.
  second = make_window();
  ASSERT_NE(second, nullptr);
  push_key(first, SDL_KEYDOWN, SDLK_b);
  push_key(second, SDL_KEYDOWN, SDLK_c);
  ASSERT_TRUE(PeekMessageA(&msg, second, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('C'));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('B'));
}

TEST_F(MessageQueue, BurstsOfPointerMovesWaitAsTheNewestPosition) {
  push_motion(first, 1, 1);
  push_motion(first, 2, 2);
  push_motion(first, 3, 3);
  push_button(first, SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 3, 3);
  push_motion(first, 4, 4);
  push_motion(first, 5, 6);

  MSG msg{};
  std::vector<UINT> order;
  std::vector<LPARAM> places;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    order.push_back(msg.message);
    places.push_back(msg.lParam);
  }
  // A press in between keeps the moves on either side of it apart.
  EXPECT_EQ(order, (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_MOUSEMOVE}));
  ASSERT_EQ(places.size(), 3u);
  EXPECT_EQ(places[0], 3 | (3 << 16));
  EXPECT_EQ(places[2], 5 | (6 << 16));
}

TEST_F(MessageQueue, CloseDestroysTheWindowAndQuitComesLast) {
  push_key(first, SDL_KEYDOWN, SDLK_x);
  push_close(first);
  push_key(first, SDL_KEYDOWN, SDLK_y);  // arrives after the window is gone

  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  // Close and destroy are sent while the events are read, as Windows sends them.
  ASSERT_EQ(g_seen.size(), 2u);
  EXPECT_EQ(g_seen[0].message, WM_CLOSE);
  EXPECT_EQ(g_seen[1].message, WM_DESTROY);
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(platform_sdl_window(first), nullptr);

  // The destroyed window's waiting input went with it; the quit request remains.
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 7u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(g_seen.size(), 2u);
}

TEST_F(MessageQueue, QuitWaitsBehindQueuedInputAndIsTakenOnce) {
  push_key(first, SDL_KEYDOWN, SDLK_q);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));  // reads the event in
  PostQuitMessage(3);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(MessageQueue, HeldWindowOutlivesDestroyUntilReleased) {
  SDL_Window* sdl = platform_sdl_window(first);
  ASSERT_NE(sdl, nullptr);
  EXPECT_TRUE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_OPENGL);
  const Uint32 id = SDL_GetWindowID(sdl);

  platform_hold_sdl_window(first);
  EXPECT_TRUE(DestroyWindow(first));
  EXPECT_FALSE(DestroyWindow(first));  // a second destroy is refused
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(platform_sdl_window(first), sdl);
  EXPECT_EQ(SDL_GetWindowFromID(id), sdl);
  EXPECT_FALSE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN);

  platform_release_sdl_window(first);
  EXPECT_EQ(platform_sdl_window(first), nullptr);
  EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
}

TEST_F(MessageQueue, ClassesRegisterOnceAndStayWhileTheirWindowsLive) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = recording_procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = "queuetestclass";  // class names ignore case
  EXPECT_EQ(RegisterClassA(&windowClass), 0);

  EXPECT_FALSE(UnregisterClassA(kClass, GetModuleHandleA(nullptr)));
  EXPECT_TRUE(IsWindow(first));
  DestroyWindow(first);
  EXPECT_TRUE(UnregisterClassA("QUEUETESTCLASS", GetModuleHandleA(nullptr)));
  EXPECT_FALSE(UnregisterClassA(kClass, GetModuleHandleA(nullptr)));
  EXPECT_EQ(make_window(), nullptr);  // no class, no window

  windowClass.lpszClassName = kClass;
  windowClass.style = CS_DBLCLKS;
  EXPECT_NE(RegisterClassA(&windowClass), 0);
  EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "x", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                            nullptr, nullptr),
            nullptr);

  win_hook_fail_window_creation(true);
  EXPECT_EQ(make_window(), nullptr);
  win_hook_fail_window_creation(false);
  second = make_window();
  EXPECT_NE(second, nullptr);
}

TEST_F(MessageQueue, OuterRectangleAndClientSizeAgree) {
  RECT rect = {0, 0, 800, 600};
  ASSERT_TRUE(AdjustWindowRectEx(&rect, WS_POPUP | WS_OVERLAPPEDWINDOW, 0, 0));
  EXPECT_EQ(rect.left, -8);
  EXPECT_EQ(rect.top, -31);
  EXPECT_EQ(rect.right, 808);
  EXPECT_EQ(rect.bottom, 608);

  RECT popup = {0, 0, 800, 600};
  AdjustWindowRect(&popup, WS_POPUP, 0);
  EXPECT_EQ(popup.left, 0);
  EXPECT_EQ(popup.top, 0);
  EXPECT_EQ(popup.right, 800);
  EXPECT_EQ(popup.bottom, 600);

  RECT withMenu = {0, 0, 100, 100};
  AdjustWindowRect(&withMenu, WS_OVERLAPPEDWINDOW, 1);
  EXPECT_LT(withMenu.top, -31);

  // The window made with the adjusted size has the wanted client size, placed
  // inside the outer rectangle where the frame says.
  second = CreateWindowExA(0, kClass, "sized", WS_POPUP | WS_OVERLAPPEDWINDOW, 40, 30,
                           rect.right - rect.left, rect.bottom - rect.top, nullptr, nullptr,
                           nullptr, nullptr);
  ASSERT_NE(second, nullptr);
  RECT client{};
  ASSERT_TRUE(GetClientRect(second, &client));
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 600);
  RECT outer{};
  ASSERT_TRUE(GetWindowRect(second, &outer));
  EXPECT_EQ(outer.left, 40);
  EXPECT_EQ(outer.top, 30);
  EXPECT_EQ(outer.right - outer.left, 816);
  EXPECT_EQ(outer.bottom - outer.top, 639);
  int x = 0, y = 0;
  SDL_GetWindowPosition(platform_sdl_window(second), &x, &y);
  EXPECT_EQ(x, 48);
  EXPECT_EQ(y, 61);
  EXPECT_TRUE(SDL_GetWindowFlags(platform_sdl_window(second)) & SDL_WINDOW_RESIZABLE);
  EXPECT_FALSE(SDL_GetWindowFlags(platform_sdl_window(second)) & SDL_WINDOW_SHOWN);
  EXPECT_FALSE(ShowWindow(second, SW_SHOW));  // was hidden
  EXPECT_TRUE(SDL_GetWindowFlags(platform_sdl_window(second)) & SDL_WINDOW_SHOWN);
  EXPECT_TRUE(ShowWindow(second, SW_HIDE));
}

}  // namespace
