// Item rows of the dialogs' lists.
#include "game/dialogs/item_rows.h"

#include <algorithm>

#include "game/dialogs/list_controls.h"
#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/rules/scenario_pictures.h"

Bitmap* ItemRowPicture(const ItemRecord& item) {
  Bitmap* picture = item.pictureName.empty() ? nullptr : GetScenarioPicture(item.pictureName);
  return picture != nullptr ? picture : GetNumberedPicture(item.kind);
}

const char* ItemUseActionName(const ItemRecord& item) {
  return item.kind < 7 || item.kind == 9 ? "Equip" : "Use";
}

bool IsItemUsableBy(const ItemRecord& item, const Character& character) {
  return item.ActionAllowed(ItemUseActionName(item)) && item.CanBeUsedBy(character);
}

std::vector<ItemRow> CarriedItemRows(const Character& character) {
  std::vector<ItemRow> rows;
  for (const std::unique_ptr<ItemRecord>& item : character.inventory) {
    const int16_t slot = item->kind;
    if (slot >= 0 && slot < kEquipmentSlots && character.equipment[static_cast<size_t>(slot)] == item.get()) continue;
    rows.push_back(ItemRow{ItemRowPicture(*item), item->GetName(), !IsItemUsableBy(*item, character)});
  }
  return rows;
}

void FillItemList(ListControl& list, std::vector<ItemRow> rows, bool merge) {
  // Sorted before they are added: rows of one name lie together, and a merged row keeps its place.
  std::stable_sort(rows.begin(), rows.end(),
                   [](const ItemRow& a, const ItemRow& b) { return InventoryNameLess(a.name, b.name); });
  list.Clear();
  for (const ItemRow& row : rows) list.AddRow(row.picture, row.name, row.unusable ? 1 : 0, merge);
}
