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
      {SDLK_o, SDL_SCANCODE_O, 0x4F},
      {SDLK_z, SDL_SCANCODE_Y, 'Z'},  // German layout: the symbol wins over the position
      {SDLK_0, SDL_SCANCODE_0, '0'},
      {SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, 0x1B},
      {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},
      {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0x0D},
      {SDLK_RALT, SDL_SCANCODE_RALT, 0x12},
      {SDLK_F12, SDL_SCANCODE_F12, 0x7B},
      {SDLK_F13, SDL_SCANCODE_F13, 0x7C},
      {SDLK_KP_0, SDL_SCANCODE_KP_0, 0x60},
      {SDLK_KP_9, SDL_SCANCODE_KP_9, 0x69},
      {SDLK_QUOTE, SDL_SCANCODE_APOSTROPHE, 0xDE},
      // Symbols without a Windows code fall back to the key's position.
      {0x0444, SDL_SCANCODE_A, 'A'},  // Cyrillic ef
      {0x00E9, SDL_SCANCODE_2, '2'},
      {0x00E0, SDL_SCANCODE_0, '0'},
      {0x00A7, SDL_SCANCODE_NONUSBACKSLASH, 0xE2},
      // Keys Windows has no code for make no message at all.
      {SDLK_AUDIOPLAY, SDL_SCANCODE_AUDIOPLAY, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(virtual_key_from_sdl(c.symbol, c.scancode), c.expected)
        << "symbol 0x" << std::hex << c.symbol << " scancode " << std::dec << c.scancode;
  }
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
  static SDL_Event key(Uint32 type, SDL_Keycode symbol, Uint16 mod = KMOD_NONE, Uint8 repeat = 0) {
    SDL_Event event{};
    event.key.type = type;
    event.key.repeat = repeat;
    event.key.keysym.sym = symbol;
    event.key.keysym.mod = mod;
    return event;
  }
  static SDL_Event button(Uint32 type, Uint8 which, int x, int y, Uint8 clicks = 1) {
    SDL_Event event{};
    event.button.type = type;
    event.button.button = which;
    event.button.clicks = clicks;
    event.button.x = x;
    event.button.y = y;
    return event;
  }
  static SDL_Event wheel(float notchesY, float notchesX = 0.0f, int x = 0, int y = 0) {
    SDL_Event event{};
    event.wheel.type = SDL_MOUSEWHEEL;
    event.wheel.preciseY = notchesY;
    event.wheel.preciseX = notchesX;
    event.wheel.mouseX = x;
    event.wheel.mouseY = y;
    return event;
  }
  static short delta(const InputMessage& message) {
    return static_cast<short>(static_cast<uint16_t>(message.wParam >> 16));
  }

  InputTranslator translator;
  InputContext context;
};

TEST_F(Translation, KeysBecomeKeyOrSystemKeyMessagesWithWindowsBits) {
  InputMessage down = one(key(SDL_KEYDOWN, SDLK_o));
  EXPECT_EQ(down.message, WM_KEYDOWN);
  EXPECT_EQ(down.wParam, 0x4Fu);
  EXPECT_EQ(down.lParam, 1);  // repeat count 1, first press
  EXPECT_EQ(one(key(SDL_KEYDOWN, SDLK_o, KMOD_NONE, 1)).lParam, 1 | (1 << 30));
  InputMessage up = one(key(SDL_KEYUP, SDLK_o));
  EXPECT_EQ(up.message, WM_KEYUP);
  EXPECT_EQ(up.lParam, static_cast<LPARAM>(0xC0000001u));

  // Alt combinations, Alt itself and F10 are system keys; AltGr (Ctrl+Alt) is not.
  InputMessage altO = one(key(SDL_KEYDOWN, SDLK_o, KMOD_LALT));
  EXPECT_EQ(altO.message, WM_SYSKEYDOWN);
  EXPECT_EQ(altO.lParam, 1 | (1 << 29));
  EXPECT_EQ(one(key(SDL_KEYUP, SDLK_o, KMOD_RALT)).message, WM_SYSKEYUP);
  EXPECT_EQ(one(key(SDL_KEYUP, SDLK_LALT)).message, WM_SYSKEYUP);
  EXPECT_EQ(one(key(SDL_KEYDOWN, SDLK_F10)).message, WM_SYSKEYDOWN);
  EXPECT_EQ(one(key(SDL_KEYDOWN, SDLK_q, KMOD_LCTRL | KMOD_RALT)).message, WM_KEYDOWN);
  EXPECT_TRUE(run(key(SDL_KEYDOWN, SDLK_AUDIOPLAY)).empty());
}

TEST_F(Translation, ButtonsCarryFlagsAndPairedDoubleClicks) {
  context.doubleClicks = true;
  EXPECT_EQ(one(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, -2, -1)).lParam,
            static_cast<LPARAM>(0xFFFFFFFEu));  // 16-bit two's complement halves
  context.modifiers = static_cast<SDL_Keymod>(KMOD_LSHIFT | KMOD_RCTRL);
  EXPECT_EQ(one(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 1)).wParam,
            MK_LBUTTON | MK_RBUTTON | MK_SHIFT | MK_CONTROL);
  context.modifiers = KMOD_NONE;
  EXPECT_EQ(one(button(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, 1, 1)).wParam, MK_RBUTTON);
  EXPECT_EQ(one(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_MIDDLE, 1, 1)).wParam, MK_RBUTTON | MK_MBUTTON);
  EXPECT_TRUE(run(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_X1, 1, 1)).empty());

  // Windows pairs clicks: a third quick click is a plain press again.
  EXPECT_EQ(one(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5, 3)).message, WM_LBUTTONDOWN);
  EXPECT_EQ(one(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5, 4)).message, WM_LBUTTONDBLCLK);
  EXPECT_EQ(one(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 5, 5, 2)).message, WM_RBUTTONDBLCLK);
  context.doubleClicks = false;
  EXPECT_EQ(one(button(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 5, 5, 2)).message, WM_LBUTTONDOWN);
}

TEST_F(Translation, WheelDeltasCarryFractionsOverAndTheScreenPosition) {
  context.windowX = 100;
  context.windowY = 50;
  InputMessage forward = one(wheel(1.0f, 0.0f, 7, 9));
  EXPECT_EQ(delta(forward), 120);
  EXPECT_EQ(forward.lParam, 107 | (59 << 16));  // screen, not client, position

  // A third of a notch at a time: nothing lost, three messages make one notch.
  int total = 0;
  for (int i = 0; i < 3; ++i) total += delta(one(wheel(1.0f / 3.0f)));
  EXPECT_EQ(total, 120);

  // Movements below one Windows unit wait until they add up to one.
  EXPECT_TRUE(run(wheel(0.002f)).empty());
  EXPECT_TRUE(run(wheel(0.002f)).empty());
  EXPECT_EQ(delta(one(wheel(0.002f))), 1);

  // The horizontal axis has its own message, after the vertical one.
  auto both = run(wheel(1.0f, -1.0f));
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].message, WM_MOUSEWHEEL);
  EXPECT_EQ(both[1].message, WM_MOUSEHWHEEL);
  EXPECT_EQ(delta(both[1]), -120);

  // Whole notches from drivers that give no precise amount.
  SDL_Event coarse = wheel(0.0f);
  coarse.wheel.y = -2;
  EXPECT_EQ(delta(one(coarse)), -240);
}

}  // namespace
