// The cursor on the screen: which cursor shows (SetCursor, null hides it), the show count (ShowCursor) and where
// it is (GetCursorPos). Positions come from the mouse events of the program's windows, in the screen coordinates
// of the windows (those of the emulated display mode while one is set); with a real display and the desktop's
// own mode, SDL's global position is taken.
#include <SDL.h>

#include <map>
#include <vector>

#include "cursors.h"
#include "sdl_video.h"
#include "user_state.h"

namespace host {
namespace {

SDL_SystemCursor SdlCursorOf(WORD id) {
  switch (id) {
    case 32513: return SDL_SYSTEM_CURSOR_IBEAM;
    case 32514: return SDL_SYSTEM_CURSOR_WAIT;
    case 32515: return SDL_SYSTEM_CURSOR_CROSSHAIR;
    case 32649: return SDL_SYSTEM_CURSOR_HAND;
    case 32650: return SDL_SYSTEM_CURSOR_WAITARROW;
    default: return SDL_SYSTEM_CURSOR_ARROW;
  }
}

bool CursorVisible() {
  const UserState& state = State();
  CursorImage image;
  return state.currentCursor != nullptr && state.cursorShowCount >= 0 &&
         (SystemCursorOf(state.currentCursor) != 0 || CustomCursorImage(state.currentCursor, &image));
}

// An SDL cursor of a picture made by CreateCursor: SDL's data bit is set for black and inverted pixels, its mask
// bit for black and white ones.
SDL_Cursor* MakeSdlCursor(const CursorImage& image) {
  const size_t rowBytes = static_cast<size_t>(image.width / 8);
  std::vector<Uint8> data(rowBytes * static_cast<size_t>(image.height), 0);
  std::vector<Uint8> mask(data.size(), 0);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint8_t pixel = image.pixels[static_cast<size_t>(y) * static_cast<size_t>(image.width) + static_cast<size_t>(x)];
      const size_t at = static_cast<size_t>(y) * rowBytes + static_cast<size_t>(x / 8);
      const Uint8 bit = static_cast<Uint8>(0x80 >> (x % 8));
      if (pixel == 1 || pixel == 3) data[at] |= bit;
      if (pixel == 1 || pixel == 2) mask[at] |= bit;
    }
  }
  return SDL_CreateCursor(data.data(), mask.data(), image.width, image.height, image.hotX, image.hotY);
}

void ApplyCursor() {
  if (!VideoReady()) return;
  // The SDL cursor of the program's own cursor shown last; freed once another cursor shows.
  static SDL_Cursor* customShown = nullptr;
  if (!CursorVisible()) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  SDL_Cursor* cursor = nullptr;
  CursorImage image;
  bool custom = CustomCursorImage(State().currentCursor, &image);
  if (custom) {
    cursor = MakeSdlCursor(image);
  } else {
    static std::map<SDL_SystemCursor, SDL_Cursor*> made;
    SDL_SystemCursor kind = SdlCursorOf(SystemCursorOf(State().currentCursor));
    SDL_Cursor*& system = made[kind];
    if (system == nullptr) system = SDL_CreateSystemCursor(kind);
    cursor = system;
  }
  if (cursor != nullptr) SDL_SetCursor(cursor);
  if (customShown != nullptr && customShown != cursor) SDL_FreeCursor(customShown);
  customShown = custom ? cursor : nullptr;
  SDL_ShowCursor(SDL_ENABLE);
}

}  // namespace

bool IsCursorShown() { return CursorVisible(); }

}  // namespace host

HCURSOR SetCursor(HCURSOR cursor) {
  host::UserState& state = host::State();
  HCURSOR previous = state.currentCursor;
  state.currentCursor = cursor;
  if (previous != cursor) host::ApplyCursor();
  return previous;
}

int ShowCursor(BOOL show) {
  host::UserState& state = host::State();
  state.cursorShowCount += show ? 1 : -1;
  host::ApplyCursor();
  return state.cursorShowCount;
}

BOOL GetCursorPos(LPPOINT point) {
  if (point == nullptr) return FALSE;
  host::FollowDesktopPointer();
  *point = host::CursorPosition();
  return TRUE;
}
