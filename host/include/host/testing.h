// The host layer's test seam: calls that only tests make, to fix what the system would otherwise decide (the
// clock, the wall-clock time) and to look at what the program did. Game and framework code never call these.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/types.h"

// Clock. The manual clock replaces the monotonic one behind GetTickCount, timeGetTime, QueryPerformanceCounter,
// Sleep and every timed wait. It starts on the first whole millisecond after the monotonic clock's reading, so
// time never runs backwards, and moves only when a test advances it or a thread calls Sleep (which then
// advances it by its duration instead of blocking). Waits whose time-out the advance reaches end as timed out.
void HostTestUseManualClock(bool manual);
void HostTestAdvanceClock(DWORD milliseconds);
void HostTestAdvanceClockMicroseconds(ULONGLONG microseconds);
// Counts, from the program's start, the waits with a time-out that have blocked. A waiting thread computes its
// deadline from the clock when it begins to wait, so a test that advances the manual clock first waits until
// this count grows past its value from before the wait was caused; the advance then counts for that wait.
DWORD HostTestTimedWaitsBlocked();
// Counts, from the program's start, the times a blocked wait woke up to look at its object again (a change of
// that object, the end of a thread, a move of the manual clock, or its time running out).
DWORD HostTestBlockedWaitWakeups();
// Moves GetTickCount and timeGetTime by a number of milliseconds against the performance counter, as when the
// two system clocks drift apart. Zero puts them back in step.
void HostTestSkewTickCount(LONG milliseconds);
// Fixes the time GetLocalTime reports; from then on it advances with the host clock. Null returns to the
// system's wall clock.
void HostTestSetLocalTime(const SYSTEMTIME* time);

// Windows and input. Headless mode runs windows on SDL's dummy video driver: they have frame buffers, take input
// and show message boxes without a display. Input is injected as the system's own events would come, and reaches
// the program at its next look at the message queue. Positions are client coordinates of the window (negative y
// reaches the menu strip above the client area). The mouse's events also move the desktop's pointer to the
// point of the desktop where the window shows that client point, which is what a query of the cursor position
// sees (GetCursorPos), as it would on a display.
void HostTestSetHeadless(bool headless);
void HostTestKey(int virtualKey, bool down);          // to the active window; letters and digits by their code
void HostTestText(const char* utf8);                  // typed text, as it follows a key press
void HostTestMouseMove(HWND window, int x, int y);
// button: 0 left, 1 right, 2 middle; clicks: 2 for the second press of a double click.
void HostTestMouseButton(HWND window, int button, bool down, int x, int y, int clicks = 1);
void HostTestActivate(HWND window, bool active);      // the window gains or loses the keyboard focus
void HostTestCloseWindow(HWND window);                // the close button of the window's title bar
void HostTestMouseLeave(HWND window);                 // the pointer leaves the window
// Puts the window system back as a program finds it at start, for a test that runs the program again: no
// messages waiting, no quit message, no timers without a window, every key and button up, the cursor's show count
// 0 and the desktop's display mode. Windows, classes and menus stay.
void HostTestResetWindowSystem();
// A hook run at the start of every look at the message queue (PeekMessageA, and so GetMessageA), before the look
// takes in the input waiting, so that what the hook injects is seen by that very look. idleBefore tells whether
// the previous look found the queue empty: a hook that acts only then acts once per pump of the queue. The hook
// must not look at the queue itself. Null removes it.
using HostQueueHook = void (*)(void* context, bool idleBefore);
void HostTestSetQueueHook(HostQueueHook hook, void* context);

// Message boxes. Each box shown is recorded; answers queued here are given in order, then the default button.
struct HostMessageBoxRecord {
  std::string text;
  std::string caption;
  UINT type;
  std::string shownText;  // the text as the box shows it, fitted to the screen
};
void HostTestAnswerMessageBox(int answer);
std::vector<HostMessageBoxRecord> HostTestMessageBoxes();
void HostTestClearMessageBoxes();  // forgets the boxes shown and the answers not yet given
// Runs `work` as a message box on a display is run, so that a process it makes with fork is treated as a box's
// process is (it ends with this one, takes the control signals' default actions, leaves exit() through _exit).
void HostTestAsMessageBoxProcess(void (*work)());

// File choosers. Each GetOpenFileNameA or GetSaveFileNameA call is recorded; answers queued here are given in
// order. An answer is the full path the user picks ("C:\..."), or null for Cancel; the chooser stays open for
// openMilliseconds of the host clock first, dispatching due timers as a shown chooser does. With no answer queued
// the calls act as without a display (FALSE, CDERR_INITIALIZATION).
struct HostFileChooserRecord {
  bool save;
  std::string title;
  std::string proposedName;
  DWORD flags;
  std::string folder;  // where the chooser opens: the initial folder, the proposed name's, or the saved games'
};
void HostTestAnswerFileChooser(const char* path, DWORD openMilliseconds = 0);
std::vector<HostFileChooserRecord> HostTestFileChoosers();
void HostTestClearFileChoosers();  // forgets the choosers shown and the answers not yet given

// What windows show. Pixels are 0x00RRGGBB, top row first.
struct HostFrame {
  int width = 0;
  int height = 0;
  int clientTop = 0;  // rows of menu strip above the client area (whole window picture only)
  std::vector<uint32_t> pixels;
};
// The client area as last put on the screen; false for a window never shown or not a window.
bool HostTestLastFrame(HWND window, HostFrame* frame);
// The whole picture last put on the screen: the menu strip, the client area and an open drop-down.
bool HostTestWindowImage(HWND window, HostFrame* frame);
// How many times the window's picture has been put on the screen (0 for a window never shown or not a window).
uint64_t HostTestPresentCount(HWND window);
// Client points on the menu strip: the centre of a top-level entry, and of an item of the open drop-down.
bool HostTestMenuEntryPoint(HWND window, int entry, POINT* point);
bool HostTestMenuItemPoint(HWND window, int item, POINT* point);
// Whether the window is shown desktop-fullscreen (for an emulated display mode), and whether the cursor shows.
bool HostTestIsFullscreen(HWND window);
// The window on the screen: its place and size in the desktop's pixels, where its menu strip and its client area
// lie in it (both scaled by one whole factor: the strip along the top edge, across the width, the client area
// centred in what is left) and whether the user may resize it. False for a window not on the screen.
struct HostWindowOutput {
  int x = 0, y = 0;  // where the window's content lies on the desktop, in the desktop's pixels
  int width = 0;
  int height = 0;
  RECT strip{};    // empty for a window without a menu
  RECT picture{};  // the client area
  bool resizable = false;
};
bool HostTestWindowOutput(HWND window, HostWindowOutput* output);
// Gives the window another size on the screen, as the user or the window manager does (resizing, maximising, its
// own fullscreen) without the program asking; the window hears of it at the program's next look at the queue.
void HostTestResizeOnScreen(HWND window, int width, int height);
bool HostTestCursorShown();

// What the window system holds now: the windows not yet destroyed and the GDI objects not yet deleted (pens,
// brushes, fonts, bitmaps, regions and device contexts; the stock objects, never deleted, are not counted). A
// program run again and again, or a screen shown again and again, keeps both flat.
struct HostLiveObjects {
  int windows = 0;
  int gdiObjects = 0;
};
HostLiveObjects HostTestLiveObjects();

// Libraries loaded at run time. A withheld library (named as LoadLibraryA is given it, without regard to case)
// cannot be loaded, as on a machine that lacks it; false gives it back.
void HostTestWithholdLibrary(const char* fileName, bool withheld);
