// The actions on the player's spells: "Sp" teaches, forgets or casts named spells, or lets the player pick one to
// cast in the spell casting dialog; "Spell S" lets the player choose new spells of the class's spell groups.
#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/spell_dialogs.h"
#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/character_map_support.h"
#include "game/rules/game_state.h"
#include "game/rules/script_action.h"
#include "game/rules/spell_record.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/record_lists.h"
#include "game/world/world_services.h"

namespace {

const char* const kLearn = "1";
const char* const kForget = "2";
const char* const kCast = "3";
const char* const kChoose = "4";

}  // namespace

void RunSpellsAction(const ScriptAction& action) {
  if (!IsGameInProgress()) return;
  const std::string& mode = action.Param(1);
  for (const std::string& name : SplitFields(action.Param(0), ":")) {
    // A spell cast at once runs its events, which may end the game: the player is looked up for each name.
    Character* player = GetCurrentCharacter();
    SpellRecord* spell = FindSpellByName(name);
    if (player == nullptr || spell == nullptr) continue;
    if (mode == kLearn) {
      if (!player->KnowsSpell(spell)) player->LearnSpell(spell);
    } else if (mode == kForget) {
      player->ForgetSpell(spell);
    } else if (mode == kCast) {
      // On a map the spell waits for the map's tick, which casts it at the player's target.
      if (GetCurrentTileMap() != nullptr) {
        QueuePendingSpell(spell);
      } else {
        player->CastSpell(spell, nullptr, true);
      }
    }
  }
  if (mode != kChoose) return;
  Character* player = GetCurrentCharacter();
  if (player == nullptr || IsSpriteBusy(player->sprite.get())) return;
  // The spell readied last is cast again without asking while the magic lasts for it.
  if (player->readiedSpell != nullptr && player->magic >= player->readiedSpell->magicCost) {
    QueuePendingSpell(player->readiedSpell);
    return;
  }
  Dialog::RunModal(std::make_unique<SpellCastDialog>());
  ShiftMapTimers();
}

void RunSpellPickAction(const ScriptAction& action) {
  std::vector<int32_t> groups, allowances;
  for (const std::string& pair : SplitFields(action.Param(0), ":")) {
    std::string group, allowance;
    GetField(group, pair, ",", 1);
    GetField(allowance, pair, ",", 2);
    const int32_t groupValue = ParseInt(group), allowed = ParseInt(allowance);
    if (groupValue == 0 || allowed == 0) continue;
    groups.push_back(groupValue);
    allowances.push_back(allowed);
  }
  if (groups.empty()) return;
  Dialog::RunModal(std::make_unique<SpellPickDialog>(std::move(groups), std::move(allowances)));
}
