#include "platform/win/message_queue.h"

#include <SDL.h>

#include <deque>
#include <vector>

#include "platform/win/file_drop.h"
#include "platform/win/input_translator.h"
#include "platform/win/window_registry.h"
#include "platform/win/windows_api.h"

namespace {

// Windows refuses to post beyond this many waiting messages.
constexpr size_t kQueueLimit = 10000;

std::deque<MSG> g_posted;
bool g_quitPosted = false;
int g_quitCode = 0;
POINT g_lastPointer = {0, 0};

bool in_range(UINT message, UINT filterMin, UINT filterMax) {
  if (filterMin == 0 && filterMax == 0) return true;
  return message >= filterMin && message <= filterMax;
}

void post(HWND hwnd, const InputMessage& input, POINT pointer) {
  MSG msg{hwnd, input.message, input.wParam, input.lParam, timeGetTime(), pointer};
  // Pointer moves are merged as Windows merges them: a burst of motion waits
  // in the queue as one message holding the newest position.
  if (msg.message == WM_MOUSEMOVE && !g_posted.empty()) {
    MSG& last = g_posted.back();
    if (last.message == WM_MOUSEMOVE && last.hwnd == hwnd && last.wParam == msg.wParam) {
      last = msg;
      return;
    }
  }
  if (g_posted.size() < kQueueLimit) g_posted.push_back(msg);
}

// The screen position of the pointer carried by an SDL mouse event.
void track_pointer(const SDL_Event& event, int windowX, int windowY) {
  if (event.type == SDL_MOUSEMOTION) {
    g_lastPointer = {windowX + event.motion.x, windowY + event.motion.y};
  } else if (event.type == SDL_MOUSEBUTTONDOWN || event.type == SDL_MOUSEBUTTONUP) {
    g_lastPointer = {windowX + event.button.x, windowY + event.button.y};
  }
}

Uint32 event_window_id(const SDL_Event& event) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      return event.key.windowID;
    case SDL_MOUSEMOTION:
      return event.motion.windowID;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      return event.button.windowID;
    case SDL_MOUSEWHEEL:
      return event.wheel.windowID;
    case SDL_WINDOWEVENT:
      return event.window.windowID;
    case SDL_DROPFILE:
      return event.drop.windowID;
    default:
      return 0;
  }
}

void handle_window_event(HWND hwnd, const SDL_WindowEvent& event) {
  switch (event.event) {
    case SDL_WINDOWEVENT_CLOSE:
      // The close box sends WM_CLOSE; its default handling destroys the window.
      SendMessageA(hwnd, WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
      SendMessageA(hwnd, WM_SIZE, SIZE_RESTORED, pack_point(event.data1, event.data2));
      break;
    default:
      break;
  }
}

// A file dropped on a window that accepts files becomes WM_DROPFILES; SDL's
// copy of the path is freed here either way.
void handle_drop_event(HWND hwnd, const SDL_DropEvent& event) {
  WindowRecord* record = find_live_window(hwnd);
  if (record != nullptr && record->acceptsFiles && event.file != nullptr) {
    const HDROP drop = make_drop({event.file});
    InputMessage message;
    message.message = WM_DROPFILES;
    message.wParam = reinterpret_cast<WPARAM>(drop);
    post(hwnd, message, g_lastPointer);
  }
  SDL_free(event.file);
}

// Windows reports pointer moves only over the client area of a window that
// has not captured the mouse; the X server's implicit grab during a drag
// would otherwise report positions outside it, which do not fit the 16-bit
// client coordinates.
bool outside_client_area(const WindowRecord& record, const SDL_Event& event) {
  if (event.type != SDL_MOUSEMOTION) return false;
  int width = 0;
  int height = 0;
  SDL_GetWindowSize(record.sdl, &width, &height);
  return event.motion.x < 0 || event.motion.y < 0 || event.motion.x >= width ||
         event.motion.y >= height;
}

void handle_input_event(HWND hwnd, const SDL_Event& event) {
  WindowRecord* record = find_live_window(hwnd);
  if (record == nullptr || outside_client_area(*record, event)) return;
  InputContext context;
  context.doubleClicks = (record->classStyle & CS_DBLCLKS) != 0;
  context.modifiers = SDL_GetModState();
  SDL_GetWindowPosition(record->sdl, &context.windowX, &context.windowY);
  track_pointer(event, context.windowX, context.windowY);

  std::vector<InputMessage> messages;
  record->input.translate(event, context, messages);
  for (const InputMessage& message : messages) post(hwnd, message, g_lastPointer);
}

// Moves every waiting SDL event into the Windows queue. Messages that Windows
// sends rather than posts (close, size) reach the window procedure here.
void pump_events() {
  if (!sdl_video_started()) return;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) {
      // An interrupt or a session end asks every window to close.
      for (HWND hwnd : live_windows()) SendMessageA(hwnd, WM_CLOSE, 0, 0);
      continue;
    }
    const HWND hwnd = live_window_for_sdl_id(event_window_id(event));
    if (hwnd == nullptr) continue;
    if (event.type == SDL_DROPFILE) {
      handle_drop_event(hwnd, event.drop);
    } else if (event.type == SDL_WINDOWEVENT) {
      handle_window_event(hwnd, event.window);
    } else {
      handle_input_event(hwnd, event);
    }
  }
}

}  // namespace

void purge_posted_messages(HWND hwnd) {
  std::erase_if(g_posted, [hwnd](const MSG& msg) { return msg.hwnd == hwnd; });
}

BOOL PeekMessageA(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT removeMessage) {
  if (msg == nullptr) return 0;
  pump_events();
  for (auto it = g_posted.begin(); it != g_posted.end(); ++it) {
    if ((hwnd != nullptr && it->hwnd != hwnd) || !in_range(it->message, filterMin, filterMax)) {
      continue;
    }
    *msg = *it;
    if (removeMessage & PM_REMOVE) g_posted.erase(it);
    return 1;
  }
  // The quit request is handed out only when nothing else is waiting.
  if (g_quitPosted) {
    *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(g_quitCode), 0, timeGetTime(), g_lastPointer};
    if (removeMessage & PM_REMOVE) g_quitPosted = false;
    return 1;
  }
  return 0;
}

BOOL TranslateMessage(const MSG* /*msg*/) {
  // No character messages are made: nothing in the system reads text input.
  return 0;
}

LRESULT DispatchMessageA(const MSG* msg) {
  if (msg == nullptr) return 0;
  return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = find_live_window(hwnd);
  if (record == nullptr) return 0;
  return record->procedure(hwnd, message, wParam, lParam);
}

LRESULT DefWindowProcA(HWND hwnd, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  if (message == WM_CLOSE) DestroyWindow(hwnd);
  return 0;
}

void PostQuitMessage(int exitCode) {
  g_quitPosted = true;
  g_quitCode = exitCode;
}
