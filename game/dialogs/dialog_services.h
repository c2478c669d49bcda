// What the shell asks of the game dialogs: the modal Dialog with its loop, the open-dialog list that the main
// loop serves, the progress dialog of the loading steps, the dialogs of the new-game command and the about box,
// and the pictures and the picture pool the dialogs share.
//
// The dialogs' controls come with the dialog work. Until then a dialog shows its layout's picture, centred, on a
// layer of its own fixed on the screen, which goes when the dialog is deleted (the progress dialog's stays: it is
// the first picture of the game, until a location covers it); the about box closes on a click, Return or Escape,
// and the new-game dialogs close at once, leaving what they would ask as it was. The script engine's dialogs are
// message_dialog.h and text_input_dialog.h; tests answer modal dialogs through modal_dialog_driver.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/graphics/bitmap.h"

class Dialog {
 public:
  // Pushes 0 on the time-state stack (no frame pacing while a dialog is open) and joins the open dialogs.
  explicit Dialog(int32_t layoutIndex);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Handles the frame's input; true when the dialog took the tick.
  virtual bool HandleEvents() { return true; }
  // Puts the layout's picture on the dialog's layer of the game view (once).
  virtual void Draw();
  bool IsClosed() const { return closed_; }
  void Close() { closed_ = true; }
  int32_t LayoutIndex() const { return layoutIndex_; }

  // Runs the dialog until it closes (or the game stops), then deletes it. With a modal-dialog driver installed
  // (modal_dialog_driver.h) the driver answers a dialog that is open instead of the modal loop.
  static void RunModal(std::unique_ptr<Dialog> dialog);

 protected:
  // The picture the dialog shows: the layout's, loaded into the dialogs' pool; null when the layout names none
  // or it does not load.
  virtual Bitmap* BackgroundPicture() const;
  // Shows the layout's picture with its top-left corner at this point of the screen instead of centred.
  void SetFrameOrigin(int32_t x, int32_t y);
  // Shows a picture (not owned) at a point of the screen on a new layer on top of the view; the layer's serial
  // number, or 0 when nothing was shown. RemoveScreenLayer takes such a layer away (nothing for 0).
  static uint64_t ShowOnScreenLayer(Bitmap* picture, int32_t x, int32_t y);
  static void RemoveScreenLayer(uint64_t serial);
  // Whether the frame brings a click, Return or Escape, which dismiss a dialog without controls; they are taken.
  static bool TakeDismissInput();

  int32_t layoutIndex_;
  bool closed_ = false;
  bool drawn_ = false;
  uint64_t layerSerial_ = 0;  // the dialog's layer, found by its serial number (0: none)
  bool hasOrigin_ = false;
  int32_t originX_ = 0;
  int32_t originY_ = 0;
};

bool DispatchTopDialogEvents();
void DrawOpenDialogs();

class ProgressDialog : public Dialog {
 public:
  ProgressDialog();
  ~ProgressDialog() override;
  static void SetCurrent(ProgressDialog* dialog);
  void BeginPhase(const std::string& label, int32_t steps);
  // Advances the current dialog by a step (nothing without one) and refreshes the view; the refresh's result.
  static int32_t StepCurrent();
  int32_t Step() const { return step_; }
  int32_t Steps() const { return steps_; }
  const std::string& Label() const { return label_; }

 private:
  std::string label_;
  int32_t steps_ = 0;
  int32_t step_ = 0;
};
ProgressDialog* GetCurrentProgressDialog();

class AboutDialog : public Dialog {
 public:
  AboutDialog();
  bool HandleEvents() override;
};

class PlayerNameDialog : public Dialog {
 public:
  PlayerNameDialog();
};

class RaceClassDialog : public Dialog {
 public:
  explicit RaceClassDialog(int32_t races);
};

void ShowCharacterCreation(int32_t flag);

void SetDialogGlobalPicture(std::unique_ptr<Bitmap> picture);
Bitmap* GetDialogGlobalPicture();
void SetListScrollPicture(std::unique_ptr<Bitmap> picture);
Bitmap* GetListScrollPicture();
void CreateDialogPicturePool();
void DeleteDialogPicturePool();
void SetJournalKey(int32_t key);
int32_t GetJournalKey();
