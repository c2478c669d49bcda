// The spell dialogs. Spells fall into groups by a whole-number group value (a spell record's first value).
//
// - SpellCastDialog (screen layout 19): pages through the groups of the spells the current character knows
//   (ascending; group 1 alone, arrows disabled, when it knows none) and casts one: "Cast" or a double click
//   queues the selected spell on the pending spells and readies it, when the character has the magic for it and
//   its conditions hold. The queued spell is cast once the dialog has gone.
// - SpellPickDialog (layout 18): the character learns spells of its class. The caller gives group values and an
//   allowance for each; each allowance is lowered to the number of the class's spells of the group that the
//   character does not know yet (an allowance below 0 stays: its group takes no pick and never has its picks;
//   group values without an allowance are dropped, as there is nothing to index them by). The player picks that
//   many in every group, the picks kept while paging; "OK" is enabled once every group has its picks, and closing
//   (also by Escape) learns the picks made.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/dialogs/dialog.h"

class Character;
class ClassRecord;
class SpellRecord;

// The spell's group value.
int32_t SpellGroup(const SpellRecord& spell);
// The character has the magic for the spell and its conditions hold.
bool CanCastNow(const SpellRecord& spell, const Character& character);

class SpellCastDialog : public Dialog {
 public:
  static constexpr int32_t kPreviousGroup = 0;
  static constexpr int32_t kNextGroup = 1;
  static constexpr int32_t kGroupText = 2;
  static constexpr int32_t kList = 3;
  static constexpr int32_t kDescription = 4;
  static constexpr int32_t kCost = 5;
  static constexpr int32_t kMagic = 6;
  static constexpr int32_t kClose = 7;
  static constexpr int32_t kCast = 8;
  static constexpr int32_t kMaxMagic = 9;

  SpellCastDialog();

  int32_t OnControlEvent(int32_t index, ControlEvent code) override;
  int32_t OnRowClick(int32_t index) override;
  int32_t OnSelectionMoved(int32_t index) override;
  int32_t OnRowDoubleClick(int32_t index) override;

  const std::vector<int32_t>& Groups() const { return groups_; }
  int32_t CurrentGroup() const { return current_; }

 private:
  SpellRecord* SelectedSpell() const;
  void ShowGroup();
  void ShowSelected();
  // Queues the spell and readies it for the character.
  static void Cast(SpellRecord& spell);

  std::vector<int32_t> groups_;
  int32_t current_ = 0;
};

class SpellPickDialog : public Dialog {
 public:
  static constexpr int32_t kPreviousGroup = 0;
  static constexpr int32_t kNextGroup = 1;
  static constexpr int32_t kGroupText = 2;
  static constexpr int32_t kList = 3;
  static constexpr int32_t kDescription = 4;
  static constexpr int32_t kPicksLeft = 5;
  static constexpr int32_t kOk = 6;

  SpellPickDialog(std::vector<int32_t> groups, std::vector<int32_t> allowances);

  // Learns the picks of every group, then closes.
  int32_t Close() override;
  int32_t OnControlEvent(int32_t index, ControlEvent code) override;
  int32_t OnMultiSelectRowClick(int32_t index) override;
  int32_t OnMultiSelectMoved(int32_t index) override;
  int32_t OnPickChanged(int32_t index, bool picked) override;

  const std::vector<int32_t>& Groups() const { return groups_; }
  // The allowances as lowered to the spells there are.
  const std::vector<int32_t>& Allowances() const { return allowances_; }
  int32_t CurrentGroup() const { return current_; }
  const std::vector<std::string>& Picks(int32_t group) const { return picks_[static_cast<size_t>(group)]; }

 private:
  // The class's spells of the group value that the character does not know yet, in the class's order.
  std::vector<SpellRecord*> Offered(int32_t groupValue) const;
  void ShowGroup();
  void StorePicks();
  void UpdatePicksLeft();
  void UpdateOkButton();
  void DescribeSelected();

  std::vector<int32_t> groups_;
  std::vector<int32_t> allowances_;
  std::vector<std::vector<std::string>> picks_;
  int32_t current_ = 0;
  const ClassRecord* classRecord_ = nullptr;
  bool learnt_ = false;
};
