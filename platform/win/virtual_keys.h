#pragma once
#include <SDL.h>

#include "platform/win/windows_api.h"

// The Windows virtual-key code of an SDL key, or 0 when Windows has none.
// The key symbol decides first (so letters follow the keyboard layout, as
// Windows' do); keys whose symbol has no code fall back to their physical
// position, which is how Windows names the keys of non-Latin layouts.
UINT virtual_key_from_sdl(SDL_Keycode symbol, SDL_Scancode scancode);
