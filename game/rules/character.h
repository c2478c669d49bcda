// The Character: one living figure of the game, the player (the current character, one at a time) or a
// non-player character that a map places from its NPC definition. It holds the stamina and magic points, twenty
// base values and their current (computed) counterparts, level, experience and gold, an inventory of item
// instances and ten equipment slots that point into it, known spells and running effects, the journal and text
// entries, the portrait and, while it stands on a map, its cell, facing, sprite, path and overlays.
//
// The operations are spread by subject: construction, the current character and the small accessors here
// (character.cpp); statistics, effects, damage, the stamina bar, leaving the map and the pending spells
// (character_stats.cpp); inventory and equipment (character_inventory.cpp); attribute rolls and level gain
// (character_levels.cpp); map movement (character_movement.cpp, character_walking.cpp), spell casting
// (character_casting.cpp), attacks (character_attack.cpp), the step (character_stepping.cpp) and the behaviour tick
// (character_behaviour.cpp).
//
// Values are signed 16-bit and wrap, as the scenario's records give them; the current values are computed again
// from the base values, the equipment and the effects after every change of them (RecalculateStats).
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/rules/named_record.h"
#include "game/world/scene_layer.h"

class ActiveEffect;
class Bitmap;
class ClassRecord;
class ItemRecord;
class MapItem;
class NpcDefinition;
class Path;
class RaceRecord;
class ScriptEvent;
class SkillTable;
class SpellRecord;
class Sprite;
class TileMap;

// Slot n holds the equipped item of kind n; slots 1 to 9 are used (1 the weapon), slot 0 stays empty.
constexpr int32_t kEquipmentSlots = 10;
// A character at this cell in both coordinates stands on no map.
constexpr int32_t kOffMapCell = 0x7fff;
// The player's side; 0 takes no part in fights; characters of opposite signs are enemies.
constexpr int32_t kPlayerSide = 1;
// Bits of Character::flags.
constexpr int32_t kCharacterHeld = 1;       // neither moves nor acts
constexpr int32_t kCharacterWalking = 2;
constexpr int32_t kCharacterStepped = 4;    // cleared when walking starts
constexpr int32_t kCharacterStriking = 8;   // set with kCharacterStepped by a step, which may strike
constexpr int32_t kCharacterActsWhileBusy = 0x10;
// The floating-text kinds (the game view's font numbers).
constexpr int32_t kFloatingHealing = 2;
constexpr int32_t kFloatingPlayerDamage = 3;
constexpr int32_t kFloatingDamage = 4;

// The twenty 16-bit values of a character, in the order of its base block (and of saved games after the stamina
// and magic points). Conditions and text variables name them by what they hold ("Max Stamina Points").
enum CharacterValue : int32_t {
  kValueMaxStamina,
  kValueMaxMagic,
  kValueMinDamage,
  kValueMaxDamage,
  kValueSpecialDamage,
  kValueStrength,
  kValueDexterity,
  kValueVitality,
  kValueWisdom,
  kValueKarma,
  kValueLuck,
  kValueSpeed,
  kValuePerception,
  kValueMorale,
  kValueNaturalProtection,
  kValueChemicalProtection,
  kValueFireProtection,
  kValueColdProtection,
  kValueElectricalProtection,
  kValueNoticeRange,  // in cells
  kCharacterValueCount
};

// A block of values: the twenty 16-bit values, then the action interval in milliseconds. A character has a base
// block and a current block; the current natural protection is the current block's naturalProtection.
struct CharacterValues {
  int16_t maxStamina = 0;
  int16_t maxMagic = 0;
  int16_t minDamage = 0;
  int16_t maxDamage = 0;
  int16_t specialDamage = 0;
  int16_t strength = 0;
  int16_t dexterity = 0;
  int16_t vitality = 0;
  int16_t wisdom = 0;
  int16_t karma = 0;
  int16_t luck = 0;
  int16_t speed = 0;
  int16_t perception = 0;
  int16_t morale = 0;
  int16_t naturalProtection = 0;
  int16_t chemicalProtection = 0;
  int16_t fireProtection = 0;
  int16_t coldProtection = 0;
  int16_t electricalProtection = 0;
  int16_t noticeRange = 0;
  int32_t actionInterval = 0;

  // The value of that place of the block (value must be below kCharacterValueCount).
  int16_t& operator[](CharacterValue value);
  int16_t operator[](CharacterValue value) const;
};

// Adds to a 16-bit value, wrapping as the values do.
inline void AddWrapped(int16_t& value, int32_t amount) {
  value = static_cast<int16_t>(static_cast<uint16_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(amount)));
}

// One of the character's text entries: a key and two texts, kept in the order they were added.
struct TextEntry {
  std::string key;
  std::string firstText;
  std::string secondText;
};

// A picture drawn with a character on the map (its selection ring, its stamina bar): a bitmap the overlay owns
// and, once placed, the layer entry that shows it. Freeing a placed overlay erases its entry.
class CharacterOverlay {
 public:
  explicit CharacterOverlay(std::unique_ptr<Bitmap> bitmap);
  ~CharacterOverlay();
  CharacterOverlay(const CharacterOverlay&) = delete;
  CharacterOverlay& operator=(const CharacterOverlay&) = delete;

  Bitmap* GetBitmap() const { return bitmap_.get(); }
  // Shows the bitmap on the layer at (x, y), in place of the entry placed before.
  void Place(SceneLayer& layer, int32_t x, int32_t y);
  // Whether an entry of a layer that still holds it shows the bitmap.
  bool IsPlaced() const;
  // Takes the bitmap off the layer that shows it.
  void Erase();

 private:

  std::unique_ptr<Bitmap> bitmap_;
  SceneLayer* layer_ = nullptr;
  uint64_t layerEpoch_ = 0;
  LayerEntry entry_;
};

class Character : public NamedRecord {
 public:
  // The player: every value 0 but the notice range (5) and the facing (1), off the map; the attributes are rolled
  // and then the random seed is drawn.
  Character();
  // A non-player character made from an NPC definition (no roll, no seed drawn), with stamina and magic 0: the
  // map that places it fills its inventory, its points and its equipment.
  static std::unique_ptr<Character> CharacterFromDefinition(const NpcDefinition& definition);
  ~Character() override;
  Character(const Character&) = delete;
  Character& operator=(const Character&) = delete;

  // The character's name is taken as a record's name is: the last component of the text less a four-character
  // extension ("Jo/Ann" and "Ann.Bob" both give "Ann").
  void SetName(const std::string& name) override { NamedRecord::SetName(name); }
  // Gives the character a name that was its name before (a saved game's), whole: taking it as a path once more
  // would cut it again ("Jo.Bob.Cat" is named "Jo.Bob", which would come back as "Jo").
  void RestoreName(const std::string& name) { KeepName(name); }

  // ---- Accessors and small operations ----
  int32_t GetFlags() const { return flags; }
  void SetFlags(int32_t value) { flags = value; }
  void GetPosition(int32_t* cellX, int32_t* cellY) const {
    *cellX = x;
    *cellY = y;
  }
  void SetPosition(int32_t cellX, int32_t cellY) {
    x = cellX;
    y = cellY;
  }
  void SetStartCell(int32_t cellX, int32_t cellY) {
    startX = cellX;
    startY = cellY;
  }
  // The facing clamped to 1..8; with animate and a sprite, the sprite restarts its standing action that way.
  void SetFacing(int32_t direction, bool animate);
  void AddToCounter(int32_t amount) { alarm += amount; }
  ClassRecord* GetClass() const { return classRecord; }
  RaceRecord* GetRace() const { return raceRecord; }
  // Null keeps a record already set, else takes the list's first record (a default record when it is empty).
  void SetClass(ClassRecord* record);
  void SetRace(RaceRecord* record);
  void AssignDefaultClass();
  void AssignDefaultRace();
  // The skill table is the first of the scenario's tables named exactly like the class; kept when none is.
  void ResolveLinkedRecord();
  SkillTable* GetSkillTable() const { return skillTable; }

  // The portrait. Setting one frees the old (and forgets the name it was loaded by); by name it is loaded from
  // "Players/Portraits/" + name (".pct" added by the extension rule) and the name is kept for saved games; a
  // picture that does not load leaves none.
  Bitmap* GetPicture() const { return picture.get(); }
  void SetPicture(std::unique_ptr<Bitmap> bitmap);
  void SetPictureByName(const std::string& name);
  Path* GetPath() const { return path.get(); }
  void SetPath(std::unique_ptr<Path> newPath);

  const std::vector<TextEntry>& GetTextEntries() const { return textEntries; }
  // Appends an entry; one of the same key stays.
  void AddTextEntry(const std::string& key, const std::string& firstText, const std::string& secondText);
  // Removes the first entry whose key equals the key exactly; nothing when none does.
  void RemoveTextEntry(const std::string& key);
  void ClearTextEntries();

  // Appends the spell (nothing for none; a spell known already is appended again); ForgetSpell removes its first
  // occurrence.
  void LearnSpell(SpellRecord* spell);
  void ForgetSpell(const SpellRecord* spell);
  bool KnowsSpell(const SpellRecord* spell) const;

  // The reach of the weapon in slot 1 (its first projectile value when 1 or more, else 1; 1 without a weapon): a
  // reach above 1 makes it a ranged weapon. The weapon's attack kind, 1 without one.
  int32_t WeaponReach() const;
  int32_t WeaponAttackMode() const;

  // Takes the character's sprite on a map and builds its selection ring: an ellipse under the sprite, red while
  // the character stands, blue once it has fallen; none for a sprite too small to ring.
  void PlaceOnLocation(std::unique_ptr<Sprite> newSprite);
  // Floating text above the sprite on the map's top layer, rising as it fades; nothing for an empty text, without
  // a sprite or without a shown map. ShowNumber shows a number that way ("-" before a negative one).
  void ShowFloatingText(const std::string& text, int32_t kind);
  void ShowNumber(int32_t value, int32_t kind);

  // ---- Statistics, effects, damage and removal (character_stats.cpp) ----
  // Copies the base values into the current ones, adds the modifiers of the equipped items and of the effects,
  // keeps the points within their maxima and the attributes at 0 or more.
  void RecalculateStats();
  // Takes the modifiers of the equipped items off the base values (saves that stored them with the bonuses in).
  void RemoveEquipmentBonuses();
  // Starts the spell's effect on this character: it applies once at once and stays while it goes on.
  void AddEffect(SpellRecord* spell);
  // One step of every running effect (an effect added or restored since the last step waits for the next).
  void TickEffects();
  // Applies damage (negative heals) of a kind, from the cell (fromX, fromY) or (0, 0) for none; the damage after
  // protection (negative for healing), 0 when the character has no stamina left.
  int32_t TakeDamage(int32_t damage, int32_t kind, int32_t fromX, int32_t fromY, bool showNumber);
  // The damage less the protection of its kind: fire (2), cold (3), electrical (4), chemical (5).
  int32_t ReduceDamage(int32_t damage, int32_t kind) const;
  // Engages the other character and shows this one's stamina bar.
  void SetTarget(Character* other);
  void RemoveOverlay();
  void UpdateStaminaBar();
  // Takes the character off the current tile map (fading its figure out when asked).
  void RemoveFromMap(bool fade);
  // A non-player character whose stamina fell to 0: off the map, its death event, its gold left on its cell.
  void Die();

  // ---- Inventory and equipment (character_inventory.cpp) ----
  // Appends a copy of the item record (nothing for none); the new instance.
  ItemRecord* AddInventoryItem(const ItemRecord* record);
  // The first item whose name matches without regard to case (skipping the one equipped in its kind's slot when
  // asked), or null.
  ItemRecord* FindInventoryItem(const std::string& name, bool skipEquipped) const;
  // Whether an inventory item's name equals the name without regard to case.
  bool HasItemNamed(const std::string& name) const;
  bool HoldsItem(const ItemRecord* item) const;
  bool IsEquipped(const ItemRecord* item) const;
  // Copies of the start items found by name, then the start spells learnt.
  void CreateInventoryFromNames();
  // The item rules. Each takes an item of this character's inventory (anything else is refused) and stops as soon
  // as an event of its own takes the item away.
  void Equip(ItemRecord* item);
  void UnEquip(ItemRecord* item);
  void Drop(ItemRecord* item, bool skipAction);
  void UseItem(ItemRecord* item);
  // Equips the best item of each kind, the weapon chosen by the preference (2 ranged, 0 and 1 close combat).
  void AutoEquipBest(int32_t preference);
  // Uses a consumable: the one whose stamina gain best fits what is missing, or the most valuable; false when the
  // character has none.
  bool ChooseHealingItem(bool bestFit);

  // ---- Attribute rolls and level gain (character_levels.cpp) ----
  void RollAttributes();
  void RerollAttributes() { RollAttributes(); }
  void ApplyRaceBonuses();
  void ApplyClassBonuses();
  // The experience the next level needs: the skill table's value for level + 1, or 0 without a skill table.
  double NextLevelNeeded() const;
  // Raises the level while the experience reaches the next level, showing the level gain for each.
  void ApplyLevelUps();

  // ---- On the map (character_movement.cpp, character_casting.cpp) ----
  // The distance in cells between the two characters' sprites; 0 when either has none. DistanceToObject the same
  // against an object lying on the map.
  int32_t DistanceTo(const Character& other) const;
  int32_t DistanceToObject(const MapItem& object) const;
  // Puts the sprite at the centre of the character's cell on the current map.
  void PlaceSpriteAtCell();
  // Holds the cell (x, y) for the character: it is remembered and, on the current map, marked occupied.
  void ReserveCell(int32_t cellX, int32_t cellY);
  // Frees the map cells the character holds reserved (those that are not its own cell) and forgets them.
  void ReleaseReservedCells();

  // ---- Moving on the map (character_walking.cpp) ----
  // Starts (start) or ends the walking state: a start faces the cell (x, y) and plays the walk once; either drops
  // the path. Nothing when the state is already so.
  void SetMoving(int32_t cellX, int32_t cellY, bool start);
  // A path over 4 neighbours for a four-facing figure, 8 otherwise, for the character's sprite; null for none.
  std::unique_ptr<Path> FindPathTo(TileMap* map, int32_t fromX, int32_t fromY, int32_t toX, int32_t toY,
                                   int32_t costLimit, bool approach) const;
  // Moves towards the cell: along a planned path within 8 cells, by greedy steps beyond, when next to it or
  // while the map is crowded (or a plan failed lately). Whether the character is now next to the cell.
  bool MoveTo(int32_t cellX, int32_t cellY, int32_t steps);
  // Greedy steps towards the cell, trying the neighbours around the straight one when it is refused; staying
  // puts the step budget to 0. Whether the character is now next to the cell.
  bool StepToward(int32_t cellX, int32_t cellY, int32_t steps);
  // One step into a neighbouring cell of the map: both cells reserved, the cell taken at once, the figure set
  // moving towards it. Nothing off the grid, nor diagonally for a four-facing figure.
  void StepToCell(int32_t cellX, int32_t cellY);
  // The movement tick of a character not engaged: wander, approach the player, walk to the destination or keep
  // away, once its move interval has passed (or while a burst of moves lasts).
  void UpdateMovementMode(int32_t now);
  void Wander();
  // Whether the figure has four facings (it never steps diagonally).
  bool HasFourFacings() const;
  // Casts the spell (at the chosen target for spells of one chosen character).
  void CastSpell(SpellRecord* spell, Character* chosenTarget, bool showFeedback);
  // How a non-player character fires a spell: at the opponents it finds on the map.
  void UseSpell(SpellRecord* spell);

  // ---- Fighting on the map (character_attack.cpp, character_stepping.cpp, character_behaviour.cpp) ----
  // A melee blow on the target, with the rolls of both sides and the weapon's "Attack" and "Miss" actions.
  void AttackCharacter(Character* target);
  // An attack towards the map point (x, y) in pixels: a projectile, an animation or a strike, by the weapon.
  void Attack(int32_t x, int32_t y);
  // Attack at the point of the cell.
  void AttackCell(int32_t cellX, int32_t cellY);
  // A move of one cell towards (x, y): turns, then strikes, searches, touches or shoots what is there, or only
  // shows the stepping pose (showPose).
  void Step(int32_t x, int32_t y, bool showPose);
  // The behaviour tick of an engaged character; whether it may act again at once.
  bool UpdateBehaviour(int32_t now);
  void Fight();
  // Casts the best of the known spells whose kind value is 1 (kindOne) or 0 at the target, approaching it first.
  void CastBestSpell(bool kindOne);

  // ---- Fields ----
  uint8_t engaged = 0;  // given a target; shows a stamina bar
  std::string spareText;
  std::string playerName;  // the player: the default player name; an NPC: its definition's name
  std::string spriteName;  // an NPC's sprite text
  std::unique_ptr<CharacterOverlay> ringOverlay;
  int32_t level = 0;
  int32_t experience = 0;
  int32_t gold = 0;
  int16_t unarmedDamageKind = 0;
  std::vector<std::string> startItemNames;
  std::vector<std::unique_ptr<ItemRecord>> inventory;
  std::array<ItemRecord*, kEquipmentSlots> equipment{};  // into the inventory
  std::vector<SpellRecord*> knownSpells;                  // not owned
  std::vector<std::unique_ptr<ActiveEffect>> effects;
  std::vector<SpellRecord*> startSpells;  // not owned
  SpellRecord* readiedSpell = nullptr;    // not owned
  // The definition's events: 0 on contact, 1 on arrival at the destination, 2 when stepped on after falling, 3 on
  // death; null for an empty slot, and no slots at all for the player.
  std::vector<const ScriptEvent*> events;
  int16_t behaviourKind = 0;
  int32_t lastActionTime = 0;
  int32_t moveInterval = 0;
  int16_t wanderRadius = 0;
  int16_t moveBurst = 0;
  int16_t movementMode = 0;  // 0 wander, 1 approach the player, 2 walk to the destination, 3 keep away
  int16_t destinationX = 0;
  int16_t destinationY = 0;
  int32_t randomSeed = 0;  // 0 to 499: the character's place in the game's fixed table
  int32_t side = 0;
  int32_t targetDistance = 0;
  std::unique_ptr<CharacterOverlay> staminaBar;
  Character* target = nullptr;     // not owned
  MapItem* targetObject = nullptr;  // not owned
  std::vector<std::string> journal;
  uint8_t visited = 0;
  std::unique_ptr<Sprite> sprite;
  int16_t stamina = 0;
  int16_t magic = 0;
  CharacterValues base;
  CharacterValues current;
  int32_t turnReady = 0;
  int32_t stepBudget = 0;
  int32_t x = kOffMapCell;
  int32_t y = kOffMapCell;
  int32_t startX = 0;
  int32_t startY = 0;
  int32_t flags = 0;
  uint8_t actedOnce = 0;
  SkillTable* skillTable = nullptr;     // not owned
  ClassRecord* classRecord = nullptr;  // not owned
  RaceRecord* raceRecord = nullptr;    // not owned
  std::vector<TextEntry> textEntries;
  std::vector<std::pair<int32_t, int32_t>> reservedCells;
  std::unique_ptr<Path> path;
  int32_t directStepCountdown = 0;
  std::unique_ptr<Bitmap> picture;
  std::string portraitName;  // the name the portrait was loaded by; "" for none or one set directly
  int32_t facing = 1;
  int32_t lastStepX = 0;
  int32_t lastStepY = 0;
  std::array<int32_t, 2> behaviourWords{};
  int32_t alarm = 0;

 private:
  // Every field at its start, before a roll or a definition fills the values.
  struct Unrolled {};
  explicit Character(Unrolled);

  // Part of the item rules: turns the inventory item into a copy of the record its replacement name names and
  // uses that (a chain of replacements stops after a few).
  void ReplaceItem(ItemRecord* item);
  // Fires the item's spell when it has charges for it.
  void FireItemSpell(ItemRecord& item);
  void EmptySlotsHolding(const ItemRecord* item);

  int32_t replacementDepth_ = 0;
};

// ---- The current character ----
Character* GetCurrentCharacter();
Character* PeekCurrentCharacter();
bool HasCurrentCharacter();
bool IsCurrentCharacter(const Character* character);
// Makes the character current; the previous one is deleted unless it is the same. A character that stops being
// current is deleted once no event runs and no character operation holds the events' queue (RunWhenEventsEnd):
// until then whatever still works on it finds it whole.
void SetCurrentCharacter(Character* character);
void DeleteCurrentCharacter();
// A new player (side 1) replaces the current character; its player name is the default player name, and it has no
// name until one is given.
void CreateCurrentCharacter();

// ---- The spells waiting to be cast by the player on the map ----
void QueuePendingSpell(SpellRecord* spell);
// Casts the queued spells: those of one chosen character at the target (when it stands), the others at once; the
// spells that could not be cast stay queued, and so do those queued meanwhile, after them.
void CastPendingSpells(Character* target);
bool HasPendingSpells();
void ClearPendingSpells();
const std::vector<SpellRecord*>& PendingSpells();

// ---- The order of an inventory's listing ----
// Items compare by the order key of their kind (consumables first, then weapons, the worn kinds, used-only items
// last), then by name byte by byte (a prefix first); names are looked up in the scenario's item list.
bool InventoryNameLess(const std::string& a, const std::string& b);
void SortInventoryNames(std::vector<std::string>& names);
