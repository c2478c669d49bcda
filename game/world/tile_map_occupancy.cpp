// The tile map's characters, objects and occupancy: placing characters and objects and taking them off, the
// cells' free flags, whether a cell may be entered, the searches for a free cell, the player's steps and figure,
// and what happens when the player reaches an object.
#include <algorithm>
#include <cstdlib>

#include "game/graphics/animation_set.h"
#include "game/graphics/bitmap.h"
#include "game/rules/character.h"
#include "game/rules/conditions.h"
#include "game/rules/item_action_record.h"
#include "game/rules/npc_definition.h"
#include "game/rules/script_engine.h"
#include "game/rules/script_event.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/option_store.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/game_commands.h"
#include "game/shell/media/sound_effects.h"
#include "game/world/explored_mask.h"
#include "game/world/map_item.h"
#include "game/world/scene_view.h"
#include "game/world/sprite.h"
#include "game/world/tile_map.h"

#include "game/rules/character_map_support.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"

namespace {

// Random placement tries a few cells at random before it looks at the whole area.
constexpr int32_t kRandomPlacementTries = 100;
constexpr int32_t kFreeCellRings = 1000;
constexpr size_t kFreeCellCandidates = 100;
constexpr int32_t kGoldLabelFont = 5;
constexpr int32_t kItemLabelFont = 4;
constexpr int32_t kGoldSoundSlot = 5;
constexpr int32_t kLabelRise = -100;
constexpr float kLabelSpeed = 2.0f;

// The cell offsets of the directions 1 (up) to 8 (up-left), clockwise.
constexpr int32_t kDirectionX[9] = {0, 0, 1, 1, 1, 0, -1, -1, -1};
constexpr int32_t kDirectionY[9] = {0, -1, -1, 0, 1, 1, 1, 0, -1};

// A sprite's reference point: its position in whole pixels plus its collision centre.
Point ReferencePoint(const Sprite& sprite) {
  int32_t cx = 0, cy = 0;
  sprite.GetSize(&cx, &cy);
  return Point{static_cast<int32_t>(int64_t{TruncateToInt32(sprite.PositionX())} + cx),
               static_cast<int32_t>(int64_t{TruncateToInt32(sprite.PositionY())} + cy)};
}

}  // namespace

// ---- Cell tests and searches ----

bool TileMap::IsCellFree(int32_t x, int32_t y, const Sprite* sprite) const {
  const int64_t radius = sprite != nullptr ? sprite->GetCollisionRadius() : cellWidth_ / 2;
  if (radius == 0) return true;
  // Measured from the cell's own centre, where every figure on the cell is put (CellCenter). A point half a cell
  // up and left of the cell's corner is the centre of the cell up-left of it: a figure would then block the cell
  // beyond it and leave its own cell free, and walkers would be sent into taken cells and kept out of free ones.
  const Point centre = CellCenter(x, y);
  for (const Sprite* other : blocking_) {
    if (other == sprite) continue;
    const Point point = ReferencePoint(*other);
    const int64_t gap = std::max(std::llabs(int64_t{point.x} - centre.x), std::llabs(int64_t{point.y} - centre.y)) +
                        collisionSlack_ - other->GetCollisionRadius() - radius;
    if (gap < 0) return false;
  }
  return true;
}

bool TileMap::IsCellFreeAndOpen(int32_t x, int32_t y, const Sprite* sprite) const {
  return IsInside(x, y) && free_[CellIndex(x, y)] != 0 && IsCellFree(x, y, sprite);
}

template <typename Test>
bool TileMap::SearchRings(int32_t x, int32_t y, int32_t lowest, int32_t maxRings, size_t maxCandidates, bool random,
                          Test test, int32_t* outX, int32_t* outY) const {
  if (width_ <= 0 || height_ <= 0) return false;
  std::vector<Point> candidates;
  auto consider = [&](int64_t cx, int64_t cy) {
    if (candidates.size() < maxCandidates && test(static_cast<int32_t>(cx), static_cast<int32_t>(cy))) {
      candidates.push_back(Point{static_cast<int32_t>(cx), static_cast<int32_t>(cy)});
    }
  };
  for (int64_t k = 1; k <= maxRings; ++k) {
    // The ring k cells out: its top-left corner moves up and left but never past the lowest column and row, and
    // its far sides lie k cells down and right even once the corner has stopped (a ring that grew by two cells
    // from a stopped corner would pass over cells next to the one asked for, which then were never found). Its
    // sides are cut to the grid and looked at in the order top row, bottom row, right column, left column.
    const int64_t left = std::max<int64_t>(int64_t{x} - k, lowest), right = int64_t{x} + k;
    const int64_t top = std::max<int64_t>(int64_t{y} - k, lowest), bottom = int64_t{y} + k;
    const int64_t firstColumn = std::max<int64_t>(left, 0), lastColumn = std::min<int64_t>(right, width_ - 1);
    const int64_t firstRow = std::max<int64_t>(top, 0), lastRow = std::min<int64_t>(bottom, height_ - 1);
    candidates.clear();
    for (int64_t row : {top, bottom}) {
      if (row < 0 || row >= height_) continue;
      for (int64_t column = firstColumn; column <= lastColumn; ++column) consider(column, row);
    }
    for (int64_t column : {right, left}) {
      if (column < 0 || column >= width_) continue;
      for (int64_t row = firstRow; row <= lastRow; ++row) consider(column, row);
    }
    if (!candidates.empty()) {
      const int32_t pick = random ? RandomRange(0, static_cast<int32_t>(candidates.size()) - 1) : 0;
      *outX = candidates[static_cast<size_t>(pick)].x;
      *outY = candidates[static_cast<size_t>(pick)].y;
      return true;
    }
    // A ring around all the grid it may reach: every cell it can give has been seen.
    if (left <= std::max(lowest, 0) && top <= std::max(lowest, 0) && right >= width_ - 1 && bottom >= height_ - 1) {
      return false;
    }
  }
  return false;
}

bool TileMap::FindFreeCellNear(int32_t x, int32_t y, bool random, const Sprite* sprite, int32_t* outX,
                               int32_t* outY) const {
  *outX = x;
  *outY = y;
  if (IsCellFreeAndOpen(x, y, sprite)) return true;
  // The rings stop at column 1 and row 1, a rule of the game: a cell of the first column or the first row is
  // given only when it is the cell asked for.
  return SearchRings(x, y, 1, kFreeCellRings, kFreeCellCandidates, random,
                     [&](int32_t cx, int32_t cy) { return IsCellFreeAndOpen(cx, cy, sprite); }, outX, outY);
}

// ---- Characters ----

bool TileMap::PickCell(const Sprite* sprite, int32_t mode, int32_t* x, int32_t* y) const {
  int32_t firstColumn = 0, lastColumn = width_ - 1, firstRow = 0, lastRow = height_ - 1;
  switch (mode) {
    case kPlaceTopRows: lastRow = std::min(2, height_ - 1); break;
    case kPlaceBottomRows: firstRow = std::max(0, height_ - 3); break;
    case kPlaceLeftColumns: lastColumn = std::min(2, width_ - 1); break;
    case kPlaceRightColumns: firstColumn = std::max(0, width_ - 3); break;
    default: break;
  }
  auto fits = [&](int32_t cx, int32_t cy) { return GetCellFlag(cx, cy) != 0 && IsCellFree(cx, cy, sprite); };
  for (int32_t i = 0; i < kRandomPlacementTries; ++i) {
    const int32_t cx = RandomRange(firstColumn, lastColumn);
    const int32_t cy = RandomRange(firstRow, lastRow);
    if (fits(cx, cy)) {
      *x = cx;
      *y = cy;
      return true;
    }
  }
  // A crowded area: one of its free cells, when it has any; with none, no cell (drawn at random until one was
  // free, the placement would never end).
  std::vector<Point> cells;
  for (int32_t cx = firstColumn; cx <= lastColumn; ++cx) {
    for (int32_t cy = firstRow; cy <= lastRow; ++cy) {
      if (fits(cx, cy)) cells.push_back(Point{cx, cy});
    }
  }
  if (cells.empty()) return false;
  const Point& cell = cells[static_cast<size_t>(RandomRange(0, static_cast<int32_t>(cells.size()) - 1))];
  *x = cell.x;
  *y = cell.y;
  return true;
}

Character* TileMap::AddCharacter(const NpcDefinition* npc, int32_t x, int32_t y, int32_t mode, int32_t facing) {
  if (npc == nullptr) return nullptr;
  std::unique_ptr<Character> character = Character::CharacterFromDefinition(*npc);
  character->CreateInventoryFromNames();
  // The weapon suits how the character fights: its behaviour kind is the preference.
  character->AutoEquipBest(character->behaviourKind);
  character->RecalculateStats();
  character->stamina = character->current.maxStamina;
  character->magic = character->current.maxMagic;

  auto sprite = std::make_unique<Sprite>();
  sprite->SetPicture(NewPicture(character->spriteName).release(), true);
  character->PlaceOnLocation(std::move(sprite));
  character->SetPosition(x, y);
  Sprite* figure = character->sprite.get();
  if (mode >= kPlaceAnywhere && mode <= kPlaceRightColumns && !PickCell(figure, mode, &x, &y)) return nullptr;
  if (!IsInside(x, y)) return nullptr;
  character->SetPosition(x, y);

  animated_.push_back(figure);
  AddBlocking(figure);
  character->SetStartCell(x, y);
  SetCellFlag(x, y, 0);
  if (figure->HasAnimation()) figure->StartAction(0, 0, 0, 0, 0, facing);
  character->PlaceSpriteAtCell();
  characters_.push_back(std::move(character));
  return characters_.back().get();
}

void TileMap::RemoveCharacter(Character* character) {
  auto found = std::find_if(characters_.begin(), characters_.end(),
                            [&](const auto& listed) { return listed.get() == character; });
  if (found == characters_.end()) return;
  removed_.push_back(std::move(*found));
  characters_.erase(found);
  ForgetCharacter(character);
}

void TileMap::ForgetCharacter(const Character* character) {
  // A fallen character stays engaged until the encounter ends, so that its experience counts; one taken off alive
  // leaves the encounter.
  if (character->stamina > 0) engaged_.erase(std::remove(engaged_.begin(), engaged_.end(), character), engaged_.end());
  if (hoveredCharacter == character) hoveredCharacter = nullptr;
}

void TileMap::RemoveAllCharacters(bool fade) {
  while (!characters_.empty()) {
    Character* head = characters_.front().get();
    head->RemoveFromMap(fade);
    // Taken off only while this map is the current one: otherwise it is moved here.
    if (!characters_.empty() && characters_.front().get() == head) RemoveCharacter(head);
  }
}

void TileMap::RemoveCharacterNamed(const std::string& name, bool fade) {
  for (const auto& character : characters_) {
    // A copy is lowered: lowered in place, every name looked at would stay lowered for whatever shows it later.
    std::string lowered = character->playerName;
    ToLowerInPlace(lowered);
    if (lowered == name) {
      character->RemoveFromMap(fade);
      return;
    }
  }
}

void TileMap::SetAllCharactersFlag(bool on) {
  for (const auto& character : characters_) {
    character->SetFlags(on ? (character->GetFlags() | kCharacterHeld) : (character->GetFlags() & ~kCharacterHeld));
  }
}

void TileMap::ForTeam(int32_t amount, const Character& character, bool sameSide) {
  const int32_t side = character.side;
  for (const auto& other : characters_) {
    const bool matches = sameSide ? (side != 0 && other->side == side)
                                  : (other->side != 0 && side != 0 && (other->side < 0) != (side < 0));
    if (matches && other->DistanceTo(character) <= character.current.noticeRange) other->AddToCounter(amount);
  }
}

int32_t TileMap::CountDeadCharacters() const {
  return static_cast<int32_t>(
      std::count_if(characters_.begin(), characters_.end(), [](const auto& c) { return c->stamina <= 0; }));
}

int32_t TileMap::HostileCount() const {
  return static_cast<int32_t>(std::count_if(characters_.begin(), characters_.end(),
                                            [](const auto& c) { return c->stamina > 0 && c->side < 0; }));
}

bool TileMap::AnyEngagedCharacterStands() const {
  return std::any_of(engaged_.begin(), engaged_.end(), [](const Character* c) { return c->stamina >= 1; });
}

Character* TileMap::FindCharacterAtCell(int32_t x, int32_t y) const {
  for (const auto& character : characters_) {
    if (character->x == x && character->y == y) return character.get();
  }
  return nullptr;
}

Character* TileMap::FindNearestInList(const Character& character, int32_t distance) const {
  Character* nearest = nullptr;
  int64_t best = int64_t{distance} + 1;
  for (const auto& other : characters_) {
    if (other.get() == &character) continue;
    const int32_t d = other->DistanceTo(character);
    if (d < best) {
      best = d;
      nearest = other.get();
    }
  }
  return nearest;
}

Character* TileMap::FindBlockingCharacter(const Character& mover, int32_t dx, int32_t dy, bool otherSideOnly) const {
  if (mover.sprite == nullptr) return nullptr;
  const int64_t reach = int64_t{cellWidth_} + mover.sprite->GetCollisionRadius();
  const Point start = ReferencePoint(*mover.sprite);
  const int64_t px = start.x + dx * reach, py = start.y + dy * reach;
  Character* best = nullptr;
  int64_t bestOverlap = 0;
  auto test = [&](Character* other) {
    if (other == nullptr || other == &mover || other->sprite == nullptr) return;
    if (otherSideOnly && other->side == mover.side) return;
    const Point q = ReferencePoint(*other->sprite);
    const int64_t overlap = std::max(std::llabs(q.x - px), std::llabs(q.y - py)) -
                            std::max<int64_t>(other->sprite->GetCollisionRadius(), cellWidth_ / 2) - reach;
    if (overlap < 0 && (best == nullptr || overlap > bestOverlap)) {
      best = other;
      bestOverlap = overlap;
    }
  };
  for (const auto& other : characters_) test(other.get());
  test(PeekCurrentCharacter());
  return best;
}

Character* TileMap::FindBlockingCharacterAt(int32_t x, int32_t y, int32_t radius, int32_t side,
                                            bool otherSideOnly) const {
  Character* best = nullptr;
  int64_t bestOverlap = 0;
  auto test = [&](Character* other) {
    if (other == nullptr || other->sprite == nullptr || other->stamina <= 0) return;
    if (otherSideOnly ? other->side == side : other->side != side) return;
    const Point q = ReferencePoint(*other->sprite);
    const int32_t own = other->sprite->GetCollisionRadius();
    const int64_t overlap = std::max(std::llabs(int64_t{q.x} - x), std::llabs(int64_t{q.y} - y)) -
                            (own != 0 ? own : cellWidth_ / 2) - radius;
    if (overlap < 0 && (best == nullptr || overlap > bestOverlap)) {
      best = other;
      bestOverlap = overlap;
    }
  };
  for (const auto& other : characters_) test(other.get());
  test(PeekCurrentCharacter());
  return best;
}

void TileMap::UpdateOccupancy() {
  auto follow = [&](Character* character) {
    if (character == nullptr || character->sprite == nullptr) return;
    const Point cell =
        CellAt(TruncateToInt32(character->sprite->PositionX()), TruncateToInt32(character->sprite->PositionY()));
    if (cell.x == character->x && cell.y == character->y) return;
    if (!IsInside(cell.x, cell.y) || GetCellFlag(cell.x, cell.y) == 0) return;
    SetCellFlag(character->x, character->y, 1);
    character->SetPosition(cell.x, cell.y);
    SetCellFlag(cell.x, cell.y, 0);
  };
  follow(PeekCurrentCharacter());
  for (const auto& character : characters_) follow(character.get());
}

// ---- The player ----

void TileMap::StepPlayer(int32_t direction) {
  Character* player = PeekCurrentCharacter();
  if (player == nullptr || direction < 1 || direction > 8) return;
  if ((player->GetFlags() & kCharacterHeld) != 0) {
    player->SetPath(nullptr);
    return;
  }
  Sprite* sprite = player->sprite.get();
  if (sprite == nullptr || IsSpriteBusy(sprite)) return;
  player->ReserveCell(player->x, player->y);
  const float speed = player->current.speed > 0 ? player->current.speed : 1;
  const int32_t dx = kDirectionX[direction], dy = kDirectionY[direction];
  // A straight step over an edge that has an exit takes the exit.
  int32_t exit = kNoExit;
  if (direction == 1 && player->y == 0) exit = kExitTop;
  if (direction == 5 && player->y == height_ - 1) exit = kExitBottom;
  if (direction == 3 && player->x == width_ - 1) exit = kExitRight;
  if (direction == 7 && player->x == 0) exit = kExitLeft;
  if (exit != kNoExit && !EdgeExit(exit).empty()) {
    SetPendingExit(exit);
    return;
  }
  const int32_t nx = player->x + dx, ny = player->y + dy;
  if (!IsCellFreeAndOpen(nx, ny, sprite)) return;
  player->SetPosition(nx, ny);
  sprite->StartAction(static_cast<float>(dx * cellWidth_), static_cast<float>(dy * cellHeight_),
                      static_cast<float>(dx) * speed, static_cast<float>(dy) * speed, 0, direction);
  player->SetFacing(direction, false);
}

void TileMap::Leave() {
  Character* player = PeekCurrentCharacter();
  const Sprite* own = player != nullptr ? player->sprite.get() : nullptr;
  if (focus_ != nullptr && focus_ == own && focusTurns_ == 1) focus_ = nullptr;
  if (player == nullptr) return;
  if (player->sprite != nullptr) {
    ForgetSprite(player->sprite.get());
    player->sprite->Detach();
  }
  player->PlaceOnLocation(std::make_unique<Sprite>());
}

void TileMap::RebuildPlayerSprite() {
  Leave();
  Character* player = PeekCurrentCharacter();
  if (player == nullptr) return;
  Sprite* sprite = player->sprite.get();
  sprite->SetPicture(NewPicture(GetPlayerSpriteName()).release(), true);
  player->SetFacing(player->facing == 0 ? 1 : player->facing, true);
  if (sprite->GetPictureRef() == nullptr) return;
  PlayerCellCenter();
  AddBlocking(sprite);
}

void TileMap::PlayerCellCenter() {
  Character* player = PeekCurrentCharacter();
  if (player == nullptr || player->sprite == nullptr) return;
  const Point centre = CellCenter(player->x, player->y);
  player->sprite->SetPosition(centre.x, centre.y);
}

std::unique_ptr<PictureRef> TileMap::NewPicture(const std::string& name) const {
  std::string path;
  PicturePath(path, name);
  auto picture = std::make_unique<PictureRef>();
  if (frozen_) {
    picture->SetNameLazy(path);
  } else {
    picture->SetName(path);
  }
  return picture;
}

// ---- Objects ----

MapItem* TileMap::AddItem(const ItemRecord* item, int32_t x, int32_t y, int32_t facing, int32_t identifier,
                          bool layerZero) {
  if (item == nullptr || facing < 1) return nullptr;
  ImageImportOptions |= kDetectTransparency;
  auto object = std::make_unique<MapItem>(*item);
  if (IsRemembered(*item) && identifier != 0) {
    const ExploredMask* mask = GetExploredMask(GetName(), width_, height_);
    if (mask->HasValue(static_cast<int16_t>(identifier))) {
      if (RemovedWhenTaken(*item)) return nullptr;
      object->opened = 1;
    }
  }
  object->identifier = identifier;
  object->facing = facing;
  object->sprite = std::make_unique<Sprite>();
  Sprite* sprite = object->sprite.get();
  sprite->SetPicture(NewPicture(object->opened != 0 ? OpenedPictureName(*item) : MapPictureName(*item)).release(),
                     true);
  if (layerZero) object->mapLayer = kMapLayerCharacters;
  std::vector<Sprite*>* list = nullptr;
  if (object->mapLayer == kMapLayerCharacters && characterLayer_ < LayerCount()) {
    list = &layerSprites_[static_cast<size_t>(characterLayer_)];
  } else if (object->mapLayer == kMapLayerOverlay) {
    list = &overlay_;
  } else if (object->mapLayer == kMapLayerObjects && objectLayer_ < LayerCount()) {
    list = &layerSprites_[static_cast<size_t>(objectLayer_)];
  }
  if (list != nullptr) list->push_back(sprite);
  sprite->SetLayer(object->mapLayer);

  // A taken cell sends the object to a free cell of the nearest ring around it (around the nearest cell of the
  // grid, for a cell off the map); with none on the map it stays where it was put (rings grown for ever would
  // never end).
  int32_t cellX = x, cellY = y;
  if (GetCellFlag(x, y) == 0 && width_ > 0 && height_ > 0) {
    const int32_t startX = std::clamp(x, 0, width_ - 1), startY = std::clamp(y, 0, height_ - 1);
    if (GetCellFlag(startX, startY) != 0) {
      cellX = startX;
      cellY = startY;
    } else {
      SearchRings(startX, startY, 0, std::max(width_, height_), SIZE_MAX, true,
                  [&](int32_t cx, int32_t cy) { return GetCellFlag(cx, cy) != 0; }, &cellX, &cellY);
    }
  }
  object->SetCell(cellX, cellY);
  MapItem* added = object.get();
  objects_.push_back(std::move(object));
  if (!IsInside(cellX, cellY)) return added;
  if (BlocksCell(*item)) SetCellFlag(cellX, cellY, 0);
  const Point centre = CellCenter(cellX, cellY);
  sprite->SetPosition(centre.x, centre.y);
  if (sprite->HasAnimation()) {
    sprite->StartAction(0, 0, 0, 0, 0, facing);
    sprite->SetFrame(0, false);
    mapAnimations_.push_back(sprite);
    AddBlocking(sprite);
  }
  return added;
}

void TileMap::PlaceItemPile(int32_t amount, int32_t x, int32_t y) {
  if (amount < 1) return;
  ItemRecord pile;
  pile.kind = kItemKindGoldPile;
  pile.price = static_cast<int16_t>(std::min<int32_t>(amount, INT16_MAX));
  pile.pictureName = GetPileItemName();
  AddItem(&pile, x - 1, y - 1, 1, 0, true);
}

bool TileMap::HoldsObject(const MapItem* object, uint64_t serial) const {
  return std::any_of(objects_.begin(), objects_.end(),
                     [&](const auto& listed) { return listed.get() == object && listed->Serial() == serial; });
}

void TileMap::ShowRisingLabel(int32_t x, int32_t y, const std::string& text, int32_t font) {
  SceneView* view = GetSceneView();
  SceneLayer* layer = TopLayer();
  if (view == nullptr || layer == nullptr) return;
  view->SetRedrawFlag();
  view->PushLayer();
  view->SetCurrentLayer(layer);
  view->SetCurrentFont(font);
  layer->StartMove(0, kLabelRise, kLabelSpeed);
  view->AddTextLabel(x, y, text);
  layer->ClearMoveFlag();
  view->PopLayer();
}

void TileMap::TouchObject(MapItem* object) {
  if (object == nullptr) return;
  Character* player = PeekCurrentCharacter();
  Sprite* sprite = object->sprite.get();
  const int32_t spriteX = sprite != nullptr ? TruncateToInt32(sprite->PositionX()) : 0;
  const int32_t spriteY = sprite != nullptr ? TruncateToInt32(sprite->PositionY()) : 0;
  if (object->kind == kItemKindGoldPile) {
    const int32_t amount = PileAmount(*object);
    ShowRisingLabel(spriteX, spriteY, "+" + std::to_string(amount), kGoldLabelFont);
    // Kept within the purse's range: past it the sum would wrap round to a debt.
    if (player != nullptr) {
      player->gold = static_cast<int32_t>(std::clamp<int64_t>(int64_t{player->gold} + amount, INT32_MIN, INT32_MAX));
    }
    PlaySoundSlot(kGoldSoundSlot);
    RemoveObject(object);
    return;
  }
  // An object already opened, or whose conditions do not hold, is left as it is, taken or not: an object taken
  // whatever its conditions said would let the player take what the scenario keeps from it.
  const ItemActionRecord* action = object->generalAction.get();
  if (object->opened != 0 || (action != nullptr && action->condition != nullptr && !EvaluateConditions(*action->condition))) {
    return;
  }
  object->opened = 1;
  if (sprite != nullptr) {
    if (!OpenedPictureName(*object).empty()) {
      sprite->SetPicture(NewPicture(OpenedPictureName(*object)).release(), true);
    } else {
      sprite->SetPicture(nullptr, false);
    }
    if (sprite->GetPictureRef() != nullptr) {
      if (sprite->HasAnimation()) {
        sprite->StartAction(0, 0, 0, 0, 0, object->facing);
        sprite->SetFrame(0, false);
      }
      if (IsSpriteBusy(sprite) && std::find(mapAnimations_.begin(), mapAnimations_.end(), sprite) == mapAnimations_.end()) {
        mapAnimations_.push_back(sprite);
      }
    }
  }
  // The event runs from a copy, and nothing of the object is read once it has run: its event may take the object
  // off the map, or leave the map, deleting both.
  const uint64_t generation = generation_;
  const uint64_t serial = object->Serial();
  int32_t cellX = 0, cellY = 0;
  object->GetCell(&cellX, &cellY);
  const bool removed = RemovedWhenTaken(*object);
  const bool remembered = IsRemembered(*object) && object->identifier != 0;
  const int16_t identifier = static_cast<int16_t>(object->identifier);
  std::unique_ptr<ScriptEvent> event;
  if (action != nullptr && action->event != nullptr) event = std::make_unique<ScriptEvent>(*action->event);
  // An object left without a picture goes, but one that taking removes goes only once it is taken: deleted here
  // it could not go into the player's inventory, which takes the object itself.
  if ((sprite == nullptr || sprite->GetPictureRef() == nullptr) && !removed) {
    RemoveObject(object);
    object = nullptr;
  }
  if (event != nullptr) {
    PushEventPosition(cellX, cellY);
    RunEventRecord(event.get());
    PopEventPosition();
  }
  if (!IsCurrentMap(generation)) return;
  if (remembered) GetExploredMask(GetName(), width_, height_)->Insert(identifier);
  // Taking it: the object goes to the player's inventory, when its event left it on the map.
  if (!removed || object == nullptr || !HoldsObject(object, serial)) return;
  if (BlocksCell(*object)) SetCellFlag(cellX, cellY, 1);
  ShowRisingLabel(spriteX, spriteY, object->GetName(), kItemLabelFont);
  Character* taker = PeekCurrentCharacter();
  if (taker != nullptr) taker->AddInventoryItem(object);
  if (IsCurrentMap(generation) && HoldsObject(object, serial)) RemoveObject(object);
}

void TileMap::RemoveObject(MapItem* object) {
  auto found = std::find_if(objects_.begin(), objects_.end(), [&](const auto& listed) { return listed.get() == object; });
  if (found == objects_.end()) return;
  std::unique_ptr<MapItem> owned = std::move(*found);
  objects_.erase(found);
  if (owned->sprite != nullptr) {
    ForgetSprite(owned->sprite.get());
    owned->sprite->Detach();
  }
  if (hoveredObject == object) hoveredObject = nullptr;
  if (Character* player = PeekCurrentCharacter(); player != nullptr && player->targetObject == object) {
    player->targetObject = nullptr;
  }
  for (const auto& character : characters_) {
    if (character->targetObject == object) character->targetObject = nullptr;
  }
}
