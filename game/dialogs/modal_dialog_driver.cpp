// The installed modal-dialog driver.
#include "game/dialogs/modal_dialog_driver.h"

namespace {

ModalDialogDriver*& Installed() {
  static ModalDialogDriver* driver = nullptr;
  return driver;
}

}  // namespace

void SetModalDialogDriver(ModalDialogDriver* driver) { Installed() = driver; }
ModalDialogDriver* GetModalDialogDriver() { return Installed(); }
