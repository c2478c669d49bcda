// Fuzzes the map file reader: any bytes give either a refusal that leaves the description untouched, or a
// description whose sizes are in bounds and whose cell and picture runs cover their grids exactly (those past the
// end of the data with runs of zeros), so that building a map from it never goes past a grid.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "game/rules/script_event.h"
#include "game/shell/data/data_stream.h"
#include "game/world/map_file.h"

namespace {

void Check(bool holds) {
  if (!holds) std::abort();
}

template <typename Run>
int64_t Covered(const std::vector<Run>& runs) {
  int64_t cells = 0;
  for (const Run& run : runs) {
    Check(run.repeat >= 0);
    cells += int64_t{run.repeat} + 1;
  }
  return cells;
}

void CheckGrid(int32_t width, int32_t height, int32_t cellWidth, int32_t cellHeight) {
  Check(width >= 1 && height >= 1 && cellWidth >= 1 && cellHeight >= 1);
  Check(int64_t{width} * cellWidth <= kMaxMapPixels && int64_t{height} * cellHeight <= kMaxMapPixels);
  Check(int64_t{width} * height <= kMaxMapCells);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DataStream stream;
  MemHandle block;
  if (size != 0) {
    if (!block.Allocate(size)) return 0;
    std::memcpy(block.Lock(), data, size);
    block.Unlock();
  }
  stream.AttachMemory(block, true);
  MapFileData map;
  map.format = -12345;
  const MapFileError error = ParseMapFile(stream, &map);
  if (error != MapFileError::kNone) {
    Check(map.format == -12345 && map.cellRuns.empty() && map.layers.empty());
    return 0;
  }
  CheckGrid(map.width, map.height, map.cellWidth, map.cellHeight);
  Check(Covered(map.cellRuns) == int64_t{map.width} * map.height);
  Check(!map.layers.empty());
  for (const MapLocalEvent& local : map.events) Check(local.event != nullptr && local.event->IsLoaded());
  if (map.hasPictureGrid) {
    CheckGrid(map.gridWidth, map.gridHeight, map.gridCellWidth, map.gridCellHeight);
    Check(Covered(map.pictureRuns) == int64_t{map.gridWidth} * map.gridHeight);
  } else {
    Check(map.pictureRuns.empty() && map.items.empty());
  }
  return 0;
}
