#include <gtest/gtest.h>

#include <vector>

#include "platform/win/input_translator.h"
#include "platform/win/virtual_keys.h"

namespace {

TEST(VirtualKeys, SymbolsLayoutFallbackAndUnknownKeys) {
  struct Case {
    SDL_Keycode symbol;
    SDL_Scancode scancode;
    UINT expected;
  };
  const Case cases[] = {
      {SDLK_a, SDL_SCANCODE_A, 'A'},
      {SDLK_o, SDL_SCANCODE_O, 0x4F},
      {SDLK_p, SDL_SCANCODE_P, 0x50},
      {SDLK_z, SDL_SCANCODE_Y, 'Z'},  // German layout: the symbol wins over the position
      {SDLK_0, SDL_SCANCODE_0, '0'},
      {SDLK_9, SDL_SCANCODE_9, '9'},
      {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0x1B},
      {SDLK_UP, SDL_SCANCODE_UP, 0x26},
      {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},
      {SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25},
      {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 0x27},
      {SDLK_SPACE, SDL_SCANCODE_SPACE, 0x20},
      {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0x0D},
      {SDLK_RSHIFT, SDL_SCANCODE_RSHIFT, 0x10},
      {SDLK_LCTRL, SDL_SCANCODE_LCTRL, 0x11},
      {SDLK_RALT, SDL_SCANCODE_RALT, 0x12},
      {SDLK_F1, SDL_SCANCODE_F1, 0x70},
      {SDLK_F12, SDL_SCANCODE_F12, 0x7B},
      {SDLK_F13, SDL_SCANCODE_F13, 0x7C},
      {SDLK_F24, SDL_SCANCODE_F24, 0x87},
      {SDLK_KP_0, SDL_SCANCODE_KP_0, 0x60},
      {SDLK_KP_9, SDL_SCANCODE_KP_9, 0x69},
      {SDLK_KP_MINUS, SDL_SCANCODE_KP_MINUS, 0x6D},
      {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, 0xBA},
      {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, 0xDE},
      // Symbols without a Windows code fall back to the key's position.
      {0x0444, SDL_SCANCODE_A, 'A'},  // Cyrillic ef
      {0x00F6, SDL_SCANCODE_SEMICOLON, 0xBA},
      {0x00E9, SDL_SCANCODE_2, '2'},
      {0x00E0, SDL_SCANCODE_0, '0'},
      {0x00A7, SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
      // Keys Windows has no code for make no message at all.
      {SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY, 0},
      {SDLK_UNKNOWN, SDL_SCANCODE_UNKNOWN, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(virtual_key_from_sdl(c.symbol, c.scancode), c.expected)
        << "symbol 0x" << std::hex << c.symbol << " scancode " << std::dec << c.scancode;
  }
}

SDL_Event key_event(Uint32 type, SDL_Keycode symbol, Uint16 modifiers = KMOD_NONE, Uint8 repeat = 0) {
  SDL_Event event{};
  event.key.type = type;
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.key.repeat = repeat;
  event.key.keysym.sym = symbol;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(symbol);
  event.key.keysym.mod = modifiers;
  return event;
}

SDL_Event button_event(Uint32 type, Uint8 button, int x, int y, Uint8 clicks = 1) {
  SDL_Event event{};
  event.button.type = type;
  event.button.button = button;
  event.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
  event.button.clicks = clicks;
  event.button.x = x;
  event.button.y = y;
  return event;
}

SDL_Event motion_event(int x, int y) {
  SDL_Event event{};
  event.motion.type = SDL_MOUSEMOTION;
  event.motion.x = x;
  event.motion.y = y;
  return event;
}

SDL_Event wheel_event(float preciseY, float preciseX = 0.0f, int mouseX = 0, int mouseY = 0) {
  SDL_Event event{};
  event.wheel.type = SDL_MOUSEWHEEL;
  event.wheel.preciseY = preciseY;
  event.wheel.preciseX = preciseX;
  event.wheel.y = static_cast<Sint32>(preciseY);
  event.wheel.x = static_cast<Sint32>(preciseX);
  event.wheel.mouseX = mouseX;
  event.wheel.mouseY = mouseY;
  return event;
}

short wheel_delta(const InputMessage& message) {
  return static_cast<short>(static_cast<uint16_t>(message.wParam >> 16));
}

class Translation : public ::testing::Test {
 protected:
  std::vector<InputMessage> run(const SDL_Event& event) {
    std::vector<InputMessage> out;
    translator.translate(event, context, out);
    return out;
  }
  InputMessage one(const SDL_Event& event) {
    auto out = run(event);
    EXPECT_EQ(out.size(), 1u);
    return out.empty() ? InputMessage{} : out[0];
  }

  InputTranslator translator;
  InputContext context;
};

TEST_F(Translation, KeysBecomeKeyOrSystemKeyMessagesWithWindowsBits) {
  InputMessage down = one(key_event(SDL_KEYDOWN, SDLK_o));
  EXPECT_EQ(down.message, WM_KEYDOWN);
  EXPECT_EQ(down.wParam, 0x4Fu);
  EXPECT_EQ(down.lParam, 1);  // repeat count 1, first press

  InputMessage repeat = one(key_event(SDL_KEYDOWN, SDLK_o, KMOD_NONE, 1));
  EXPECT_EQ(repeat.message, WM_KEYDOWN);
  EXPECT_EQ(repeat.lParam, 1 | (1 << 30));

  InputMessage up = one(key_event(SDL_KEYUP, SDLK_o));
  EXPECT_EQ(up.message, WM_KEYUP);
  EXPECT_EQ(up.lParam, static_cast<LPARAM>(0xC0000001u));

  // Alt combinations, Alt itself and F10 are system keys; AltGr (Ctrl+Alt) is not.
  InputMessage altO = one(key_event(SDL_KEYDOWN, SDLK_o, KMOD_LALT));
  EXPECT_EQ(altO.message, WM_SYSKEYDOWN);
  EXPECT_EQ(altO.wParam, 0x4Fu);
  EXPECT_EQ(altO.lParam, 1 | (1 << 29));
  EXPECT_EQ(one(key_event(SDL_KEYUP, SDLK_o, KMOD_RALT)).message, WM_SYSKEYUP);
  EXPECT_EQ(one(key_event(SDL_KEYDOWN, SDLK_LALT)).message, WM_SYSKEYDOWN);
  EXPECT_EQ(one(key_event(SDL_KEYUP, SDLK_LALT)).message, WM_SYSKEYUP);
  EXPECT_EQ(one(key_event(SDL_KEYDOWN, SDLK_F10)).message, WM_SYSKEYDOWN);
  EXPECT_EQ(one(key_event(SDL_KEYDOWN, SDLK_q, KMOD_LCTRL | KMOD_RALT)).message, WM_KEYDOWN);
  EXPECT_EQ(one(key_event(SDL_KEYDOWN, SDLK_UP, KMOD_LSHIFT)).message, WM_KEYDOWN);

  EXPECT_TRUE(run(key_event(SDL_KEYDOWN, SDLK_AUDIOPLAY)).empty());
}

TEST_F(Translation, PointerAndButtonsCarryClientPositionAndButtonFlags) {
  InputMessage move = one(motion_event(300, 200));
  EXPECT_EQ(move.message, WM_MOUSEMOVE);
  EXPECT_EQ(move.lParam, 300 | (200 << 16));
  EXPECT_EQ(move.wParam, 0u);

  // Negative coordinates are 16-bit two's complement in each half, as in Windows.
  EXPECT_EQ(one(motion_event(-2, -1)).lParam, static_cast<LPARAM>(0xFFFFFFFEu));

  InputMessage press = one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 10, 20));
  EXPECT_EQ(press.message, WM_LBUTTONDOWN);
  EXPECT_EQ(press.wParam, MK_LBUTTON);
  EXPECT_EQ(press.lParam, 10 | (20 << 16));

  context.modifiers = static_cast<SDL_Keymod>(KMOD_LSHIFT | KMOD_RCTRL);
  EXPECT_EQ(one(motion_event(11, 20)).wParam, MK_LBUTTON | MK_SHIFT | MK_CONTROL);
  context.modifiers = KMOD_NONE;

  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 1)).wParam,
            MK_LBUTTON | MK_RBUTTON);
  InputMessage release = one(button_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 12, 20));
  EXPECT_EQ(release.message, WM_LBUTTONUP);
  EXPECT_EQ(release.wParam, MK_RBUTTON);
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 1, 1)).message, WM_RBUTTONUP);
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 1)).wParam, MK_MBUTTON);
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1, 1)).message, WM_MBUTTONUP);
  EXPECT_TRUE(run(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 1)).empty());
}

TEST_F(Translation, DoubleClicksComeInPairsOnlyForDoubleClickClasses) {
  context.doubleClicks = true;
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5, 1)).message, WM_LBUTTONDOWN);
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5, 2)).message, WM_LBUTTONDBLCLK);
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5, 3)).message, WM_LBUTTONDOWN);
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5, 4)).message, WM_LBUTTONDBLCLK);
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 5, 5, 2)).message, WM_LBUTTONUP);
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 5, 2)).message, WM_RBUTTONDBLCLK);
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 5, 5, 2)).message, WM_MBUTTONDBLCLK);

  context.doubleClicks = false;
  EXPECT_EQ(one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5, 2)).message, WM_LBUTTONDOWN);
}

TEST_F(Translation, WheelDeltasInTheHighWordWithFractionsCarriedOver) {
  context.windowX = 100;
  context.windowY = 50;
  InputMessage forward = one(wheel_event(1.0f, 0.0f, 7, 9));
  EXPECT_EQ(forward.message, WM_MOUSEWHEEL);
  EXPECT_EQ(wheel_delta(forward), 120);
  EXPECT_EQ(forward.lParam, 107 | (59 << 16));  // screen, not client, position

  EXPECT_EQ(wheel_delta(one(wheel_event(-1.0f))), -120);
  EXPECT_EQ(wheel_delta(one(wheel_event(-3.0f))), -360);
  EXPECT_EQ(wheel_delta(one(wheel_event(0.25f))), 30);

  // A third of a notch at a time: nothing lost, three messages make one notch.
  int total = 0;
  for (int i = 0; i < 3; ++i) total += wheel_delta(one(wheel_event(1.0f / 3.0f)));
  EXPECT_EQ(total, 120);

  // Movements below one Windows unit wait until they add up to one.
  EXPECT_TRUE(run(wheel_event(0.002f)).empty());
  EXPECT_TRUE(run(wheel_event(0.002f)).empty());
  EXPECT_EQ(wheel_delta(one(wheel_event(0.002f))), 1);

  // The button flags ride in the low word.
  one(button_event(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 0, 0));
  InputMessage dragging = one(wheel_event(1.0f));
  EXPECT_EQ(dragging.wParam & 0xFFFF, MK_LBUTTON);
  EXPECT_EQ(wheel_delta(dragging), 120);

  // The horizontal axis has its own message, after the vertical one.
  auto both = run(wheel_event(1.0f, -1.0f));
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].message, WM_MOUSEWHEEL);
  EXPECT_EQ(both[1].message, WM_MOUSEHWHEEL);
  EXPECT_EQ(wheel_delta(both[1]), -120);

  // Whole notches from older drivers that give no precise amount.
  SDL_Event coarse = wheel_event(0.0f);
  coarse.wheel.y = 2;
  EXPECT_EQ(wheel_delta(one(coarse)), 240);
}

}  // namespace
