// The actions that change the player's values, gold and items: "A" (name, experience, level and values), "G"
// (gold), "I" (items) and "Launch I" (items and gold put down on the map). Each needs a game in progress.
#include <algorithm>
#include <limits>
#include <optional>

#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/item_record.h"
#include "game/rules/script_action.h"
#include "game/rules/script_engine.h"
#include "game/rules/text_variables.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/record_lists.h"
#include "game/world/world_services.h"

namespace {

constexpr int32_t kOperationSet = 1;
constexpr int32_t kOperationAdd = 2;
constexpr int32_t kOperationSubtract = 3;
constexpr int32_t kOperationMultiply = 4;
constexpr int32_t kOperationDivide = 5;

// The player, when a game is in progress.
Character* PlayingCharacter() { return IsGameInProgress() ? GetCurrentCharacter() : nullptr; }

// The operation on a value, kept within [lowest, highest] at both ends: a sum, difference or product past the
// limits would otherwise wrap to the opposite sign. None for an unknown operation or a division by 0. Division is
// signed and truncates toward zero.
std::optional<int64_t> Operate(int32_t operation, int64_t value, int64_t operand, int64_t lowest, int64_t highest) {
  int64_t result = 0;
  switch (operation) {
    case kOperationSet: result = operand; break;
    case kOperationAdd: result = value + operand; break;
    case kOperationSubtract: result = value - operand; break;
    case kOperationMultiply: result = value * operand; break;
    case kOperationDivide:
      if (operand == 0) return std::nullopt;
      result = value / operand;
      break;
    default: return std::nullopt;
  }
  return std::clamp(result, lowest, highest);
}

void Operate32(int32_t operation, int32_t& value, int32_t operand) {
  if (auto result = Operate(operation, value, operand, std::numeric_limits<int32_t>::min(),
                            std::numeric_limits<int32_t>::max())) {
    value = static_cast<int32_t>(*result);
  }
}

// The 16-bit values "A" changes: the points themselves, the base natural protection, and the current values of
// the others (which change through their base values).
enum class ValuePlace { kStamina, kMagic, kNaturalProtection, kCurrent };
struct NamedValue {
  const char* name;
  ValuePlace place;
  CharacterValue value;
};
constexpr NamedValue kNamedValues[] = {
    {"Stamina", ValuePlace::kStamina, kValueMaxStamina},
    {"MaxStamina", ValuePlace::kCurrent, kValueMaxStamina},
    {"Magic", ValuePlace::kMagic, kValueMaxMagic},
    {"MaxMagic", ValuePlace::kCurrent, kValueMaxMagic},
    {"Strength", ValuePlace::kCurrent, kValueStrength},
    {"Dexterity", ValuePlace::kCurrent, kValueDexterity},
    {"Vitality", ValuePlace::kCurrent, kValueVitality},
    {"Wisdom", ValuePlace::kCurrent, kValueWisdom},
    {"Karma", ValuePlace::kCurrent, kValueKarma},
    {"Luck", ValuePlace::kCurrent, kValueLuck},
    {"Perception", ValuePlace::kCurrent, kValuePerception},
    {"Speed", ValuePlace::kCurrent, kValueSpeed},
    {"NatPro", ValuePlace::kNaturalProtection, kValueNaturalProtection},
    {"ChemPro", ValuePlace::kCurrent, kValueChemicalProtection},
    {"FirePro", ValuePlace::kCurrent, kValueFireProtection},
    {"ColdPro", ValuePlace::kCurrent, kValueColdProtection},
    {"ElecPro", ValuePlace::kCurrent, kValueElectricalProtection},
};

int16_t& ValueAt(Character& c, const NamedValue& named) {
  switch (named.place) {
    case ValuePlace::kStamina: return c.stamina;
    case ValuePlace::kMagic: return c.magic;
    case ValuePlace::kNaturalProtection: return c.base.naturalProtection;
    case ValuePlace::kCurrent: break;
  }
  return c.current[named.value];
}

void ChangeValue(Character& c, const NamedValue& named, int32_t operation, int16_t operand) {
  const int16_t old = ValueAt(c, named);
  std::optional<int64_t> result =
      Operate(operation, old, operand, std::numeric_limits<int16_t>::min(), std::numeric_limits<int16_t>::max());
  if (!result) return;
  const auto changed = static_cast<int16_t>(*result);
  // The current value comes from the base one: the base moves by the change, so that the next recalculation
  // gives the value asked for (as near as 16 bits allow).
  if (named.place == ValuePlace::kCurrent) {
    int16_t& base = c.base[named.value];
    base = static_cast<int16_t>(std::clamp<int32_t>(base + changed - old, std::numeric_limits<int16_t>::min(),
                                                    std::numeric_limits<int16_t>::max()));
  } else {
    ValueAt(c, named) = changed;
  }
}

// After any change: the maxima and points at 0 or more, the points within their maxima.
void SettleValues(Character& c) {
  c.RecalculateStats();
  if (c.base.maxStamina < 0 || c.base.maxMagic < 0) {
    c.base.maxStamina = std::max<int16_t>(c.base.maxStamina, 0);
    c.base.maxMagic = std::max<int16_t>(c.base.maxMagic, 0);
    c.RecalculateStats();
  }
  c.stamina = std::max<int16_t>(std::min(c.stamina, c.current.maxStamina), 0);
  c.magic = std::max<int16_t>(std::min(c.magic, c.current.maxMagic), 0);
}

// The names of a list separated by ":", in order.
std::vector<std::string> NamesOf(const std::string& list) { return SplitFields(list, ":"); }

constexpr int32_t kItemAdd = 1;
constexpr int32_t kItemAddMissing = 2;
constexpr int32_t kItemDrop = 3;
constexpr int32_t kItemUse = 4;

}  // namespace

void RunAttributeAction(const ScriptAction& action) {
  Character* player = PlayingCharacter();
  if (player == nullptr) return;
  const std::string& name = action.Param(0);
  const int32_t operation = ParseInt(action.Param(1));
  if (name == "Player name") {
    player->SetName(action.Param(2));
    return;
  }
  const std::string operand = ExpandTextVariables(action.Param(2));
  if (name == "Experience") {
    if (!operand.empty()) Operate32(operation, player->experience, ParseInt(operand));
    player->ApplyLevelUps();
    return;
  }
  if (operand.empty()) return;
  const int32_t number = ParseInt(operand);
  if (name == "Level") {
    // Saved games keep the level in 16 bits.
    if (auto level = Operate(operation, player->level, number, std::numeric_limits<int16_t>::min(),
                             std::numeric_limits<int16_t>::max())) {
      player->level = static_cast<int32_t>(*level);
    }
    return;
  }
  auto named = std::find_if(std::begin(kNamedValues), std::end(kNamedValues),
                            [&](const NamedValue& value) { return name == value.name; });
  if (named != std::end(kNamedValues)) ChangeValue(*player, *named, operation, static_cast<int16_t>(number));
  SettleValues(*player);
}

void RunGoldAction(const ScriptAction& action) {
  if (Character* player = PlayingCharacter()) {
    Operate32(ParseInt(action.Param(0)), player->gold, ParseInt(ExpandTextVariables(action.Param(1))));
  }
}

void RunItemAction(const ScriptAction& action) {
  const int32_t operation = ParseInt(action.Param(1));
  for (const std::string& name : NamesOf(action.Param(0))) {
    // An item's own events may end the game: the player is looked up again for each name.
    Character* player = PlayingCharacter();
    if (player == nullptr) return;
    switch (operation) {
      case kItemAdd: player->AddInventoryItem(FindItemByName(name)); break;
      case kItemAddMissing:
        if (!player->HasItemNamed(name)) player->AddInventoryItem(FindItemByName(name));
        break;
      case kItemDrop: player->Drop(player->FindInventoryItem(name, false), false); break;
      case kItemUse: player->UseItem(player->FindInventoryItem(name, true)); break;
      default: return;
    }
  }
}

void RunLaunchItemsAction(const ScriptAction& action) {
  TileMap* map = GetCurrentTileMap();
  if (!IsGameInProgress() || map == nullptr) return;
  // The cell, counted from 1: the one given, or where the event's cause stands.
  int32_t x = 0, y = 0;
  if (ParseInt(action.Param(2)) != 0) {
    x = ParseInt(ExpandTextVariables(action.Param(3)));
    y = ParseInt(ExpandTextVariables(action.Param(4)));
  } else {
    CurrentEventPosition(&x, &y);
  }
  const int32_t cellX = static_cast<int32_t>(int64_t{x} - 1), cellY = static_cast<int32_t>(int64_t{y} - 1);
  if (int32_t gold = ParseInt(ExpandTextVariables(action.Param(5))); gold != 0) map->PlaceItemPile(gold, x, y);
  for (const std::string& name : NamesOf(action.Param(0))) {
    if (const ItemRecord* item = FindItemByName(name)) map->AddItem(item, cellX, cellY, 1, 0, false);
  }
  // The chance compares as unsigned numbers: a negative one always wins.
  const auto chance = static_cast<uint32_t>(ParseInt(ExpandTextVariables(action.Param(6))));
  if (static_cast<uint32_t>(RandomRange(0, 100)) > chance) return;
  const std::vector<std::string> names = NamesOf(action.Param(1));
  const int32_t pick = RandomRange(1, static_cast<int32_t>(names.size()));
  if (pick < 1 || static_cast<size_t>(pick) > names.size()) return;
  if (const ItemRecord* item = FindItemByName(names[static_cast<size_t>(pick - 1)])) {
    map->AddItem(item, cellX, cellY, 1, 0, false);
  }
}
