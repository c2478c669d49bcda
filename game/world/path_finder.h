// The path finder: A* over the cells of a tile map, from a start cell to a goal cell for a moving sprite, within a
// cost limit, over 4 or 8 neighbours. Every step costs 1, diagonals included; the estimate is the squared
// straight-line distance in cells, so the search runs straight at its goal and explores widely only around
// obstacles.
//
// A blocked goal is replaced first: in approach mode by the free cell nearest around it (or kept, when there is
// none), otherwise by the free cell that a search from the goal back towards the start meets first (passing
// through blocked cells). In approach mode the search also ends as soon as a cell is near enough to the goal for
// the walker to reach it.
//
// A search builds a tree of small nodes rooted at the start, in a pool the finder keeps from one search to the
// next; the path that comes out holds a copy of its waypoints as a stack: the goal at the bottom, the next step on
// top, the start not on it.
//
// One search runs at a time (the finder is global). The open list keeps its nodes in a bucket for each f, so that
// the best is taken without a scan; which cells hold a node, and which list it is in, is kept in an index of the
// map's width x height cells, stamped with the number of the search that wrote it, so that nothing is cleared
// between searches. The index lives on from one search to the next while the map's size stays the same. The
// cells that blocking figures keep the walker out of are counted cell by cell, so that a cell costs the same to
// test however many figures stand on the map; the counts are kept from one call to the next while no figure has
// moved (Sprite::PlacementVersion), and only the figures that moved are counted again.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class Sprite;
class TileMap;

// A cell a search reached, and what reaching it cost.
struct PathCell {
  int32_t column = 0;
  int32_t row = 0;
  int32_t f = 0;  // g + h
  int32_t g = 0;  // steps from the start
  int32_t h = 0;  // squared distance to the goal, in cells
};

struct PathNode : PathCell {
  PathNode* parent = nullptr;
  // The nodes this one put into the open list first, by the direction that led to them: left empty in a path's
  // waypoints, which are a chain (the search keeps its tree in nodes of its own).
  std::array<PathNode*, 8> children{};
  // When the node entered the open list (the first of equal costs is taken first).
  uint32_t order = 0;
};

// A path keeps its own copy of its waypoints' nodes (the search's tree stays with the finder, which reuses it).
class Path {
 public:
  Path() = default;
  Path(const Path&) = delete;
  Path& operator=(const Path&) = delete;

  // Empties the path.
  void Init() { Free(); }
  // Makes the path count waypoints long and gives them, the goal end first, for the caller to fill in their
  // cells and costs; each one's parent is the one after it (the last, the first step, has none).
  PathNode* SetLength(size_t count);
  bool IsEmpty() const { return waypoints_.empty(); }
  size_t Size() const { return waypoints_.size(); }
  // The bottom waypoint: the goal end. Null when empty.
  PathNode* First() const { return waypoints_.empty() ? nullptr : waypoints_.front(); }
  // Takes the top waypoint, the next step, off the stack. Null when empty.
  PathNode* PopLast();
  // Takes the bottom waypoint off the stack.
  void DropFirst();
  // Frees the nodes and empties the stack.
  void Free();
  const std::vector<PathNode*>& Waypoints() const { return waypoints_; }

 private:
  std::unique_ptr<PathNode[]> nodes_;
  std::vector<PathNode*> waypoints_;  // bottom (goal) first
};

namespace PathFinder {

// The path cost limit every planner of the game uses.
constexpr int32_t kCostLimit = 35;

// Fills the direction table and the step costs; no map.
void Init();
// With null frees both lists; with a map of the size of the previous one keeps them; otherwise makes them anew
// for the map's width x height.
void SetMap(TileMap* map);
// Frees both lists and forgets the map.
void FreeLists();
// A path from the start to the goal, owned by the caller, or null when there is none (start = goal, a goal off
// the grid, no free goal outside approach mode, nothing within the cost limit). neighbours is 4 or 8; sprite is
// the walker (null, or a sprite without collision radius: cells are tested for a figure of half a cell).
std::unique_ptr<Path> FindPath(TileMap* map, int32_t startColumn, int32_t startRow, int32_t goalColumn,
                               int32_t goalRow, int32_t costLimit, bool approach, int32_t neighbours, Sprite* sprite);
// The nodes the last search took from its open lists (both of its searches counted).
int64_t NodesExpanded();
// Whether a search for the walker would enter the cell (free flag set, no blocking figure in the way), as the
// search works it out for all cells at once; the same answer as TileMap::IsCellFreeAndOpen.
bool CellOpenForSearch(TileMap* map, int32_t column, int32_t row, const Sprite* sprite);

}  // namespace PathFinder
