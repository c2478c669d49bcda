// Timed screen fades: FadeScreenOut darkens the composed game screen to black and leaves it black,
// FadeScreenIn brings the live screen back from black. While they run, the screen snapshot (a copy of the game
// view's back buffer, shaded) is painted in place of the back buffer. A click or a pause ends a fade early.
//
// A fade reaches the game view, the presenter, the message pump, the run state, the input manager and the menu
// bar through FadeServices, which the shell installs at start-up; without them a fade does nothing.
#pragma once

#include <cstdint>
#include <memory>

class Bitmap;

struct FadeServices {
  // Pushes the game view's current layer and clears it, draws the current location and the open dialogs, clears
  // the back buffer and composes the full frame into the update region; returns the back buffer.
  Bitmap* (*beginFrame)() = nullptr;
  // Pops the game view's current layer.
  void (*endFrame)() = nullptr;
  // Presents the update region (whole: the whole-screen rectangle) and pumps messages.
  void (*present)(bool whole) = nullptr;
  bool (*paused)() = nullptr;         // run-state bit 0x10
  bool (*clicked)() = nullptr;        // the input manager's click flag
  void (*clearClick)() = nullptr;
  void (*greyMenus)(bool grey) = nullptr;
};

void SetFadeServices(const FadeServices& services);

// Durations count sixtieths of a second.
void FadeScreenOut(int32_t sixtieths);
void FadeScreenIn(int32_t sixtieths);

// The snapshot painted in place of the back buffer while set; null otherwise.
Bitmap* ScreenSnapshot();
// Sets the snapshot aside, so that the live screen shows meanwhile (a Help item's event, the about box), and puts
// it back in place of any that was made meanwhile.
std::unique_ptr<Bitmap> TakeScreenSnapshot();
void PutScreenSnapshotBack(std::unique_ptr<Bitmap> snapshot);
// Set by FadeScreenOut, cleared by FadeScreenIn.
bool IsScreenFaded();

// The duration in milliseconds of a fade of so many sixtieths, in single precision.
float FadeDurationMilliseconds(int32_t sixtieths);
// The shade level at a moment of a fade: out falls from 255 toward 0, in rises from 0 toward 255.
int32_t FadeLevel(bool fadingOut, float duration, float elapsed);
