#include "platform/win/input_translator.h"

#include <cmath>
#include <cstdint>

#include "platform/win/virtual_keys.h"

namespace {

// Bits of a key message's lParam.
constexpr uint32_t kRepeatCountOne = 1;
constexpr uint32_t kAltContext = 1u << 29;
constexpr uint32_t kPreviouslyDown = 1u << 30;
constexpr uint32_t kReleasing = 1u << 31;

// The largest wheel delta one message carries (its 16-bit field).
constexpr long kLargestDelta = INT16_MAX;

WPARAM wheel_wparam(long delta, WPARAM flags) {
  return (static_cast<WPARAM>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16) | flags;
}

// A wheel axis: SDL's precise amount when it gives one, else its whole notches.
float wheel_amount(float precise, Sint32 whole) {
  return precise != 0.0f ? precise : static_cast<float>(whole);
}

// Takes the whole Windows units out of the accumulated rest, keeping the
// fraction for the next event so slow high-resolution scrolling is not lost.
long take_delta(float& rest, float notches) {
  rest += notches * static_cast<float>(WHEEL_DELTA);
  long delta = std::lround(rest);
  if (delta > kLargestDelta) delta = kLargestDelta;
  if (delta < -kLargestDelta) delta = -kLargestDelta;
  rest -= static_cast<float>(delta);
  return delta;
}

}  // namespace

LPARAM pack_point(int x, int y) {
  const uint32_t low = static_cast<uint16_t>(static_cast<int16_t>(x));
  const uint32_t high = static_cast<uint16_t>(static_cast<int16_t>(y));
  return static_cast<LPARAM>(low | (high << 16));
}

void InputTranslator::translate(const SDL_Event& event, const InputContext& context,
                                std::vector<InputMessage>& out) {
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      translate_key(event.key, out);
      break;
    case SDL_MOUSEMOTION:
      out.push_back({WM_MOUSEMOVE, mouse_flags(context.modifiers),
                     pack_point(event.motion.x, event.motion.y)});
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      translate_button(event.button, context, out);
      break;
    case SDL_MOUSEWHEEL:
      translate_wheel(event.wheel, context, out);
      break;
    default:
      break;
  }
}

void InputTranslator::translate_key(const SDL_KeyboardEvent& key,
                                    std::vector<InputMessage>& out) const {
  const UINT code = virtual_key_from_sdl(key.keysym.sym, key.keysym.scancode);
  if (code == 0) return;
  const bool down = key.type == SDL_KEYDOWN;
  const bool alt = (key.keysym.mod & KMOD_ALT) != 0 || code == VK_MENU;
  const bool control = (key.keysym.mod & KMOD_CTRL) != 0;
  // Windows routes Alt combinations (but not AltGr, which is Ctrl+Alt) and
  // F10 to the system-key messages.
  const bool system = (alt && !control) || code == VK_F10;

  uint32_t bits = kRepeatCountOne;
  if (alt) bits |= kAltContext;
  if (!down || key.repeat) bits |= kPreviouslyDown;
  if (!down) bits |= kReleasing;

  UINT message = down ? WM_KEYDOWN : WM_KEYUP;
  if (system) message = down ? WM_SYSKEYDOWN : WM_SYSKEYUP;
  out.push_back({message, code, static_cast<LPARAM>(bits)});
}

void InputTranslator::translate_button(const SDL_MouseButtonEvent& button,
                                       const InputContext& context,
                                       std::vector<InputMessage>& out) {
  const bool down = button.type == SDL_MOUSEBUTTONDOWN;
  struct Messages {
    UINT press, release, twice;
  } messages{};
  switch (button.button) {
    case SDL_BUTTON_LEFT:
      left_ = down;
      messages = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK};
      break;
    case SDL_BUTTON_RIGHT:
      right_ = down;
      messages = {WM_RBUTTONDOWN, WM_RBUTTONUP, WM_RBUTTONDBLCLK};
      break;
    case SDL_BUTTON_MIDDLE:
      middle_ = down;
      messages = {WM_MBUTTONDOWN, WM_MBUTTONUP, WM_MBUTTONDBLCLK};
      break;
    default:
      return;
  }
  // Windows pairs clicks: the second of two quick clicks is the double click,
  // a third starts a new pair.
  const bool doubleClick = context.doubleClicks && button.clicks >= 2 && button.clicks % 2 == 0;
  UINT message = messages.release;
  if (down) message = doubleClick ? messages.twice : messages.press;
  out.push_back({message, mouse_flags(context.modifiers), pack_point(button.x, button.y)});
}

void InputTranslator::translate_wheel(const SDL_MouseWheelEvent& wheel,
                                      const InputContext& context,
                                      std::vector<InputMessage>& out) {
  const WPARAM flags = mouse_flags(context.modifiers);
  // Wheel messages carry the pointer in screen coordinates, unlike the others.
  const LPARAM where = pack_point(context.windowX + wheel.mouseX, context.windowY + wheel.mouseY);
  const long vertical = take_delta(wheelRestY_, wheel_amount(wheel.preciseY, wheel.y));
  if (vertical != 0) out.push_back({WM_MOUSEWHEEL, wheel_wparam(vertical, flags), where});
  const long horizontal = take_delta(wheelRestX_, wheel_amount(wheel.preciseX, wheel.x));
  if (horizontal != 0) out.push_back({WM_MOUSEHWHEEL, wheel_wparam(horizontal, flags), where});
}

WPARAM InputTranslator::mouse_flags(SDL_Keymod modifiers) const {
  WPARAM flags = 0;
  if (left_) flags |= MK_LBUTTON;
  if (right_) flags |= MK_RBUTTON;
  if (middle_) flags |= MK_MBUTTON;
  if (modifiers & KMOD_SHIFT) flags |= MK_SHIFT;
  if (modifiers & KMOD_CTRL) flags |= MK_CONTROL;
  return flags;
}
