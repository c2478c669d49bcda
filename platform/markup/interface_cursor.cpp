// The cursor over pages: the arrow, the program's own cursors, the system cursors, and a hand made by the
// program where the system has none.
#include "host/kernel.h"
#include "host/user.h"
#include "platform/markup/interface_state.h"

using interface_internal::State;

namespace {

constexpr int32_t kHandCursor = 32649;
constexpr int32_t kFirstSystemCursor = 0x7F00;

// A pointing hand, 16 pixels wide: black outline (AND 0, XOR 0) around white (AND 0, XOR 1), transparent elsewhere.
HCURSOR MakeHandCursor() {
  static const char* const kRows[16] = {
      "     ##         ", "    #..#        ", "    #..#        ", "    #..#        ",
      "    #..####     ", "    #..#..###   ", " ## #..#..#..#  ", "#..##.......#.# ",
      "#...#..........#", " #.............#", "  #............#", "  #...........# ",
      "   #..........# ", "    #........#  ", "    #........#  ", "    ##########  ",
  };
  uint8_t andPlane[32] = {}, xorPlane[32] = {};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const char c = kRows[y][x];
      const uint8_t bit = static_cast<uint8_t>(0x80 >> (x % 8));
      if (c == ' ') andPlane[y * 2 + x / 8] |= bit;
      if (c == '.') xorPlane[y * 2 + x / 8] |= bit;
    }
  }
  return CreateCursor(GetModuleHandleA(nullptr), 5, 0, 16, 16, andPlane, xorPlane);
}

}  // namespace

PlatformError SetInterfaceCursor(int32_t id) {
  interface_internal::Globals& globals = State();
  if (id == -1 || id == globals.lastCursorId) return kPlatformNoError;
  HCURSOR cursor = nullptr;
  if (id == 0) {
    cursor = LoadCursorA(nullptr, IDC_ARROW);
  } else if (id < kFirstSystemCursor) {
    cursor = LoadCursorA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(static_cast<WORD>(id)));
  } else {
    cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(static_cast<WORD>(id)));
  }
  if (cursor == nullptr && id == kHandCursor) {
    if (globals.customCursor == nullptr) globals.customCursor = MakeHandCursor();
    if (globals.customCursor == nullptr) return kPlatformErrNoMemory;
    cursor = globals.customCursor;
  }
  if (cursor == nullptr) return kPlatformErrBadReference;
  SetCursor(cursor);
  globals.lastCursorId = id;
  return kPlatformNoError;
}
