// The character's items: equipping with the two-handed rules and refusals, dropping, using consumables with their
// charges and gains, replacements, an item that its own event takes away, the automatic choice of equipment and
// of a healing item, and the listing order.
#include <gtest/gtest.h>

#include <map>

#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/rules/spell_record.h"
#include "game/shell/record_lists.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;

class CharacterItemsTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().globalNames = {"gb_log", "gb_refuse"};
  }

  // An item whose every named action appends "<name>.<action> " to gb_log, and is refused while gb_refuse holds
  // "<name>.<action>". Extra actions of an event come after the log.
  sw::ItemSpec& AddItem(const std::string& name, int16_t kind,
                        std::map<std::string, std::vector<sw::ActionSpec>> extra = {}) {
    sw::ItemSpec& item = items_[name];
    item.kind = kind;
    for (int32_t n = 1; n <= NamedActionCount(kind); ++n) {
      const std::string action = NamedActionName(kind, n);
      const std::string mark = name + "." + action;
      sw::EventSpec event{{ChangeGlobal("gb_log", 2, mark + " ")}};
      for (const sw::ActionSpec& more : extra[action]) event.mainActions.push_back(more);
      item.namedActions.push_back({{"", event}, "", sw::ActionSpec{"", "Conditional", {"gb_refuse,is different of," + mark, "0"}}});
    }
    return item;
  }
  void LoadItems() {
    for (const auto& [name, item] : items_) Files().Add("Items/" + name + ".itm", sw::EncodeItem(item));
    Load();
  }
  ItemRecord* Give(const std::string& name, Character& c) { return c.AddInventoryItem(FindItemByName(name)); }
  std::vector<std::string> Names(const Character& c) const {
    std::vector<std::string> names;
    for (const auto& item : c.inventory) names.push_back(item->GetName());
    return names;
  }
  std::string Slot(const Character& c, int32_t slot) const {
    const ItemRecord* item = c.equipment[static_cast<size_t>(slot)];
    return item != nullptr ? item->GetName() : "";
  }
  std::string TakeLog() {
    std::string log = Global("gb_log");
    SetGlobal("gb_log", "");
    return log;
  }

  std::map<std::string, sw::ItemSpec> items_;
};

TEST_F(CharacterItemsTest, TwoHandedWeaponsAndShieldsMakeRoomForEachOtherUnlessAnUnequipRefuses) {
  AddItem("Blade", 1).hands = 2;
  AddItem("Shield", 3);
  AddItem("Sword", 1);
  LoadItems();
  Character& c = Player();
  ItemRecord* blade = Give("Blade", c);
  ItemRecord* shield = Give("Shield", c);
  c.Equip(shield);
  EXPECT_EQ(Slot(c, 3), "shield");
  EXPECT_EQ(TakeLog(), "Shield.Equip ");

  SetGlobal("gb_refuse", "Shield.UnEquip");
  c.Equip(blade);
  EXPECT_EQ(Slot(c, 1), "");
  EXPECT_EQ(Slot(c, 3), "shield");
  EXPECT_EQ(TakeLog(), "");

  SetGlobal("gb_refuse", "");
  c.Equip(blade);
  EXPECT_EQ(Slot(c, 1), "blade");
  EXPECT_EQ(Slot(c, 3), "");
  EXPECT_EQ(TakeLog(), "Shield.UnEquip Blade.Equip ");

  // A shield takes the two-handed weapon off first; a sword then takes slot 1.
  c.Equip(shield);
  EXPECT_EQ(Slot(c, 1), "");
  EXPECT_EQ(Slot(c, 3), "shield");
  EXPECT_EQ(TakeLog(), "Blade.UnEquip Shield.Equip ");
  c.Equip(Give("Sword", c));
  EXPECT_EQ(Slot(c, 1), "sword");
  EXPECT_EQ(Slot(c, 3), "shield");
  // Items outside the inventory, and kinds without a slot, are not equipped.
  ItemRecord loose(*FindItemByName("Sword"));
  c.Equip(&loose);
  EXPECT_NE(c.equipment[1], &loose);
}

TEST_F(CharacterItemsTest, DropsAreRefusedByTheItemOrByItsUnequip) {
  AddItem("Helm", 4);
  LoadItems();
  Character& c = Player();
  ItemRecord* helm = Give("Helm", c);
  c.Equip(helm);
  TakeLog();

  SetGlobal("gb_refuse", "Helm.Drop");
  c.Drop(helm, false);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"helm"}));
  EXPECT_EQ(TakeLog(), "Helm.Drop ");  // the action's event runs, its condition refuses

  // An equipped item that stays equipped is not dropped: no slot keeps an item the inventory lost.
  SetGlobal("gb_refuse", "Helm.UnEquip");
  c.Drop(helm, false);
  EXPECT_EQ(Names(c), (std::vector<std::string>{"helm"}));
  EXPECT_EQ(Slot(c, 4), "helm");

  SetGlobal("gb_refuse", "");
  TakeLog();
  c.Drop(helm, false);
  EXPECT_TRUE(c.inventory.empty());
  EXPECT_EQ(Slot(c, 4), "");
  EXPECT_EQ(TakeLog(), "Helm.Drop Helm.UnEquip ");
}

TEST_F(CharacterItemsTest, AnItemThatItsOwnEventTakesAwayEndsTheRule) {
  AddItem("Cloak", 4, {{"Equip", {{"", "Items", {"Cloak", "3"}}}}});
  AddItem("Bell", 8, {{"Use", {{"", "Items", {"Bell", "3"}}}}});
  LoadItems();
  Character& c = Player();
  c.Equip(Give("Cloak", c));
  EXPECT_TRUE(c.inventory.empty());
  EXPECT_EQ(Slot(c, 4), "");
  EXPECT_EQ(TakeLog(), "Cloak.Equip Cloak.Drop ");
  c.UseItem(Give("Bell", c));
  EXPECT_TRUE(c.inventory.empty());
  EXPECT_EQ(TakeLog(), "Bell.Use Bell.Drop ");
}

TEST_F(CharacterItemsTest, AConsumablesSpellFiresOnEveryUseTakingAChargeOrTurningUnlimitedAndTheItemStays) {
  Files().Add("Players/Spells/Heal.spl", sw::EncodeSpell({}));
  AddItem("Potion", 7).spellName = "Heal";
  LoadItems();
  struct Case {
    int16_t charges;
    int16_t left;
  } cases[] = {{3, 2}, {1, 0}, {0, -1}, {-1, -1}, {-2, -1}};
  Character& c = Player();
  for (const Case& k : cases) {
    c.inventory.clear();
    ClearPendingSpells();
    ItemRecord* potion = Give("Potion", c);
    potion->charges = k.charges;
    c.UseItem(potion);
    EXPECT_EQ(PendingSpells().size(), 1u) << k.charges;
    ASSERT_EQ(c.inventory.size(), 1u) << k.charges;
    EXPECT_EQ(c.inventory[0]->charges, k.left) << k.charges;
  }
  // Its last charge leaves it at 0; used again it fires once more and its charges turn unlimited.
  c.inventory.clear();
  ClearPendingSpells();
  ItemRecord* potion = Give("Potion", c);
  potion->charges = 1;
  c.UseItem(potion);
  c.UseItem(potion);
  EXPECT_EQ(PendingSpells().size(), 2u);
  ASSERT_EQ(c.inventory.size(), 1u);
  EXPECT_EQ(potion->charges, -1);
  ClearPendingSpells();
}

TEST_F(CharacterItemsTest, AConsumableGivesItsGainsForGoodAndIsUsedUp) {
  sw::ItemSpec& apple = AddItem("Apple", 7);
  apple.modifiers[kModifierMaxStamina] = 5;
  apple.modifiers[kModifierMaxMagic] = 50;
  apple.modifiers[kModifierStrength] = 1;
  apple.modifiers[kModifierNaturalProtection] = 2;
  AddItem("Scroll", 8).modifiers[kModifierStrength] = 4;
  LoadItems();
  Character& c = Player();
  c.base.maxStamina = 20;
  c.RecalculateStats();
  c.stamina = 12;
  c.magic = c.current.maxMagic;
  const CharacterValues before = c.base;

  SetGlobal("gb_refuse", "Apple.Use");
  c.UseItem(Give("Apple", c));
  EXPECT_EQ(c.stamina, 12);
  EXPECT_EQ(c.inventory.size(), 1u);
  EXPECT_EQ(TakeLog(), "Apple.Use ");

  SetGlobal("gb_refuse", "");
  c.UseItem(c.inventory[0].get());
  EXPECT_EQ(c.stamina, 17);
  EXPECT_EQ(c.magic, c.current.maxMagic);  // no more than the maximum
  EXPECT_EQ(c.base.strength, before.strength + 1);
  EXPECT_EQ(c.base.naturalProtection, before.naturalProtection + 2);
  EXPECT_EQ(c.base.maxStamina, 20);
  EXPECT_TRUE(c.inventory.empty());
  EXPECT_EQ(TakeLog(), "Apple.Use Apple.Drop ");

  // An item that is only used runs its "Use" and changes no value.
  c.UseItem(Give("Scroll", c));
  EXPECT_EQ(c.base.strength, before.strength + 1);
  EXPECT_EQ(c.inventory.size(), 1u);
  EXPECT_EQ(TakeLog(), "Scroll.Use ");
}

TEST_F(CharacterItemsTest, AReplacementTurnsTheItemIntoTheNamedOneAndUsesThat) {
  AddItem("Rusty", 1).replacementName = "Gleaming";
  AddItem("Gleaming", 1);
  AddItem("Egg", 7).replacementName = "Chick";
  AddItem("Chick", 8);
  AddItem("Ping", 1).replacementName = "Pong";
  AddItem("Pong", 1).replacementName = "Ping";
  LoadItems();
  Character& c = Player();
  c.Equip(Give("Rusty", c));
  EXPECT_EQ(Names(c), (std::vector<std::string>{"gleaming"}));
  EXPECT_EQ(Slot(c, 1), "gleaming");
  EXPECT_EQ(TakeLog(), "Gleaming.Equip ");

  const int16_t stamina = c.stamina;
  c.UseItem(Give("Egg", c));
  EXPECT_EQ(Names(c), (std::vector<std::string>{"gleaming", "chick"}));
  EXPECT_EQ(c.stamina, stamina);
  EXPECT_EQ(TakeLog(), "Egg.Use Chick.Use ");

  // Two items that name each other stop after a few turns.
  c.Equip(Give("Ping", c));
  EXPECT_EQ(c.inventory.size(), 3u);
  EXPECT_EQ(Slot(c, 1), "gleaming");
}

TEST_F(CharacterItemsTest, AutomaticEquipmentChoosesByPreferenceAndRankInEveryKind) {
  AddItem("Club", 1).modifiers[kModifierMinDamage] = 2;
  AddItem("Mace", 1).modifiers[kModifierMinDamage] = 5;
  AddItem("Maul", 1).modifiers[kModifierMinDamage] = 5;  // as good as the mace, found later
  sw::ItemSpec& bow = AddItem("Bow", 1);
  bow.firstProjectileValue = 5;
  bow.modifiers[kModifierMinDamage] = 3;
  AddItem("Helm", 4).modifiers[kModifierStrength] = 1;
  AddItem("Crown", 4).modifiers[kModifierStrength] = 3;
  AddItem("Tonic", 7).modifiers[kModifierMaxStamina] = 2;
  AddItem("Potion", 7).modifiers[kModifierMaxStamina] = 9;
  AddItem("Scroll", 8).modifiers[kModifierMaxStamina] = 9;
  AddItem("Note", 8).modifiers[kModifierMaxStamina] = 1;
  LoadItems();
  struct Case {
    std::vector<std::string> items;
    int32_t preference;
    const char* weapon;
  } cases[] = {
      {{"Club", "Mace", "Maul", "Bow"}, 2, "bow"},
      {{"Club", "Mace", "Maul", "Bow"}, 0, "mace"},
      {{"Club", "Mace", "Maul", "Bow"}, 1, "mace"},
      {{"Club", "Mace", "Maul", "Bow"}, 3, "mace"},  // the best weapon of all
      {{"Club", "Mace"}, 2, "mace"},                 // no ranged weapon: the best one
      {{"Bow"}, 1, "bow"},
      {{"Bow"}, 0, "bow"},
      {{"Helm"}, 1, ""},
  };
  for (const Case& k : cases) {
    Character npc;
    for (const std::string& name : k.items) Give(name, npc);
    for (const char* name : {"Helm", "Crown", "Tonic", "Potion", "Scroll", "Note"}) Give(name, npc);
    npc.AutoEquipBest(k.preference);
    EXPECT_EQ(Slot(npc, 1), k.weapon) << k.preference;
    EXPECT_EQ(Slot(npc, 4), "crown");
    // Consumables and items that are only used are weighed like the rest.
    EXPECT_EQ(Slot(npc, 7), "potion");
    EXPECT_EQ(Slot(npc, 8), "scroll");
  }
}

TEST_F(CharacterItemsTest, AHealingItemFitsWhatIsMissingOrIsTheMostValuable) {
  AddItem("Small", 7).modifiers[kModifierMaxStamina] = 5;
  AddItem("Fit", 7).modifiers[kModifierMaxStamina] = 9;
  AddItem("Big", 7).modifiers[kModifierMaxStamina] = 20;
  AddItem("Other", 7).modifiers[kModifierMaxStamina] = 11;  // as close as Fit, found later
  AddItem("Sword", 1);
  LoadItems();
  for (bool bestFit : {true, false}) {
    Character npc;
    npc.base.maxStamina = 40;
    npc.RecalculateStats();
    npc.stamina = 30;
    EXPECT_FALSE(npc.ChooseHealingItem(bestFit));
    for (const char* name : {"Sword", "Small", "Fit", "Big", "Other"}) Give(name, npc);
    EXPECT_TRUE(npc.ChooseHealingItem(bestFit));
    EXPECT_FALSE(npc.HasItemNamed(bestFit ? "Fit" : "Big")) << bestFit;
    EXPECT_EQ(npc.inventory.size(), 4u);
  }
}

TEST_F(CharacterItemsTest, FindingItemsAndTheListingOrder) {
  AddItem("Potion", 7);
  AddItem("Sword", 1);
  AddItem("Ring", 9);
  AddItem("Helmet", 4);
  LoadItems();
  Character& c = Player();
  EXPECT_EQ(c.AddInventoryItem(nullptr), nullptr);
  ItemRecord* first = Give("Sword", c);
  ItemRecord* second = Give("Sword", c);
  c.Equip(first);
  EXPECT_EQ(c.FindInventoryItem("SWORD", false), first);
  EXPECT_EQ(c.FindInventoryItem("sword", true), second);
  EXPECT_EQ(c.FindInventoryItem("axe", false), nullptr);
  EXPECT_TRUE(c.HasItemNamed("Sword"));
  EXPECT_FALSE(c.HasItemNamed("Ring"));

  std::vector<std::string> names = {"Helmet", "Ring", "Sword", "Potion"};
  SortInventoryNames(names);
  EXPECT_EQ(names, (std::vector<std::string>{"Potion", "Sword", "Ring", "Helmet"}));
}

}  // namespace
