#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win/win_test_hooks.h"
#include "tests/win/headless_video.h"

namespace {

std::vector<UINT> g_seen;

// Records what reaches it and otherwise behaves like a plain application's
// procedure: destroying the window quits with code 7.
LRESULT recording_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  g_seen.push_back(message);
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
    register_class();
  }
  static ATOM register_class() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = recording_procedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kClass;
    return RegisterClassA(&windowClass);
  }
  void SetUp() override {
    first = make_window(10, 10, 216, 139);
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
  static HWND make_window(int x, int y, int width, int height) {
    return CreateWindowExA(0, kClass, "queue test", WS_POPUP | WS_OVERLAPPEDWINDOW, x, y, width,
                           height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
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
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  // A range filter skips the messages outside it, which stay queued.
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_MOUSEMOVE, WM_MOUSEHWHEEL, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_RBUTTONDOWN);

  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  EXPECT_EQ(msg.hwnd, first);
  EXPECT_TRUE(g_seen.empty());  // peeking dispatches nothing
  DispatchMessageA(&msg);
  EXPECT_EQ(g_seen, std::vector<UINT>{WM_KEYDOWN});
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_KEYUP);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));

  // A window filter takes only that window's messages.
  second = make_window(0, 0, 100, 100);
  push_key(first, SDL_KEYDOWN, SDLK_b);
  push_key(second, SDL_KEYDOWN, SDLK_c);
  ASSERT_TRUE(PeekMessageA(&msg, second, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, static_cast<WPARAM>('C'));
}

TEST_F(MessageQueue, BurstsOfPointerMovesWaitAsTheNewestPosition) {
  for (int i = 1; i <= 3; ++i) push_motion(first, i, i);
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
  EXPECT_EQ(places, (std::vector<LPARAM>{3 | (3 << 16), 3 | (3 << 16), 5 | (6 << 16)}));
}

TEST_F(MessageQueue, CloseDestroysTheWindowAndQuitComesAfterEverythingElse) {
  push_key(first, SDL_KEYDOWN, SDLK_x);
  push_close(first);
  push_key(first, SDL_KEYDOWN, SDLK_y);  // arrives after the window is gone
  second = make_window(0, 0, 100, 100);
  push_key(second, SDL_KEYDOWN, SDLK_z);

  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  // Close and destroy are sent while the events are read, as Windows sends them.
  EXPECT_EQ(g_seen, (std::vector<UINT>{WM_CLOSE, WM_DESTROY}));
  EXPECT_FALSE(IsWindow(first));
  EXPECT_EQ(platform_sdl_window(first), nullptr);

  // The destroyed window's input went with it; the quit request waits behind
  // the other window's.
  EXPECT_EQ(msg.hwnd, second);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.hwnd, nullptr);
  EXPECT_EQ(msg.wParam, 7u);
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
  EXPECT_EQ(platform_sdl_window(first), sdl);
  EXPECT_EQ(SDL_GetWindowFromID(id), sdl);
  platform_release_sdl_window(first);
  EXPECT_EQ(platform_sdl_window(first), nullptr);
  EXPECT_EQ(SDL_GetWindowFromID(id), nullptr);
}

TEST_F(MessageQueue, ClassesStayWhileTheirWindowsLiveAndCreationCanBeRefused) {
  EXPECT_FALSE(UnregisterClassA(kClass, GetModuleHandleA(nullptr)));
  DestroyWindow(first);
  EXPECT_TRUE(UnregisterClassA("QUEUETESTCLASS", GetModuleHandleA(nullptr)));  // names ignore case
  EXPECT_EQ(make_window(0, 0, 100, 100), nullptr);  // no class, no window

  EXPECT_NE(register_class(), 0);
  EXPECT_EQ(register_class(), 0);
  win_hook_fail_window_creation(true);
  EXPECT_EQ(make_window(0, 0, 100, 100), nullptr);
  win_hook_fail_window_creation(false);
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
  EXPECT_EQ(popup.top, 0);
  EXPECT_EQ(popup.right, 800);

  // A window made with the adjusted size has the wanted client size, inside
  // the outer rectangle where the frame says.
  second = make_window(40, 30, rect.right - rect.left, rect.bottom - rect.top);
  ASSERT_NE(second, nullptr);
  RECT client{}, outer{};
  ASSERT_TRUE(GetClientRect(second, &client));
  ASSERT_TRUE(GetWindowRect(second, &outer));
  EXPECT_EQ(client.right, 800);
  EXPECT_EQ(client.bottom, 600);
  EXPECT_EQ(outer.left, 40);
  EXPECT_EQ(outer.top, 30);
  EXPECT_EQ(outer.right, 40 + 816);
  EXPECT_EQ(outer.bottom, 30 + 639);
  EXPECT_FALSE(ShowWindow(second, SW_SHOW));  // made hidden without WS_VISIBLE
  EXPECT_TRUE(ShowWindow(second, SW_HIDE));
}

}  // namespace

TEST_F(MessageQueue, AFileDroppedOnAWindowThatAcceptsFilesArrivesAsDropFiles) {
  second = make_window(300, 10, 100, 100);
  ASSERT_NE(second, nullptr);
  DragAcceptFiles(first, 1);
  push_drop(second, "/ignored/by/second.fbx");  // second never accepted files
  push_drop(first, "/models/dropped model.fbx");
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  ASSERT_EQ(msg.message, WM_DROPFILES);
  EXPECT_EQ(msg.hwnd, first);
  const HDROP drop = reinterpret_cast<HDROP>(msg.wParam);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "nothing from the other window";

  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0), 1u);
  const std::string expected = "/models/dropped model.fbx";
  EXPECT_EQ(DragQueryFileA(drop, 0, nullptr, 0), expected.size());
  char whole[64] = {};
  EXPECT_EQ(DragQueryFileA(drop, 0, whole, sizeof whole), expected.size());
  EXPECT_EQ(std::string(whole), expected);
  char cut[8];
  EXPECT_EQ(DragQueryFileA(drop, 0, cut, sizeof cut), 7u) << "cut to the buffer, terminated";
  EXPECT_EQ(std::string(cut), expected.substr(0, 7));
  EXPECT_EQ(DragQueryFileA(drop, 1, whole, sizeof whole), 0u) << "only one file";

  DragFinish(drop);
  EXPECT_EQ(DragQueryFileA(drop, 0xFFFFFFFFu, nullptr, 0), 0u) << "a finished drop is not read";
  DragFinish(drop);  // twice does no harm

  DragAcceptFiles(first, 0);
  push_drop(first, "/models/late.fbx");
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) << "no longer accepting";
}

TEST_F(MessageQueue, TheWindowTitleCanBeChanged) {
  EXPECT_TRUE(SetWindowTextA(first, "meshview - walker.x_out"));
  EXPECT_STREQ(SDL_GetWindowTitle(platform_sdl_window(first)), "meshview - walker.x_out");
  DestroyWindow(first);
  EXPECT_FALSE(SetWindowTextA(first, "gone"));
}
