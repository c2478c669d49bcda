// Items: named actions by kind, rank, copies, pictures, and who may use an item.
#include "game/rules/item_record.h"

#include <gtest/gtest.h>

#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/spell_record.h"
#include "tests/game/rules/record_expectations.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/record_writer.h"

namespace {

namespace sw = scenario_writer;
using test_support::MemoryStreamOver;

std::unique_ptr<ItemRecord> ReadItem(const sw::ItemSpec& fields, const std::string& path = "Items/Thing.itm") {
  auto stream = MemoryStreamOver(sw::EncodeItem(fields));
  stream->SetPath(path);
  auto item = std::make_unique<ItemRecord>(*stream);
  EXPECT_TRUE(item->IsLoaded());
  return item;
}

TEST(ItemRecordTest, TheKindSaysHowManyNamedActionsTheFileHolds) {
  struct Case {
    int16_t kind;
    std::vector<std::string> names;
  } cases[] = {
      {1, {"Attack", "Miss", "Equip", "UnEquip", "Drop"}},
      {2, {"Equip", "UnEquip", "Drop"}},
      {6, {"Equip", "UnEquip", "Drop"}},
      {9, {"Equip", "UnEquip", "Drop"}},
      {7, {"Use", "Drop"}},
      {8, {"Use", "Drop"}},
      {0, {"Use", "Drop"}},
      {10, {"Use", "Drop"}},
      {-1, {"Use", "Drop"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    sw::ItemSpec fields;
    fields.kind = c.kind;
    for (const std::string& name : c.names) fields.namedActions.push_back({{}, name + ".aiff", std::nullopt});
    fields.classNames = {"after the actions"};
    fields.lastValue = 42;
    std::unique_ptr<ItemRecord> item = ReadItem(fields);
    ASSERT_EQ(item->namedActions.size(), c.names.size());
    ASSERT_EQ(NamedActionCount(c.kind), static_cast<int32_t>(c.names.size()));
    for (size_t i = 0; i < c.names.size(); ++i) {
      int32_t number = static_cast<int32_t>(i) + 1;
      EXPECT_EQ(item->FindActionIndex(c.names[i]), number);
      EXPECT_EQ(NamedActionName(c.kind, number), c.names[i]);
      EXPECT_EQ(item->NamedAction(number)->soundName, c.names[i] + ".aiff");
    }
    EXPECT_EQ(item->FindActionIndex("Throw"), 0);
    EXPECT_EQ(item->FindActionIndex("drop"), 0);  // exact comparison
    EXPECT_EQ(item->NamedAction(0), nullptr);
    EXPECT_EQ(item->NamedAction(static_cast<int32_t>(c.names.size()) + 1), nullptr);
    EXPECT_EQ(item->classNames, std::vector<std::string>{"after the actions"});
    EXPECT_EQ(item->lastValue, 42);
  }
}

TEST(ItemRecordTest, RankSumsAllButTheElementalProtections) {
  sw::ItemSpec fields;
  fields.modifiers[kModifierStrength] = 2;
  fields.modifiers[kModifierFireProtection] = 3;
  EXPECT_EQ(ReadItem(fields)->rank, 2);
  fields.modifiers.fill(1);
  fields.modifiers[kModifierMinDamage] = -10;
  EXPECT_EQ(ReadItem(fields)->rank, 13 - 10);
}

TEST(ItemRecordTest, APictureFlagOfZeroEmptiesThePictureName) {
  sw::ItemSpec fields;
  fields.pictureName = "shield.png";
  EXPECT_EQ(ReadItem(fields)->pictureName, "shield.png");
  fields.pictureFlag = 0;
  EXPECT_EQ(ReadItem(fields)->pictureName, "");
}

TEST(ItemRecordTest, CopiesEqualTheirSourceAndAreIndependent) {
  sw::ItemSpec fields;
  fields.description = "Axe";
  fields.kind = 1;
  fields.generalAction = {{"", sw::EventSpec{{{"", "End", {}}}, {}, 0}}, "chop.aiff",
                        sw::ActionSpec{"", "Conditional", {"Strength:is greater than:3", "1"}}};
  fields.namedActions = {{{"", sw::EventSpec{{{"", "Call event", {"Swing"}}}, {}, 1}}, "whoosh.aiff", std::nullopt}};
  fields.classNames = {"Warrior"};
  fields.modifiers[kModifierStrength] = 4;
  fields.attackPictureName = "Chop";
  std::unique_ptr<ItemRecord> source = ReadItem(fields, "Items/Axe.itm");
  SpellRecord spell;
  source->spell = &spell;

  ItemRecord copy(*source);
  EXPECT_TRUE(copy.IsLoaded());
  EXPECT_EQ(copy.GetName(), "Axe");
  EXPECT_EQ(copy.spell, &spell);  // shared
  EXPECT_EQ(copy.description, "Axe");
  EXPECT_EQ(copy.modifiers, source->modifiers);
  EXPECT_EQ(copy.rank, 4);
  EXPECT_EQ(copy.classNames, std::vector<std::string>{"warrior"});
  EXPECT_EQ(copy.attackPicturePath, source->attackPicturePath);
  record_expectations::ExpectItemAction(copy.generalAction.get(), fields.generalAction);
  ASSERT_EQ(copy.namedActions.size(), 5u);
  record_expectations::ExpectItemAction(copy.NamedAction(1), fields.namedActions[0]);
  record_expectations::ExpectItemAction(copy.NamedAction(2), {});

  copy.generalAction->condition->params[0] = "changed";
  copy.NamedAction(1)->event->mainActions[0].params[0] = "changed";
  copy.NamedAction(1)->soundName.clear();
  copy.classNames.clear();
  record_expectations::ExpectItemAction(source->generalAction.get(), fields.generalAction);
  record_expectations::ExpectItemAction(source->NamedAction(1), fields.namedActions[0]);
  EXPECT_EQ(source->classNames, std::vector<std::string>{"warrior"});
}

TEST(ItemRecordTest, TheAttackPictureIsMadeOnFirstUseAndCanBeDropped) {
  sw::ItemSpec fields;
  EXPECT_EQ(ReadItem(fields)->GetPicture(), nullptr);  // none named
  fields.attackPictureName = "Arrow";
  std::unique_ptr<ItemRecord> item = ReadItem(fields);
  PictureRef* picture = item->GetPicture();
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(item->GetPicture(), picture);
  item->SetPicture(nullptr);
  EXPECT_NE(item->GetPicture(), nullptr);
}

TEST(ItemRecordTest, AttackKindIsCloseCombatBelowAReachOfTwo) {
  ItemRecord item;
  item.attackKindValue = 5;
  for (auto [reach, kind] : {std::pair{-3, 1}, {0, 1}, {1, 1}, {2, 5}, {9, 5}}) {
    item.firstProjectileValue = static_cast<int16_t>(reach);
    EXPECT_EQ(item.AttackKind(), kind) << reach;
  }
}

TEST(ItemRecordTest, WhoMayUseAnItem) {
  ClassRecord ranger;
  ranger.SetName("Players/Classes/Ranger.cls");
  struct Case {
    const char* what;
    std::vector<int32_t> permissions;  // numbers 1 to 8 that are set
    int16_t kind, permissionIndex, reach;
    bool flagExtra;
    std::vector<std::string> classNames;
    bool usable;
  } cases[] = {
      {"consumable without permissions", {}, 7, 1, 0, false, {}, true},
      {"used-only item without permissions", {}, 8, 3, 0, false, {}, true},
      {"close-combat weapon", {2}, 1, 2, 1, false, {}, true},
      {"weapon without its permission", {3}, 1, 2, 1, false, {}, false},
      {"ranged weapon without permission 4", {2}, 1, 2, 3, false, {}, false},
      {"ranged weapon with permission 4", {2, 4}, 1, 2, 3, false, {}, true},
      {"marked weapon without permission 5", {2}, 1, 2, 1, true, {}, false},
      {"marked weapon with permission 5", {2, 5}, 1, 2, 1, true, {}, true},
      {"weapon with permission index 0", {1, 2, 3, 4, 5, 6, 7, 8}, 1, 0, 1, false, {}, false},
      {"armour takes the permission five places on", {6}, 3, 1, 0, false, {}, true},
      {"armour without it", {1}, 3, 1, 0, false, {}, false},
      {"armour with index 4 needs permission 9", {1, 2, 3, 4, 5, 6, 7, 8}, 3, 4, 0, false, {}, false},
      {"the class named by the item", {}, 3, 1, 0, false, {"mage", "ranger"}, true},
      {"a weapon for the named class", {}, 1, 2, 3, true, {"ranger"}, true},
      {"another class named", {}, 3, 1, 0, false, {"mage"}, false},
  };
  for (const Case& c : cases) {
    ranger.itemPermissions.fill(false);
    for (int32_t number : c.permissions) ranger.itemPermissions[static_cast<size_t>(number - 1)] = true;
    ItemRecord item;
    item.kind = c.kind;
    item.permissionIndex = c.permissionIndex;
    item.firstProjectileValue = c.reach;
    item.flagExtra = c.flagExtra;
    item.classNames = c.classNames;
    Character classless;
    EXPECT_TRUE(item.CanBeUsedBy(classless)) << c.what;
    Character member;
    member.SetClass(&ranger);
    EXPECT_EQ(item.CanBeUsedBy(member), c.usable) << c.what;
  }
}

}  // namespace
