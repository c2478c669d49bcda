// The dialogs over the player character.
#include "game/dialogs/character_dialogs.h"

#include <cmath>

#include "game/rules/character.h"

namespace {

constexpr int32_t kInventoryLayout = 3;
constexpr int32_t kSpellCastLayout = 19;
constexpr int32_t kEntryInfoLayout = 0;
constexpr int32_t kJournalLayout = 2;
constexpr int32_t kLevelGainLayout = 14;

}  // namespace

InventoryDialog::InventoryDialog() : DismissableDialog(kInventoryLayout) {}
SpellCastDialog::SpellCastDialog() : DismissableDialog(kSpellCastLayout) {}
EntryInfoDialog::EntryInfoDialog() : DismissableDialog(kEntryInfoLayout) {}
JournalDialog::JournalDialog() : DismissableDialog(kJournalLayout) {}

LevelGainDialog::LevelGainDialog() : DismissableDialog(kLevelGainLayout) {
  if (const Character* player = GetCurrentCharacter()) {
    levelText_ = std::to_string(player->level);
    // Skill tables keep the experience needed far inside 64 bits.
    neededText_ = std::to_string(static_cast<int64_t>(std::trunc(player->NextLevelNeeded())));
  }
}
