// CharacterCreationDialog: the character sheet on screen layout 10. It shows the current character's name,
// points, damage, attributes, protections, race, class, level and experience beside a portrait. Opened for a new
// player (the may-change flag set) it also re-rolls the attributes ("Reroll") and pages through the portraits of
// "Players/Portraits/" ("Next", "Previous", wrapping both ways, counted from 1 in the order of their names); "OK" gives
// the shown portrait to the character, with its file name, which saved games keep. Opened while a game is in
// progress it shows the character's own portrait and values and changes neither.
#pragma once

#include <cstdint>
#include <string>

#include "game/dialogs/dialog.h"

class Character;
class PicturePool;

class CharacterCreationDialog : public Dialog {
 public:
  static constexpr int32_t kControlCount = 30;
  // The controls: 0 the portrait, 1 to 25 the values, then the four buttons.
  static constexpr int32_t kPortrait = 0;
  static constexpr int32_t kReroll = 26;
  static constexpr int32_t kOk = 27;
  static constexpr int32_t kPrevious = 28;
  static constexpr int32_t kNext = 29;

  explicit CharacterCreationDialog(bool mayChange);
  ~CharacterCreationDialog() override;

  int32_t OnControlEvent(int32_t index, ControlEvent code) override;

  // The portraits found, and the one shown (from 1; 0 before the first).
  uint32_t PortraitCount() const { return portraitCount_; }
  uint32_t PortraitNumber() const { return portraitNumber_; }
  // The text of value control 1 to 25.
  std::string ValueText(int32_t index) const;

 private:
  void ShowPortrait(uint32_t number);
  void FillTexts();

  PicturePool* portraitPool_ = nullptr;
  std::string folderPath_;
  uint32_t portraitCount_ = 0;
  uint32_t portraitNumber_ = 0;
  std::string shownPortraitName_;
};

// The damage text of the sheet: minimum "-" maximum, then the bonus in brackets when there is one ("2-6(+1)").
// The bonus is the special damage, plus the strength above 15 unless the weapon is a ranged one.
std::string DamageText(const Character& character);

// Makes the sheet (may change: a new player's) and runs it modally.
void ShowCharacterCreation(int32_t mayChange);
