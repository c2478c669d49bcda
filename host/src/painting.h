// Painting windows: the update region, WM_PAINT, and the device contexts over a window's frame buffer. Internal
// to the host layer.
#pragma once

#include "user_state.h"

namespace host {

// The first shown window (of the filter, as PeekMessageA reads it) with an update region; null when none.
HWND WindowNeedingPaint(HWND filter);

// Releases the update region and the device context of a window that goes away.
void ReleasePainting(Window& window);

// Puts on the screen each shown window whose frame buffer was drawn into since it was last shown.
void PresentDrawnWindows();

}  // namespace host
