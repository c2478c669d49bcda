// How a window reaches the screen: its geometry (window and client rectangles, the strip), its frame buffer and
// the SDL window, renderer and streaming texture that show it. Internal to the host layer.
#pragma once

#include <vector>

#include "user_state.h"

namespace host {

// Frame widths of a window style: the space between the window rectangle and the client area, without the strip.
RECT NonClientInsets(DWORD style);

// The client rectangle in screen coordinates (parent client coordinates for a child).
RECT ClientRectOf(const Window& window);

// Brings everything that shows the window in line with its rectangle, style, visibility, menu and the display mode:
// resizes the frame buffer (keeping the pixels that still fit), makes, resizes, hides or destroys the SDL window,
// and switches desktop-fullscreen on or off. A window placed or sized by the program is kept inside the desktop's
// work area, frame included, its rectangle following where it is put. Presents the window when it is shown.
void SyncWindowSurface(Window& window);

// The SDL window of a top-level window was moved on the desktop (by the window manager or the user) to (x, y),
// the desktop point where its content begins: the window rectangle follows, and a place the program gave before
// the window manager framed the window is moved in once more where the frame crosses the work area's edge.
void WindowMovedOnScreen(Window& window, int x, int y);

// Puts the frame buffer and the menu strip on the SDL window, and keeps the picture for the test seam.
void PresentWindow(Window& window);
// The same after drawing within some rectangles of a top-level window's frame: only those parts of the kept
// picture (and the strip) are copied and uploaded, when the picture still fits the window and no child lies over
// it; otherwise the whole window is presented.
void PresentWindowPart(Window& window, const std::vector<RECT>& drawn);

// Releases the SDL objects of a window.
void DestroyWindowSurface(Window& window);

// The size of the screen the windows live on: the emulated display mode while one is set, else the desktop.
void ScreenSize(int* width, int* height);

// The largest whole factor by which a frame fits the output (at least 1), and the placement that centres it.
int WholeScaleFactor(int frameWidth, int frameHeight, int outputWidth, int outputHeight);

// Maps a point of the SDL window (window points) to the window image (strip rows first); false when it falls on
// the black around the client area. Points on the strip's band, and every point while the window's menu is open,
// map in the strip's place (its band may be wider than the image); the others in the client area's.
bool OutputToImage(const Window& window, int x, int y, int* imageX, int* imageY);

// The size of the SDL window's output, where the strip's band lies in it (empty without a strip) and where the
// client area does; false for a window not on the screen.
bool PicturePlacement(const Window& window, int* outputWidth, int* outputHeight, RECT* strip, RECT* picture);

// The reverse: the SDL window point (in window points) at the middle of a window image pixel.
void ImageToOutput(const Window& window, int imageX, int imageY, int* x, int* y);

// A point of the desktop (its own pixels) in the program's screen coordinates. Over one of the program's windows
// it lands where that window's picture shows it, as the mouse messages' positions do, however the window is
// scaled: the point's pixel of the picture in the window's screen coordinates (a point on the black around the
// picture lands as far outside the window's picture). Elsewhere it is the desktop point divided by the
// desktop's scale (window_geometry.cpp).
POINT DesktopToScreen(int x, int y);

}  // namespace host
