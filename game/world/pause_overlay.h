// The pause overlay: while the game is paused the screen keeps showing the game frozen and dimmed. Pausing builds
// that picture once (the whole game screen composed and shaded to half brightness) and hands it to the main loop
// as its screen snapshot, which the window shows in place of the game view; resuming frees it. A screen that a
// script faded out stays black meanwhile, because the window prefers the fade's own snapshot.
#pragma once

class Bitmap;

bool IsGamePaused();
// Pauses or resumes; nothing when the state is unchanged. Either way the input state is forgotten and the whole
// window is presented at once.
void SetGamePaused(bool paused);
// The dimmed snapshot while paused, else null.
Bitmap* GetPauseOverlay();
// Forgets the pause and frees the overlay (the game's shut-down).
void ResetPauseOverlay();
