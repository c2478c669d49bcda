// The spell casting and spell picking dialogs.
#include "game/dialogs/spell_dialogs.h"

#include <algorithm>

#include "game/dialogs/list_controls.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/spell_record.h"
#include "game/shell/record_lists.h"

namespace {

constexpr int32_t kSpellCastLayout = 19;
constexpr ControlKind kSpellCastKinds[] = {kPictureButtonKind, kPictureButtonKind, kStaticTextKind,
                                           kListKind,          kStaticTextKind,    kStaticTextKind,
                                           kStaticTextKind,    kCaptionButtonKind, kCaptionButtonKind,
                                           kStaticTextKind};
constexpr int32_t kCastNextCommand = 13;
constexpr int32_t kCastPreviousCommand = 14;
constexpr int32_t kCastCommand = 15;

constexpr int32_t kSpellPickLayout = 18;
constexpr ControlKind kSpellPickKinds[] = {kPictureButtonKind, kPictureButtonKind, kStaticTextKind,
                                           kMultiSelectListKind, kStaticTextKind,  kStaticTextKind,
                                           kCaptionButtonKind};
constexpr int32_t kPickPreviousCommand = 13;
constexpr int32_t kPickNextCommand = 14;

void SetText(StaticTextControl* text, const std::string& value) {
  if (text != nullptr) text->SetText(value);
}

// One step through n groups, wrapping at both ends.
int32_t Step(int32_t current, int32_t step, int32_t count) { return ((current + step) % count + count) % count; }

}  // namespace

int32_t SpellGroup(const SpellRecord& spell) { return spell.firstValue; }

bool CanCastNow(const SpellRecord& spell, const Character& character) {
  return character.magic >= spell.magicCost && spell.ConditionsHold();
}

// ---- Casting ----

SpellCastDialog::SpellCastDialog() : Dialog(kSpellCastLayout, 10, kSpellCastKinds, true) {
  auto* previous = GetControlAs<PictureButton>(kPreviousGroup);
  auto* next = GetControlAs<PictureButton>(kNextGroup);
  if (previous != nullptr) previous->SetCommand(kCastPreviousCommand);
  if (next != nullptr) next->SetCommand(kCastNextCommand);
  const Character* player = GetCurrentCharacter();
  if (player != nullptr) {
    for (const SpellRecord* spell : player->knownSpells) {
      if (spell != nullptr) groups_.push_back(SpellGroup(*spell));
    }
  }
  std::sort(groups_.begin(), groups_.end());
  groups_.erase(std::unique(groups_.begin(), groups_.end()), groups_.end());
  if (groups_.empty()) {
    groups_.push_back(1);
    if (previous != nullptr) previous->SetState(false);
    if (next != nullptr) next->SetState(false);
  }
  SetText(GetControlAs<StaticTextControl>(kDescription), "");
  SetText(GetControlAs<StaticTextControl>(kCost), "");
  SetText(GetControlAs<StaticTextControl>(kMagic), std::to_string(player != nullptr ? player->magic : 0));
  SetText(GetControlAs<StaticTextControl>(kMaxMagic),
          std::to_string(player != nullptr ? player->current.maxMagic : 0));
  if (auto* close = GetControlAs<CaptionButton>(kClose)) close->SetCaption("Close");
  if (auto* cast = GetControlAs<CaptionButton>(kCast)) {
    cast->SetCaption("Cast");
    cast->SetCommand(kCastCommand);
  }
  ShowGroup();
  for (int32_t index : {kList, kClose, kCast}) {
    BeginFocusGroup();
    AddToFocusGroup(index);
  }
  FocusFirstControl();
  OnRowClick(kList);
}

SpellRecord* SpellCastDialog::SelectedSpell() const {
  auto* list = GetControlAs<ListControl>(kList);
  if (list == nullptr || list->GetSelection() < 0) return nullptr;
  return FindSpellByName(list->GetSelectedText());
}

void SpellCastDialog::ShowGroup() {
  const Character* player = GetCurrentCharacter();
  const int32_t group = groups_[static_cast<size_t>(current_)];
  if (auto* list = GetControlAs<ListControl>(kList)) {
    list->Clear();
    if (player != nullptr) {
      for (const SpellRecord* spell : player->knownSpells) {
        if (spell != nullptr && SpellGroup(*spell) == group) list->AddRow(nullptr, spell->GetName(), 0, false);
      }
    }
  }
  if (auto* cast = GetControlAs<CaptionButton>(kCast)) cast->SetState(player != nullptr && !player->knownSpells.empty());
  SetText(GetControlAs<StaticTextControl>(kGroupText), std::to_string(group));
  OnRowClick(kList);
}

void SpellCastDialog::ShowSelected() {
  const SpellRecord* spell = SelectedSpell();
  const Character* player = GetCurrentCharacter();
  if (spell != nullptr) {
    SetText(GetControlAs<StaticTextControl>(kDescription), spell->text);
    SetText(GetControlAs<StaticTextControl>(kCost), std::to_string(spell->magicCost));
    if (auto* cast = GetControlAs<CaptionButton>(kCast)) {
      cast->SetState(player != nullptr && CanCastNow(*spell, *player));
    }
  }
  SetDirty();
}

void SpellCastDialog::Cast(SpellRecord& spell) {
  QueuePendingSpell(&spell);
  if (Character* player = GetCurrentCharacter()) player->readiedSpell = &spell;
}

int32_t SpellCastDialog::OnRowClick(int32_t index) {
  ShowSelected();
  return Dialog::OnRowClick(index);
}

int32_t SpellCastDialog::OnSelectionMoved(int32_t index) {
  ShowSelected();
  return Dialog::OnSelectionMoved(index);
}

int32_t SpellCastDialog::OnRowDoubleClick(int32_t) {
  SpellRecord* spell = SelectedSpell();
  const Character* player = GetCurrentCharacter();
  if (spell == nullptr || player == nullptr || !CanCastNow(*spell, *player)) return kConsumeClick;
  Cast(*spell);
  Close();
  SetDirty();
  return kConsumeClick | kReturnAtOnce;
}

int32_t SpellCastDialog::OnControlEvent(int32_t index, ControlEvent code) {
  switch (code) {
    case kCastNextCommand:
    case kCastPreviousCommand: {
      const int32_t count = static_cast<int32_t>(groups_.size());
      if (count < 2) return 0;
      current_ = Step(current_, code == kCastNextCommand ? 1 : -1, count);
      ShowGroup();
      return 0;
    }
    case kCastCommand:
      if (SpellRecord* spell = SelectedSpell()) Cast(*spell);
      Close();
      return kReturnAtOnce;
    default: return Dialog::OnControlEvent(index, code);
  }
}

// ---- Picking ----

SpellPickDialog::SpellPickDialog(std::vector<int32_t> groups, std::vector<int32_t> allowances)
    : Dialog(kSpellPickLayout, 7, kSpellPickKinds, true), groups_(std::move(groups)), allowances_(std::move(allowances)) {
  // A group value without an allowance asks for nothing.
  groups_.resize(std::min(groups_.size(), allowances_.size()));
  allowances_.resize(groups_.size());
  picks_.resize(groups_.size());
  if (auto* previous = GetControlAs<PictureButton>(kPreviousGroup)) previous->SetCommand(kPickPreviousCommand);
  if (auto* next = GetControlAs<PictureButton>(kNextGroup)) next->SetCommand(kPickNextCommand);
  const Character* player = GetCurrentCharacter();
  classRecord_ = player != nullptr ? player->GetClass() : nullptr;
  // An allowance is lowered to the spells there are to learn; a negative one stays as given (nothing can be
  // picked in its group, which shows the allowance as the picks left).
  for (size_t i = 0; i < groups_.size(); ++i) {
    const int32_t exist = static_cast<int32_t>(Offered(groups_[i]).size());
    allowances_[i] = std::min(allowances_[i], exist);
  }
  ShowGroup();
  SetText(GetControlAs<StaticTextControl>(kDescription), "");
  if (auto* ok = GetControlAs<CaptionButton>(kOk)) ok->SetCaption("OK");
  for (int32_t index : {kList, kOk}) {
    BeginFocusGroup();
    AddToFocusGroup(index);
  }
  FocusFirstControl();
  OnMultiSelectRowClick(kList);
  StorePicks();
  UpdateOkButton();
}

std::vector<SpellRecord*> SpellPickDialog::Offered(int32_t groupValue) const {
  std::vector<SpellRecord*> offered;
  const Character* player = GetCurrentCharacter();
  if (classRecord_ == nullptr || player == nullptr) return offered;
  for (SpellRecord* spell : classRecord_->spells) {
    if (spell != nullptr && SpellGroup(*spell) == groupValue && !player->KnowsSpell(spell)) offered.push_back(spell);
  }
  return offered;
}

void SpellPickDialog::ShowGroup() {
  auto* list = GetControlAs<MultiSelectList>(kList);
  if (groups_.empty() || list == nullptr) return;
  const size_t group = static_cast<size_t>(current_);
  list->Clear();
  for (const SpellRecord* spell : Offered(groups_[group])) list->AddRow(spell->GetName(), false);
  // The limit goes first: the list keeps the limit of the group shown before, and picks made here would be cut to
  // it and lost (two picks in a group of allowance 2 came back as one after visiting a group of allowance 1).
  list->SetLimit(std::min(allowances_[group], list->GetRowCount()));
  list->PickMatching(picks_[group]);
  SetText(GetControlAs<StaticTextControl>(kGroupText), std::to_string(groups_[group]));
  UpdatePicksLeft();
  OnMultiSelectRowClick(kList);
}

void SpellPickDialog::StorePicks() {
  auto* list = GetControlAs<MultiSelectList>(kList);
  if (groups_.empty() || list == nullptr) return;
  list->GetPicked(picks_[static_cast<size_t>(current_)]);
}

void SpellPickDialog::UpdatePicksLeft() {
  auto* list = GetControlAs<MultiSelectList>(kList);
  if (groups_.empty() || list == nullptr) return;
  const int32_t limit = std::min(allowances_[static_cast<size_t>(current_)], list->GetRowCount());
  SetText(GetControlAs<StaticTextControl>(kPicksLeft), std::to_string(limit - list->GetPickCount()));
}

void SpellPickDialog::UpdateOkButton() {
  bool complete = true;
  for (size_t i = 0; i < groups_.size(); ++i) {
    if (int64_t{allowances_[i]} != static_cast<int64_t>(picks_[i].size())) complete = false;
  }
  if (auto* ok = GetControlAs<CaptionButton>(kOk)) ok->SetState(complete);
}

void SpellPickDialog::DescribeSelected() {
  auto* list = GetControlAs<MultiSelectList>(kList);
  const SpellRecord* spell = list != nullptr && list->GetSelection() >= 0 ? FindSpellByName(list->GetSelectedText())
                                                                           : nullptr;
  SetText(GetControlAs<StaticTextControl>(kDescription), spell != nullptr ? spell->text : "");
  SetDirty();
}

int32_t SpellPickDialog::OnMultiSelectRowClick(int32_t index) {
  DescribeSelected();
  return Dialog::OnMultiSelectRowClick(index);
}

int32_t SpellPickDialog::OnMultiSelectMoved(int32_t index) {
  DescribeSelected();
  return Dialog::OnMultiSelectMoved(index);
}

int32_t SpellPickDialog::OnPickChanged(int32_t index, bool picked) {
  UpdatePicksLeft();
  DescribeSelected();
  StorePicks();
  UpdateOkButton();
  return Dialog::OnPickChanged(index, picked);
}

int32_t SpellPickDialog::OnControlEvent(int32_t index, ControlEvent code) {
  if (code == kPickPreviousCommand || code == kPickNextCommand) {
    const int32_t count = static_cast<int32_t>(groups_.size());
    if (count < 2) return 0;
    StorePicks();
    current_ = Step(current_, code == kPickNextCommand ? 1 : -1, count);
    ShowGroup();
    return 0;
  }
  return Dialog::OnControlEvent(index, code);
}

int32_t SpellPickDialog::Close() {
  if (!learnt_) {
    learnt_ = true;
    StorePicks();
    if (Character* player = GetCurrentCharacter()) {
      for (const auto& names : picks_) {
        for (const std::string& name : names) player->LearnSpell(FindSpellByName(name));
      }
    }
  }
  return Dialog::Close();
}
