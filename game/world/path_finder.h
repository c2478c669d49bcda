// The path finder: A* over the cells of a tile map, from a start cell to a goal cell for a moving sprite, within a
// cost limit, over 4 or 8 neighbours. Every step costs 1, diagonals included; the estimate is the squared
// straight-line distance in cells, so the search runs straight at its goal and explores widely only around
// obstacles.
//
// A blocked goal is replaced first: in approach mode by the free cell nearest around it, otherwise by the free
// cell that a search from the goal back towards the start meets first (passing through blocked cells). In
// approach mode the search also ends as soon as a cell is near enough to the goal for the walker to reach it.
//
// A search builds a tree of nodes rooted at the start; the path that comes out owns that tree and holds its
// waypoints as a stack: the goal at the bottom, the next step on top, the start not on it.
//
// One search runs at a time (the finder is global). Its open and closed lists keep, besides the nodes in the
// order they came, an index of the map's width x height cells, which a search clears by touching only the cells
// it used; the lists live on from one search to the next while the map's size stays the same.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class Sprite;
class TileMap;

struct PathNode {
  int32_t column = 0;
  int32_t row = 0;
  int32_t f = 0;  // g + h
  int32_t g = 0;  // steps from the start
  int32_t h = 0;  // squared distance to the goal, in cells
  PathNode* parent = nullptr;
  // The nodes this one put into the open list first, by the direction that led to them; they belong to it.
  std::array<std::unique_ptr<PathNode>, 8> children;
  // When the node entered the open list (the first of equal costs is taken first).
  uint32_t order = 0;

  PathNode() = default;
  ~PathNode();
  PathNode(const PathNode&) = delete;
  PathNode& operator=(const PathNode&) = delete;
};

class Path {
 public:
  Path() = default;
  ~Path() { Free(); }
  Path(const Path&) = delete;
  Path& operator=(const Path&) = delete;

  // Empties the path.
  void Init() { Free(); }
  // Puts a node of the path's tree on top of the stack.
  void Push(PathNode* node) { waypoints_.push_back(node); }
  // The path takes the tree of nodes its waypoints belong to.
  void Adopt(std::unique_ptr<PathNode> root);
  bool IsEmpty() const { return waypoints_.empty(); }
  size_t Size() const { return waypoints_.size(); }
  // The bottom waypoint: the goal end. Null when empty.
  PathNode* First() const { return waypoints_.empty() ? nullptr : waypoints_.front(); }
  // Takes the top waypoint, the next step, off the stack. Null when empty.
  PathNode* PopLast();
  // Takes the bottom waypoint off the stack.
  void DropFirst();
  // Frees the tree and empties the stack.
  void Free();
  const std::vector<PathNode*>& Waypoints() const { return waypoints_; }

 private:
  std::unique_ptr<PathNode> root_;
  std::vector<PathNode*> waypoints_;  // bottom (goal) first
};

// Frees a tree of nodes without recursing through it.
void FreeNodeTree(std::unique_ptr<PathNode> root);

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
// the grid, no free goal, nothing within the cost limit). neighbours is 4 or 8; sprite is the walker (null, or a
// sprite without collision radius: cells are tested for a figure of half a cell).
std::unique_ptr<Path> FindPath(TileMap* map, int32_t startColumn, int32_t startRow, int32_t goalColumn,
                               int32_t goalRow, int32_t costLimit, bool approach, int32_t neighbours, Sprite* sprite);
// The nodes the last search took from its open lists (both of its searches counted).
int64_t NodesExpanded();

}  // namespace PathFinder
