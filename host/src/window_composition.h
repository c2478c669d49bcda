// How child windows reach the screen: each has a frame buffer of its own, drawn over its parent's client area
// when the top-level window is presented. Internal to the host layer.
#pragma once

#include <cstdint>

#include "user_state.h"

namespace host {

// The pixel value of a transparent window's frame where nothing has been drawn since its last paint began.
constexpr uint32_t kUndrawnPixel = 0xFF000000;

// Draws the shown children of the window, and theirs, over its client area, which lies in `pixels` (an image
// `width` wide and `height` high) from row `clientTop`.
void ComposeChildren(const Window& window, uint32_t* pixels, int width, int height, int clientTop);

// Has the top-level window of a window presented again at the next look at the queue.
void RequestPresent(HWND window);

// Marks the region (client coordinates) of a transparent window's frame as not drawn.
void ClearToUndrawn(Window& window, HRGN region);

}  // namespace host
