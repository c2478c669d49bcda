// The actions that change the player character: "T" (text entries), "P" (the portrait) and "Player M" (the
// picture of the map sprite, rebuilt at once on a shown map); "Player B" does nothing. Each needs a game in
// progress.
#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/script_action.h"
#include "game/rules/text_variables.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/game_commands.h"
#include "game/shell/shell_command_host.h"
#include "game/world/tile_map.h"

namespace {

// The player, when a game is in progress.
Character* PlayingCharacter() { return IsGameInProgress() ? GetCurrentCharacter() : nullptr; }

}  // namespace

void RunTextEntryAction(const ScriptAction& action) {
  Character* player = PlayingCharacter();
  if (player == nullptr) return;
  // Entries are separated by "****"; each is operation, key, first text and second text, separated by "###".
  const std::string& entries = action.Param(0);
  const int32_t count = CountFields(entries, "****");
  std::string entry, operation, key, first, second;
  for (int32_t i = 1; i <= count; ++i) {
    GetField(entry, entries, "****", i);
    GetField(operation, entry, "###", 1);
    GetField(key, entry, "###", 2);
    GetField(first, entry, "###", 3);
    GetField(second, entry, "###", 4);
    first = ExpandTextVariables(first);
    second = ExpandTextVariables(second);
    switch (ParseInt(operation)) {
      case 0:
        player->AddTextEntry(key, first, second);
        break;
      case 1:
        player->RemoveTextEntry(key);
        break;
      case 2:
        player->ClearTextEntries();
        break;
      default:
        break;
    }
  }
}

void RunPortraitAction(const ScriptAction& action) {
  if (Character* player = PlayingCharacter()) player->SetPictureByName(action.Param(0));
}

void RunPlayerSpriteAction(const ScriptAction& action) {
  if (!IsGameInProgress()) return;
  SetPlayerSpriteName(GetShellCommandHost(), action.Param(0));
  // Setting the name takes the figure off the map; the map builds it again at once with the new picture, on the
  // player's cell, blocking as before.
  if (TileMap* map = GetCurrentTileMap(); map != nullptr && PeekCurrentCharacter() != nullptr) {
    map->RebuildPlayerSprite();
  }
}
