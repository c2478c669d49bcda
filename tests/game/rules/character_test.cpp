#include "game/rules/character.h"

#include <gtest/gtest.h>

namespace {

TEST(CharacterTest, CurrentCharacterIsReplacedUnlessItIsTheSame) {
  CreateCurrentCharacter();
  Character* first = GetCurrentCharacter();
  ASSERT_NE(first, nullptr);
  int16_t x = 0, y = 0;
  first->GetPosition(&x, &y);
  EXPECT_EQ(x, 32767);
  EXPECT_EQ(y, 32767);
  SetCurrentCharacter(first);
  EXPECT_EQ(GetCurrentCharacter(), first);
  SetCurrentCharacter(new Character);
  EXPECT_NE(PeekCurrentCharacter(), nullptr);
  DeleteCurrentCharacter();
  EXPECT_EQ(GetCurrentCharacter(), nullptr);
}

TEST(CharacterTest, InventoryItemsAreFoundWithoutRegardToCaseAndEquippedOnesCanBeSkipped) {
  Character character;
  InventoryItem* first = character.AddInventoryItem(nullptr);
  first->name = "Sword";
  InventoryItem* second = character.AddInventoryItem(nullptr);
  second->name = "SWORD";
  EXPECT_EQ(character.inventory.back().get(), second);
  EXPECT_EQ(character.FindInventoryItem("sword", false), first);
  character.equipment[1] = first;
  EXPECT_EQ(character.FindInventoryItem("sword", true), second);
  EXPECT_EQ(character.FindInventoryItem("axe", false), nullptr);
}

}  // namespace
