// Text variables: expanding a text and the values of the keywords.
#include "game/rules/text_variables.h"

#include <array>

#include "game/rules/character.h"
#include "game/rules/character_readers.h"
#include "game/rules/class_race_records.h"
#include "game/rules/game_state.h"
#include "game/rules/script_engine.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/media/music_player.h"
#include "game/world/world_services.h"

namespace {

constexpr std::string_view kReference = "&&";
constexpr std::string_view kGlobalPrefix = "gb_";

constexpr std::array<std::string_view, 43> kKeywords = {
    "Name", "Job", "Race", "Gold", "Level", "Experience", "NextLevelNeeded", "StaminaPoints", "MaxStaminaPoints",
    "MagicPoints", "MaxMagicPoints", "MinDamage", "MaxDamage", "SpecialDamage", "Strength", "Dexterity", "Vitality",
    "Wisdom", "Karma", "Luck", "Speed", "Perception", "Armor", "NaturalPro", "FirePro", "ColdPro", "ChemicalPro",
    "ElectricalPro", "GlobalEntry", "PlayerX", "PlayerY", "ActualX", "ActualY", "LocationName", "LocationType",
    "CounterNPCs", "CounterPassiveNPCs", "CounterAggressiveNPCs", "CounterHostileNPCs", "CameraX", "CameraY",
    "MusicVolume", "MusicName",
};

// The global variable with the longest name that begins the text (the first of equal lengths), or null.
const GlobalVariable* LongestGlobalAt(std::string_view text) {
  const GlobalVariable* best = nullptr;
  for (int32_t i = 0; i < GetGlobalVariableCount(); ++i) {
    const GlobalVariable* variable = GetGlobalEntryName(i);
    if (!StartsWith(text, variable->name)) continue;
    if (best == nullptr || variable->name.size() > best->name.size()) best = variable;
  }
  return best;
}

const std::string_view* KeywordAt(std::string_view text) {
  for (const std::string_view& keyword : kKeywords) {
    if (StartsWith(text, keyword)) return &keyword;
  }
  return nullptr;
}

std::string Lowered(std::string text) {
  ToLowerInPlace(text);
  return text;
}

// The map values: the counters and the cell the view follows.
int32_t MapNumber(const std::string& keyword) {
  const TileMap* map = GetCurrentTileMap();
  if (map == nullptr) return 0;
  if (keyword == "CounterNPCs") return map->CharacterCount();
  if (keyword == "CounterPassiveNPCs") return map->CountDeadCharacters();
  if (keyword == "CounterAggressiveNPCs") return map->CharacterCount() - map->CountDeadCharacters();
  if (keyword == "CounterHostileNPCs") return map->HostileCount();
  if (keyword == "CameraX" || keyword == "CameraY") {
    int32_t x = 0, y = 0;
    map->GetFocusPosition(&x, &y);
    int32_t size = keyword == "CameraX" ? map->CellWidth() : map->CellHeight();
    return size > 0 ? (keyword == "CameraX" ? x : y) / size : 0;
  }
  return 0;
}

int32_t CharacterNumber(const Character& player, const std::string& keyword) {
  if (const CharacterReader* reader = FindTextReader(keyword)) return reader->read(player);
  if (keyword == "ActualX" || keyword == "ActualY") {
    int32_t x = 0, y = 0;
    CurrentEventPosition(&x, &y);
    // Shown one above the stored position, which for a pushed entry already counts from 1.
    return static_cast<int32_t>(int64_t{keyword == "ActualX" ? x : y} + 1);
  }
  return MapNumber(keyword);
}

}  // namespace

std::string ExpandTextVariables(std::string_view text) {
  std::string result;
  size_t cursor = 0;
  size_t scan = 0;
  while (true) {
    size_t at = text.find(kReference, scan);
    if (at == std::string_view::npos) break;
    std::string_view name = text.substr(at + kReference.size());
    size_t length = 0;
    std::string value;
    if (StartsWith(name, kGlobalPrefix)) {
      if (const GlobalVariable* variable = LongestGlobalAt(name)) {
        value = variable->value;
        length = variable->name.size();
      }
    } else if (const std::string_view* keyword = KeywordAt(name)) {
      value = GetTextVariable(std::string(*keyword));
      length = keyword->size();
    }
    if (length == 0) {
      scan = at + kReference.size();
      continue;
    }
    result.append(text.substr(cursor, at - cursor));
    result += value;
    cursor = scan = at + kReference.size() + length;
  }
  result.append(text.substr(cursor));
  return result;
}

std::string GetTextVariable(const std::string& keyword) {
  if (const GlobalVariable* variable = FindGlobalEntry(keyword)) return variable->value;
  const Character* player = PeekCurrentCharacter();
  if (keyword == "Name") return player != nullptr ? player->GetName() : std::string();
  if (keyword == "Job") {
    return player != nullptr && player->GetClass() != nullptr ? player->GetClass()->GetName() : std::string();
  }
  if (keyword == "Race") {
    return player != nullptr && player->GetRace() != nullptr ? player->GetRace()->GetName() : std::string();
  }
  if (keyword == "GlobalEntry") return Lowered(GetEnteredText());
  if (keyword == "LocationName") {
    const Location* location = GetCurrentLocation();
    return location != nullptr ? Lowered(location->GetName()) : std::string();
  }
  if (keyword == "MusicName") return CurrentMusicName();
  int32_t number = GetTextVariableNumber(keyword);
  // 0 shows as nothing; a negative number shows with "-", as every number the game shows does: written as an
  // unsigned 32-bit number, -4 would show as 4294967292.
  return number == 0 ? std::string() : std::to_string(number);
}

int32_t GetTextVariableNumber(const std::string& keyword) {
  const Character* player = PeekCurrentCharacter();
  if (player != nullptr && keyword != "Name" && keyword != "Job" && keyword != "Race") {
    if (int32_t number = CharacterNumber(*player, keyword); number != 0) return number;
  }
  if (keyword == "LocationType") {
    const Location* location = GetCurrentLocation();
    return location != nullptr ? location->Kind() : 0;
  }
  if (keyword == "MusicVolume") return MusicVolume();
  return 0;
}
