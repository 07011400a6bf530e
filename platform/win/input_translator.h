#pragma once
#include <SDL.h>

#include <vector>

#include "platform/win/windows_api.h"

// One input message as the window procedure will see it.
struct InputMessage {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};

// What the translation needs to know beyond the event itself.
struct InputContext {
  bool doubleClicks = false;  // the window's class has CS_DBLCLKS
  SDL_Keymod modifiers = KMOD_NONE;  // for the MK_SHIFT / MK_CONTROL flags of mouse messages
  int windowX = 0;  // client origin on the screen, for the wheel's screen position
  int windowY = 0;
};

// Turns the SDL keyboard and mouse events of one window into Windows input
// messages. It keeps the button state of its window (pushed events do not
// update SDL's) and the part of a high-resolution wheel movement that has not
// yet made a whole unit of the Windows delta.
class InputTranslator {
 public:
  // Appends zero, one or two messages for the event; other events add none.
  void translate(const SDL_Event& event, const InputContext& context,
                 std::vector<InputMessage>& out);

 private:
  void translate_key(const SDL_KeyboardEvent& key, std::vector<InputMessage>& out) const;
  void translate_button(const SDL_MouseButtonEvent& button, const InputContext& context,
                        std::vector<InputMessage>& out);
  void translate_wheel(const SDL_MouseWheelEvent& wheel, const InputContext& context,
                       std::vector<InputMessage>& out);
  WPARAM mouse_flags(SDL_Keymod modifiers) const;

  bool left_ = false;
  bool right_ = false;
  bool middle_ = false;
  float wheelRestX_ = 0.0f;
  float wheelRestY_ = 0.0f;
};

// Packs two client or screen coordinates as Windows does: x in the low 16
// bits, y in the next 16, each as a 16-bit two's-complement value.
LPARAM pack_point(int x, int y);
