// The character's statistics, effects, damage, stamina bar and removal from the map, and the pending spells.
#include <algorithm>
#include <cstdlib>
#include <limits>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/rules/active_effect.h"
#include "game/rules/character.h"
#include "game/rules/character_map_support.h"
#include "game/rules/game_state.h"
#include "game/rules/item_record.h"
#include "game/rules/script_engine.h"
#include "game/rules/spell_record.h"
#include "game/shell/media/sound_effects.h"
#include "game/world/scene_view.h"
#include "game/world/sprite.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

// The value each of the eighteen item and spell modifiers adds to, in their order.
constexpr CharacterValue kModifiedValues[kModifierCount] = {
    kValueMinDamage,         kValueMaxDamage,         kValueSpecialDamage,    kValueNaturalProtection,
    kValueMaxStamina,        kValueMaxMagic,          kValueStrength,         kValueDexterity,
    kValueVitality,          kValueWisdom,            kValueKarma,            kValueLuck,
    kValueSpeed,             kValuePerception,        kValueChemicalProtection, kValueFireProtection,
    kValueColdProtection,    kValueElectricalProtection,
};
// The values that cannot fall below 0.
constexpr CharacterValue kAttributes[] = {kValueStrength, kValueDexterity, kValueVitality, kValueWisdom,
                                          kValueKarma,    kValueLuck,      kValuePerception, kValueSpeed};

constexpr int32_t kFireDamage = 2;
constexpr int32_t kColdDamage = 3;
constexpr int32_t kElectricalDamage = 4;
constexpr int32_t kChemicalDamage = 5;
constexpr int32_t kHitSoundSlot = 3;
constexpr int32_t kStaminaBarWidth = 37;
constexpr int32_t kStaminaBarHeight = 7;
constexpr DrawColor kBarHealthy{0, 128, 0, 255};  // green
constexpr DrawColor kBarLow{0, 0, 255, 255};      // red
constexpr DrawColor kBarEmpty{0, 0, 0, 255};
constexpr DrawColor kBarFrame{255, 255, 255, 255};
constexpr uint32_t kDeathFadeSteps = 50;

void AddModifiers(CharacterValues& values, const RecordModifiers& modifiers, int32_t sign) {
  for (int32_t m = 0; m < kModifierCount; ++m) AddWrapped(values[kModifiedValues[m]], sign * modifiers[m]);
}

int32_t Saturate32(int64_t value) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

std::vector<SpellRecord*>& PendingList() {
  static auto* list = new std::vector<SpellRecord*>;
  return *list;
}

}  // namespace

void Character::RecalculateStats() {
  current = base;
  for (int32_t slot = 1; slot < kEquipmentSlots; ++slot) {
    if (const ItemRecord* item = equipment[static_cast<size_t>(slot)]) AddModifiers(current, item->modifiers, 1);
  }
  for (const auto& effect : effects) {
    if (effect->spell != nullptr) AddModifiers(current, effect->spell->modifiers, 1);
  }
  stamina = std::min(stamina, current.maxStamina);
  magic = std::min(magic, current.maxMagic);
  for (CharacterValue value : kAttributes) current[value] = std::max<int16_t>(current[value], 0);
}

void Character::RemoveEquipmentBonuses() {
  for (int32_t slot = 1; slot < kEquipmentSlots; ++slot) {
    if (const ItemRecord* item = equipment[static_cast<size_t>(slot)]) AddModifiers(base, item->modifiers, -1);
  }
}

void Character::AddEffect(SpellRecord* spell) {
  if (spell == nullptr) return;
  EventQueueHold hold;
  EventPositionScope position(x, y);
  const MapWatch watch;
  // A non-player character goes with its map: once an event has left the map, it is not touched again.
  const bool player = IsCurrentCharacter(this);
  auto stillHere = [&] { return player || watch.Holds(); };
  auto effect = std::make_unique<ActiveEffect>(spell);
  // The spell's tick event runs when the effect is made and again in its first application, which also deals the
  // first damage; the next tick of the effects then passes over the new effect.
  spell->RunEvent(1);
  if (!stillHere()) return;
  int32_t change = 0;
  if (!effect->Apply(*this, &change) || !stillHere()) return;
  effect->restored = 1;
  effects.push_back(std::move(effect));
  RecalculateStats();
}

void Character::TickEffects() {
  EventQueueHold hold;
  EventPositionScope position(x, y);
  if (alarm > 0) --alarm;
  else if (alarm < 0) ++alarm;
  int64_t damage = 0, healing = 0;
  bool removed = false;
  // The effects' events may cast spells or kill: the list is walked by position and searched again after each
  // application.
  for (size_t i = 0; i < effects.size() && stamina > 0;) {
    ActiveEffect* effect = effects[i].get();
    if (effect->restored != 0) {
      effect->restored = 0;
      ++i;
      continue;
    }
    int32_t change = 0;
    const bool goesOn = effect->Apply(*this, &change);
    if (change > 0) damage += change;
    else healing -= change;
    auto at = std::find_if(effects.begin(), effects.end(), [&](const auto& e) { return e.get() == effect; });
    if (at == effects.end()) continue;
    i = static_cast<size_t>(at - effects.begin());
    if (goesOn) {
      ++i;
      continue;
    }
    const SpellRecord* spell = effect->spell;
    effects.erase(at);
    removed = true;
    if (spell != nullptr) spell->RunEvent(3);
  }
  if (stamina > 0) {
    if (damage != 0) ShowNumber(Saturate32(damage), kFloatingDamage);
    if (healing != 0) ShowNumber(Saturate32(healing), kFloatingHealing);
    if (removed) RecalculateStats();
  }
}

int32_t Character::ReduceDamage(int32_t damage, int32_t kind) const {
  int32_t protection = 0;
  switch (kind) {
    case kFireDamage: protection = current.fireProtection; break;
    case kColdDamage: protection = current.coldProtection; break;
    case kElectricalDamage: protection = current.electricalProtection; break;
    case kChemicalDamage: protection = current.chemicalProtection; break;
    default: return damage;
  }
  // The product divided by 100 truncates toward zero; a protection above 100 turns damage into healing. It is
  // worked out in 64 bits and held at the 32-bit limits: a large damage times the protection overflows 32 bits.
  return Saturate32(static_cast<int64_t>(damage) - static_cast<int64_t>(damage) * protection / 100);
}

int32_t Character::TakeDamage(int32_t damage, int32_t kind, int32_t fromX, int32_t fromY, bool showNumber) {
  EventQueueHold hold;
  EventPositionScope position(x, y);
  int32_t dealt = 0;
  if (stamina >= 1) {
    dealt = ReduceDamage(damage, kind);
    if ((fromX != 0 || fromY != 0) && !IsSpriteBusy(sprite.get())) SetFacing(DirectionFromDelta(x, y, fromX, fromY), true);
    const int64_t left = std::min<int64_t>(static_cast<int64_t>(stamina) - dealt, current.maxStamina);
    stamina = static_cast<int16_t>(std::max<int64_t>(left, 0));
    TileMap* map = GetCurrentTileMap();
    if (dealt > 0 && map != nullptr) {
      map->ForTeam(-dealt, *this, true);
      map->ForTeam(dealt, *this, false);
    }
    if (dealt != 0 && showNumber) {
      int32_t floatingKind = kFloatingHealing;
      if (dealt > 0) {
        floatingKind = kFloatingDamage;
        if (IsCurrentCharacter(this)) {
          floatingKind = kFloatingPlayerDamage;
          PlaySoundSlot(kHitSoundSlot);
        }
      }
      ShowFloatingText(std::to_string(std::abs(static_cast<int64_t>(dealt))), floatingKind);
    }
  }
  if (stamina < 1 && !IsCurrentCharacter(this) && sprite != nullptr) Die();
  else if (stamina >= 1) UpdateStaminaBar();
  return dealt;
}

void Character::SetTarget(Character* other) {
  if (other == nullptr) return;
  target = other;
  engaged = 1;
  staminaBar.reset();
  auto bitmap = std::make_unique<Bitmap>();
  if (bitmap->Create(kStaminaBarWidth, kStaminaBarHeight, OpaqueFormat) != kBitmapReady) return;
  staminaBar = std::make_unique<CharacterOverlay>(std::move(bitmap));
  UpdateStaminaBar();
}

void Character::UpdateStaminaBar() {
  if (staminaBar == nullptr || staminaBar->GetBitmap() == nullptr || IsCurrentCharacter(this)) return;
  Bitmap& bar = *staminaBar->GetBitmap();
  const int32_t width = bar.width, height = bar.height;
  // A character without a positive maximum shows an empty bar.
  const int32_t maximum = current.maxStamina;
  int32_t filled = 0;
  if (maximum > 0) filled = std::clamp<int32_t>(stamina * width / maximum, 0, width);
  if (stamina != 0 && maximum > 0) FillRect(bar, Bounds{0, 0, filled, height}, maximum / stamina < 4 ? kBarHealthy : kBarLow);
  if (stamina != maximum) FillRect(bar, Bounds{filled, 0, width - filled, height}, kBarEmpty);
  FrameRect(bar, bar.Frame(), kBarFrame);
}

void Character::RemoveOverlay() {
  staminaBar.reset();
  engaged = 0;
  target = nullptr;
}

void Character::RemoveFromMap(bool fade) {
  ringOverlay.reset();
  staminaBar.reset();
  engaged = 0;
  TileMap* map = GetCurrentTileMap();
  if (map == nullptr) return;
  map->RemoveCharacter(this);
  SceneView* view = GetSceneView();
  SceneLayer* layer = map->ItemSlot().Layer();
  if (sprite != nullptr) {
    Bitmap* figure = sprite->FramePicture();
    if (fade && view != nullptr && layer != nullptr && figure != nullptr) {
      view->PushLayer();
      view->SetCurrentLayer(layer);
      layer->StartFade(kDeathFadeSteps);
      view->SetCurrentLayerImage(figure);
      layer->PlaceImage(TruncateToInt32(sprite->PositionX()), TruncateToInt32(sprite->PositionY()));
      layer->ClearFadeFlag();
      view->PopLayer();
    }
    sprite->Release();
    map->UnlinkSprite(std::move(sprite));
  }
  ReleaseReservedCells();
  map->SetCellFlag(x, y, 1);
}

void Character::Die() {
  EventQueueHold hold;
  const MapWatch watch;
  TileMap* map = watch.Map();
  RemoveFromMap(true);
  if (events.size() > 3 && events[3] != nullptr) {
    EventPositionScope position(x, y);
    RunEventRecord(events[3]);
  }
  if (map == nullptr || GetCurrentLocation() == nullptr || !watch.Holds()) return;
  // The pile lands on the character's own cell: piles are placed counted from 1.
  map->PlaceItemPile(gold, x + 1, y + 1);
  if (IsEncounterInProgress() && !map->AnyEngagedCharacterStands()) map->RunRound();
}

void QueuePendingSpell(SpellRecord* spell) {
  if (spell != nullptr) PendingList().push_back(spell);
}

void CastPendingSpells(Character* target) {
  EventQueueHold hold;
  std::vector<SpellRecord*> queued;
  queued.swap(PendingList());
  std::vector<SpellRecord*> stayed;
  for (SpellRecord* spell : queued) {
    Character* player = GetCurrentCharacter();
    if (player == nullptr) {
      stayed.push_back(spell);
    } else if (spell->targetKind != 3) {
      player->CastSpell(spell, nullptr, true);
    } else if (target != nullptr && target->stamina > 0) {
      player->CastSpell(spell, target, true);
    } else {
      stayed.push_back(spell);
    }
  }
  // Spells queued by the casts themselves wait after those that stayed.
  std::vector<SpellRecord*>& list = PendingList();
  stayed.insert(stayed.end(), list.begin(), list.end());
  list.swap(stayed);
}

bool HasPendingSpells() { return !PendingList().empty(); }
void ClearPendingSpells() { PendingList().clear(); }
const std::vector<SpellRecord*>& PendingSpells() { return PendingList(); }
