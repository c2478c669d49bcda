// The cursor on the screen: which cursor shows (SetCursor, null hides it), the show count (ShowCursor) and where
// it is (GetCursorPos). Positions come from the mouse events of the program's windows, in the screen coordinates
// of the windows (those of the emulated display mode while one is set); with a real display and the desktop's
// own mode, SDL's global position is taken.
#include <SDL.h>

#include <map>

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
  return state.currentCursor != nullptr && state.cursorShowCount >= 0 && SystemCursorOf(state.currentCursor) != 0;
}

void ApplyCursor() {
  if (!VideoReady()) return;
  if (!CursorVisible()) {
    SDL_ShowCursor(SDL_DISABLE);
    return;
  }
  static std::map<SDL_SystemCursor, SDL_Cursor*> made;
  SDL_SystemCursor kind = SdlCursorOf(SystemCursorOf(State().currentCursor));
  SDL_Cursor*& cursor = made[kind];
  if (cursor == nullptr) cursor = SDL_CreateSystemCursor(kind);
  if (cursor != nullptr) SDL_SetCursor(cursor);
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
  host::UserState& state = host::State();
  if (host::HasDisplay() && !state.emulatedMode) {
    int x = 0, y = 0;
    SDL_GetGlobalMouseState(&x, &y);
    host::SetCursorPosition(POINT{x, y});
  }
  *point = host::CursorPosition();
  return TRUE;
}
