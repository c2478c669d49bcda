// Cursor handles of the host layer: the shared system cursors, copies made of them, and the program's own
// monochrome cursors (CreateCursor).
#pragma once

#include <cstdint>
#include <vector>

#include "host/user.h"

namespace host {

// The system cursor (its IDC_ number) a cursor handle shows, or 0 for a handle that is not a live system cursor.
WORD SystemCursorOf(HCURSOR cursor);

// The picture of a cursor made by CreateCursor: one byte per pixel, 0 transparent, 1 black, 2 white, 3 inverted.
struct CursorImage {
  int width = 0;
  int height = 0;
  int hotX = 0;
  int hotY = 0;
  std::vector<uint8_t> pixels;
};

// Copies the picture of a cursor made by CreateCursor; false for any other handle.
bool CustomCursorImage(HCURSOR cursor, CursorImage* out);

}  // namespace host
