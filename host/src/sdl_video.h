// SDL's video subsystem as the window calls use it: started on first need, with the dummy driver in headless
// mode (chosen by the test seam, or taken when no display can be opened). Internal to the host layer.
#pragma once

namespace host {

// Starts SDL video on first call; false when even the dummy driver cannot start.
bool VideoReady();

// Whether SDL video has been started (by a window being shown, a cursor change or the test seam).
bool VideoStarted();

// Whether windows reach a real display (false when headless or not started).
bool HasDisplay();

// Headless mode: windows, message boxes and input exist without a display. Takes effect for the next start of
// SDL video; switching while video runs restarts it.
void SetHeadless(bool headless);
bool IsHeadless();

// The desktop's size in the program's pixels (its own pixels divided by its scale), 1024 x 768 when it cannot be
// asked.
void DesktopSize(int* width, int* height);

// The whole factor by which the desktop shows programs that draw at a fixed size, as it scales them: windows are
// that many times larger on the screen than the program draws them, and screen positions that many times
// further apart; a smaller one where the game's window would not fit the desktop's work area at that scale.
// 1 without a display.
int DesktopScale();

// Where no display mode is emulated, the cursor position becomes where the desktop has the pointer, in the
// program's screen coordinates (window_surface.h, DesktopToScreen); elsewhere it stays as it is. The desktop's
// pointer is the display's; headless it is the one the test seam models, once it has put the pointer somewhere.
void FollowDesktopPointer();

// Headless, the test seam's model of the desktop's pointer: where its last injected mouse event put it, in the
// desktop's pixels. Forgotten when headless mode changes or the window system is reset.
void ModelDesktopPointer(int x, int y);
void ForgetDesktopPointer();

// The scale a desktop asks for: $GDK_SCALE when it is a whole number from 1, else its fonts' resolution in the
// display's resources ("Xft.dpi"), 96 dots an inch to a factor, rounded down; 1 when neither says. Null means
// unset.
int DesktopScaleFrom(const char* gdkScale, const char* resources);

}  // namespace host
