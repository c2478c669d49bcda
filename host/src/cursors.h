// Cursor handles of the host layer: the shared system cursors and copies made of them.
#pragma once

#include "host/user.h"

namespace host {

// The system cursor (its IDC_ number) a cursor handle shows, or 0 for a handle that is not a live cursor.
WORD SystemCursorOf(HCURSOR cursor);

}  // namespace host
