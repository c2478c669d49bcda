// The keyboard's translation from SDL's physical keys to virtual keys and to the scan codes carried in key
// messages. Internal to the host layer.
#pragma once

#include <SDL.h>

namespace host {

// A key as key messages describe it: the virtual key, the scan code (bits 16 to 23 of lParam) and whether it is an
// extended key (bit 24 of lParam: right-hand Ctrl and Alt, the cursor block, keypad Enter and divide).
struct KeyInfo {
  int virtualKey = 0;
  int scanCode = 0;
  bool extended = false;
};

// Letters and digits follow the keyboard layout (the SDL key code) so that the key marked A gives 'A'; every
// other key follows its physical position. The keypad always gives its number keys (VK_NUMPAD0 to VK_NUMPAD9 and
// VK_DECIMAL), whatever the state of Num Lock. Unknown keys give virtual key 0.
KeyInfo KeyFromSdl(SDL_Scancode scancode, SDL_Keycode keycode);

// The physical key that gives a virtual key (the left-hand one for Shift, Ctrl and Alt); SDL_SCANCODE_UNKNOWN
// when none does.
SDL_Scancode ScancodeFromVirtualKey(int virtualKey);

// The lParam of a key message: repeat count 1, scan code, extended bit, bit 29 while Alt is held, bit 30 when the
// key was already down, bit 31 for a release.
intptr_t KeyMessageLParam(const KeyInfo& key, bool altDown, bool wasDown, bool release);

}  // namespace host
