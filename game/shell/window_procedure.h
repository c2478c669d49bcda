// The main window's procedure. It only records: mouse positions, button states, key slots and typed characters
// go to the input manager; a menu command is kept for the message pump; activation changes pause or resume the
// game; a 10 ms timer keeps music and movies going while a menu or a file chooser holds the thread; and the
// window is painted from the game view through the presenter.
#pragma once

#include "host/user.h"

LRESULT MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Whether a key or character passes the Control rule: Control itself, or no Control held (neither the system's
// key state nor the input manager's key-down flag), so that menu accelerators never reach the game.
bool PassesControlRule(WPARAM virtualKey);
// Forgets the last mouse position (a new run of the program).
void ResetWindowProcedureState();
