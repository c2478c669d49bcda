// The demo's records, which every place of it shares: two races (human, elf), two classes with their skill tables
// (the fighter uses every weapon and armour, the mage wears leather and knows spells, and learns a second spell at
// level 2), two spells in two groups, and the goods of the trader (a sword, leather armour and a healing potion).
//
// A fresh fighter with the sword deals 3 to 8 a blow besides its strength, and reaches level 2 at 100 experience:
// the wolf of the meadow is worth one level.
//
// The order the records are written in here does not reach the game: a record folder gives its files in the order
// of their names, and the game lists them in the reverse of that, so a new player is offered the human before the
// elf and the mage before the fighter.
#include <string>

#include "tools/demo_scenario/demo_drawing.h"
#include "tools/demo_scenario/demo_builders.h"
#include "tools/scenario_writer/picture_writer.h"

namespace demo_scenario {

namespace {

// Values of races and classes, numbered from 1 as the records number them.
enum RecordValue : size_t {
  kStrength = 3,
  kDexterity = 4,
  kVitality = 5,
  kWisdom = 6,
  kNaturalProtection = 11,
};

void SetValue(std::array<int16_t, 15>& values, RecordValue which, int16_t value) { values[which - 1] = value; }

// A picture's background in pure white, which the game takes as transparent in pictures that may have some.
constexpr sw::Rgb kClear{255, 255, 255};

void AddRaces(sw::ScenarioFiles& files) {
  sw::RaceSpec human;
  human.text = "Folk of the valley roads: sturdy, and strong in the arm.";
  SetValue(human.values, kStrength, 1);
  SetValue(human.values, kVitality, 1);
  files.Add("Players/Races/Human.rce", sw::EncodeRace(human));

  sw::RaceSpec elf;
  elf.text = "Folk of the high woods: quick, keen-eyed and wise.";
  SetValue(elf.values, kDexterity, 1);
  SetValue(elf.values, kWisdom, 1);
  files.Add("Players/Races/Elf.rce", sw::EncodeRace(elf));
}

// A skill table of a class: level n at 50 n (n - 1) experience, so level 1 at 0, level 2 at 100 and level 3 at 300.
sw::SkillTableSpec SkillTable(std::vector<sw::LevelEventSpec> levelEvents) {
  sw::SkillTableSpec table;
  for (uint32_t level = 1; level <= 20; ++level) table.levelValues[level - 1] = 50 * level * (level - 1);
  table.growthNumber = 2;
  table.levelEvents = std::move(levelEvents);
  return table;
}

void AddClasses(sw::ScenarioFiles& files) {
  sw::ClassSpec fighter;
  fighter.text = "Trained to the sword: stands long in a fight, and knows no spells.";
  SetValue(fighter.values, kStrength, 2);
  SetValue(fighter.values, kVitality, 1);
  SetValue(fighter.values, kNaturalProtection, 1);
  fighter.itemPermissions = {1, 1, 1, 1, 1, 1, 1, 1};
  files.Add("Players/Classes/Fighter.cls", sw::EncodeClass(fighter));
  files.Add("Players/Skill Tables/Fighter.skt", sw::EncodeSkillTable(SkillTable({})));

  sw::ClassSpec mage;
  mage.text = "Knows the old words of fire and frost, and little of blades; may wear leather.";
  SetValue(mage.values, kWisdom, 2);
  mage.itemPermissions = {0, 0, 0, 0, 0, 1, 0, 0};  // armour of the first kind only
  mage.spellNames = {"Spark", "Frost"};
  files.Add("Players/Classes/Mage.cls", sw::EncodeClass(mage));
  files.Add("Players/Skill Tables/Mage.skt", sw::EncodeSkillTable(SkillTable({{2, "MageLearns"}})));
  // At level 2 the mage picks one spell of the second group.
  AddEvent(files, "MageLearns", {{{"", "Spell Select", {"2,1"}}}, {}, 0});
}

sw::Canvas DrawSpellPicture(sw::Rgb outer, sw::Rgb inner) {
  sw::Canvas canvas(16, 16, kClear);
  canvas.FillCircle(8, 8, 7, outer);
  canvas.FillCircle(8, 8, 3, inner);
  return canvas;
}

void AddSpells(sw::ScenarioFiles& files) {
  struct Definition {
    const char* name;
    const char* text;
    int16_t group, cost, damageMin, damageMax, damageKind;
    sw::Rgb outer, inner;
  };
  const Definition spells[] = {
      {"Spark", "A spark of fire that leaps at one foe: 2 to 6 burns.", 1, 2, 2, 6, 2, {230, 90, 20}, {255, 230, 120}},
      {"Frost", "A bite of winter cold at one foe: 3 to 8.", 2, 4, 3, 8, 3, {120, 170, 250}, {240, 250, 255}},
  };
  for (const Definition& definition : spells) {
    sw::SpellSpec spell;
    spell.text = definition.text;
    spell.firstValue = definition.group;
    spell.magicCost = definition.cost;
    spell.duration = 1;
    spell.targetKind = 3;  // one chosen character
    spell.damageMin = definition.damageMin;
    spell.damageMax = definition.damageMax;
    spell.damageKind = definition.damageKind;
    spell.effectKind = 0;  // it flies to its target
    spell.rangeMin = 1;
    spell.rangeMax = 6;
    spell.pictureName = std::string(definition.name) + ".bmp";
    files.Add(std::string("Players/Spells/") + definition.name + ".spl", sw::EncodeSpell(spell));
    files.Add("Pictures/" + spell.pictureName, sw::EncodeBmp24(DrawSpellPicture(definition.outer, definition.inner)));
  }
}

// An item's picture: a small icon on a dark ground, where the white number of merged copies stands out.
sw::Canvas ItemFrame() {
  sw::Canvas canvas(28, 28, sw::Rgb{70, 50, 35});
  canvas.FillRect(0, 0, 28, 1, colour::kWood);
  canvas.FillRect(0, 27, 28, 1, colour::kWood);
  return canvas;
}

sw::Canvas DrawSword() {
  sw::Canvas canvas = ItemFrame();
  for (int32_t step = 0; step < 16; ++step) canvas.FillRect(7 + step, 19 - step, 3, 3, sw::Rgb{215, 220, 230});
  canvas.FillRect(5, 18, 8, 3, sw::Rgb{200, 160, 60});
  canvas.FillRect(4, 21, 3, 3, sw::Rgb{120, 70, 30});
  return canvas;
}

sw::Canvas DrawArmour() {
  sw::Canvas canvas = ItemFrame();
  const sw::Rgb leather{150, 95, 50};
  canvas.FillRect(8, 6, 12, 17, leather);
  canvas.FillRect(4, 6, 5, 8, leather);
  canvas.FillRect(19, 6, 5, 8, leather);
  canvas.FillRect(12, 6, 4, 3, sw::Rgb{70, 50, 35});
  for (int32_t row = 10; row < 22; row += 4) canvas.FillRect(9, row, 10, 1, sw::Rgb{110, 65, 30});
  return canvas;
}

sw::Canvas DrawPotion() {
  sw::Canvas canvas = ItemFrame();
  canvas.FillRect(12, 4, 4, 6, sw::Rgb{200, 220, 230});
  canvas.FillRect(11, 3, 6, 2, sw::Rgb{140, 90, 40});
  canvas.FillCircle(14, 16, 8, sw::Rgb{200, 220, 230});
  canvas.FillCircle(14, 17, 6, colour::kRed);
  canvas.FillRect(11, 14, 2, 2, sw::Rgb{250, 180, 180});
  return canvas;
}

void AddItems(sw::ScenarioFiles& files) {
  sw::ItemSpec sword;
  sword.description = "A plain iron sword, well balanced: 3 to 8 a blow.";
  sword.kind = 1;  // the weapon
  sword.permissionIndex = 1;
  sword.hands = 1;
  sword.price = 20;
  sword.modifiers[kModifierMinDamage] = 2;
  sword.modifiers[kModifierMaxDamage] = 5;
  sword.firstProjectileValue = 1;  // close combat
  sword.damageKind = 0;
  sword.charges = -1;
  sword.pictureName = "Sword.bmp";
  files.Add("Items/Sword.itm", sw::EncodeItem(sword));
  files.Add("Pictures/Sword.bmp", sw::EncodeBmp24(DrawSword()));

  sw::ItemSpec armour;
  armour.description = "A jerkin of boiled leather: 2 natural protection.";
  armour.kind = 2;
  armour.permissionIndex = 1;
  armour.price = 15;
  armour.modifiers[kModifierNaturalProtection] = 2;
  armour.charges = -1;
  armour.pictureName = "Leather armour.bmp";
  files.Add("Items/Leather armour.itm", sw::EncodeItem(armour));
  files.Add("Pictures/Leather armour.bmp", sw::EncodeBmp24(DrawArmour()));

  sw::ItemSpec potion;
  potion.description = "A red draught that gives back 10 stamina.";
  potion.kind = 7;  // used up when drunk
  potion.price = 5;
  potion.modifiers[kModifierMaxStamina] = 10;  // what a consumable restores
  potion.charges = -1;
  potion.pictureName = "Healing potion.bmp";
  // Lying on a map it is remembered once taken, and taking it puts it in the pack.
  potion.flags = {0, 1, 1};
  files.Add("Items/Healing potion.itm", sw::EncodeItem(potion));
  files.Add("Pictures/Healing potion.bmp", sw::EncodeBmp24(DrawPotion()));
}

}  // namespace

void AddRecords(sw::ScenarioFiles& files) {
  AddRaces(files);
  AddClasses(files);
  AddSpells(files);
  AddItems(files);
}

}  // namespace demo_scenario
