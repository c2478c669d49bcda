// The character's construction and destruction, the current character, the small accessors, the selection ring,
// floating text and the listing order of an inventory.
#include "game/rules/character.h"

#include <algorithm>
#include <vector>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/rules/active_effect.h"
#include "game/rules/class_race_records.h"
#include "game/rules/item_record.h"
#include "game/rules/npc_definition.h"
#include "game/rules/script_engine.h"
#include "game/rules/skill_table.h"
#include "game/rules/spell_record.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/option_store.h"
#include "game/shell/record_lists.h"
#include "game/world/scene_view.h"
#include "game/world/sprite.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

constexpr int16_t kPlayerNoticeRange = 5;
// The player's seed is drawn from this range: its place in the game's fixed table.
constexpr int32_t kLastRandomSeed = 499;
constexpr DrawColor kRingBackground{255, 255, 255, 255};
constexpr DrawColor kRingStanding{0, 0, 255, 255};  // red
constexpr DrawColor kRingFallen{255, 0, 0, 255};    // blue

std::unique_ptr<Character>& Current() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static auto* current = new std::unique_ptr<Character>;
  return *current;
}

constexpr int16_t CharacterValues::*kValueMembers[kCharacterValueCount] = {
    &CharacterValues::maxStamina,         &CharacterValues::maxMagic,          &CharacterValues::minDamage,
    &CharacterValues::maxDamage,          &CharacterValues::specialDamage,     &CharacterValues::strength,
    &CharacterValues::dexterity,          &CharacterValues::vitality,          &CharacterValues::wisdom,
    &CharacterValues::karma,              &CharacterValues::luck,              &CharacterValues::speed,
    &CharacterValues::perception,         &CharacterValues::morale,            &CharacterValues::naturalProtection,
    &CharacterValues::chemicalProtection, &CharacterValues::fireProtection,    &CharacterValues::coldProtection,
    &CharacterValues::electricalProtection, &CharacterValues::noticeRange,
};

}  // namespace

int16_t& CharacterValues::operator[](CharacterValue value) { return this->*kValueMembers[value]; }
int16_t CharacterValues::operator[](CharacterValue value) const { return this->*kValueMembers[value]; }

// ---- Overlays ----

CharacterOverlay::CharacterOverlay(std::unique_ptr<Bitmap> bitmap) : bitmap_(std::move(bitmap)) {}

CharacterOverlay::~CharacterOverlay() { Erase(); }

bool CharacterOverlay::IsPlaced() const {
  const SceneView* view = GetSceneView();
  return layer_ != nullptr && view != nullptr && view->HoldsEntriesOf(layer_, layerEpoch_);
}

void CharacterOverlay::Erase() {
  if (IsPlaced()) {
    GetSceneView()->SetRedrawFlag();
    layer_->EraseImage(entry_);
  }
  // An entry that a cleared or destroyed layer took with it is only forgotten.
  layer_ = nullptr;
}

void CharacterOverlay::Place(SceneLayer& layer, int32_t x, int32_t y) {
  Erase();
  if (bitmap_ == nullptr) return;
  layer.SetImage(bitmap_.get());
  const LayerEntry entry = layer.PlaceImage(x, y);
  if (layer.IsEntry(entry)) {
    layer_ = &layer;
    layerEpoch_ = layer.Epoch();
    entry_ = entry;
  }
}

// ---- Construction ----

Character::Character(Unrolled) {
  SetLoaded(true);
  base.noticeRange = kPlayerNoticeRange;
}

Character::Character() : Character(Unrolled{}) {
  // The roll comes first and reads the seed while it is still 0; the seed is drawn after it.
  RollAttributes();
  randomSeed = RandomRange(0, kLastRandomSeed);
}

std::unique_ptr<Character> Character::CharacterFromDefinition(const NpcDefinition& definition) {
  // The player's start without the roll and the seed.
  auto character = std::unique_ptr<Character>(new Character(Unrolled{}));
  Character& c = *character;
  c.base.actionInterval = definition.actionInterval;
  c.spriteName = definition.spriteText;
  c.playerName = definition.GetName();
  c.base.maxStamina = definition.maxStamina;
  c.base.maxMagic = definition.maxMagic;
  c.base.minDamage = definition.minDamage;
  c.base.maxDamage = definition.maxDamage;
  c.base.strength = definition.strength;
  c.base.dexterity = definition.dexterity;
  c.base.vitality = definition.vitality;
  c.base.wisdom = definition.wisdom;
  c.base.karma = definition.karma;
  c.base.morale = definition.morale;
  c.base.luck = definition.luck;
  c.base.speed = definition.speed;
  c.base.perception = definition.perception;
  c.base.naturalProtection = definition.naturalProtection;
  c.base.chemicalProtection = definition.chemicalProtection;
  c.base.fireProtection = definition.fireProtection;
  c.base.coldProtection = definition.coldProtection;
  c.base.electricalProtection = definition.electricalProtection;
  c.base.noticeRange = definition.noticeRange;
  c.unarmedDamageKind = definition.damageKind;
  c.level = definition.level;
  c.experience = definition.experience;
  c.gold = definition.gold;
  c.behaviourKind = definition.behaviourKind;
  c.moveInterval = definition.moveInterval;
  c.wanderRadius = definition.wanderRadius;
  c.movementMode = definition.movementMode;
  c.destinationX = definition.destinationX;
  c.destinationY = definition.destinationY;
  c.side = definition.side;
  for (const auto& event : definition.events) c.events.push_back(event.get());
  if (std::none_of(c.events.begin(), c.events.end(), [](const ScriptEvent* e) { return e != nullptr; })) {
    c.events.clear();
  }
  c.startItemNames = definition.startItemNames;
  c.startSpells = definition.spells;
  c.RecalculateStats();
  return character;
}

Character::~Character() = default;

// ---- Accessors ----

void Character::SetFacing(int32_t direction, bool animate) {
  facing = std::clamp(direction, 1, 8);
  if (animate && sprite != nullptr) sprite->StartAction(0, 0, 0, 0, 0, facing);
}

void Character::SetClass(ClassRecord* record) {
  if (record != nullptr) classRecord = record;
  else if (classRecord == nullptr) AssignDefaultClass();
}

void Character::SetRace(RaceRecord* record) {
  if (record != nullptr) raceRecord = record;
  else if (raceRecord == nullptr) AssignDefaultRace();
}

void Character::AssignDefaultClass() {
  classRecord = ClassList().Size() != 0 ? ClassList().begin()->get() : ClassRecord::CreateDefault();
}

void Character::AssignDefaultRace() {
  raceRecord = RaceList().Size() != 0 ? RaceList().begin()->get() : RaceRecord::CreateDefault();
}

void Character::ResolveLinkedRecord() {
  if (classRecord == nullptr) return;
  for (const auto& table : SkillTableList()) {
    if (table->GetName() == classRecord->GetName()) {
      skillTable = table.get();
      return;
    }
  }
}

void Character::SetPicture(std::unique_ptr<Bitmap> bitmap) {
  picture = std::move(bitmap);
  portraitName.clear();
}

void Character::SetPictureByName(const std::string& name) {
  picture.reset();
  portraitName.clear();
  std::string portraitPath;
  PortraitPath(portraitPath, name);
  picture = LoadPictureByName(portraitPath.c_str());
  if (picture != nullptr) portraitName = name;
}

void Character::SetPath(std::unique_ptr<Path> newPath) { path = std::move(newPath); }

void Character::AddTextEntry(const std::string& key, const std::string& firstText, const std::string& secondText) {
  textEntries.push_back({key, firstText, secondText});
}

void Character::RemoveTextEntry(const std::string& key) {
  auto found = std::find_if(textEntries.begin(), textEntries.end(),
                            [&](const TextEntry& entry) { return entry.key == key; });
  if (found != textEntries.end()) textEntries.erase(found);
}

void Character::ClearTextEntries() { textEntries.clear(); }

void Character::LearnSpell(SpellRecord* spell) {
  if (spell != nullptr) knownSpells.push_back(spell);
}

void Character::ForgetSpell(const SpellRecord* spell) {
  auto found = std::find(knownSpells.begin(), knownSpells.end(), spell);
  if (found != knownSpells.end()) knownSpells.erase(found);
}

bool Character::KnowsSpell(const SpellRecord* spell) const {
  return std::find(knownSpells.begin(), knownSpells.end(), spell) != knownSpells.end();
}

int32_t Character::WeaponReach() const {
  const ItemRecord* weapon = equipment[kItemKindWeapon];
  return weapon != nullptr && weapon->firstProjectileValue >= 1 ? weapon->firstProjectileValue : 1;
}

int32_t Character::WeaponAttackMode() const {
  const ItemRecord* weapon = equipment[kItemKindWeapon];
  return weapon != nullptr ? weapon->AttackKind() : 1;
}

void Character::PlaceOnLocation(std::unique_ptr<Sprite> newSprite) {
  sprite = std::move(newSprite);
  ringOverlay.reset();
  if (sprite == nullptr) return;
  const int32_t radius = sprite->GetCollisionRadius();
  const int32_t size = 2 * radius - radius / 2;
  if (size <= 1) return;
  // The ring's background is white, the key colour: only the ring shows under the sprite.
  auto bitmap = std::make_unique<Bitmap>();
  if (bitmap->Create(2 * size, size, KeyedFormat) != kBitmapReady) return;
  const Bounds frame{0, 0, 2 * size, size};
  FillRect(*bitmap, frame, kRingBackground);
  FrameEllipse(*bitmap, frame, stamina < 1 ? kRingFallen : kRingStanding, size, size / 2, true);
  ringOverlay = std::make_unique<CharacterOverlay>(std::move(bitmap));
}

void Character::ShowFloatingText(const std::string& text, int32_t kind) {
  SceneView* view = GetSceneView();
  TileMap* map = GetCurrentTileMap();
  if (text.empty() || sprite == nullptr || view == nullptr || map == nullptr) return;
  SceneLayer* layer = map->TopLayer();
  if (layer == nullptr) return;
  view->SetRedrawFlag();
  view->PushLayer();
  view->SetCurrentLayer(layer);
  view->SetCurrentFont(kind);
  layer->StartMove(0, -100, 2.0f);
  const Bitmap* frame = sprite->FramePicture();
  const int32_t halfWidth = frame != nullptr ? frame->width / 2 : 0;
  view->AddTextLabel(TruncateToInt32(sprite->PositionX()) + halfWidth, TruncateToInt32(sprite->PositionY()), text);
  layer->ClearMoveFlag();
  view->PopLayer();
}

void Character::ShowNumber(int32_t value, int32_t kind) { ShowFloatingText(std::to_string(value), kind); }

// ---- The current character ----

Character* GetCurrentCharacter() { return Current().get(); }
Character* PeekCurrentCharacter() { return Current().get(); }
bool HasCurrentCharacter() { return Current() != nullptr; }
bool IsCurrentCharacter(const Character* character) { return character != nullptr && Current().get() == character; }

namespace {

// Characters that stopped being current while an event or a character operation may still use them: a script
// may end, open or start a game at once from inside an event that the old player's own operation ran. Each is
// freed once the outermost event has returned and the last operation has let go (RunWhenEventsEnd).
std::vector<std::unique_ptr<Character>>& Retired() {
  static auto* retired = new std::vector<std::unique_ptr<Character>>;
  return *retired;
}

void FreeRetiredCharacters() {
  std::vector<std::unique_ptr<Character>> freed;
  freed.swap(Retired());
}

// The current map lists the player's figure and may have the view follow it, but the character owns it: the map
// lets go of it before the character goes.
void ReleaseCurrentCharacter() {
  if (Current() == nullptr) return;
  if (TileMap* map = GetCurrentTileMap()) map->Leave();
  Retired().push_back(std::move(Current()));
  RunWhenEventsEnd(FreeRetiredCharacters);
}

}  // namespace

void SetCurrentCharacter(Character* character) {
  if (Current().get() == character) return;
  ReleaseCurrentCharacter();
  Current().reset(character);
}

void DeleteCurrentCharacter() { ReleaseCurrentCharacter(); }

void CreateCurrentCharacter() {
  ReleaseCurrentCharacter();
  Current() = std::make_unique<Character>();
  Character& player = *Current();
  player.side = kPlayerSide;
  player.RecalculateStats();
  GetDefaultPlayerName(player.playerName);
}

// ---- Inventory order ----

namespace {

// Consumables first, then the weapon, the worn kinds (rings between shields and helmets) and used-only items.
int32_t OrderKey(const std::string& name) {
  const ItemRecord* record = FindItemByName(name);
  switch (record != nullptr ? record->kind : 0) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 3;
    case 9: return 4;
    case 4: return 5;
    case 5: return 6;
    case 6: return 7;
    case 8: return 8;
    default: return 0;
  }
}

}  // namespace

bool InventoryNameLess(const std::string& a, const std::string& b) {
  const int32_t keyA = OrderKey(a), keyB = OrderKey(b);
  if (keyA != keyB) return keyA < keyB;
  // Byte by byte as unsigned bytes, a prefix first: the string comparison of the standard library.
  return a < b;
}

void SortInventoryNames(std::vector<std::string>& names) {
  std::stable_sort(names.begin(), names.end(), InventoryNameLess);
}
