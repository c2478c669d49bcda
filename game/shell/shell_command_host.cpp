// The game commands' host over the shell, and the carried fields of the character and the history.
#include "game/shell/shell_command_host.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "game/dialogs/dialog_services.h"
#include "game/graphics/picture_cache.h"
#include "game/rules/active_effect.h"
#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/rules/spell_record.h"
#include "game/rules/game_state.h"
#include "game/rules/scenario_records.h"
#include "game/rules/script_event.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/media/media_lookup.h"
#include "game/shell/menus.h"
#include "game/shell/data/option_store.h"
#include "game/shell/record_lists.h"
#include "game/world/location.h"
#include "game/world/map_file.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"
#include "host/user.h"

namespace {

// Option flags 5 and 6 offer the races (classes) marked available at creation.
constexpr int kOfferMarkedRacesFlag = 5;
constexpr int kOfferMarkedClassesFlag = 6;

template <typename Record>
std::string NameOf(const Record* record) {
  return record != nullptr ? record->GetName() : std::string();
}

// B0 and B1 are the points; B2 to B21 the base values in the character's order.
constexpr size_t kSavedPoints = 2;

void CaptureCharacter(const Character& c, SavedCharacter* out) {
  out->name = c.GetName();
  // The level is kept within 16 bits by everything that changes it.
  out->level = static_cast<int16_t>(c.level);
  out->experience = c.experience;
  out->gold = c.gold;
  out->randomSeed = c.randomSeed;
  out->base[0] = c.stamina;
  out->base[1] = c.magic;
  for (int32_t value = 0; value < kCharacterValueCount; ++value) {
    // Morale is not saved.
    out->base[kSavedPoints + value] = value == kValueMorale ? 0 : c.base[static_cast<CharacterValue>(value)];
  }
  out->journal = c.journal;
  out->textEntries.clear();
  for (const TextEntry& entry : c.GetTextEntries()) {
    out->textEntries.push_back({entry.key, entry.firstText, entry.secondText});
  }
  out->portrait = c.portraitName;
  out->className = NameOf(c.GetClass());
  out->raceName = NameOf(c.GetRace());
  for (int slot = 1; slot <= kSavedEquipmentSlots; ++slot) {
    const ItemRecord* item = c.equipment[static_cast<size_t>(slot)];
    out->equipment[static_cast<size_t>(slot - 1)] = item != nullptr ? item->GetName() : "";
  }
  out->inventory.clear();
  for (const auto& item : c.inventory) out->inventory.push_back({item->GetName(), true, item->charges});
  out->spells.clear();
  for (const SpellRecord* spell : c.knownSpells) {
    if (spell != nullptr) out->spells.push_back(spell->GetName());
  }
  out->effects.clear();
  for (const auto& effect : c.effects) {
    if (effect->spell != nullptr) {
      out->effects.push_back({effect->spell->GetName(),
                              static_cast<int16_t>(std::clamp<int32_t>(effect->remaining, INT16_MIN, INT16_MAX))});
    }
  }
}

// A portrait's name from a saved game names a file of the portraits' folder and nothing else.
bool IsPlainFileName(const std::string& name) {
  return name.find_first_of("/\\:") == std::string::npos && name.find("..") == std::string::npos;
}

// Records are found by name: an item, spell or effect the scenario no longer has is dropped, and a class or race
// it lacks gives way to the default one. Slots take the inventory items of their names as they are, without the
// items' actions; effects without a spell or time left would end at once and are dropped.
void ApplyCharacter(const SavedCharacter& saved, int16_t format, Character* c) {
  // The name saved is the character's name as it was: taken as a record name again it could be cut once more.
  c->RestoreName(saved.name);
  c->level = saved.level;
  c->experience = saved.experience;
  c->gold = saved.gold;
  c->randomSeed = saved.randomSeed;
  c->stamina = saved.base[0];
  c->magic = saved.base[1];
  for (int32_t value = 0; value < kCharacterValueCount; ++value) {
    if (value != kValueMorale) c->base[static_cast<CharacterValue>(value)] = saved.base[kSavedPoints + value];
  }
  c->base.morale = 0;
  c->journal = saved.journal;
  c->ClearTextEntries();
  for (const SavedTextEntry& entry : saved.textEntries) c->AddTextEntry(entry.key, entry.firstText, entry.secondText);
  if (!saved.portrait.empty() && IsPlainFileName(saved.portrait)) c->SetPictureByName(saved.portrait);
  c->AssignDefaultClass();
  c->AssignDefaultRace();
  if (!saved.className.empty()) c->SetClass(FindClassByName(saved.className));
  if (!saved.raceName.empty()) c->SetRace(FindRaceByName(saved.raceName));
  for (const SavedItem& saved : saved.inventory) {
    ItemRecord* item = c->AddInventoryItem(FindItemByName(saved.name));
    if (item != nullptr && saved.hasCharges) item->charges = saved.charges;
  }
  for (int slot = 1; slot <= kSavedEquipmentSlots; ++slot) {
    const std::string& name = saved.equipment[static_cast<size_t>(slot - 1)];
    if (name.empty()) continue;
    ItemRecord* item = c->FindInventoryItem(name, true);
    // Only an item of the slot's kind goes into it, and consumables are never worn: a save changed by hand would
    // otherwise wear any item in any slot.
    if (item != nullptr && item->kind == slot && slot != kItemKindConsumable && slot != kItemKindUsedOnly) {
      c->equipment[static_cast<size_t>(slot)] = item;
    }
  }
  for (const std::string& name : saved.spells) c->LearnSpell(FindSpellByName(name));
  for (const SavedEffect& effect : saved.effects) {
    SpellRecord* spell = FindSpellByName(effect.spell);
    if (spell != nullptr && effect.remaining > 0) c->effects.push_back(ActiveEffect::Restore(spell, effect.remaining));
  }
  c->readiedSpell = nullptr;
  // The older format stored the values with the equipment's bonuses in them.
  if (format == 11) c->RemoveEquipmentBonuses();
  c->RecalculateStats();
  c->ResolveLinkedRecord();
}

void PlacePlayerOnMap() {
  TileMap* map = GetCurrentTileMap();
  Character* player = GetCurrentCharacter();
  if (map == nullptr || player == nullptr) return;
  int32_t x = player->x, y = player->y;
  if (map->FindFreeCellNear(player->x, player->y, false, player->sprite.get(), &x, &y)) player->SetPosition(x, y);
  map->PlayerCellCenter();
  map->CenterView();
}

}  // namespace

std::string ShellCommandHost::ScenarioIdentity() { return GetScenarioSecondName(); }
std::string ShellCommandHost::ScenarioName() { return GetScenarioName(); }

void ShellCommandHost::Capture(SavedGame* game) {
  game->character = SavedCharacter{};
  if (const Character* character = GetCurrentCharacter()) CaptureCharacter(*character, &game->character);
  // The sprite is stored under its name, the scenario's default one too, so that a reader finds its picture.
  game->character.spriteName = GetPlayerSpriteName();
  game->character.plugins = LoadedPlugins();
  game->globals.clear();
  for (int32_t i = 0; i < GetGlobalVariableCount(); ++i) {
    if (const GlobalVariable* entry = GetGlobalEntryName(i)) game->globals.push_back({entry->name, entry->value});
  }
  // The place the player is in goes on top of the saved history, and only there. A shop is no place to come back
  // to (its entry names none), so a game saved in one opens where the shop was entered from.
  const int32_t before = LocationHistory::Count();
  LocationHistory::Push();
  if (LocationHistory::Count() > before && LocationHistory::Entries().back().location.empty()) {
    LocationHistory::Drop();
  }
  game->history = LocationHistory::Entries();
  if (LocationHistory::Count() > before) LocationHistory::Drop();
  game->masks = CaptureExploredMasks();
}

std::vector<std::string> ShellCommandHost::LoadedPlugins() { return ::LoadedPlugins(); }

// "Pictures/" of the scenario's data: under the scenario's root in a loose tree, not beside the program.
bool ShellCommandHost::PictureExists(const std::string& name) {
  std::string path;
  PicturePath(path, name);
  return DataFileExists(path.c_str());
}

// A map location is entered only when its map file reads whole: one missing from the data, or damaged, is refused
// on entry, so the way back to it would fail after the running game was given up.
bool ShellCommandHost::PlaceOpens(const std::string& name) {
  const Location* location = FindLocationByName(name);
  if (location == nullptr) return false;
  if (location->Kind() != kLocationKindMap) return true;
  std::string path;
  MapPath(path, location->GetName());
  DataStream* stream = OpenDataFile(path);
  if (stream == nullptr) return false;
  MapFileData map;
  const bool reads = ParseMapFile(*stream, &map) == MapFileError::kNone;
  CloseDataFile(stream);
  return reads;
}

void ShellCommandHost::Apply(const SavedGame& game) {
  wasInProgress_ = ::IsGameInProgress() != 0;
  offscreen_ = GetSceneView() != nullptr;
  if (offscreen_) GetSceneView()->BeginOffscreen();
  ::SetGameInProgress(0);
  ::EnableMenuBar(true);
  LeaveAndClearHistory();
  CreateCurrentCharacter();
  if (game.format == 11) ClearPendingSpells();
  ApplyCharacter(game.character, game.format, GetCurrentCharacter());
  SetPlayerSpriteName(*this, game.character.spriteName);
  // A variable the scenario no longer names is dropped.
  for (const SavedGlobal& saved : game.globals) {
    if (GlobalVariable* entry = FindGlobalEntry(saved.name)) entry->value = saved.value;
  }
  LocationHistory::Adopt(game.history);
  AdoptExploredMasks(game.masks);
  ::SetGameInProgress(1);
  ::EnableMenuBar(false);
}

// Back to the place where the game was saved, the last entry of its history. An edge exit still pending from the
// game left behind (one that led to a still screen, which does not take it) would place the player by that edge
// instead of on the saved cell: it is dropped first.
bool ShellCommandHost::TravelBack() {
  SetPendingExit(kNoExit);
  return LocationHistory::GoBack();
}

// On a map the player stands on the free cell nearest the one it was saved on, in the middle of the view.
void ShellCommandHost::PlacePlayer() { PlacePlayerOnMap(); }

void ShellCommandHost::EndAfterFailedTravel() {
  if (wasInProgress_) {
    EndGameCommand(*this);
  } else {
    ::SetGameInProgress(0);
  }
}

void ShellCommandHost::FinishOpen() {
  // The end of the offscreen bracket flags the whole view for redrawing.
  SceneView* view = GetSceneView();
  if (std::exchange(offscreen_, false) && view != nullptr) view->EndOffscreen();
}

void ShellCommandHost::CallEvent(const char* name) { CallEventName(name); }
void ShellCommandHost::ResetInput() { Input::Reset(); }
bool ShellCommandHost::AskYesNo(const std::string& text, const std::string& caption) {
  return ::AskYesNo(text, caption);
}
void ShellCommandHost::ShowAlert(const std::string& text, const std::string& caption) { ::ShowAlert(text, caption); }

bool ShellCommandHost::IsGameInProgress() { return ::IsGameInProgress(); }
void ShellCommandHost::SetGameInProgress(bool inProgress) { ::SetGameInProgress(inProgress ? 1 : 0); }
bool ShellCommandHost::IsRunning() { return (GetRunState() & kRunRunning) != 0; }
void ShellCommandHost::StopRunning() {
  SetStopWaiting();
  ::StopRunning();
}
bool ShellCommandHost::HasCurrentCharacter() { return GetCurrentCharacter() != nullptr; }

std::string ShellCommandHost::CharacterName() {
  return GetCurrentCharacter() != nullptr ? GetCurrentCharacter()->GetName() : "";
}

HWND ShellCommandHost::MainWindow() {
  ::MainWindow* window = GetMainWindow();
  return window != nullptr && window->IsCreated() ? window->GetNativeWindow() : nullptr;
}

void ShellCommandHost::SetWindowActive(bool active) {
  if (::MainWindow* window = GetMainWindow()) window->SetActive(active);
}

void ShellCommandHost::EnableMenuBar(bool grey) { ::EnableMenuBar(grey); }

void ShellCommandHost::CreateCharacter() {
  CreateCurrentCharacter();
  ClearPendingSpells();
}

void ShellCommandHost::ResetGlobalEntries() { ResetGlobalEntryValues(); }

void ShellCommandHost::LeaveAndClearHistory() { LocationHistory::LeaveAllAndClear(); }

std::string ShellCommandHost::DefaultPlayerSprite() { return GetDefaultPlayerSpriteName(); }

void ShellCommandHost::DropTileMapPlayer() {
  if (TileMap* map = GetCurrentTileMap()) map->Leave();
}

bool ShellCommandHost::AsksPlayerName() { return GetAskPlayerName() != 0; }
void ShellCommandHost::RunPlayerNameDialog() { Dialog::RunModal(std::make_unique<PlayerNameDialog>()); }

bool ShellCommandHost::OffersRaceChoice() {
  return (GetOfferUnmarkedRaces() != 0 && AnyRaceUnavailable()) ||
         (GetOptionFlag(kOfferMarkedRacesFlag) != 0 && AnyRaceAvailable());
}
void ShellCommandHost::RunRaceDialog() { Dialog::RunModal(std::make_unique<RaceClassDialog>(1)); }

bool ShellCommandHost::OffersClassChoice() {
  return (GetOfferUnmarkedClasses() != 0 && AnyClassUnavailable()) ||
         (GetOptionFlag(kOfferMarkedClassesFlag) != 0 && AnyClassAvailable());
}
void ShellCommandHost::RunClassDialog() { Dialog::RunModal(std::make_unique<RaceClassDialog>(0)); }

void ShellCommandHost::AssignMissingRaceAndClass() {
  Character* c = GetCurrentCharacter();
  if (c == nullptr) return;
  if (c->GetRace() == nullptr || c->GetRace()->GetName().empty()) c->AssignDefaultRace();
  if (c->GetClass() == nullptr || c->GetClass()->GetName().empty()) c->AssignDefaultClass();
}

bool ShellCommandHost::HasCharacterCreation() { return GetShowCharacterCreation() != 0; }
void ShellCommandHost::RunCharacterCreation() { ShowCharacterCreation(1); }

void ShellCommandHost::ResetExploredMasks() { ::ResetExploredMasks(); }

void ShellCommandHost::RepaintMainWindow() {
  if (::MainWindow* window = GetMainWindow()) window->InvalidateAll();
}

void ShellCommandHost::ClearViewLayers() {
  if (SceneView* view = GetSceneView()) view->ClearLayers();
}

void ShellCommandHost::LeaveAllLocations() {
  for (const auto& location : LocationList()) location->Leave();
}

void ShellCommandHost::ClearExploredMasks() { ::ClearExploredMasks(); }

void ShellCommandHost::ReleaseGamePools() {
  // Quitting happens inside the main loop, whose pool stack still holds the start-up pool and whose current pool
  // is the game pool: deleting them here would leave the loop's pop naming a freed pool. Their unused pictures
  // go now; the pools themselves go with the picture cache at shut-down.
  for (PicturePool* pool : {GetGamePool(), GetMapPool(), GetStartupPool()}) {
    if (pool != nullptr) PictureCache::PurgeUnused(pool);
  }
}

void ShellCommandHost::ResolveLinkedRecord() {
  if (Character* c = GetCurrentCharacter()) c->ResolveLinkedRecord();
}

void ShellCommandHost::DeleteCharacter() { DeleteCurrentCharacter(); }

void ShellCommandHost::HideCursor() { SetCursor(nullptr); }

void ShellCommandHost::Reset() { LocationHistory::Clear(); }

ShellCommandHost& GetShellCommandHost() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static ShellCommandHost* host = new ShellCommandHost;
  return *host;
}

void RunNewGameCommand() { NewGameCommand(GetShellCommandHost()); }
void RunSaveGameCommand() { SaveGameCommand(GetShellCommandHost()); }
void RunOpenGameCommand() { OpenGameCommand(GetShellCommandHost()); }
void RunEndGameCommand() { EndGameCommand(GetShellCommandHost()); }
void RunQuitGameCommand() { QuitGameCommand(GetShellCommandHost()); }
