// ProgressDialog: the bar shown while the scenario's data or a map loads (screen layout 15: control 0 the bar,
// control 1 the phase's label). It is not run modally: the loader makes it, makes it the current progress dialog,
// begins phases and steps it between pieces of work; each step that moves the bar redraws it and refreshes the
// game view, which pumps the window messages, so the program stays responsive while it loads. When a step is
// less than 3 pixels of the bar, only every second step refreshes the view.
//
// A layout without the bar element, or with one of no width or height, gives a dialog without a bar, whose steps
// draw nothing.
#pragma once

#include <cstdint>
#include <string>

#include "game/dialogs/dialog.h"

class ProgressDialog : public Dialog {
 public:
  ProgressDialog();
  ~ProgressDialog() override;

  // Empties the bar, shows the label and refreshes the view; the refresh's result (not 0 when the program is to
  // end). A phase of 0 steps (or fewer) shows a full bar at once.
  int32_t BeginPhase(const std::string& label, int32_t steps);
  // Advances the bar a step; 0, or the refresh's result when the view was refreshed.
  int32_t Step();
  // Step on the current progress dialog; 0 when there is none.
  static int32_t StepCurrent();
  static ProgressDialog* GetCurrent();
  static void SetCurrent(ProgressDialog* dialog);

  // Fills the bar up to the position, then draws the controls.
  void Draw() override;

  // The filled width in pixels, the bar (null without one) and the phase's label.
  float Position() const { return position_; }
  const Bitmap* Bar() const { return bar_; }
  std::string Label() const;

 private:
  float position_ = 0.0f;
  float lastDrawn_ = 0.0f;
  int32_t barWidth_ = 0;
  float stepSize_ = 0.0f;
  int32_t blockWidth_ = 0;
  int32_t halfRate_ = 0;
  Bitmap* bar_ = nullptr;  // owned by control 0
};
