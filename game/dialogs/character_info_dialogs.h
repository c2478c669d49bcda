// Three small dialogs over the current character:
//
// - LevelGainDialog (screen layout 14): announces a new level and the experience the next one needs. Its
//   controls take no input for the first 2 s; a click, Return or Escape closes it at any time.
// - EntryInfoDialog (layout 0): the titles of the character's text entries (their first texts) in a list, and
//   the selected entry's second text beside it.
// - JournalDialog (layout 2): the journal one entry at a time, newest first, each row filling the list's box;
//   "Remove" erases the shown entry, and the position text says which of how many is shown ("1/3", "0/0" when
//   the journal is empty).
#pragma once

#include <cstdint>
#include <string>

#include "game/dialogs/dialog.h"

class LevelGainDialog : public Dialog {
 public:
  static constexpr float kInputDelayMilliseconds = 2000.0f;

  // Takes the current character's level and the experience its next level needs (taken toward zero).
  LevelGainDialog();
  const std::string& LevelText() const { return levelText_; }
  const std::string& NeededText() const { return neededText_; }

 private:
  std::string levelText_;
  std::string neededText_;
};

class EntryInfoDialog : public Dialog {
 public:
  static constexpr int32_t kList = 0;
  static constexpr int32_t kText = 1;
  static constexpr int32_t kOk = 2;

  EntryInfoDialog();
  int32_t OnRowClick(int32_t index) override;
  int32_t OnSelectionMoved(int32_t index) override;

 private:
  void ShowSelected();
};

class JournalDialog : public Dialog {
 public:
  static constexpr int32_t kList = 0;
  static constexpr int32_t kOk = 1;
  static constexpr int32_t kRemove = 2;
  static constexpr int32_t kPosition = 3;

  JournalDialog();
  // "Remove", and after every event the position text.
  int32_t OnControlEvent(int32_t index, ControlEvent code) override;

  std::string PositionText() const;

 private:
  void FillList();
  void UpdatePosition();
};
