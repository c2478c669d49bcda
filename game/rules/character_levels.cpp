// The attribute roll of a new player character and level gain.
#include <algorithm>
#include <limits>

#include "game/dialogs/character_info_dialogs.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/random_table.h"
#include "game/rules/script_engine.h"
#include "game/rules/skill_table.h"
#include "game/shell/data/game_random.h"
#include "game/world/sprite.h"

namespace {

constexpr int32_t kLowestAttribute = 7;
constexpr int32_t kHighestAttribute = 18;
constexpr int32_t kMostAttributePoints = 96;
constexpr int32_t kAttributeCount = 8;
// Levels are kept in 16 bits by saved games.
constexpr int32_t kHighestLevel = std::numeric_limits<int16_t>::max();

// The values that the class and race records' values 3 to 8 and 11 to 15 add to (value number, value).
constexpr std::pair<int32_t, CharacterValue> kRecordBonuses[] = {
    {3, kValueStrength},           {4, kValueDexterity},      {5, kValueVitality},
    {6, kValueWisdom},             {7, kValueKarma},          {8, kValueLuck},
    {11, kValueNaturalProtection}, {12, kValueChemicalProtection}, {13, kValueFireProtection},
    {14, kValueColdProtection},    {15, kValueElectricalProtection},
};

// Each sum is kept at 0 or more and, so that it does not wrap to the opposite sign, at 32767 or less.
template <typename Record>
void AddBonuses(CharacterValues& base, const Record* record) {
  if (record == nullptr) return;
  for (const auto& [number, value] : kRecordBonuses) {
    const int32_t sum = base[value] + record->Value(number);
    base[value] = static_cast<int16_t>(std::clamp<int32_t>(sum, 0, std::numeric_limits<int16_t>::max()));
  }
}

// The stamina a new level (and the roll) adds from the game's fixed table: 1 to 5.
int32_t TableStaminaGain(const Character& c) {
  return RandomTableValue(static_cast<int32_t>(std::min<int64_t>(int64_t{c.level} + 1, kHighestLevel + 1)),
                          c.randomSeed) % 5 + 1;
}

}  // namespace

void Character::RollAttributes() {
  int16_t* attributes[kAttributeCount] = {&base.strength, &base.dexterity, &base.vitality, &base.wisdom,
                                          &base.karma,    &base.luck,      &base.speed,    &base.perception};
  for (int16_t* attribute : attributes) *attribute = static_cast<int16_t>(RandomRange(kLowestAttribute, kHighestAttribute));
  auto sum = [&] {
    int32_t total = 0;
    for (const int16_t* attribute : attributes) total += *attribute;
    return total;
  };
  while (sum() > kMostAttributePoints) {
    int16_t* attribute = attributes[RandomRange(1, kAttributeCount) - 1];
    if (*attribute > kLowestAttribute) --*attribute;
  }
  base.naturalProtection = 0;
  for (int16_t* protection : {&base.chemicalProtection, &base.fireProtection, &base.coldProtection,
                              &base.electricalProtection}) {
    const int32_t fixed = base.vitality + base.wisdom + RandomRange(1, 5);
    *protection = static_cast<int16_t>(fixed + RandomRange(0, std::max(0, base.karma - 10)));
  }
  base.actionInterval = 1000;
  base.minDamage = 1;
  base.maxDamage = 3;
  base.specialDamage = 0;
  ApplyRaceBonuses();
  ApplyClassBonuses();
  RecalculateStats();
  base.maxStamina = static_cast<int16_t>(std::max(0, current.strength - 10) + current.vitality +
                                         TableStaminaGain(*this) + std::max(0, current.vitality - 15));
  const int32_t magicRoll = RandomRange(1, 5);
  base.maxMagic = static_cast<int16_t>(std::max(0, current.karma - 10) + current.wisdom + magicRoll +
                                       std::max(0, current.wisdom - 15));
  if (classRecord != nullptr && classRecord->spells.empty()) base.maxMagic = 0;
  stamina = base.maxStamina;
  magic = base.maxMagic;
}

void Character::ApplyRaceBonuses() { AddBonuses(base, raceRecord); }
void Character::ApplyClassBonuses() { AddBonuses(base, classRecord); }

double Character::NextLevelNeeded() const {
  if (skillTable == nullptr) return 0.0;
  return static_cast<double>(skillTable->ValueForLevel(level < kHighestLevel ? level + 1 : kHighestLevel + 1));
}

void Character::ApplyLevelUps() {
  auto due = [&] { return skillTable != nullptr && static_cast<double>(experience) >= NextLevelNeeded(); };
  if (!due()) return;
  EventQueueHold hold;
  SetFacing(facing, true);
  // Past the table the need of a level may stay the same for good, or shrink towards a level it then keeps: with
  // experience enough for it the level would rise for ever, a level gain shown each time. Past the table a level
  // is gained only while some level still ahead needs more than the experience, and never past the highest level
  // a save can hold.
  auto endless = [&] {
    return level > kSkillTableLevels &&
           !skillTable->SomeLevelNeedsMore(level + 1, kHighestLevel + 1, static_cast<double>(experience));
  };
  while (level < kHighestLevel && due() && !endless()) {
    AddWrapped(base.maxStamina, TableStaminaGain(*this) + std::max(0, current.vitality - 15));
    if (classRecord != nullptr && !classRecord->spells.empty()) {
      const int32_t magicRoll = RandomRange(1, 5);
      AddWrapped(base.maxMagic, magicRoll + std::max(0, current.wisdom - 15));
    }
    ++level;
    RecalculateStats();
    Dialog::RunModal(std::make_unique<LevelGainDialog>());
    if (skillTable != nullptr) skillTable->RunLevelEvents(level);
  }
}
