// What the shell asks of the world: locations and the current one, the current tile map, the location history,
// the explored-area masks and the path finder.
//
// The tile map (tile_map.h), the explored-area masks (explored_mask.h), the locations (location.h) and the
// location history (location_history.h) are the world's own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/rules/named_record.h"
#include "game/world/directions.h"
#include "game/world/explored_mask.h"
#include "game/world/location.h"
#include "game/world/location_history.h"
#include "game/world/path_finder.h"
#include "game/world/tile_map.h"

class DataStream;

struct Point;
class Character;
class ItemRecord;
class PictureRef;
class SceneLayer;
class Sprite;

// Moves the shown map's timers past the time the game stood still (a dialog, a pause); nothing without a map.
void ShiftMapTimers();

// The key slots the map's click and keyboard handling test ("-a" and "-b").
void SetMapKeys(int32_t first, int32_t second);
int32_t GetMapKeyA();
int32_t GetMapKeyB();

