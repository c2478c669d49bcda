// Map files (".cma" in "Maps/"): the byte format of a tile map and its reader into a plain description
// (MapFileData). The reader checks the whole file and builds nothing: TileMap::Load builds the map from the
// description afterwards, so a damaged file is refused before anything of the running game changes.
//
// Format (big-endian; a string is a length byte and that many bytes; numbers are int16):
//   format value; G, then G ground picture names; S, then S stamp picture names;
//   width W and height H in cells, cell width and cell height in pixels;
//   cell runs covering the W x H cells column by column (all rows of column 0, then column 1, ...), each: walk
//     value (not 0: walkable), event text, repeat count R: the run fills its cell and the next R cells, and may
//     go on from the bottom of one column into the top of the next;
//   L, then L layer records: 6 bytes (not used), last-lower flag, a string (not used), sprite count N, then N
//     sprites: x, y, stamp index (from 1), picture name;
//   C, then C character placements: column and row (from 1), facing, NPC name, a string (not used);
//   E, then E local events: the event's name, then its body as an event file holds it;
//   the picture grid, only when the file goes on: width PW, height PH, cell width, cell height, then runs
//     covering PW x PH cells column by column, each: picture number P (from 1 into the ground pictures, 0 none)
//     and repeat count R;
//   I, then I item placements: column and row (from 1), facing, item name, a string (not used), identifier.
//
// A file that ends early is read as far as it goes: past the end every number is 0 and every string empty, so
// the rest of the cells are blocked and without events, a missing picture grid takes the map's sizes and a
// missing item count reads 0. Negative counts (and repeat counts) stand for none.
//
// Refused, since a map is built from these values: a size below 1 (map, cells, picture grid) or L below 1; runs
// past their grid; a map or picture grid wider or higher than 32767 pixels (sprite positions are drawn in 16
// bits) or of more than kMaxMapCells cells.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class DataStream;
class ScriptEvent;

// Reasons a map file is refused (0: read).
enum class MapFileError : int32_t {
  kNone = 0,
  kBadSize = 2,       // a size or layer count below 1, or a map larger than the format allows
  kRunPastGrid = 4,   // a run of cells or pictures that goes past its grid
};

// The most cells a map or picture grid may have.
constexpr int64_t kMaxMapCells = int64_t{1} << 22;
// The largest extent of a map in pixels.
constexpr int64_t kMaxMapPixels = 32767;

// A character placed by the map file. The index is kept in memory only (0 for every file record).
struct CharacterPlacement {
  int16_t index = 0;
  int16_t column = 0;  // from 1
  int16_t row = 0;     // from 1
  int16_t facing = 0;
  std::string npcName;
  std::string unused;
};

// An item placed by the map file.
struct ItemPlacement {
  int16_t column = 0;  // from 1
  int16_t row = 0;     // from 1
  int16_t facing = 0;  // 1 to 8; below 1 the item is not placed
  std::string itemName;
  std::string unused;
  int16_t identifier = 0;  // remembered in the map's explored mask once taken; 0 none
};

// The two records as the file holds them; the strings are emptied first.
void ReadCharacterPlacement(CharacterPlacement& record, DataStream& stream, int16_t index);
void ReadItemPlacement(ItemPlacement& record, DataStream& stream);

// One run of cells: the cell it starts at (column by column) takes the walk value and the event text, and so do
// the repeat cells after it.
struct MapCellRun {
  int16_t walk = 0;
  std::string eventText;
  int16_t repeat = 0;
};

struct MapFileSprite {
  int16_t x = 0;
  int16_t y = 0;
  int16_t stampIndex = 0;  // from 1
  std::string name;
};

struct MapFileLayer {
  int16_t lastLower = 0;  // not 0: the last of the layers beneath the characters
  std::string text;
  std::vector<MapFileSprite> sprites;
};

struct MapLocalEvent {
  std::string name;
  std::unique_ptr<ScriptEvent> event;
};

struct MapPictureRun {
  int16_t picture = 0;  // from 1 into the ground pictures; 0 none
  int16_t repeat = 0;
};

struct MapFileData {
  MapFileData();
  ~MapFileData();
  MapFileData(MapFileData&&) noexcept;
  MapFileData& operator=(MapFileData&&) noexcept;

  int16_t format = 0;
  std::vector<std::string> groundPictures;
  std::vector<std::string> stampPictures;
  int32_t width = 0;
  int32_t height = 0;
  int32_t cellWidth = 0;
  int32_t cellHeight = 0;
  std::vector<MapCellRun> cellRuns;  // together exactly width x height cells; no negative repeat
  std::vector<MapFileLayer> layers;  // at least one
  std::vector<CharacterPlacement> characters;
  std::vector<MapLocalEvent> events;
  bool hasPictureGrid = false;  // without one the grid takes the map's sizes and holds no pictures
  int32_t gridWidth = 0;
  int32_t gridHeight = 0;
  int32_t gridCellWidth = 0;
  int32_t gridCellHeight = 0;
  std::vector<MapPictureRun> pictureRuns;  // together exactly gridWidth x gridHeight cells; no negative repeat
  std::vector<ItemPlacement> items;
};

// Reads a whole map file from the stream's position. On an error out is left as it was.
MapFileError ParseMapFile(DataStream& stream, MapFileData* out);
