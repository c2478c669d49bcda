// The dialogs over the player character that the engine commands and level gain open: the inventory, spell
// casting, the text entries, the journal and the level gain. Each shows its screen layout's picture and closes on
// a click, Return or Escape; the level gain keeps what it announces (the new level and the experience the next
// one needs) for whoever reads the dialog. A modal-dialog driver (modal_dialog_driver.h) closes them with Close.
#pragma once

#include <cstdint>
#include <string>

#include "game/dialogs/dialog_services.h"

// A dialog that a click, Return or Escape closes: a dialog without controls.
class DismissableDialog : public Dialog {
 public:
  explicit DismissableDialog(int32_t layoutIndex) : Dialog(layoutIndex) {}
};

class InventoryDialog : public DismissableDialog {
 public:
  InventoryDialog();
};

class SpellCastDialog : public DismissableDialog {
 public:
  SpellCastDialog();
};

class EntryInfoDialog : public DismissableDialog {
 public:
  EntryInfoDialog();
};

class JournalDialog : public DismissableDialog {
 public:
  JournalDialog();
};

class LevelGainDialog : public DismissableDialog {
 public:
  // Takes the current character's level and the experience its next level needs (taken toward zero).
  LevelGainDialog();
  const std::string& LevelText() const { return levelText_; }
  const std::string& NeededText() const { return neededText_; }

 private:
  std::string levelText_;
  std::string neededText_;
};
