// The test seam of the modal dialogs. Installed, a driver gets each dialog that Dialog::RunModal would run, in
// place of the modal loop: it reads what the dialog shows and answers through the dialog's own operations, as
// the player would (MessageDialog::Choose and MessageDialog::Dismiss, TextInputDialog::SetText and
// TextInputDialog::Confirm); when it returns, RunModal deletes the dialog as usual. A dialog that is closed from
// the start (one that asks nothing) is deleted without reaching the driver.
//
// Every dialog that scripts open keeps these operations, so that the tests that answer it keep working. The game
// itself never installs a driver.
#pragma once

class Dialog;

class ModalDialogDriver {
 public:
  virtual ~ModalDialogDriver() = default;
  // Answers the dialog (or leaves it unanswered); the dialog is deleted after this returns.
  virtual void Drive(Dialog& dialog) = 0;
};

// Installs the driver (not owned); null goes back to the modal loop.
void SetModalDialogDriver(ModalDialogDriver* driver);
ModalDialogDriver* GetModalDialogDriver();
