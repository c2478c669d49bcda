// The tile map's tick: what happens on the map once a pass of the main loop. The characters notice the player and
// fight it in rounds paced by the clock, the player walks and strikes by keys and clicks, the sprites run their
// scripts, the view follows its focus, the cell the player stops on fires its event, and an edge exit takes the
// player to the next location.
//
// Any step may run a script event that leaves the map (deleting it) or changes the location. Each step therefore
// notes the map's generation and the location's name when it begins (TickMark) and, after anything that may
// have run a script, goes on only while both are unchanged; a step that finds them changed gives false at once,
// without touching the map, and the tick ends.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "game/graphics/bitmap.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/script_engine.h"
#include "game/rules/script_event.h"
#include "game/shell/game_commands.h"
#include "game/shell/input_manager.h"
#include "game/shell/record_lists.h"
#include "game/shell/shell_command_host.h"
#include "game/world/directions.h"
#include "game/world/explored_mask.h"
#include "game/world/location.h"
#include "game/world/map_item.h"
#include "game/world/path_finder.h"
#include "game/world/pause_overlay.h"
#include "game/world/scene_view.h"
#include "game/world/sprite.h"
#include "game/world/tile_map.h"
#include "game/world/world_numbers.h"
#include "game/world/world_services.h"
#include "platform/core/clocks.h"

namespace {

// Hovering finds what lies within this many pixels of the pointer.
constexpr int32_t kHoverRadius = 16;
constexpr int32_t kExperienceFont = 4;
constexpr int32_t kLabelAboveFigure = 15;
// The third event an NPC definition gives its characters: stepped on after falling.
constexpr size_t kFallenEvent = 2;
// The player's strike pose (the figure's second animation) and the flags a strike sets. The pose plays once: the
// figure is busy until it has played out, and the player strikes again only then. Shown as a pose that stays, it
// would leave the figure idle, and a button or key held on a foe would strike it on every pass of the loop.
constexpr uint32_t kStrikeAnimation = 1;
constexpr int32_t kStrikeFlags = kCharacterStepped | kCharacterStriking;
constexpr int32_t kStrikeHeld = kCharacterStriking;

// Key slots of the keypad's directions.
constexpr KeySlot kPad8 = 272, kPad2 = 273, kPad4 = 274, kPad6 = 275, kPad9 = 276, kPad7 = 277, kPad3 = 278,
                  kPad1 = 279;

// What a step remembers when it begins: the map it works on and the location it is shown in.
struct TickMark {
  uint64_t generation = 0;
  std::string location;
};

TickMark MarkNow(uint64_t generation) {
  const Location* location = GetCurrentLocation();
  return TickMark{generation, location != nullptr ? location->GetName() : std::string()};
}

// Whether the map and the location are still those the step began with.
bool Holds(const TickMark& mark) {
  const Location* location = GetCurrentLocation();
  return IsCurrentMap(mark.generation) && location != nullptr && location->GetName() == mark.location;
}

bool ButtonDown(int32_t state) { return (state & (kButtonDown | kButtonHeldByFlags)) != 0; }
bool KeyDown(KeySlot slot) { return Input::IsKeyDown(slot) != 0; }
bool Alive(const Character* character) { return character != nullptr && character->stamina > 0; }

int32_t Chebyshev(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  return static_cast<int32_t>(std::max(std::llabs(int64_t{x1} - x0), std::llabs(int64_t{y1} - y0)));
}

// The cell the keys point to from (x, y), and whether any movement key is down. Diagonals come first (two keys
// together, or a keypad corner), unless the figure has only four facings.
bool KeyTarget(bool diagonals, int32_t* x, int32_t* y) {
  const bool up = KeyDown(kSlotUp), down = KeyDown(kSlotDown), left = KeyDown(kSlotLeft),
             right = KeyDown(kSlotRight);
  const bool pad8 = KeyDown(kPad8), pad2 = KeyDown(kPad2), pad4 = KeyDown(kPad4), pad6 = KeyDown(kPad6);
  int32_t dx = 0, dy = 0;
  if (diagonals && (KeyDown(kPad7) || (pad8 && pad4) || (up && left))) {
    dx = -1, dy = -1;
  } else if (diagonals && (KeyDown(kPad9) || (pad8 && pad6) || (up && right))) {
    dx = 1, dy = -1;
  } else if (diagonals && (KeyDown(kPad1) || (pad2 && pad4) || (down && left))) {
    dx = -1, dy = 1;
  } else if (diagonals && (KeyDown(kPad3) || (pad2 && pad6) || (down && right))) {
    dx = 1, dy = 1;
  } else if (up || pad8) {
    dy = -1;
  } else if (down || pad2) {
    dy = 1;
  } else if (left || pad4) {
    dx = -1;
  } else if (right || pad6) {
    dx = 1;
  } else {
    return false;
  }
  *x += dx;
  *y += dy;
  return true;
}

}  // namespace

// ---- The tick ----

void TileMap::Update() {
  if (IsGamePaused()) {
    if (SceneView* view = GetSceneView()) view->SetRedrawFlag();
    return;
  }
  Character* player = PeekCurrentCharacter();
  if (player == nullptr) return;
  const TickMark mark = MarkNow(generation_);
  timeStamp_ = PlatformMilliseconds();

  // What lies under the pointer, in pixels of the map view.
  int32_t mouseX = 0, mouseY = 0;
  Input::GetMouse(&mouseX, &mouseY, nullptr);
  hoveredCharacter = FindCharacterNear(mouseX - viewRect_.x, mouseY - viewRect_.y, kHoverRadius);
  hoveredObject = FindObjectNear(mouseX - viewRect_.x, mouseY - viewRect_.y, kHoverRadius);

  if (!UpdateDistances() || !NoticePlayer() || !Holds(mark)) return;
  if (!UpdateCharacterStates(timeStamp_) || !Holds(mark)) return;
  const uint64_t sinceRound = timeStamp_ >= lastRoundTime_ ? timeStamp_ - lastRoundTime_ : lastRoundTime_ - timeStamp_;
  if (sinceRound >= kRoundMilliseconds || player->stamina <= 0) {
    if (!RunRound() || !Holds(mark)) return;
    player = PeekCurrentCharacter();
    if (player == nullptr || player->stamina < 1) return;
    lastRoundTime_ = timeStamp_;
  }
  if (player->stamina <= 0) return;

  // The scripts of the steps below may give the player a new figure: it is looked up again after them.
  Sprite* figure = player->sprite.get();
  const bool busyBefore = figure != nullptr && figure->IsBusy();
  if (!busyBefore) player->ReleaseReservedCells();
  if (IsKeyboardMovementEnabled() && !HandleKeyboardMove()) return;
  if (!HandleClick() || !Holds(mark)) return;
  if (!MovePlayer() || !Holds(mark)) return;
  if (!UpdateIdleCharacters() || !Holds(mark)) return;
  player = PeekCurrentCharacter();
  if (player == nullptr) return;
  if (player->sprite != nullptr) {
    SetMapUnderUpdate(this);
    player->sprite->Animate();
    if (!Holds(mark)) return;
  }
  if (!AnimateMap() || !Holds(mark)) return;
  UpdateFocus();
  DropFinishedSprites();
  if (!AnimateSprites() || !Holds(mark)) return;
  if (!AnimateEffects() || !Holds(mark)) return;

  // The event of the cell the player walked onto runs once its figure stops (or at once for a player that acts
  // while busy); during an encounter only the events flagged for it run.
  if (cellEventsRan_) {
    pendingCellEvents_.clear();
    cellEventsRan_ = false;
  }
  player = PeekCurrentCharacter();
  if (player == nullptr) return;
  figure = player->sprite.get();
  const bool busyNow = figure != nullptr && figure->IsBusy();
  if (busyBefore || busyNow) {
    if (IsInside(player->x, player->y)) {
      const std::shared_ptr<ScriptEvent>& event = cellEvents_[CellIndex(player->x, player->y)];
      if (event != nullptr &&
          std::find(pendingCellEvents_.begin(), pendingCellEvents_.end(), event) == pendingCellEvents_.end()) {
        pendingCellEvents_.push_back(event);
      }
    }
  }
  if (busyBefore && !pendingCellEvents_.empty() && (!busyNow || (player->GetFlags() & kCharacterActsWhileBusy) != 0)) {
    drawFlag_ = true;
    cellEventsRan_ = true;
    // A copy: the events may change the cells (and the map may go).
    const std::vector<std::shared_ptr<ScriptEvent>> events = pendingCellEvents_;
    for (const std::shared_ptr<ScriptEvent>& event : events) {
      if (IsEncounterInProgress() && !event->HasFlag()) continue;
      RunEventRecord(event.get());
      if (!Holds(mark)) return;
    }
    player = PeekCurrentCharacter();
    if (player == nullptr) return;
  }

  // A player off the grid stands on no cell of it and reveals nothing (around a cell off the map, the block
  // would light cells of the map's edge the player never came near).
  if (IsInside(player->x, player->y)) {
    GetExploredMask(GetName(), width_, height_)->Reveal(player->x, player->y, width_, height_);
  }

  // An exit that the player's move set takes the player beyond the edge, when the location there exists.
  const int32_t exit = GetPendingExit();
  if (exit == kNoExit) {
    drawFlag_ = true;
    return;
  }
  const std::string beyond = EdgeExit(exit);
  if (!beyond.empty() && LocationExists(beyond)) {
    if (Location* location = FindLocationByName(beyond)) location->Enter();
    if (SceneView* view = GetSceneView()) view->SetRedrawFlag();
  } else {
    SetPendingExit(kNoExit);
  }
}

bool TileMap::AllOthersDead() const {
  const Character* player = PeekCurrentCharacter();
  if (player != nullptr && player->stamina <= 0) return true;
  return std::none_of(characters_.begin(), characters_.end(), [](const auto& c) { return c->stamina > 0; });
}

// ---- Characters ----

bool TileMap::UpdateDistances() {
  const Character* player = PeekCurrentCharacter();
  if (player == nullptr) return true;
  for (const auto& character : characters_) character->targetDistance = character->DistanceTo(*player);
  return true;
}

bool TileMap::NoticePlayer() {
  Character* player = PeekCurrentCharacter();
  if (player == nullptr) return true;
  const bool wasEmpty = engaged_.empty();
  for (const auto& character : characters_) {
    if (character->engaged != 0 || !Alive(character.get()) || character->targetDistance > character->current.noticeRange) {
      continue;
    }
    character->SetTarget(player);
    engaged_.push_back(character.get());
  }
  if (!wasEmpty || engaged_.empty()) return true;
  // An encounter begins, with a round at once.
  const TickMark mark = MarkNow(generation_);
  roundCounter_ = 0;
  if (!RunRound() || !Holds(mark)) return false;
  if (!UpdateCharacterStates(timeStamp_) || !Holds(mark)) return false;
  SetEncounterInProgress(1);
  return true;
}

// Walks the character list for the acting ones; a character taken off the map meanwhile starts the walk again from
// the head, where the visited flags keep those that acted from acting twice.
template <typename Acts, typename Act>
bool TileMap::WalkCharacters(Acts acts, Act act) {
  const TickMark mark = MarkNow(generation_);
  for (const auto& character : characters_) character->visited = 0;
  size_t removed = removed_.size();
  for (size_t i = 0; i < characters_.size();) {
    Character* character = characters_[i].get();
    if (character->visited != 0) {
      ++i;
      continue;
    }
    character->visited = 1;
    if (acts(*character)) {
      character->ReleaseReservedCells();
      const bool goOn = act(*character);
      if (!Holds(mark)) return false;
      if (!goOn) return true;
    }
    if (removed_.size() != removed) {
      removed = removed_.size();
      i = 0;
    } else {
      ++i;
    }
  }
  return true;
}

bool TileMap::UpdateCharacterStates(uint64_t now) {
  const int32_t time = static_cast<int32_t>(now);
  return WalkCharacters(
      [](const Character& c) {
        return Alive(&c) && c.engaged != 0 &&
               (c.sprite == nullptr || !c.sprite->IsBusy() || (c.GetFlags() & kCharacterActsWhileBusy) != 0);
      },
      [time](Character& c) {
        c.UpdateBehaviour(time);
        const Character* player = PeekCurrentCharacter();
        return player != nullptr && player->stamina >= 1;
      });
}

bool TileMap::UpdateIdleCharacters() {
  const int32_t time = static_cast<int32_t>(timeStamp_);
  return WalkCharacters([](const Character& c) { return c.engaged == 0 && (c.sprite == nullptr || !c.sprite->IsBusy()); },
                        [time](Character& c) {
                          c.UpdateMovementMode(time);
                          return true;
                        });
}

// ---- Rounds ----

bool TileMap::RunRound() {
  if (inRound_) return true;
  const TickMark mark = MarkNow(generation_);
  if (!Holds(mark)) return false;
  // Cleared when the round ends, unless the round's scripts took the map away.
  struct RoundScope {
    TileMap* map;
    uint64_t generation;
    ~RoundScope() {
      if (IsCurrentMap(generation)) map->inRound_ = false;
    }
  } scope{this, generation_};
  inRound_ = true;
  ++roundCounter_;

  // Every character's effects; one taken off the map meanwhile is passed over.
  std::vector<Character*> listed;
  for (const auto& character : characters_) listed.push_back(character.get());
  for (Character* character : listed) {
    const bool onMap = std::any_of(characters_.begin(), characters_.end(),
                                   [&](const auto& c) { return c.get() == character; });
    if (!onMap) continue;
    character->TickEffects();
    if (!Holds(mark)) return false;
  }

  // The engaged list keeps those that have fallen and those still near enough; the others lose interest.
  for (size_t i = 0; i < engaged_.size();) {
    Character* player = PeekCurrentCharacter();
    if (!Alive(player)) break;
    Character* character = engaged_[i];
    if (character->stamina <= 0 || character->targetDistance <= character->current.noticeRange) {
      ++i;
      continue;
    }
    character->RemoveOverlay();
    if (!Holds(mark)) return false;
    engaged_.erase(engaged_.begin() + static_cast<std::ptrdiff_t>(i));
  }

  if (Character* player = PeekCurrentCharacter()) {
    player->TickEffects();
    if (!Holds(mark)) return false;
  }

  const bool playerLives = Alive(PeekCurrentCharacter());
  if (IsEncounterInProgress()) {
    if (AnyEngagedCharacterStands() && playerLives) return true;
    SetEncounterInProgress(0);
    if (playerLives) return UpdateCombatList();
    // The game ends once no event or character operation still uses the player.
    RunWhenEventsEnd(RunEndGameCommand);
    return Holds(mark);
  }
  if (!playerLives) {
    RunWhenEventsEnd(RunEndGameCommand);
    return Holds(mark);
  }
  return true;
}

bool TileMap::UpdateCombatList() {
  const TickMark mark = MarkNow(generation_);
  int64_t sum = 0;
  for (const Character* character : engaged_) {
    if (character->stamina < 1) sum += character->experience;
  }
  Character* player = PeekCurrentCharacter();
  if (player != nullptr) {
    if (sum != 0) {
      const int32_t gained = static_cast<int32_t>(std::clamp<int64_t>(sum, INT32_MIN, INT32_MAX));
      if (const Sprite* figure = player->sprite.get()) {
        const Bitmap* frame = figure->FramePicture();
        const int32_t x = TruncateToInt32(figure->PositionX()) + (frame != nullptr ? frame->width / 2 : 0);
        ShowRisingLabel(x, TruncateToInt32(figure->PositionY()) - kLabelAboveFigure, "+" + std::to_string(gained),
                        kExperienceFont);
      }
      player->experience = static_cast<int32_t>(
          std::clamp<int64_t>(int64_t{player->experience} + gained, INT32_MIN, INT32_MAX));
    }
    player->ApplyLevelUps();
    if (!Holds(mark)) return false;
  }
  engaged_.clear();
  SetEncounterInProgress(0);
  return true;
}

// ---- The player ----

bool TileMap::HandleKeyboardMove() {
  Character* player = PeekCurrentCharacter();
  if (player == nullptr || player->sprite == nullptr) return true;
  const int32_t flags = player->GetFlags();
  if ((flags & kCharacterHeld) != 0) return true;
  if (player->sprite->IsBusy() && (flags & kCharacterWalking) == 0) return true;
  const TickMark mark = MarkNow(generation_);

  int32_t x = player->x, y = player->y;
  const bool matched = KeyTarget(player->sprite->GetAnimationMode() != kAnimationFourFacings, &x, &y);
  if (matched && (flags & kCharacterWalking) != 0) player->SetFacing(DirectionFromDelta(player->x, player->y, x, y), true);
  int32_t rightState = 0;
  Input::GetMouseRight(nullptr, nullptr, &rightState);
  player->SetMoving(x, y, KeyDown(GetMapKeyB()) || ButtonDown(rightState));

  int32_t buttons = 0;
  Input::GetMouse(nullptr, nullptr, &buttons);
  if (!KeyDown(GetMapKeyA())) {
    if (!ButtonDown(buttons)) player->SetFlags(player->GetFlags() & ~kStrikeHeld);
  } else if ((player->GetFlags() & kStrikeHeld) == 0) {
    player->Step(x, y, false);
    if (!Holds(mark)) return false;
  }
  if (!matched) return true;

  // Past an edge the key sets its exit; a diagonal past a corner sets the column's and then the row's, so the
  // row's edge is the one taken.
  const bool beyondColumn = x < 0 || x >= width_;
  const bool beyondRow = y < 0 || y >= height_;
  if (beyondColumn) SetPendingExit(x < 0 ? kExitLeft : kExitRight);
  if (beyondRow) SetPendingExit(y < 0 ? kExitTop : kExitBottom);
  if (!beyondColumn && !beyondRow) {
    player->target = FindCharacterAtCell(x, y);
    if (player->target != nullptr) return true;
    player->targetObject = nullptr;
    for (const auto& object : objects_) {
      int32_t column = 0, row = 0;
      object->GetCell(&column, &row);
      if (column == x && row == y) {
        player->targetObject = object.get();
        break;
      }
    }
    if (player->targetObject == nullptr) {
      player->SetPath(player->FindPathTo(this, player->x, player->y, x, y, PathFinder::kCostLimit, true));
    }
  }
  return true;
}

bool TileMap::HandleClick() {
  Character* player = PeekCurrentCharacter();
  if (player == nullptr || (player->GetFlags() & kCharacterHeld) != 0) return true;
  const TickMark mark = MarkNow(generation_);
  int32_t mouseX = 0, mouseY = 0, buttons = 0;
  Input::GetMouse(&mouseX, &mouseY, &buttons);
  const SceneView* view = GetSceneView();
  const int32_t viewX = mouseX - viewRect_.x, viewY = mouseY - viewRect_.y;
  const int32_t pixelX = viewX + (view != nullptr ? view->ScrollX() : scrollX_);
  const int32_t pixelY = viewY + (view != nullptr ? view->ScrollY() : scrollY_);
  const Point cell = CellAt(pixelX, pixelY);

  if (!ButtonDown(buttons)) {
    if (IsKeyboardMovementEnabled() && !Input::IsMovementKeyDown()) {
      player->target = nullptr;
      player->targetObject = nullptr;
    }
    if (!KeyDown(GetMapKeyA())) player->SetFlags(player->GetFlags() & ~kStrikeHeld);
    return true;
  }

  const int32_t flags = player->GetFlags();
  if ((flags & kCharacterWalking) != 0) {
    if ((flags & kStrikeHeld) != 0) {
      if (cell.x != player->x || cell.y != player->y) {
        player->SetFacing(DirectionFromDelta(player->x, player->y, cell.x, cell.y), true);
      }
    } else if (player->WeaponReach() <= 1) {
      player->Step(cell.x, cell.y, false);
      if (!Holds(mark)) return false;
    } else if (player->WeaponAttackMode() == 0) {
      player->SetFlags((flags | kStrikeFlags) & ~kCharacterWalking);
      player->SetPath(nullptr);
      player->Attack(pixelX, pixelY);
      if (!Holds(mark)) return false;
    }
    return true;
  }

  if ((player->sprite != nullptr && player->sprite->IsBusy()) || player->target != nullptr ||
      player->targetObject != nullptr) {
    return true;
  }
  // A click on a character aims at it, one on an object walks to the cell before it (both walks only with click
  // pathing on); a click that planned no walk by these walks to the clicked cell, with click pathing on or off.
  const bool pathing = IsClickPathingEnabled();
  bool planned = false;
  player->target = FindCharacterNear(viewX, viewY, kHoverRadius);
  if (player->target != nullptr) {
    if (pathing) {
      player->SetPath(player->FindPathTo(this, player->x, player->y, player->target->x, player->target->y,
                                         PathFinder::kCostLimit, true));
      planned = true;
    }
  } else {
    player->targetObject = hoveredObject;
    if (player->targetObject != nullptr && pathing) {
      int32_t column = 0, row = 0;
      player->targetObject->GetCell(&column, &row);
      const uint8_t flag = GetCellFlag(column, row);
      SetCellFlag(column, row, 1);
      std::unique_ptr<Path> path =
          player->FindPathTo(this, player->x, player->y, column, row, PathFinder::kCostLimit, true);
      SetCellFlag(column, row, flag);
      if (path != nullptr) path->DropFirst();
      player->SetPath(std::move(path));
      planned = true;
    }
  }
  if (!planned) {
    player->SetPath(player->FindPathTo(this, player->x, player->y, cell.x, cell.y, PathFinder::kCostLimit, false));
  }
  return true;
}

bool TileMap::MovePlayer() {
  Character* player = PeekCurrentCharacter();
  if (player == nullptr || player->sprite == nullptr) return true;
  if (player->sprite->IsBusy() && !HasPendingSpells()) return true;
  if ((player->GetFlags() & kCharacterHeld) != 0) {
    player->SetPath(nullptr);
    return true;
  }
  if (player->GetPath() != nullptr && player->GetPath()->IsEmpty()) player->SetPath(nullptr);
  const TickMark mark = MarkNow(generation_);
  int32_t buttons = 0;
  Input::GetMouse(nullptr, nullptr, &buttons);
  const bool pathing = IsClickPathingEnabled();

  if (GetPendingExit() == kNoExit) {
    CastPendingSpells(player->target);
    if (!Holds(mark)) return false;
    if (!player->sprite->IsBusy()) {
      if (Character* target = player->target) {
        const bool lives = Alive(target);
        const int32_t reach = lives ? player->WeaponReach() : 2;
        const bool inReach = player->DistanceTo(*target) <= reach;
        // Out of reach the way to the target is planned again on every call, so that the player follows a
        // target that moves.
        if (!inReach && pathing) {
          player->SetPath(
              player->FindPathTo(this, player->x, player->y, target->x, target->y, PathFinder::kCostLimit, true));
        }
        if (lives && reach < 2 && inReach) {
          player->SetFacing(DirectionFromDelta(player->x, player->y, target->x, target->y), true);
          player->SetFlags((player->GetFlags() & ~kCharacterWalking) | kStrikeFlags);
          player->SetPath(nullptr);
          player->sprite->SetFrame(kStrikeAnimation, true);
          player->AttackCharacter(target);
          if (!Holds(mark)) return false;
          if (!ButtonDown(buttons)) player->target = nullptr;
        } else if (lives) {
          if (player->WeaponAttackMode() == 0 || inReach) {
            player->AttackCell(target->x, target->y);
            if (!Holds(mark)) return false;
          }
        } else if (!IsEncounterInProgress()) {
          if (inReach) {
            if (target->events.size() > kFallenEvent && target->events[kFallenEvent] != nullptr) {
              PushEventPosition(target->x, target->y);
              RunEventRecord(target->events[kFallenEvent]);
              PopEventPosition();
              if (!Holds(mark)) return false;
            }
            player->target = nullptr;
            player->SetPath(nullptr);
          } else if (player->GetPath() == nullptr && !ButtonDown(buttons) && pathing) {
            player->SetPath(
                player->FindPathTo(this, player->x, player->y, target->x, target->y, PathFinder::kCostLimit, true));
          }
        }
        if (inReach) player->SetPath(nullptr);
      }
      if (MapItem* object = player->targetObject) {
        int32_t column = 0, row = 0;
        object->GetCell(&column, &row);
        if (Chebyshev(column, row, player->x, player->y) <= 1) {
          // Let go of before the touch, which may delete the object.
          player->targetObject = nullptr;
          TouchObject(object);
          if (!Holds(mark)) return false;
        }
      }
    }
  }

  const int32_t fromX = player->x, fromY = player->y;
  if (Path* path = player->GetPath(); path != nullptr && !path->IsEmpty()) {
    const PathNode* next = path->PopLast();
    if (next != nullptr && IsCellFreeAndOpen(next->column, next->row, player->sprite.get())) {
      StepPlayer(DirectionFromDelta(player->x, player->y, next->column, next->row));
    } else if (const PathNode* goal = path->First()) {
      std::unique_ptr<Path> replanned =
          player->FindPathTo(this, player->x, player->y, goal->column, goal->row, PathFinder::kCostLimit, false);
      if (replanned != nullptr) {
        const PathNode* step = replanned->PopLast();
        player->SetPath(std::move(replanned));
        if (step != nullptr) StepPlayer(DirectionFromDelta(player->x, player->y, step->column, step->row));
      }
    }
  }

  // A step onto an edge that has an exit takes it. Only the step does: a player that stays on the edge after an
  // exit was refused is not sent there again on every tick.
  if (player->x != fromX || player->y != fromY) {
    if (player->y == 0 && !EdgeExit(kExitTop).empty()) {
      SetPendingExit(kExitTop);
    } else if (player->y == height_ - 1 && !EdgeExit(kExitBottom).empty()) {
      SetPendingExit(kExitBottom);
    } else if (player->x == 0 && !EdgeExit(kExitLeft).empty()) {
      SetPendingExit(kExitLeft);
    } else if (player->x == width_ - 1 && !EdgeExit(kExitRight).empty()) {
      SetPendingExit(kExitRight);
    }
  }
  if (player->GetPath() != nullptr && player->GetPath()->IsEmpty()) player->SetPath(nullptr);
  return true;
}

// ---- Sprites ----

bool TileMap::AnimateMap() {
  const TickMark mark = MarkNow(generation_);
  SetMapUnderUpdate(this);
  for (size_t i = 0; i < mapAnimations_.size();) {
    Sprite* sprite = mapAnimations_[i];
    if (sprite->GetPictureRef() == nullptr) {
      sprite->Detach();
      mapAnimations_.erase(mapAnimations_.begin() + static_cast<std::ptrdiff_t>(i));
      continue;
    }
    sprite->Animate();
    if (!Holds(mark)) return false;
    ++i;
  }
  return true;
}

bool TileMap::AnimateSprites() {
  const TickMark mark = MarkNow(generation_);
  UpdateOccupancy();
  SetMapUnderUpdate(this);
  for (size_t i = 0; i < animated_.size(); ++i) {
    animated_[i]->Animate();
    if (!Holds(mark)) return false;
  }
  return true;
}

bool TileMap::AnimateEffects() {
  const TickMark mark = MarkNow(generation_);
  SetMapUnderUpdate(this);
  for (size_t i = 0; i < travelling_.size();) {
    Sprite* sprite = travelling_[i].get();
    if (sprite->IsBusy() && sprite->GetPictureRef() != nullptr) {
      sprite->Animate();
      if (!Holds(mark)) return false;
      ++i;
      continue;
    }
    sprite->Detach();
    travelling_.erase(travelling_.begin() + static_cast<std::ptrdiff_t>(i));
  }
  return true;
}
