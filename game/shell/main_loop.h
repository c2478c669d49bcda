// The main loop and what every other loop of the game shares with it: the run-state word, the frame (drawing,
// composing, presenting and the message pump), the frame pacing at one frame every 33.333 ms with at most one
// skipped drawing when late, the time-state stack that switches pacing off while a dialog is open, the pause
// state, the pending menu command and the screen snapshot.
#pragma once

#include <cstdint>

class Bitmap;
class Region;

// Run-state bits.
constexpr uint32_t kRunOptionsRead = 0x1;
constexpr uint32_t kRunRecordsLoaded = 0x2;
constexpr uint32_t kRunRunning = 0x4;
constexpr uint32_t kRunPaused = 0x10;
constexpr uint32_t kRunPausedByCommand = 0x20;

uint32_t GetRunState();
void SetRunStateBits(uint32_t bits);
void ClearRunStateBits(uint32_t bits);
void StopRunning();

int32_t RunMainLoop();
int32_t RefreshView();
int32_t PumpMessages();
void MediaIdle();
// Gives the screen fades the game view, the presenter, the pump, the run state, the click flag and the menus, and
// the animation sets the events, the sounds and the media idle time.
void InstallMediaServices();
void DrawGameScreen();
// Clears the game view's back buffer and marks all of it for redrawing; nothing before the view exists.
void ClearGameView();
// DrawGameScreen, then the whole frame composed into the game view's back buffer, whatever the update hold; the
// region receives what changed. The back buffer, or null without a game view.
Bitmap* ComposeGameScreen(Region& region);
void PaintWindow(const Region& region);
// The main loop's game tick: the top dialog's events, else the current location's click operation.
void RunGameTick();

void StartFrameClock();
void RestartFrameClock();
void FreeFrameClock();  // empties the time-state stack too
void PaceFrame();
void SetFrameSkipAllowed(bool allowed);
bool IsFrameSkipPending();  // the skip flag: the next frame's drawing is skipped
void PushTimeState(uint8_t value);
void PopTimeState();
void SetStopWaiting();

void SetPauseState(bool pause, bool fromSystem);

// The menu command that the window procedure stored for the pump (0: none).
void SetPendingMenuCommand(uint16_t command);
uint16_t GetPendingMenuCommand();
void SetLeavePump();

Bitmap* GetScreenSnapshot();
void SetScreenSnapshot(Bitmap* snapshot);

// The picture pools made at start-up.
class PicturePool;
PicturePool* GetStartupPool();
PicturePool* GetGamePool();
PicturePool* GetMapPool();
void SetStartupPools(PicturePool* startup, PicturePool* game, PicturePool* map);
