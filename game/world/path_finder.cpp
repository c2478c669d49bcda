// The A* path finder, its node lists and the paths it makes.
#include "game/world/path_finder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "game/world/sprite.h"
#include "game/world/tile_map.h"
#include "game/world/world_numbers.h"

namespace {

// The neighbours in the order a node is expanded: the four straight ones first (a 4-neighbour search uses only
// those), then the diagonals.
constexpr int32_t kDirectionX[8] = {0, -1, 1, 0, 1, -1, 1, -1};
constexpr int32_t kDirectionY[8] = {-1, 0, 0, 1, 1, -1, -1, 1};
constexpr int32_t kStepCost = 1;

int32_t SquaredDistance(int32_t column0, int32_t row0, int32_t column1, int32_t row1) {
  const int64_t dx = int64_t{column1} - column0, dy = int64_t{row1} - row0;
  return static_cast<int32_t>(std::min<int64_t>(dx * dx + dy * dy, INT32_MAX / 2));
}

// A list of nodes: the nodes in the order they came, and an index by cell. A list does not own its nodes. The
// open list also keeps its entries by f so that its best node is found without scanning: a bucket for each f
// below kBuckets (with a bit per bucket telling which hold entries, so that the lowest is found a word at a
// time), and a heap for the rarer higher ones. A node whose f falls is entered again, and the entries left
// behind are passed over when they come up.
class NodeList {
 public:
  explicit NodeList(bool ordered) : ordered_(ordered) {}
  void Create(int32_t width, int32_t height) {
    width_ = width;
    height_ = height;
    index_.assign(static_cast<size_t>(width) * static_cast<size_t>(height), nullptr);
    if (ordered_) {
      buckets_.resize(kBuckets);
      filled_.assign(kBuckets / 64, 0);
    }
    Clear();
  }
  void Free() {
    index_ = {};
    nodes_ = {};
    heap_ = {};
    std::vector<std::vector<Entry>>().swap(buckets_);
    filled_ = {};
    usedWords_ = {};
    width_ = height_ = 0;
    live_ = 0;
  }
  bool Inside(int32_t column, int32_t row) const {
    return column >= 0 && row >= 0 && column < width_ && row < height_;
  }
  // Adds the node (one outside the grid is not added).
  bool Add(PathNode* node) {
    if (!Inside(node->column, node->row)) return false;
    PathNode*& slot = index_[Cell(node->column, node->row)];
    if (slot == nullptr) ++live_;
    slot = node;
    nodes_.push_back(node);
    if (ordered_) PushEntry(node);
    return true;
  }
  PathNode* Find(int32_t column, int32_t row) const {
    return Inside(column, row) ? index_[Cell(column, row)] : nullptr;
  }
  // A node of the list whose f fell: it is entered again at its new cost.
  void Reprioritise(PathNode* node) { PushEntry(node); }
  // Takes the node of lowest f off the list; among equal ones the one that came first.
  PathNode* TakeBest() {
    for (size_t word = lowWord_; word < filled_.size(); ++word) {
      while (filled_[word] != 0) {
        const size_t f = word * 64 + static_cast<size_t>(__builtin_ctzll(filled_[word]));
        std::vector<Entry>& bucket = buckets_[f];
        // The first that came among the entries still standing; those left behind go.
        size_t best = bucket.size();
        for (size_t i = 0; i < bucket.size();) {
          if (!Stands(bucket[i])) {
            bucket[i] = bucket.back();
            bucket.pop_back();
            continue;
          }
          if (best == bucket.size() || bucket[i].order < bucket[best].order) best = i;
          ++i;
        }
        if (best < bucket.size()) {
          PathNode* node = bucket[best].node;
          bucket[best] = bucket.back();
          bucket.pop_back();
          if (bucket.empty()) filled_[word] &= ~(uint64_t{1} << (f % 64));
          lowWord_ = word;
          return Taken(node);
        }
        filled_[word] &= ~(uint64_t{1} << (f % 64));
      }
    }
    lowWord_ = filled_.size();
    while (!heap_.empty()) {
      std::pop_heap(heap_.begin(), heap_.end(), Later);
      const Entry entry = heap_.back();
      heap_.pop_back();
      if (Stands(entry)) return Taken(entry.node);
    }
    return nullptr;
  }
  // Forgets every node (touching only the cells and buckets used), freeing none.
  void Clear() {
    for (const PathNode* node : nodes_) index_[Cell(node->column, node->row)] = nullptr;
    nodes_.clear();
    for (size_t word : usedWords_) {
      // A bucket holds entries exactly while its bit is set.
      for (uint64_t bits = filled_[word]; bits != 0; bits &= bits - 1) {
        buckets_[word * 64 + static_cast<size_t>(__builtin_ctzll(bits))].clear();
      }
      filled_[word] = 0;
    }
    usedWords_.clear();
    heap_.clear();
    lowWord_ = filled_.size();
    live_ = 0;
  }
  bool IsEmpty() const { return live_ == 0; }

 private:
  static constexpr size_t kBuckets = 16384;
  struct Entry {
    int32_t f;
    uint32_t order;
    PathNode* node;
  };
  // Heap order: an entry comes after another when its f is higher, or equal and it came later.
  static bool Later(const Entry& a, const Entry& b) { return a.f != b.f ? a.f > b.f : a.order > b.order; }
  size_t Cell(int32_t column, int32_t row) const {
    return static_cast<size_t>(row) * static_cast<size_t>(width_) + static_cast<size_t>(column);
  }
  // Whether the entry still stands for its node: the node is in the list, at that cost.
  bool Stands(const Entry& entry) const {
    return index_[Cell(entry.node->column, entry.node->row)] == entry.node && entry.f == entry.node->f;
  }
  PathNode* Taken(PathNode* node) {
    index_[Cell(node->column, node->row)] = nullptr;
    --live_;
    return node;
  }
  void PushEntry(PathNode* node) {
    const Entry entry{node->f, node->order, node};
    if (node->f >= 0 && static_cast<size_t>(node->f) < kBuckets) {
      const size_t f = static_cast<size_t>(node->f);
      std::vector<Entry>& bucket = buckets_[f];
      if (bucket.empty()) {
        uint64_t& word = filled_[f / 64];
        if (word == 0) usedWords_.push_back(f / 64);
        word |= uint64_t{1} << (f % 64);
      }
      bucket.push_back(entry);
      lowWord_ = std::min(lowWord_, f / 64);
      return;
    }
    heap_.push_back(entry);
    std::push_heap(heap_.begin(), heap_.end(), Later);
  }

  int32_t width_ = 0;
  int32_t height_ = 0;
  std::vector<PathNode*> index_;
  std::vector<PathNode*> nodes_;
  std::vector<std::vector<Entry>> buckets_;
  std::vector<uint64_t> filled_;
  std::vector<size_t> usedWords_;  // the words that held bits, for clearing
  size_t lowWord_ = 0;        // no word below holds entries
  std::vector<Entry> heap_;   // entries of f from kBuckets up
  size_t live_ = 0;
  bool ordered_;  // the open list: its best node is taken
};

// The nodes of the searches, kept from one search to the next: a search takes them in order and the next one
// starts again from the first.
class NodePool {
 public:
  PathNode* New() {
    const size_t chunk = used_ / kChunk;
    if (chunk == chunks_.size()) chunks_.push_back(std::make_unique<PathNode[]>(kChunk));
    PathNode* node = &chunks_[chunk][used_ % kChunk];
    ++used_;
    *node = PathNode{};
    return node;
  }
  void Reset() { used_ = 0; }
  void Free() {
    std::vector<std::unique_ptr<PathNode[]>>().swap(chunks_);
    used_ = 0;
  }

 private:
  static constexpr size_t kChunk = 512;
  std::vector<std::unique_ptr<PathNode[]>> chunks_;
  size_t used_ = 0;
};

struct FinderState {
  TileMap* map = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  const Sprite* sprite = nullptr;
  int32_t costLimit = 0;
  NodeList open{true};
  NodeList closed{false};
  NodePool nodes;
  uint32_t nextOrder = 0;
  int64_t expanded = 0;
  // What a search knows of each cell: kCellUnknown, or whether the walker may enter it (the figures' cells are
  // marked at the start, the flags read when a cell is first looked at); the cells marked are listed so that
  // clearing touches only them.
  std::vector<uint8_t> taken;
  std::vector<size_t> takenCells;
  // The cells a look around the goal has reached (1), and the list of them.
  std::vector<uint8_t> seen;
  std::vector<size_t> seenCells;
};

FinderState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static auto* state = new FinderState;
  return *state;
}

int64_t FloorDivide(int64_t value, int64_t size) {
  int64_t quotient = value / size;
  if (value % size != 0 && value < 0) --quotient;
  return quotient;
}

constexpr uint8_t kCellUnknown = 0;
constexpr uint8_t kCellOpen = 1;
constexpr uint8_t kCellShut = 2;

// Marks the cells whose centre lies within reach of a blocking figure: the cells TileMap::IsCellFree refuses for
// the walker (the same test, a figure's reference point against the cell's centre), found figure by figure.
void MarkFigures(FinderState& state) {
  for (size_t cell : state.takenCells) state.taken[cell] = kCellUnknown;
  state.takenCells.clear();
  const TileMap& map = *state.map;
  const int64_t cellWidth = map.CellWidth(), cellHeight = map.CellHeight();
  const int64_t radius = state.sprite != nullptr ? state.sprite->GetCollisionRadius() : cellWidth / 2;
  if (radius == 0 || cellWidth <= 0 || cellHeight <= 0) return;
  for (const Sprite* other : map.BlockingList()) {
    if (other == state.sprite) continue;
    // A cell is refused when the larger of |dx| and |dy| between the two points is below the reach.
    const int64_t reach = int64_t{other->GetCollisionRadius()} + radius - map.CollisionSlack();
    if (reach <= 0) continue;
    int32_t offsetX = 0, offsetY = 0;
    other->GetSize(&offsetX, &offsetY);
    const int64_t px = int64_t{TruncateToInt32(other->PositionX())} + offsetX;
    const int64_t py = int64_t{TruncateToInt32(other->PositionY())} + offsetY;
    const int64_t firstColumn = std::max<int64_t>(FloorDivide(px - reach - cellWidth / 2, cellWidth), 0);
    const int64_t lastColumn =
        std::min<int64_t>(FloorDivide(px + reach - cellWidth / 2, cellWidth) + 1, int64_t{state.width} - 1);
    const int64_t firstRow = std::max<int64_t>(FloorDivide(py - reach - cellHeight / 2, cellHeight), 0);
    const int64_t lastRow =
        std::min<int64_t>(FloorDivide(py + reach - cellHeight / 2, cellHeight) + 1, int64_t{state.height} - 1);
    for (int64_t row = firstRow; row <= lastRow; ++row) {
      for (int64_t column = firstColumn; column <= lastColumn; ++column) {
        const Point centre = map.CellCenter(static_cast<int32_t>(column), static_cast<int32_t>(row));
        if (std::max(std::llabs(px - centre.x), std::llabs(py - centre.y)) >= reach) continue;
        const size_t cell = static_cast<size_t>(row) * static_cast<size_t>(state.width) + static_cast<size_t>(column);
        if (state.taken[cell] == kCellUnknown) {
          state.taken[cell] = kCellShut;
          state.takenCells.push_back(cell);
        }
      }
    }
  }
}

// IsCellFreeAndOpen, from the figures marked for the search and the cells' flags (which no search changes
// while it runs).
bool LearnCell(FinderState& state, size_t cell, int32_t column, int32_t row) {
  const uint8_t known = state.map->GetCellFlag(column, row) != 0 ? kCellOpen : kCellShut;
  state.taken[cell] = known;
  state.takenCells.push_back(cell);
  return known == kCellOpen;
}

inline bool CellOpen(FinderState& state, int32_t column, int32_t row) {
  if (column < 0 || row < 0 || column >= state.width || row >= state.height) return false;
  const size_t cell = static_cast<size_t>(row) * static_cast<size_t>(state.width) + static_cast<size_t>(column);
  const uint8_t known = state.taken[cell];
  if (known != kCellUnknown) return known == kCellOpen;
  return LearnCell(state, cell, column, row);
}

PathNode* NewNode(FinderState& state, int32_t column, int32_t row, int32_t g, int32_t h, PathNode* parent) {
  PathNode* node = state.nodes.New();
  node->column = column;
  node->row = row;
  node->g = g;
  node->h = h;
  node->f = g + h;
  node->parent = parent;
  node->order = state.nextOrder++;
  return node;
}

// Expands s towards the target cell over the first `neighbours` directions; throughBlocked lets the search pass
// cells that are not free (the search for a free goal).
void Expand(FinderState& state, PathNode* s, int32_t neighbours, int32_t targetColumn, int32_t targetRow,
            bool throughBlocked) {
  // Every neighbour costs the same: past the limit, none is looked at.
  const int32_t g = s->g + kStepCost;
  if (g > state.costLimit) return;
  for (int32_t i = 0; i < neighbours; ++i) {
    const int32_t column = s->column + kDirectionX[i];
    const int32_t row = s->row + kDirectionY[i];
    if (column < 0 || row < 0 || column >= state.width || row >= state.height) continue;
    if (!throughBlocked && !CellOpen(state, column, row)) continue;
    const int32_t h = SquaredDistance(column, row, targetColumn, targetRow);
    const int32_t f = g + h;
    if (PathNode* closed = state.closed.Find(column, row)) {
      if (f < closed->f) {
        closed->parent = s;
        closed->g = g;
        closed->f = f;
      }
    } else if (PathNode* open = state.open.Find(column, row)) {
      if (f < open->f) {
        open->parent = s;
        open->g = g;
        open->f = f;
        state.open.Reprioritise(open);
      }
    } else {
      s->children[static_cast<size_t>(i)] = NewNode(state, column, row, g, h, s);
      state.open.Add(s->children[static_cast<size_t>(i)]);
    }
  }
}

// From the blocked goal back towards the start, through blocked cells: the first free cell the search takes.
bool NearestFreeCell(FinderState& state, int32_t goalColumn, int32_t goalRow, int32_t startColumn,
                     int32_t startRow, int32_t* outColumn, int32_t* outRow) {
  state.open.Add(
      NewNode(state, goalColumn, goalRow, 0, SquaredDistance(goalColumn, goalRow, startColumn, startRow), nullptr));
  bool found = false;
  while (PathNode* s = state.open.TakeBest()) {
    ++state.expanded;
    if (CellOpen(state, s->column, s->row)) {
      *outColumn = s->column;
      *outRow = s->row;
      found = true;
      break;
    }
    Expand(state, s, 8, startColumn, startRow, true);
    state.closed.Add(s);
  }
  state.open.Clear();
  state.closed.Clear();
  state.nodes.Reset();
  return found;
}

// Whether the goal lies in a small pocket of open cells that does not reach the start: the cells around the goal
// are flooded, and when the flood runs out (within a few dozen cells) without coming next to the start, no search
// can get there. A flood that grows past that gives no answer, and the search goes on as usual.
bool GoalWalledOff(FinderState& state, int32_t startColumn, int32_t startRow, int32_t goalColumn, int32_t goalRow,
                   int32_t neighbours) {
  constexpr size_t kPocketCells = 64;
  auto cellOf = [&](int32_t column, int32_t row) {
    return static_cast<size_t>(row) * static_cast<size_t>(state.width) + static_cast<size_t>(column);
  };
  for (size_t cell : state.seenCells) state.seen[cell] = 0;
  state.seenCells.clear();
  state.seen[cellOf(goalColumn, goalRow)] = 1;
  state.seenCells.push_back(cellOf(goalColumn, goalRow));
  for (size_t next = 0; next < state.seenCells.size(); ++next) {
    if (state.seenCells.size() > kPocketCells) return false;
    const int32_t column = static_cast<int32_t>(state.seenCells[next] % static_cast<size_t>(state.width));
    const int32_t row = static_cast<int32_t>(state.seenCells[next] / static_cast<size_t>(state.width));
    for (int32_t i = 0; i < neighbours; ++i) {
      const int32_t x = column + kDirectionX[i], y = row + kDirectionY[i];
      if (x == startColumn && y == startRow) return false;
      if (!CellOpen(state, x, y)) continue;
      const size_t cell = cellOf(x, y);
      if (state.seen[cell] != 0) continue;
      state.seen[cell] = 1;
      state.seenCells.push_back(cell);
    }
  }
  return true;
}

// Whether the walker on s is near enough to the goal to stop there (approach mode).
bool IsNear(const FinderState& state, const PathNode& s, int32_t goalColumn, int32_t goalRow, int32_t neighbours) {
  const int32_t dx = std::abs(s.column - goalColumn), dy = std::abs(s.row - goalRow);
  bool near = std::max(dx, dy) < 2;
  if (!near && state.sprite != nullptr && state.map->CellWidth() > 0) {
    int32_t w = 0, h = 0;
    state.sprite->GetSize(&w, &h);
    const Point goal = state.map->CellCenter(goalColumn, goalRow);
    const Point here = state.map->CellCenter(s.column, s.row);
    const int64_t distance = std::max(std::llabs(int64_t{here.x} + w - goal.x), std::llabs(int64_t{here.y} + h - goal.y));
    const double cells =
        std::ceil(static_cast<double>(distance - state.sprite->GetCollisionRadius()) / state.map->CellWidth());
    near = cells < 2;
  }
  // Over four neighbours the walker must stand in line with the goal.
  if (near && neighbours == 4 && dx != 0 && dy != 0) near = false;
  return near;
}

}  // namespace

void Path::Assign(const PathNode* last, const PathNode* start) {
  Free();
  size_t count = 0;
  for (const PathNode* node = last; node != nullptr && node != start; node = node->parent) ++count;
  if (count == 0) return;
  nodes_ = std::make_unique<PathNode[]>(count);
  waypoints_.reserve(count);
  // The goal end first; each copy's parent is the copy of the step before it (none for the first step).
  size_t index = 0;
  for (const PathNode* node = last; node != nullptr && node != start; node = node->parent, ++index) {
    PathNode& copy = nodes_[index];
    copy = *node;
    copy.children = {};
    copy.parent = index + 1 < count ? &nodes_[index + 1] : nullptr;
    waypoints_.push_back(&copy);
  }
}

PathNode* Path::PopLast() {
  if (waypoints_.empty()) return nullptr;
  PathNode* node = waypoints_.back();
  waypoints_.pop_back();
  return node;
}

void Path::DropFirst() {
  if (!waypoints_.empty()) waypoints_.erase(waypoints_.begin());
}

void Path::Free() {
  waypoints_.clear();
  nodes_.reset();
}

namespace PathFinder {

void Init() { FreeLists(); }

void SetMap(TileMap* map) {
  FinderState& state = State();
  if (map == nullptr) {
    FreeLists();
    return;
  }
  if (map->Width() != state.width || map->Height() != state.height || state.taken.empty()) {
    state.open.Create(map->Width(), map->Height());
    state.closed.Create(map->Width(), map->Height());
    state.width = map->Width();
    state.height = map->Height();
    state.taken.assign(static_cast<size_t>(std::max(state.width, 0)) * static_cast<size_t>(std::max(state.height, 0)), 0);
    state.takenCells.clear();
    state.seen.assign(state.taken.size(), 0);
    state.seenCells.clear();
  }
  state.map = map;
}

void FreeLists() {
  FinderState& state = State();
  state.open.Free();
  state.closed.Free();
  state.nodes.Free();
  state.taken = {};
  state.takenCells = {};
  state.seen = {};
  state.seenCells = {};
  state.map = nullptr;
  state.sprite = nullptr;
  state.width = state.height = 0;
}

int64_t NodesExpanded() { return State().expanded; }

bool CellOpenForSearch(TileMap* map, int32_t column, int32_t row, const Sprite* sprite) {
  FinderState& state = State();
  if (map == nullptr) return false;
  SetMap(map);
  state.sprite = sprite != nullptr && sprite->GetCollisionRadius() != 0 ? sprite : nullptr;
  MarkFigures(state);
  return CellOpen(state, column, row);
}

std::unique_ptr<Path> FindPath(TileMap* map, int32_t startColumn, int32_t startRow, int32_t goalColumn,
                               int32_t goalRow, int32_t costLimit, bool approach, int32_t neighbours, Sprite* sprite) {
  FinderState& state = State();
  state.expanded = 0;
  if (map == nullptr || (startColumn == goalColumn && startRow == goalRow)) return nullptr;
  SetMap(map);
  if (state.width <= 0 || state.height <= 0) return nullptr;
  state.sprite = sprite != nullptr && sprite->GetCollisionRadius() != 0 ? sprite : nullptr;
  state.costLimit = costLimit;
  state.nextOrder = 0;
  neighbours = neighbours == 4 ? 4 : 8;
  if (!map->IsInside(goalColumn, goalRow)) return nullptr;
  // The figures may have moved since the last search.
  MarkFigures(state);

  if (!CellOpen(state, goalColumn, goalRow)) {
    int32_t column = goalColumn, row = goalRow;
    if (approach) {
      // The free cell nearest around the goal, the goal itself left out.
      const uint8_t flag = map->GetCellFlag(goalColumn, goalRow);
      map->SetCellFlag(goalColumn, goalRow, 0);
      const bool found = map->FindFreeCellNear(goalColumn, goalRow, false, state.sprite, &column, &row);
      if (flag != 0) map->SetCellFlag(goalColumn, goalRow, 1);
      if (!found) return nullptr;
    } else if (!NearestFreeCell(state, goalColumn, goalRow, startColumn, startRow, &column, &row)) {
      return nullptr;
    }
    goalColumn = column;
    goalRow = row;
    if (goalColumn == startColumn && goalRow == startRow) return nullptr;
  }
  // Shortcuts for searches that cannot succeed: a step changes neither coordinate by more than 1, and a goal shut
  // in a pocket of its own is never reached. (Approach mode may stop short of the goal, so it has no shortcut.)
  if (!approach) {
    if (std::max(std::abs(int64_t{goalColumn} - startColumn), std::abs(int64_t{goalRow} - startRow)) > costLimit) {
      return nullptr;
    }
    if (GoalWalledOff(state, startColumn, startRow, goalColumn, goalRow, neighbours)) return nullptr;
  }

  PathNode* root =
      NewNode(state, startColumn, startRow, 0, SquaredDistance(startColumn, startRow, goalColumn, goalRow), nullptr);
  state.open.Add(root);
  PathNode* found = nullptr;
  while (PathNode* s = state.open.TakeBest()) {
    ++state.expanded;
    if (s->column == goalColumn && s->row == goalRow) {
      found = s;
      break;
    }
    if (approach && IsNear(state, *s, goalColumn, goalRow, neighbours)) {
      s->children[0] = NewNode(state, goalColumn, goalRow, s->g, s->h, s);
      s->children[0]->f = s->f;
      found = s->children[0];
      break;
    }
    Expand(state, s, neighbours, goalColumn, goalRow, false);
    state.closed.Add(s);
  }
  state.open.Clear();
  state.closed.Clear();
  std::unique_ptr<Path> path;
  if (found != nullptr) {
    path = std::make_unique<Path>();
    path->Assign(found, root);
  }
  state.nodes.Reset();
  return path;
}

}  // namespace PathFinder
