// The program's entry function and what it keeps for the whole run: the start-up steps in their order, the
// message box of a failed start-up, the shut-down in its order, the exit code, the game cursor and the single
// objects the shell creates (the screen presenter beside the game view and the main window).
#pragma once

#include <cstdint>
#include <memory>

#include "host/types.h"

class ScreenPresenter;

int WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);
// Frees the game's own data after the main loop; 0. A failed start-up runs it too: what the start-up made so far
// (the data archive's stream among it) would otherwise outlive the framework's shut-down beneath it and be used
// after it, a crash.
int32_t ShutdownGame();

void SetQuitExitCode(int32_t code);
int32_t GetQuitExitCode();
HCURSOR GetGameCursor();

ScreenPresenter* GetScreenPresenter();
void SetScreenPresenter(std::unique_ptr<ScreenPresenter> presenter);
