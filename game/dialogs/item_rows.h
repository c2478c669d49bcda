// Item rows of the dialogs' lists: the picture an item is shown with, whether the character may use it, and the
// listing of items sorted as an inventory is (by the rank of the item's kind, then by name), with the carried
// items merged into one row per name.
#pragma once

#include <string>
#include <vector>

class Bitmap;
class Character;
class ItemRecord;
class ListControl;

struct ItemRow {
  Bitmap* picture = nullptr;  // not owned
  std::string name;
  bool unusable = false;  // drawn in the red of colour 8
};

// The item's own picture ("Pictures/" + its picture name), else the numbered picture of its kind.
Bitmap* ItemRowPicture(const ItemRecord& item);
// "Equip" for the kinds that are worn or held (below 7, and 9), "Use" for the others.
const char* ItemUseActionName(const ItemRecord& item);
// Whether the item's use action is allowed and the character's class may use it.
bool IsItemUsableBy(const ItemRecord& item, const Character& character);
// The carried items, all but the one equipped in the slot of its kind, in inventory order.
std::vector<ItemRow> CarriedItemRows(const Character& character);
// Clears the list and fills it with the rows sorted as an inventory is (stable); merge counts rows of one name
// up into one.
void FillItemList(ListControl& list, std::vector<ItemRow> rows, bool merge);
