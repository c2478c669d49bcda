// Helpers shared by the character's operations on the map (walking, stepping, attacks, spells and the behaviour
// tick): the busy test of a figure, cell distances, elapsed times, the event position of a character's events,
// and the watch that tells whether a script run has left the map.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "game/rules/script_engine.h"
#include "game/world/sprite.h"

class Character;
class TileMap;

// A figure is busy while it moves or plays an animation once; a busy figure takes no new action.
inline bool IsSpriteBusy(const Sprite* sprite) { return sprite != nullptr && sprite->IsBusy(); }

// The Chebyshev distance of two cells: max(|dx|, |dy|), saturating.
inline int32_t CellDistance(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  return static_cast<int32_t>(std::min<int64_t>(
      std::max(std::llabs(int64_t{x1} - x0), std::llabs(int64_t{y1} - y0)), INT32_MAX));
}

// |now - then| between two millisecond stamps of the game clock, taken around the 32-bit wrap.
inline uint32_t MillisecondsBetween(int32_t now, int32_t then) {
  const auto elapsed = static_cast<int32_t>(static_cast<uint32_t>(now) - static_cast<uint32_t>(then));
  return elapsed < 0 ? 0u - static_cast<uint32_t>(elapsed) : static_cast<uint32_t>(elapsed);
}

// The unit step of a facing (1 up, clockwise to 8 up-left); (0, 0) for any other value.
void FacingStep(int32_t facing, int32_t* dx, int32_t* dy);

// An action takes the character's turn and five steps of its step budget (neither below 0).
void SpendTurn(Character& character);

// The cell (x, y), counted from 0, is the event position for as long as the scope lasts.
class EventPositionScope {
 public:
  EventPositionScope(int32_t x, int32_t y) { PushEventPosition(x, y); }
  ~EventPositionScope() { PopEventPosition(); }
  EventPositionScope(const EventPositionScope&) = delete;
  EventPositionScope& operator=(const EventPositionScope&) = delete;
};

// Any script event may leave the location, which deletes the map and every character on it (a new map may even
// come at the same address), or end, open or start a game, which replaces the player. An operation that runs
// events remembers the current map's generation, the current location's name and the player first, and goes on
// after each run only while Holds gives true.
class MapWatch {
 public:
  MapWatch();
  // The same map is current (or still none is), the current location is the one it was, by its name, and the
  // player is the one it was: a player replaced or deleted stays whole until the events end, but its operations
  // must not go on into the game that followed.
  bool Holds() const;
  TileMap* Map() const { return map_; }

 private:
  TileMap* map_ = nullptr;
  uint64_t generation_ = 0;
  bool hadLocation_ = false;
  std::string locationName_;
  const Character* player_ = nullptr;
};
