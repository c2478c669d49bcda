// The inventory dialog.
#include "game/dialogs/inventory_dialog.h"

#include <algorithm>
#include <string>
#include <vector>

#include "game/dialogs/list_controls.h"
#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/rules/scenario_pictures.h"
#include "game/world/world_services.h"

namespace {

constexpr int32_t kInventoryLayout = 3;
constexpr ControlKind kInventoryKinds[InventoryDialog::kControlCount] = {
    kStaticTextKind,    kListKind,          kCaptionButtonKind, kCaptionButtonKind, kCaptionButtonKind,
    kTextButtonKind,    kTextButtonKind,    kTextButtonKind,    kTextButtonKind,    kTextButtonKind,
    kTextButtonKind,    kStaticTextKind,    kStaticTextKind,    kStaticTextKind,    kStaticTextKind,
    kStaticTextKind,    kTextButtonKind,    kStaticTextKind,    kPictureControlKind, kPictureControlKind,
    kPictureControlKind, kPictureControlKind, kPictureControlKind, kPictureControlKind, kPictureControlKind};
constexpr int32_t kUseCommand = 13;
constexpr int32_t kDropCommand = 14;
constexpr int32_t kSlotCommand = 15;
constexpr int32_t kStamina = 11;
constexpr int32_t kMagic = 12;
constexpr int32_t kProtection = 13;
constexpr int32_t kMaxStamina = 14;
constexpr int32_t kMaxMagic = 15;

// The slot an equipped item of the kind sits in; 0 (never used) for kinds without a slot.
int32_t SlotOfKind(int32_t kind) { return kind >= 1 && kind < kEquipmentSlots ? kind : 0; }

bool IsEquippedInItsSlot(const Character& character, const ItemRecord& item) {
  const int32_t slot = SlotOfKind(item.kind);
  return slot != 0 && character.equipment[static_cast<size_t>(slot)] == &item;
}

void SetNumber(StaticTextControl* text, int32_t value) {
  if (text != nullptr) text->SetText(std::to_string(value));
}

}  // namespace

const char* UseActionName(int32_t kind) { return kind < kItemKindConsumable || kind == 9 ? "Equip" : "Use"; }

bool IsItemUsableBy(const ItemRecord& item, const Character& character) {
  return item.ActionAllowed(UseActionName(item.kind)) && item.CanBeUsedBy(character);
}

Bitmap* ItemPicture(const ItemRecord& item) {
  Bitmap* picture = item.pictureName.empty() ? nullptr : GetScenarioPicture(item.pictureName);
  return picture != nullptr ? picture : GetNumberedPicture(item.kind);
}

void FillInventoryList(ListControl& list, const Character& character) {
  struct Entry {
    Bitmap* picture;
    std::string name;
    int32_t value;
  };
  std::vector<Entry> entries;
  for (const auto& item : character.inventory) {
    if (IsEquippedInItsSlot(character, *item)) continue;
    entries.push_back({ItemPicture(*item), item->GetName(), IsItemUsableBy(*item, character) ? 0 : 1});
  }
  // Stable: copies of one name keep the order they are carried in, and the first of them makes the row.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return InventoryNameLess(a.name, b.name); });
  list.Clear();
  for (const Entry& entry : entries) list.AddRow(entry.picture, entry.name, entry.value, true);
}

InventoryDialog::InventoryDialog() : Dialog(kInventoryLayout, kControlCount, kInventoryKinds, true) {
  struct ButtonSetUp {
    int32_t index;
    const char* caption;
    int32_t command;
  };
  constexpr ButtonSetUp kButtons[] = {{kClose, "Close", kEventClose}, {kDrop, "Drop", kDropCommand},
                                      {kUse, "Use", kUseCommand}};
  for (const ButtonSetUp& setUp : kButtons) {
    if (auto* button = GetControlAs<CaptionButton>(setUp.index)) {
      button->SetCaption(setUp.caption);
      button->SetCommand(setUp.command);
      if (setUp.index != kClose) button->SetState(false);
    }
  }
  for (int32_t index : kSlotButtons) {
    if (auto* button = GetControlAs<TextButton>(index)) button->SetCommand(kSlotCommand);
  }
  FillSlots();
  FillValues();
  FillList();
  const int32_t order[] = {kList, 5, 6, 7, 8, 9, 10, 16, kUse, kDrop};
  for (int32_t index : order) {
    BeginFocusGroup();
    AddToFocusGroup(index);
  }
  FocusFirstControl();
  OnRowClick(kList);
}

ItemRecord* InventoryDialog::SelectedItem() const {
  const Character* player = GetCurrentCharacter();
  auto* list = GetControlAs<ListControl>(kList);
  if (player == nullptr || list == nullptr || list->GetSelection() < 0) return nullptr;
  return player->FindInventoryItem(list->GetSelectedText(), true);
}

ItemRecord* InventoryDialog::SlotItem(int32_t buttonIndex) const {
  const Character* player = GetCurrentCharacter();
  for (int32_t i = 0; i < kSlotCount; ++i) {
    if (kSlotButtons[i] == buttonIndex) {
      return player != nullptr ? player->equipment[static_cast<size_t>(kSlots[i])] : nullptr;
    }
  }
  return nullptr;
}

void InventoryDialog::FillSlots() {
  for (int32_t i = 0; i < kSlotCount; ++i) {
    const ItemRecord* item = SlotItem(kSlotButtons[i]);
    if (auto* button = GetControlAs<TextButton>(kSlotButtons[i])) {
      button->SetCaption(item != nullptr ? item->GetName() : "-");
      button->SetState(item != nullptr);
    }
    if (auto* picture = GetControlAs<PictureControl>(kSlotPictures[i])) {
      picture->SetPicture(item != nullptr ? ItemPicture(*item) : nullptr, false);
    }
  }
  SetDirty();
}

void InventoryDialog::FillValues() {
  const Character* player = GetCurrentCharacter();
  if (player == nullptr) return;
  SetNumber(GetControlAs<StaticTextControl>(kGold), player->gold);
  SetNumber(GetControlAs<StaticTextControl>(kStamina), player->stamina);
  SetNumber(GetControlAs<StaticTextControl>(kMaxStamina), player->current.maxStamina);
  SetNumber(GetControlAs<StaticTextControl>(kMagic), player->magic);
  SetNumber(GetControlAs<StaticTextControl>(kMaxMagic), player->current.maxMagic);
  SetNumber(GetControlAs<StaticTextControl>(kProtection), player->current.naturalProtection);
  SetDirty();
}

void InventoryDialog::FillList() {
  const Character* player = GetCurrentCharacter();
  auto* list = GetControlAs<ListControl>(kList);
  if (list == nullptr) return;
  if (player == nullptr) {
    list->Clear();
    return;
  }
  FillInventoryList(*list, *player);
}

void InventoryDialog::Describe(const ItemRecord* item) {
  if (auto* text = GetControlAs<StaticTextControl>(kDescription)) text->SetText(item != nullptr ? item->description : "");
  SetDirty();
}

void InventoryDialog::UpdateButtons() {
  const ItemRecord* item = SelectedItem();
  const Character* player = GetCurrentCharacter();
  const bool usable = item != nullptr && player != nullptr && IsItemUsableBy(*item, *player);
  const bool droppable = item != nullptr && item->ActionAllowed("Drop");
  if (auto* use = GetControlAs<CaptionButton>(kUse)) use->SetState(usable);
  if (auto* drop = GetControlAs<CaptionButton>(kDrop)) drop->SetState(droppable);
  Describe(item);
}

int32_t InventoryDialog::OnRowClick(int32_t index) {
  UpdateButtons();
  return Dialog::OnRowClick(index);
}

int32_t InventoryDialog::OnSelectionMoved(int32_t index) {
  UpdateButtons();
  return Dialog::OnSelectionMoved(index);
}

int32_t InventoryDialog::OnRowDoubleClick(int32_t index) {
  auto* use = GetControlAs<CaptionButton>(kUse);
  if (use != nullptr && use->IsEnabled()) return UseOrDrop(false);
  return Dialog::OnRowDoubleClick(index);
}

int32_t InventoryDialog::OnFocusChange(int32_t index, bool gained) {
  const bool slot = std::find(std::begin(kSlotButtons), std::end(kSlotButtons), index) != std::end(kSlotButtons);
  if (index == kList && gained) Describe(SelectedItem());
  if (slot) Describe(gained ? SlotItem(index) : SelectedItem());
  return 0;
}

int32_t InventoryDialog::HandlePendingSpells() {
  if (!HasPendingSpells()) return 0;
  if (GetCurrentTileMap() != nullptr) return Close();
  CastPendingSpells(nullptr);
  return 0;
}

int32_t InventoryDialog::UseOrDrop(bool drop) {
  ItemRecord* item = SelectedItem();
  Character* player = GetCurrentCharacter();
  auto* list = GetControlAs<ListControl>(kList);
  if (item == nullptr || player == nullptr || list == nullptr) return kConsumeClick;
  list->SaveScroll();
  int32_t flags = kConsumeClick;
  if (drop ? item->ActionAllowed("Drop") : IsItemUsableBy(*item, *player)) {
    // The item's events may take it away: it is looked up again from the list from here on.
    if (drop) {
      player->Drop(item, false);
      Describe(nullptr);
    } else {
      player->UseItem(item);
    }
    FillValues();
    FillSlots();
    FillList();
    OnRowClick(kList);
    flags |= HandlePendingSpells();
  }
  list->RestoreScroll();
  OnRowClick(kList);
  return flags;
}

int32_t InventoryDialog::OnControlEvent(int32_t index, ControlEvent code) {
  switch (code) {
    case kUseCommand: return UseOrDrop(false);
    case kDropCommand: return UseOrDrop(true);
    case kSlotCommand: {
      Character* player = GetCurrentCharacter();
      if (ItemRecord* item = SlotItem(index); item != nullptr && player != nullptr) {
        player->UnEquip(item);
        FillValues();
        FillSlots();
        FillList();
        // The list changed under the selection: the buttons and the description follow the row now selected.
        // Without this "Use" and "Drop" would stay as they were set for the item selected before, on a row that
        // now holds another (an item its class cannot use offered for use, or one that may not be dropped).
        UpdateButtons();
      }
      return kConsumeClick;
    }
    default: return Dialog::OnControlEvent(index, code);
  }
}
