// The actions that change the map that is shown: "N" places and takes off non-player characters, "C" changes one
// cell (its ground picture, its flag, its event) and "Map P" moves the player to another cell. Each needs a game
// in progress; "N" and "C" also need a current map. Cells in scripts count from 1.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "game/graphics/picture_cache.h"
#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/script_action.h"
#include "game/rules/script_event.h"
#include "game/rules/text_variables.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/main_loop.h"
#include "game/shell/record_lists.h"
#include "game/world/world_services.h"

namespace {

enum CharacterOperation : int32_t {
  kAddCharacter = 0,
  kRemoveNamed = 1,
  kRemoveAll = 2,
  kFadeNamed = 3,
  kFadeAll = 4,
};
// A character placed by a script faces down.
constexpr int32_t kPlacedFacing = 5;

// A cell counted from 1 in a script, counted from 0 as the map counts, without overflowing.
int32_t MapCell(int32_t scriptCell) { return static_cast<int32_t>(static_cast<int64_t>(scriptCell) - 1); }

// The player's cell from a script's cell, counted from 1. The cell is not compared with the map's size: a script
// may put the player off the grid. It is only held within 16 bits, as saved games and every place that reads the
// player's cell keep it: a cell near the 32-bit limits would overflow the arithmetic of the characters that walk
// towards the player or away from it.
int32_t PlayerCell(int32_t scriptCell) {
  return static_cast<int32_t>(std::clamp<int64_t>(int64_t{scriptCell} - 1, INT16_MIN, INT16_MAX));
}

bool IsSet(const std::string& flag) { return !flag.empty() && flag[0] == '1'; }

}  // namespace

void RunCharactersAction(const ScriptAction& action) {
  if (!IsGameInProgress()) return;
  for (const std::string& entry : SplitFields(action.Param(0), "****")) {
    // A placed character's events may leave the map: it is looked up again for each entry.
    TileMap* map = GetCurrentTileMap();
    if (map == nullptr) return;
    std::vector<std::string> fields = SplitFields(entry, ",");
    fields.resize(5);
    std::string name = fields[1];
    ToLowerInPlace(name);
    switch (ParseInt(fields[0])) {
      case kAddCharacter:
        map->AddCharacter(FindNpcByName(name), MapCell(ParseInt(ExpandTextVariables(fields[2]))),
                          MapCell(ParseInt(ExpandTextVariables(fields[3]))), ParseInt(fields[4]), kPlacedFacing);
        break;
      case kRemoveNamed: map->RemoveCharacterNamed(name, false); break;
      case kRemoveAll: map->RemoveAllCharacters(false); break;
      case kFadeNamed: map->RemoveCharacterNamed(name, true); break;
      case kFadeAll: map->RemoveAllCharacters(true); break;
      default: break;
    }
  }
}

void RunMapCellAction(const ScriptAction& action) {
  TileMap* map = GetCurrentTileMap();
  if (!IsGameInProgress() || map == nullptr) return;
  const int32_t x = MapCell(ParseInt(action.Param(0))), y = MapCell(ParseInt(action.Param(1)));
  if (!map->IsInside(x, y)) return;
  if (IsSet(action.Param(2))) {
    std::string path;
    GroundPicturePath(path, action.Param(5));
    if (Bitmap* picture = PictureCache::Load(path.c_str())) {
      // The grid is drawn again on the ground layer, which stays the view's current layer.
      map->SetPictureRect(x, y, x, y, picture);
      map->DrawPictureGrid();
    }
  }
  if (IsSet(action.Param(3))) map->SetCellFlag(x, y, IsSet(action.Param(6)) ? 1 : 0);
  if (IsSet(action.Param(4))) {
    const std::string& eventName = action.Param(7);
    map->SetCellObject(x, y, eventName.empty() ? nullptr : LoadEvent(eventName));
  }
}

void RunPlayerPositionAction(const ScriptAction& action) {
  Character* player = IsGameInProgress() ? GetCurrentCharacter() : nullptr;
  if (player == nullptr) return;
  const int32_t x = PlayerCell(ParseInt(action.Param(0))), y = PlayerCell(ParseInt(action.Param(1)));
  const Location* location = GetCurrentLocation();
  TileMap* map = location != nullptr && location->Kind() == kLocationKindMap ? GetCurrentTileMap() : nullptr;
  if (map == nullptr) {
    // Elsewhere only the stored cell changes; it counts once a map is entered.
    player->SetPosition(x, y);
    return;
  }
  player->ReleaseReservedCells();
  map->SetCellFlag(player->x, player->y, 1);
  player->SetPosition(x, y);
  map->PlayerCellCenter();
  map->CenterView();
  RefreshView();
}
