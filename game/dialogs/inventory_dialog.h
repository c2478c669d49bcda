// InventoryDialog: the current character's carried items on screen layout 3: a sorted list with pictures (copies
// of one item merged into one row with their number), the seven equipment slots as buttons with the equipped
// items' pictures, the gold, points and natural protection, and the description of the item in focus. "Use"
// ("Equip" for the worn kinds) and "Drop" act on the selected row; a slot button takes its item off. The item
// rules themselves are the Character's.
//
// The list's filling and order (FillInventoryList) serve every list of a character's items.
#pragma once

#include <cstdint>

#include "game/dialogs/dialog.h"

class Bitmap;
class Character;
class ItemRecord;
class ListControl;

// The name of an item's use action: "Equip" for the kinds below 7 and kind 9, "Use" for the others.
const char* UseActionName(int32_t kind);
// The character may use the item: its use action is allowed and the character's class may use it.
bool IsItemUsableBy(const ItemRecord& item, const Character& character);
// The item's own picture, or without one the numbered picture of its kind; null when neither exists.
Bitmap* ItemPicture(const ItemRecord& item);
// Fills the list with the character's items, each but the one equipped in its kind's slot: its picture, its
// name, value 1 (drawn in red) when the character cannot use it, copies of one name merged into one row. Rows go
// in the order of the item kinds (consumables first, then the weapon and the worn kinds, used-only items last; a
// row without an item record first), then by name.
void FillInventoryList(ListControl& list, const Character& character);

class InventoryDialog : public Dialog {
 public:
  static constexpr int32_t kControlCount = 25;
  static constexpr int32_t kGold = 0;
  static constexpr int32_t kList = 1;
  static constexpr int32_t kClose = 2;
  static constexpr int32_t kDrop = 3;
  static constexpr int32_t kUse = 4;
  static constexpr int32_t kDescription = 17;
  // The equipment slots the dialog shows, and their buttons and pictures.
  static constexpr int32_t kSlotCount = 7;
  static constexpr int32_t kSlots[kSlotCount] = {1, 2, 3, 4, 5, 6, 9};
  static constexpr int32_t kSlotButtons[kSlotCount] = {5, 6, 7, 9, 10, 8, 16};
  static constexpr int32_t kSlotPictures[kSlotCount] = {18, 19, 20, 22, 23, 21, 24};

  InventoryDialog();

  int32_t OnControlEvent(int32_t index, ControlEvent code) override;
  int32_t OnRowClick(int32_t index) override;
  int32_t OnSelectionMoved(int32_t index) override;
  int32_t OnRowDoubleClick(int32_t index) override;
  int32_t OnFocusChange(int32_t index, bool gained) override;

 private:
  // The inventory item of the selected row (not the equipped one); null without a selection.
  ItemRecord* SelectedItem() const;
  // The equipped item of the slot whose button has that index; null for an empty slot or another control.
  ItemRecord* SlotItem(int32_t buttonIndex) const;
  void FillSlots();
  void FillValues();
  void FillList();
  void UpdateButtons();
  void Describe(const ItemRecord* item);
  // Uses (or drops) the selected item when the rules allow it, keeping the list's scroll.
  int32_t UseOrDrop(bool drop);
  // Spells that an item queued: the map casts them once the dialog has gone, else they are cast at once.
  int32_t HandlePendingSpells();
};
