// The level gain, entry information and journal dialogs.
#include "game/dialogs/character_info_dialogs.h"

#include <algorithm>

#include "game/dialogs/list_controls.h"
#include "game/dialogs/status_panel.h"
#include "game/rules/character.h"

namespace {

constexpr int32_t kLevelGainLayout = 14;
constexpr ControlKind kLevelGainKinds[] = {kStaticTextKind, kStaticTextKind};
constexpr int32_t kEntryInfoLayout = 0;
constexpr ControlKind kEntryInfoKinds[] = {kListKind, kStaticTextKind, kCaptionButtonKind};
constexpr int32_t kJournalLayout = 2;
constexpr ControlKind kJournalKinds[] = {kListKind, kCaptionButtonKind, kCaptionButtonKind, kStaticTextKind};
constexpr int32_t kRemoveCommand = 13;

}  // namespace

LevelGainDialog::LevelGainDialog() : Dialog(kLevelGainLayout, 2, kLevelGainKinds, true) {
  SetInputDelay(kInputDelayMilliseconds);
  if (const Character* player = GetCurrentCharacter()) {
    levelText_ = std::to_string(player->level);
    neededText_ = std::to_string(NextLevelExperience(*player));
  }
  if (auto* level = GetControlAs<StaticTextControl>(0)) level->SetText(levelText_);
  if (auto* needed = GetControlAs<StaticTextControl>(1)) needed->SetText(neededText_);
  SetCloseOnClick(true);
  SetCloseOnReturn(true);
  SetCloseOnEscape(true);
}

EntryInfoDialog::EntryInfoDialog() : Dialog(kEntryInfoLayout, 3, kEntryInfoKinds, true) {
  if (auto* ok = GetControlAs<CaptionButton>(kOk)) ok->SetCaption("OK");
  const Character* player = GetCurrentCharacter();
  if (auto* list = GetControlAs<ListControl>(kList); list != nullptr && player != nullptr) {
    for (const TextEntry& entry : player->GetTextEntries()) list->AddRow(nullptr, entry.firstText, 0, false);
  }
  BeginFocusGroup();
  AddToFocusGroup(kList);
  FocusFirstControl();
  OnRowClick(kList);
}

void EntryInfoDialog::ShowSelected() {
  const Character* player = GetCurrentCharacter();
  auto* list = GetControlAs<ListControl>(kList);
  auto* text = GetControlAs<StaticTextControl>(kText);
  if (player == nullptr || list == nullptr || text == nullptr || list->GetSelection() < 0) return;
  const std::string title = list->GetSelectedText();
  const auto& entries = player->GetTextEntries();
  auto found = std::find_if(entries.begin(), entries.end(),
                            [&](const TextEntry& entry) { return entry.firstText == title; });
  if (found != entries.end()) text->SetText(found->secondText);
}

int32_t EntryInfoDialog::OnRowClick(int32_t index) {
  ShowSelected();
  return Dialog::OnRowClick(index);
}

int32_t EntryInfoDialog::OnSelectionMoved(int32_t index) {
  ShowSelected();
  return Dialog::OnSelectionMoved(index);
}

JournalDialog::JournalDialog() : Dialog(kJournalLayout, 4, kJournalKinds, true) {
  const Character* player = GetCurrentCharacter();
  if (auto* ok = GetControlAs<CaptionButton>(kOk)) ok->SetCaption("OK");
  if (auto* remove = GetControlAs<CaptionButton>(kRemove)) {
    remove->SetCaption("Remove");
    remove->SetCommand(kRemoveCommand);
    remove->SetState(player != nullptr && !player->journal.empty());
  }
  // One whole entry per row, wrapped in the box; the arrows step a row at a time.
  if (auto* list = GetControlAs<ListControl>(kList)) list->Configure(0, list->GetRect().height, false, true);
  FillList();
  for (int32_t index : {kList, kOk}) {
    BeginFocusGroup();
    AddToFocusGroup(index);
  }
  FocusFirstControl();
  OnRowClick(kList);
  UpdatePosition();
}

void JournalDialog::FillList() {
  const Character* player = GetCurrentCharacter();
  auto* list = GetControlAs<ListControl>(kList);
  if (list == nullptr) return;
  list->Clear();
  if (player == nullptr) return;
  for (auto entry = player->journal.rbegin(); entry != player->journal.rend(); ++entry) {
    list->AddRow(nullptr, *entry, 0, false);
  }
}

std::string JournalDialog::PositionText() const {
  auto* text = GetControlAs<StaticTextControl>(kPosition);
  return text != nullptr ? text->GetText() : std::string();
}

void JournalDialog::UpdatePosition() {
  auto* list = GetControlAs<ListControl>(kList);
  auto* text = GetControlAs<StaticTextControl>(kPosition);
  if (list == nullptr || text == nullptr) return;
  const int32_t rows = list->GetRowCount();
  const int32_t shown = rows > 0 ? list->GetTopRow() + 1 : 0;
  text->SetText(std::to_string(shown) + "/" + std::to_string(rows));
}

int32_t JournalDialog::OnControlEvent(int32_t index, ControlEvent code) {
  int32_t flags = 0;
  if (code == kRemoveCommand && IsReturnArmed()) {
    // "Remove" fires in every frame that finds Return down while it has the focus; it acts only while Return is
    // armed, so a held key removes one entry, and a Return still down as the journal opens removes none.
    Character* player = GetCurrentCharacter();
    auto* list = GetControlAs<ListControl>(kList);
    if (player != nullptr && list != nullptr && list->GetSelection() >= 0) {
      const std::string text = list->GetSelectedText();
      auto found = std::find(player->journal.begin(), player->journal.end(), text);
      if (found != player->journal.end()) player->journal.erase(found);
    }
    FillList();
    if (player == nullptr || player->journal.empty()) {
      if (auto* remove = GetControlAs<CaptionButton>(kRemove)) remove->SetState(false);
    }
    flags = OnRowClick(kList);
  } else {
    flags = Dialog::OnControlEvent(index, code);
  }
  UpdatePosition();
  return flags;
}
