// TileMap: the loaded form of one map location. A grid of cells (whether one may walk there, and the script
// event the cell fires), a stack of drawing layers that carry the map's still and animated pictures (Sprites),
// the characters and the objects standing on it, and the events that belong to the map alone. Exactly one map is
// current at a time: the newest one made, until it is deleted (GetCurrentTileMap).
//
// Cells are counted from 0 here; map files, scripts and the event positions count from 1 and are converted once
// where they are read. CellCenter and CellAt are the one conversion between cells and map pixels: every place that
// puts a sprite on a cell or asks which cell a sprite stands on goes through them.
//
// Every map takes a new number from a counter when it is made (Generation). Code that runs a script event while
// it works on the map (the script may leave the location, which deletes the map, and a new map may come at the
// same address) remembers the number and goes on only while IsCurrentMap gives true for it.
//
// Ownership: the map owns its characters (the character list and the list of those taken off the map), its
// objects (each owning its sprite), the sprites read from its file, the sprites added by scripts (the effect
// list), the travelling effects, the sprites that characters leave behind when they are taken off (until
// DropFinishedSprites), its stamp pictures, its events and its layers in the game view. Every other list holds
// pointers to sprites owned elsewhere. The player (the current character) is not on the character list; its
// sprite is the player's own.
//
// Sprite texts: a sprite added by a script keeps its own name in texts[kSpriteNameText], its picture's name in
// texts[kSpritePictureText] and the name of the event it fires when clicked in texts[kSpriteEventText].
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/graphics/bounds.h"
#include "game/graphics/picture_cache.h"
#include "game/rules/named_record.h"
#include "platform/graphics/rect.h"

class Bitmap;
class Character;
class DataStream;
class ItemRecord;
class MapItem;
class NpcDefinition;
class PictureRef;
class SceneLayer;
class ScriptEvent;
class SpellRecord;
class Sprite;
struct MapFileData;
struct MapFileLayer;

constexpr int32_t kSpriteNameText = 0;
constexpr int32_t kSpritePictureText = 1;
constexpr int32_t kSpriteEventText = 2;

// The edge exits: the locations beyond the top row, the bottom row, the right column and the left column, and
// the pending exit that a step over an edge sets (kNoExit: none).
constexpr int32_t kExitTop = 0;
constexpr int32_t kExitBottom = 1;
constexpr int32_t kExitRight = 2;
constexpr int32_t kExitLeft = 3;
constexpr int32_t kNoExit = 4;
// Combat rounds are paced by the clock: one at most every this many milliseconds.
constexpr uint64_t kRoundMilliseconds = 1200;
int32_t GetPendingExit();
void SetPendingExit(int32_t exit);

// Placement modes of AddCharacter: 0 and 1 keep the cell; 2 a random free cell anywhere, 3 in the top three
// rows, 4 in the bottom three rows, 5 in the left three columns, 6 in the right three columns. Other modes keep
// the cell.
constexpr int32_t kPlaceAtCell = 0;
constexpr int32_t kPlaceAnywhere = 2;
constexpr int32_t kPlaceTopRows = 3;
constexpr int32_t kPlaceBottomRows = 4;
constexpr int32_t kPlaceLeftColumns = 5;
constexpr int32_t kPlaceRightColumns = 6;

// A layer of the map in the game view: whether the view gave one, and its serial number there.
struct MapLayerRecord {
  bool valid = false;
  uint64_t serial = 0;

  // The layer, or null when there is none (or the view no longer lists it).
  SceneLayer* Layer() const;
};

// What a travelling effect carries and does to the first character of another side that it meets.
struct MissileLoad {
  int32_t missileKind = 0;
  Character* shooter = nullptr;
  const SpellRecord* spell = nullptr;
  int32_t damage = 0;
  int32_t damageKind = 0;
};

class TileMap : public NamedRecord {
 public:
  // An empty map named after the stream's file (the map's name); it becomes the current map.
  explicit TileMap(DataStream& stream);
  ~TileMap() override;
  TileMap(const TileMap&) = delete;
  TileMap& operator=(const TileMap&) = delete;

  // ---- Reading ----
  // Reads the map file from the stream (map_file.h) and builds the map under a progress dialog. 0 when the map
  // was read; the MapFileError of a damaged file (nothing built); or the non-zero result of the view refresh that
  // stopped the building (the game is ending), the map then partly built: the caller deletes it.
  int32_t Load(DataStream& stream);
  // The same from a file read beforehand.
  int32_t Load(MapFileData data);
  // Make the pictures of the stamps, of the player and the characters, and of the objects resident, each under a
  // progress dialog of its own; a refresh that reports the game ending stops them.
  void LoadStamps();
  void LoadCharacters();
  void LoadItems();

  // ---- The grid ----
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  int32_t CellWidth() const { return cellWidth_; }
  int32_t CellHeight() const { return cellHeight_; }
  bool IsInside(int32_t x, int32_t y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  // The pixel centre of a cell: column x cell width + cell width / 2, row x cell height + cell height / 2.
  Point CellCenter(int32_t column, int32_t row) const;
  // The cell that holds a map pixel (pixels divided by the cell size, rounded down).
  Point CellAt(int32_t x, int32_t y) const;
  // A cell's free flag: 1 walkable and unoccupied, 0 blocked or occupied (0 outside the grid).
  uint8_t GetCellFlag(int32_t x, int32_t y) const;
  void SetCellFlag(int32_t x, int32_t y, uint8_t value);  // ignored outside the grid
  // Where a cell of the grid keeps its data: the cells lie column by column.
  size_t CellIndex(int32_t x, int32_t y) const { return static_cast<size_t>(x) * height_ + static_cast<size_t>(y); }
  // Every cell's free flag, at its CellIndex: for a search that reads many.
  const uint8_t* CellFlags() const { return free_.data(); }
  // The event a cell fires (null for none or outside the grid); SetCellObject replaces it.
  ScriptEvent* GetCellEvent(int32_t x, int32_t y) const;
  void SetCellObject(int32_t x, int32_t y, std::unique_ptr<ScriptEvent> event);
  // Whether no blocking sprite other than the given one keeps it out of the cell (measured from the cell's
  // centre, the sprite's collision radius against each blocking sprite's; without a sprite half a cell).
  bool IsCellFree(int32_t x, int32_t y, const Sprite* sprite) const;
  // IsCellFree, inside the grid, and the cell's free flag set.
  bool IsCellFreeAndOpen(int32_t x, int32_t y, const Sprite* sprite) const;
  // The cell itself when it is free and open, else a cell of the nearest square ring around it that is (a random
  // one of the first hundred found with random set, else the first); the rings never reach column 0 or row 0.
  // False, with the given cell, when no ring within the map (or within 1000 rings) has one.
  bool FindFreeCellNear(int32_t x, int32_t y, bool random, const Sprite* sprite, int32_t* outX, int32_t* outY) const;

  // ---- Characters ----
  // A character made from the NPC definition (inventory, best items equipped, full points) on the cell, or on a
  // cell chosen by the placement mode; nothing for no definition, a cell outside the grid, or a random mode whose
  // area has no free cell.
  Character* AddCharacter(const NpcDefinition* npc, int32_t x, int32_t y, int32_t mode, int32_t facing);
  // Takes characters off the map (Character::RemoveFromMap), which moves them to the removed list: every one, or
  // the first whose player name, lower-cased, equals the name given (callers give it lower-cased).
  void RemoveAllCharacters(bool fade);
  void RemoveCharacterNamed(const std::string& name, bool fade);
  // Moves a character from the character list to the removed list (the map keeps it until it is deleted).
  void RemoveCharacter(Character* character);
  // Sets (on) or clears the held flag of every character of the list.
  void SetAllCharactersFlag(bool on);
  // Adds the amount to the alarm of every character on the character's side (sameSide) or against it, within its
  // notice range.
  void ForTeam(int32_t amount, const Character& character, bool sameSide);
  int32_t CharacterCount() const { return static_cast<int32_t>(characters_.size()); }
  // Characters of the list with no stamina left; those living against the player.
  int32_t CountDeadCharacters() const;
  int32_t HostileCount() const;
  // Whether a character of the engaged list still stands (stamina 1 or more).
  bool AnyEngagedCharacterStands() const;
  Character* FindCharacterAtCell(int32_t x, int32_t y) const;
  // The character of the list, other than the given one, nearest to it and closer than distance + 1; null.
  Character* FindNearestInList(const Character& character, int32_t distance) const;
  // The character (of the list, then the player) whose figure the mover would run into one step of (dx, dy)
  // cells away: of those it would overlap, the one it overlaps least. With otherSideOnly only those of another
  // side count.
  Character* FindBlockingCharacter(const Character& mover, int32_t dx, int32_t dy, bool otherSideOnly) const;
  // The same test for a point and radius against the living characters whose side equals the one given (or,
  // with otherSideOnly, differs from it).
  Character* FindBlockingCharacterAt(int32_t x, int32_t y, int32_t radius, int32_t side, bool otherSideOnly) const;
  // Follows where the figures of the player and the characters have got to: a character whose figure stands on
  // another cell, when that cell is free, frees its old cell and takes the new one.
  void UpdateOccupancy();

  const std::vector<std::unique_ptr<Character>>& Characters() const { return characters_; }
  const std::vector<std::unique_ptr<Character>>& RemovedCharacters() const { return removed_; }
  std::vector<Character*>& EngagedList() { return engaged_; }

  // ---- The player ----
  // One step of the player in a direction (1 up, clockwise to 8 up-left): onto the neighbouring cell when it is
  // free and open, or, straight over an edge that has an exit, the pending exit. Nothing while the player is
  // held (its path is dropped) or its figure is busy.
  void StepPlayer(int32_t direction);
  // Gives the player a fresh figure on this map, showing the player's sprite picture, at the centre of its cell.
  void RebuildPlayerSprite();
  // Releases the view's focus on the player and takes the player's figure off the map (an empty sprite stays).
  void Leave();
  // Moves the player's figure to the centre of the player's cell.
  void PlayerCellCenter();
  void SetEdgeExits(const std::array<std::string, 4>& exits) { edgeExits_ = exits; }
  const std::string& EdgeExit(int32_t exit) const;

  // ---- Objects ----
  // Puts a copy of the item on the cell (or the nearest free cell around it), facing 1 to 8; nothing for no item
  // or a facing below 1, nor for a remembered item already taken that taking removes. layerZero puts it on the
  // characters' layer.
  MapItem* AddItem(const ItemRecord* item, int32_t x, int32_t y, int32_t facing, int32_t identifier,
                   bool layerZero);
  // A pile of gold on the cell (x, y) counted from 1; nothing for an amount below 1.
  void PlaceItemPile(int32_t amount, int32_t x, int32_t y);
  // The player reached the object: gold is taken, anything else opened (its event runs) and, when taking removes
  // it, put in the player's inventory.
  void TouchObject(MapItem* object);
  // Takes the object off the map and deletes it.
  void RemoveObject(MapItem* object);
  const std::vector<std::unique_ptr<MapItem>>& Objects() const { return objects_; }

  // ---- Sprites ----
  // A sprite showing "Pictures/" + the picture name at the pixel (x, y), named, on the overlay list (layer 0),
  // the characters' layer (-1) or the objects' layer (any other value); with an event name it is an event spot.
  Sprite* AddPictureSprite(const std::string& pictureName, int32_t x, int32_t y, const std::string& spriteName,
                           int32_t layer, const std::string& eventName);
  // Sprites of the map's animation list, the characters' and the objects' layers and the overlay list lose their
  // pictures and stop blocking and firing: every one added with a name, or those whose name is the one given
  // (an empty name takes those without one); DropFinishedSprites takes them away.
  void RemoveAllSprites();
  void RemoveSpritesNamed(const std::string& name);
  // Takes the sprite out of the blocking list; handed over, the map also keeps it until DropFinishedSprites.
  void UnlinkSprite(Sprite* sprite);
  void UnlinkSprite(std::unique_ptr<Sprite> sprite);
  void RemoveEventSpot(Sprite* sprite);
  // Takes every sprite without a picture off its layer entry and out of the map's lists, deleting those the map
  // owns.
  void DropFinishedSprites();
  // Shows a picture or an animation (not owned) at the pixel (x, y) among the travelling effects, for `linger`
  // ticks (a still picture), or until its script ends it (an animation). Nothing without a picture.
  Sprite* AddAnimationSprite(PictureRef* picture, int32_t x, int32_t y, int32_t linger);
  // A travelling effect: a sprite showing the picture that flies from the pixel (x0, y0) towards (x1, y1) at
  // `speed` pixels a tick (below 1 counts as 1) for `range` cells, facing its bearing, and carries the missile
  // fields (what it does to the first character of another side it meets). Null when the picture has nothing to
  // show. The last value is carried by the callers and not used.
  Sprite* LaunchEffect(PictureRef* picture, int32_t x0, int32_t y0, int32_t x1, int32_t y1, int32_t speed,
                       int32_t range, int32_t missileKind, Character* shooter, const SpellRecord* spell,
                       int32_t damage, int32_t damageKind, int32_t unused);
  // The same between two cells, aimed at the figures standing on them: from half a cell above the first cell's
  // centre to the second's centre (half a cell above it when the rows are at most one apart).
  Sprite* LaunchEffectBetweenCells(PictureRef* picture, int32_t column0, int32_t row0, int32_t column1,
                                   int32_t row1, int32_t speed, int32_t range, int32_t missileKind,
                                   Character* shooter, const SpellRecord* spell, int32_t damage, int32_t damageKind,
                                   int32_t unused);
  // A travelling effect that shows nothing (a blow without a weapon), aimed between two cells as above and facing
  // up. The map's tick takes a travelling effect without a picture away at its next pass.
  Sprite* LaunchUnseenEffectBetweenCells(int32_t column0, int32_t row0, int32_t column1, int32_t row1, int32_t speed,
                                         int32_t range, const MissileLoad& load);
  // Offers a point of the map (pixels) to the event spots in order: the first whose picture holds it (edges
  // included) and whose event is not ":" takes it, runs its event and gives true.
  bool HitTestSpots(int32_t x, int32_t y);

  // The lists of sprites, as the map's tick and drawing walk them.
  const std::vector<Sprite*>& LayerSprites(int32_t layer) const { return layerSprites_[static_cast<size_t>(layer)]; }
  const std::vector<Sprite*>& BlockingList() const { return blocking_; }
  const std::vector<Sprite*>& AnimatedList() const { return animated_; }
  const std::vector<Sprite*>& SecondAnimatedList() const { return animated2_; }
  const std::vector<Sprite*>& MapAnimationList() const { return mapAnimations_; }
  const std::vector<Sprite*>& OverlayList() const { return overlay_; }
  const std::vector<Sprite*>& EventSpotList() const { return eventSpots_; }
  const std::vector<std::unique_ptr<Sprite>>& EffectList() const { return effects_; }
  const std::vector<std::unique_ptr<Sprite>>& TravellingList() const { return travelling_; }

  // ---- Focus: what the view follows ----
  // The player's figure for a number of turns, followed on its centre (frame skipping allowed).
  void FocusPlayer(int32_t turns);
  // A sprite for a number of turns (at least 1), on its centre or its position (frame skipping not allowed).
  void SetFocus(Sprite* sprite, int32_t turns, bool onCentre);
  void SetFocusFlag(uint8_t value) { focusRelease_ = value; }
  uint8_t GetFocusFlag() const { return focusRelease_; }
  // Whether the view follows anything but the player's figure for one turn.
  bool HasFocusOverride() const;
  Sprite* GetFocus() const { return focus_; }
  int32_t FocusTurns() const { return focusTurns_; }
  bool FocusOnCentre() const { return focusOnCentre_; }
  // The pixel the view follows: the focus sprite's position, or the middle of its frame when followed on its
  // centre; the player's figure when nothing is focused.
  void GetFocusPosition(int32_t* x, int32_t* y) const;

  // ---- Layers and drawing ----
  int32_t LayerCount() const { return static_cast<int32_t>(layers_.size()); }
  const MapLayerRecord& LayerRecordAt(int32_t index) const { return layers_[static_cast<size_t>(index)]; }
  int32_t CharacterLayerIndex() const { return characterLayer_; }
  int32_t MiddleLayerIndex() const { return middleLayer_; }
  int32_t ObjectLayerIndex() const { return objectLayer_; }
  const MapLayerRecord& GroundLayer() const { return ground_; }
  // The layer that rising texts float on, above everything of the map.
  SceneLayer* TopLayer() const { return top_.Layer(); }
  // The middle layer: the file's layer that follows the characters' layer (figures fade out on it).
  const MapLayerRecord& ItemSlot() const;
  // Makes the map's layers the game view's again (the ground, the layers from the bottom up, the top), each in
  // use.
  void RegisterLayers();
  // The map location's drawing slot: the sprites of every list on their layers, the stamina bars of the living
  // characters, the ring of the hovered one; then the view's layers take their moves and fades. Nothing while
  // the draw flag is clear, the map is frozen, or there is no game view.
  void Draw();
  // Gives the game view the map area (pixels of the screen) and centres on the player.
  void SetView(const Bounds& rect);
  const Bounds& ViewRect() const { return viewRect_; }
  // The scroll and the first visible column and row.
  void GetMapOrigin(int32_t* column, int32_t* row) const {
    *column = originColumn_;
    *row = originRow_;
  }
  // Centres the view on the player: the first visible column and row, and the scroll through UpdateFocus.
  void CenterView();
  // Moves the scroll a share of the way to the focus point (the whole way for one turn), within the map.
  void UpdateFocus();
  int32_t ScrollX() const { return scrollX_; }
  int32_t ScrollY() const { return scrollY_; }
  // Puts the bitmap in every cell of the picture grid from (column0, row0) to (column1, row1), both included.
  void SetPictureRect(int32_t column0, int32_t row0, int32_t column1, int32_t row1, Bitmap* bitmap);
  // Shows the picture grid on the ground layer (cleared first).
  void DrawPictureGrid();
  // What lies at a point of the map view (pixels, the scroll not added): the first character or unopened object
  // whose picture, from its sprite's position, meets the square of that radius around it (holds the point, for
  // radius 0); null.
  Character* FindCharacterNear(int32_t x, int32_t y, int32_t radius) const;
  MapItem* FindObjectNear(int32_t x, int32_t y, int32_t radius) const;
  // The unopened object nearest to the character, at most `distance` cells away; null.
  MapItem* FindNearestObject(const Character& character, int32_t distance) const;

  // The picture grid: the ground pictures drawn under everything, one per grid cell (null for none).
  int32_t GridWidth() const { return gridWidth_; }
  int32_t GridHeight() const { return gridHeight_; }
  int32_t GridCellWidth() const { return gridCellWidth_; }
  int32_t GridCellHeight() const { return gridCellHeight_; }
  Bitmap* GridPicture(int32_t column, int32_t row) const;
  int32_t StampCount() const { return static_cast<int32_t>(stamps_.size()); }
  PictureRef* Stamp(int32_t index) const { return stamps_[static_cast<size_t>(index)].get(); }

  // ---- State ----
  int16_t FormatValue() const { return format_; }
  // The deferred-picture flag: while set, new pictures of characters, objects and the player are only named (made
  // resident later), and the map is not drawn.
  bool IsFrozen() const { return frozen_; }
  void SetFrozen() { frozen_ = true; }
  void ClearFrozen() { frozen_ = false; }
  int32_t CollisionSlack() const { return collisionSlack_; }
  bool NeedsDrawing() const { return drawFlag_; }
  void SetDrawFlag(bool on) { drawFlag_ = on; }
  uint64_t Generation() const { return generation_; }
  // The events the map owns: copies of global events named by cells, and its local events by their names.
  int32_t EventCount() const { return static_cast<int32_t>(events_.size()); }
  ScriptEvent* EventAt(int32_t index) const;
  const std::string& EventNameAt(int32_t index) const;

  // What lies under the pointer this tick (set by the map's tick).
  Character* hoveredCharacter = nullptr;
  MapItem* hoveredObject = nullptr;

  // ---- The tick (tile_map_update.cpp) ----
  // The map's game tick, once a pass of the main loop while no dialog is open: hover, distances, the characters
  // noticing the player, their behaviour, a combat round at most every kRoundMilliseconds, the player's keys and
  // clicks, the player's walk, the sprites' scripts, the focus, the event of the cell the player stopped on, the
  // explored area and the edge exit. A script that changes the map or the location ends the tick at once.
  void Update();
  // The steps of the tick. Each gives false when a script it ran left this map or changed the location: the map
  // may be gone then, and nothing of it is touched again.
  bool UpdateDistances();
  bool NoticePlayer();
  bool UpdateCharacterStates(uint64_t now);
  bool HandleKeyboardMove();
  bool HandleClick();
  bool MovePlayer();
  bool UpdateIdleCharacters();
  bool AnimateMap();
  bool AnimateSprites();
  bool AnimateEffects();
  // A combat round: the characters' and the player's effects, the engaged list kept to those near enough, and the
  // end of the encounter (experience and level gains) or of the game when the player has fallen. A round never
  // runs inside another: a character dying during a round leaves the ending to that round.
  bool RunRound();
  // The end of an encounter: the experience of the fallen engaged characters goes to the player, rising over its
  // figure, and the level gains follow; the engaged list empties.
  bool UpdateCombatList();
  // Whether the player has fallen or no character of the list stands.
  bool AllOthersDead() const;
  // The time of the tick (the clock's milliseconds), and of the last round; rounds since the encounter began.
  uint64_t TimeStamp() const { return timeStamp_; }
  uint64_t LastRoundTime() const { return lastRoundTime_; }
  int32_t RoundCounter() const { return roundCounter_; }

 private:
  // Sets the sprite off from (x0, y0) towards (x1, y1) for `range` cells with the load, and keeps it among the
  // travelling effects.
  Sprite* StartTravelling(std::unique_ptr<Sprite> sprite, int32_t x0, int32_t y0, int32_t x1, int32_t y1,
                          int32_t speed, int32_t range, int32_t facing, const MissileLoad& load);
  // The pixel ends of an effect aimed from one cell's figure at another's.
  void CellLine(int32_t column0, int32_t row0, int32_t column1, int32_t row1, Point* from, Point* to) const;

  struct MapEvent {
    std::string name;  // "" for a copy of a global event
    bool local = false;
    std::shared_ptr<ScriptEvent> event;
  };

  int32_t Build(MapFileData& data);
  int32_t LoadGround(const MapFileData& data, std::vector<Bitmap*>* pictures);
  void BuildCells(const MapFileData& data, std::vector<std::pair<size_t, std::string>>* locals);
  void MakeLayer(int32_t mode, const MapFileLayer* record);
  void BuildPictureGrid(const MapFileData& data, const std::vector<Bitmap*>& ground);
  void PlaceStamps();
  bool PickCell(const Sprite* sprite, int32_t mode, int32_t* x, int32_t* y) const;
  // Takes off the sprites of the lists RemoveAllSprites looks at whose names match; refocus puts the view back on
  // the player when it followed one of them.
  template <typename Matches>
  void TakeSpritesOff(Matches matches, bool refocus);
  // Of the cells around (x, y) in square rings whose near sides never pass column and row `lowest`, those that
  // pass the test; false when no ring within the map has one.
  template <typename Test>
  bool SearchRings(int32_t x, int32_t y, int32_t lowest, int32_t maxRings, size_t maxCandidates, bool random,
                   Test test, int32_t* outX, int32_t* outY) const;
  // Walks the character list: each character for which acts gives true frees its reserved cells and runs act,
  // which gives false to end the walk. False when a script left the map.
  template <typename Acts, typename Act>
  bool WalkCharacters(Acts acts, Act act);
  // Puts a sprite with a collision radius on the blocking list, or takes one off; each change is noted
  // (Sprite::NotePlacementChange).
  void AddBlocking(Sprite* sprite);
  void RemoveBlocking(const Sprite* sprite);
  // Takes a sprite out of every list that does not own it (and off the focus).
  void ForgetSprite(const Sprite* sprite);
  void ForgetCharacter(const Character* character);
  bool HoldsObject(const MapItem* object, uint64_t serial) const;
  // A rising label on the top layer in the view's font, over the pixel (x, y).
  void ShowRisingLabel(int32_t x, int32_t y, const std::string& text, int32_t font);
  std::unique_ptr<PictureRef> NewPicture(const std::string& name) const;

  uint64_t generation_;
  std::array<std::string, 4> edgeExits_;
  std::vector<Character*> engaged_;
  std::vector<std::unique_ptr<Character>> characters_;
  std::vector<std::unique_ptr<Character>> removed_;
  MapLayerRecord ground_;
  MapLayerRecord top_;
  int16_t format_ = 0;
  std::vector<std::unique_ptr<PictureRef>> stamps_;
  int32_t scrollX_ = 0;
  int32_t scrollY_ = 0;
  int32_t appliedScrollX_ = 0x7fff;
  int32_t appliedScrollY_ = 0x7fff;
  int32_t originColumn_ = 0;
  int32_t originRow_ = 0;
  int32_t width_ = 0;
  int32_t height_ = 0;
  Bounds viewRect_{};
  int32_t cellWidth_ = 0;
  int32_t cellHeight_ = 0;
  int32_t gridWidth_ = 0;
  int32_t gridHeight_ = 0;
  int32_t gridCellWidth_ = 0;
  int32_t gridCellHeight_ = 0;
  int32_t collisionSlack_ = 0;
  // The cells, column by column: the free flags and the events (shared by the cells of one run).
  std::vector<uint8_t> free_;
  std::vector<std::shared_ptr<ScriptEvent>> cellEvents_;
  std::vector<MapLayerRecord> layers_;
  int32_t characterLayer_ = 0;
  int32_t middleLayer_ = 0;
  int32_t objectLayer_ = 0;
  std::vector<std::vector<Sprite*>> layerSprites_;
  std::vector<std::unique_ptr<Sprite>> fileSprites_;
  std::vector<std::unique_ptr<Sprite>> effects_;
  std::vector<std::unique_ptr<Sprite>> travelling_;
  std::vector<std::unique_ptr<Sprite>> released_;
  std::vector<Sprite*> animated_;
  std::vector<Sprite*> animated2_;
  std::vector<Sprite*> mapAnimations_;
  std::vector<Sprite*> overlay_;
  std::vector<Sprite*> blocking_;
  std::vector<Sprite*> eventSpots_;
  std::vector<MapEvent> events_;
  std::vector<Bitmap*> grid_;  // row by row
  std::vector<PictureHold> gridHolds_;
  std::vector<std::unique_ptr<MapItem>> objects_;
  bool drawFlag_ = true;
  Sprite* focus_ = nullptr;
  int32_t focusTurns_ = 1;
  bool focusOnCentre_ = false;
  uint8_t focusRelease_ = 0;
  bool frozen_ = false;
  uint64_t timeStamp_ = 0;
  uint64_t lastRoundTime_ = 0;
  int32_t roundCounter_ = 0;
  bool inRound_ = false;
  // The events of the cells the player walked onto, waiting for its figure to stop.
  std::vector<std::shared_ptr<ScriptEvent>> pendingCellEvents_;
  bool cellEventsRan_ = false;
};

// The current map, or null when no map is shown.
TileMap* GetCurrentTileMap();
// The map whose tick is running (its tick sets it before it runs the sprites' scripts): a sprite's script that
// runs an event stops when that map is no longer the current one. Null when none is.
void SetMapUnderUpdate(TileMap* map);
TileMap* GetMapUnderUpdate();
// Whether the current map is the one that took that number.
bool IsCurrentMap(uint64_t generation);
