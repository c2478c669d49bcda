// The A* path finder, its node lists and the paths it makes.
#include "game/world/path_finder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <memory>
#include <vector>

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

// A node of a search: its cell and costs (h measured to the search's target), the node it was reached from, and
// its place in the open list. The search keeps its own small nodes and copies the path's waypoints out of them at
// the end.
struct SearchNode : PathCell {
  uint32_t order = 0;  // when it entered the open list (the first of equal costs is taken first)
  SearchNode* parent = nullptr;
  // The node after it in the open list's bucket of its f, and that f.
  SearchNode* next = nullptr;
  int32_t keptF = 0;
  // Where the node is: in the open list (in a bucket or in the heap), or taken off it into the closed list.
  enum Where : uint8_t { kClosed, kInBucket, kInHeap } where = kClosed;
};

// The open list, kept by f so that its best node is found without scanning: a bucket for each f below kBuckets
// (with a bit per bucket telling which hold nodes, so that the lowest is found a word at a time), each bucket a
// chain of its nodes in the order they came, and a heap for the rarer higher f. A node whose f falls moves to the
// bucket of its new f; one in the heap is entered again, and the entry left behind is passed over when it comes
// up. The list does not own its nodes.
class OpenList {
 public:
  void Create() {
    buckets_.assign(kBuckets, Bucket{});
    filled_.assign(kBuckets / 64, 0);
    Clear();
  }
  void Free() {
    buckets_ = {};
    filled_ = {};
    usedWords_ = {};
    heap_ = {};
    lowWord_ = 0;
  }
  // Adds a node new to the search (it came last of all).
  void AddNew(SearchNode* node) {
    if (!Kept(node)) return;
    Bucket& bucket = buckets_[static_cast<size_t>(node->f)];
    node->next = nullptr;
    (bucket.last != nullptr ? bucket.last->next : bucket.first) = node;
    bucket.last = node;
  }
  // A node of the list whose f fell: it is kept again at its new cost, in its place among the nodes there.
  [[gnu::cold]] void Lower(SearchNode* node) {
    if (node->where == SearchNode::kInBucket) Unlink(node);
    if (!Kept(node)) return;
    Bucket& bucket = buckets_[static_cast<size_t>(node->f)];
    SearchNode** link = &bucket.first;
    while (*link != nullptr && (*link)->order < node->order) link = &(*link)->next;
    node->next = *link;
    *link = node;
    if (node->next == nullptr) bucket.last = node;
  }
  // Takes the node of lowest f off the list; among equal ones the one that came first.
  SearchNode* TakeBest() {
    for (size_t word = lowWord_; word < filled_.size(); ++word) {
      if (filled_[word] == 0) continue;
      lowWord_ = word;
      const size_t f = word * 64 + static_cast<size_t>(__builtin_ctzll(filled_[word]));
      Bucket& bucket = buckets_[f];
      SearchNode* node = bucket.first;
      bucket.first = node->next;
      if (bucket.first == nullptr) {
        bucket.last = nullptr;
        filled_[word] &= ~(uint64_t{1} << (f % 64));
      }
      node->where = SearchNode::kClosed;
      return node;
    }
    lowWord_ = filled_.size();
    while (!heap_.empty()) {
      std::pop_heap(heap_.begin(), heap_.end(), Later);
      const Entry entry = heap_.back();
      heap_.pop_back();
      // An entry stands while its node is still kept in the heap at that cost.
      if (entry.node->where == SearchNode::kInHeap && entry.f == entry.node->f) {
        entry.node->where = SearchNode::kClosed;
        return entry.node;
      }
    }
    return nullptr;
  }
  // Forgets every node (touching only the buckets used), freeing none.
  void Clear() {
    for (size_t word : usedWords_) {
      // A bucket holds nodes exactly while its bit is set.
      for (uint64_t bits = filled_[word]; bits != 0; bits &= bits - 1) {
        buckets_[word * 64 + static_cast<size_t>(__builtin_ctzll(bits))] = Bucket{};
      }
      filled_[word] = 0;
    }
    usedWords_.clear();
    heap_.clear();
    lowWord_ = filled_.size();
  }

 private:
  static constexpr size_t kBuckets = 16384;
  struct Bucket {
    SearchNode* first = nullptr;
    SearchNode* last = nullptr;
  };
  struct Entry {
    int32_t f;
    uint32_t order;
    SearchNode* node;
  };
  // Heap order: an entry comes after another when its f is higher, or equal and it came later.
  static bool Later(const Entry& a, const Entry& b) { return a.f != b.f ? a.f > b.f : a.order > b.order; }

  // Notes the node's f and where it is kept: true for a bucket (marked as holding nodes, the node for the caller
  // to link in), false for the heap (entered there).
  bool Kept(SearchNode* node) {
    const int32_t cost = node->f;
    node->keptF = cost;
    if (cost < 0 || static_cast<size_t>(cost) >= kBuckets) {
      EnterHeap(node);
      return false;
    }
    const size_t f = static_cast<size_t>(cost);
    node->where = SearchNode::kInBucket;
    uint64_t& word = filled_[f / 64];
    if (word == 0) usedWords_.push_back(f / 64);
    word |= uint64_t{1} << (f % 64);
    lowWord_ = std::min(lowWord_, f / 64);
    return true;
  }
  [[gnu::cold]] void EnterHeap(SearchNode* node) {
    node->where = SearchNode::kInHeap;
    heap_.push_back(Entry{node->f, node->order, node});
    std::push_heap(heap_.begin(), heap_.end(), Later);
  }
  // Takes the node out of its bucket's chain (a rare move: the chains are short).
  void Unlink(SearchNode* node) {
    const size_t f = static_cast<size_t>(node->keptF);
    Bucket& bucket = buckets_[f];
    SearchNode* before = nullptr;
    SearchNode** link = &bucket.first;
    while (*link != node) {
      before = *link;
      link = &(*link)->next;
    }
    *link = node->next;
    if (bucket.last == node) bucket.last = before;
    if (bucket.first == nullptr) filled_[f / 64] &= ~(uint64_t{1} << (f % 64));
  }

  std::vector<Bucket> buckets_;    // each bucket's chain, by f
  std::vector<uint64_t> filled_;
  std::vector<size_t> usedWords_;  // the words that came to hold bits, for clearing
  size_t lowWord_ = 0;             // no word below holds nodes
  std::vector<Entry> heap_;        // entries of f from kBuckets up
};

// The nodes of the searches, kept from one search to the next: a search takes them in order and the next one
// starts again from the first. A node comes as the last search left it, for its taker to fill in.
class NodePool {
 public:
  SearchNode* New() {
    if (next_ == end_) NextChunk();
    return next_++;
  }
  void Reset() {
    chunk_ = 0;
    next_ = end_ = nullptr;
  }
  void Free() {
    std::vector<std::unique_ptr<SearchNode[]>>().swap(chunks_);
    Reset();
  }

 private:
  static constexpr size_t kChunk = 512;
  // Once in 512 nodes: kept out of line, away from the path every node takes.
  [[gnu::cold]] void NextChunk() {
    if (chunk_ == chunks_.size()) chunks_.push_back(std::make_unique<SearchNode[]>(kChunk));
    next_ = chunks_[chunk_++].get();
    end_ = next_ + kChunk;
  }

  std::vector<std::unique_ptr<SearchNode[]>> chunks_;
  size_t chunk_ = 0;  // the next chunk to take from
  SearchNode* next_ = nullptr;  // the next node of the chunk taken last
  SearchNode* end_ = nullptr;
};

// What the searches know of each cell, in three arrays of the map's width x height. Each entry carries the number
// of the call or search that wrote it and counts only for that one, so that nothing is cleared between searches.
// Whether a cell holds a node of the search, and its g, are what every look at a neighbour needs: they are kept
// apart, small, so that many cells share a cache line.
struct CellReach {
  uint32_t listed = 0;  // the search that put a node on the cell
  int32_t g = 0;        // that node's g
};
struct CellKnowledge {
  uint32_t learnt = 0;  // the call that worked out whether the walker may enter the cell
  uint32_t open = 0;    // it may (1) or not (0), as that call learnt
};

struct FinderState {
  TileMap* map = nullptr;
  int32_t width = 0;
  int32_t height = 0;
  const Sprite* sprite = nullptr;
  int32_t costLimit = 0;
  OpenList open;
  NodePool nodes;
  uint32_t nextOrder = 0;
  int64_t expanded = 0;
  // For each cell: whether the current search has a node on it, that node (the open and closed lists' index by
  // cell), and what the current call knows of the cell (the figures' cells are marked at the start, the flags read
  // when a cell is first looked at).
  std::vector<CellReach> reached;
  std::vector<SearchNode*> cellNodes;
  std::vector<CellKnowledge> known;
  std::array<ptrdiff_t, 8> neighbourOffsets{};  // from a cell's index to its neighbours', by direction
  uint32_t call = 0;    // the current call, for CellKnowledge::learnt
  uint32_t search = 0;  // the current search, for CellReach::listed
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

// The next number of a call or a search; when the numbers wrap round, the records' old ones are wiped first.
template <typename Entry>
uint32_t NextNumber(uint32_t& number, std::vector<Entry>& entries, uint32_t Entry::*stamp) {
  if (++number == 0) {
    for (Entry& entry : entries) entry.*stamp = 0;
    number = 1;
  }
  return number;
}

bool Inside(const FinderState& state, int32_t column, int32_t row) {
  return column >= 0 && row >= 0 && column < state.width && row < state.height;
}

size_t CellIndex(const FinderState& state, int32_t column, int32_t row) {
  return static_cast<size_t>(row) * static_cast<size_t>(state.width) + static_cast<size_t>(column);
}

// Starts a call: forgets what the last one learnt of the cells and marks the cells whose centre lies within
// reach of a blocking figure, the cells TileMap::IsCellFree refuses for the walker (the same test, a figure's
// reference point against the cell's centre), found figure by figure.
void MarkFigures(FinderState& state) {
  const uint32_t call = NextNumber(state.call, state.known, &CellKnowledge::learnt);
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
        state.known[CellIndex(state, static_cast<int32_t>(column), static_cast<int32_t>(row))] = {call, 0};
      }
    }
  }
}

// IsCellFreeAndOpen for a cell of the grid, from the figures marked for the call and the cell's flag (which no
// search changes while it runs), read the first time the call asks.
inline bool CellOpen(FinderState& state, size_t cell, int32_t column, int32_t row) {
  CellKnowledge& known = state.known[cell];
  if (known.learnt != state.call) known = {state.call, state.map->GetCellFlag(column, row) != 0 ? 1u : 0u};
  return known.open != 0;
}

inline bool CellOpen(FinderState& state, int32_t column, int32_t row) {
  if (!Inside(state, column, row)) return false;
  return CellOpen(state, CellIndex(state, column, row), column, row);
}

SearchNode* NewNode(FinderState& state, int32_t column, int32_t row, int32_t g, int32_t h, SearchNode* parent) {
  SearchNode* node = state.nodes.New();
  node->column = column;
  node->row = row;
  node->f = g + h;
  node->g = g;
  node->h = h;
  node->order = state.nextOrder++;
  node->parent = parent;
  return node;
}

// Starts a search: empty lists, the root in the open list.
void BeginSearch(FinderState& state, SearchNode* root) {
  NextNumber(state.search, state.reached, &CellReach::listed);
  const size_t cell = CellIndex(state, root->column, root->row);
  state.reached[cell] = {state.search, root->g};
  state.cellNodes[cell] = root;
  state.open.AddNew(root);
}

// Ends a search: the lists forget their nodes, and the pool takes them back.
void EndSearch(FinderState& state) {
  state.open.Clear();
  state.nodes.Reset();
}

// A node already on a cell of the search was reached again from s at g steps, fewer than its own. (It keeps its
// h, so its f falls as much.) A closed node takes the cheaper way and stays closed; an open one moves up the open
// list. The one listed cell a search may not enter is the start's, whose g of 0 no way lowers.
[[gnu::cold]] void ReachAgain(FinderState& state, size_t cell, SearchNode* s, int32_t g) {
  SearchNode& there = *state.cellNodes[cell];
  state.reached[cell].g = g;
  there.parent = s;
  there.g = g;
  there.f = g + there.h;
  if (there.where != SearchNode::kClosed) state.open.Lower(&there);
}

// A cell the search has not been on, reached from s at g steps: a new node in the open list, when the walker may
// enter the cell or kThroughBlocked lets the search pass it.
template <bool kThroughBlocked>
void ReachNew(FinderState& state, SearchNode* s, int32_t g, size_t cell, int32_t column, int32_t row,
              int32_t targetColumn, int32_t targetRow) {
  if (!kThroughBlocked && !CellOpen(state, cell, column, row)) return;
  SearchNode* child = NewNode(state, column, row, g, SquaredDistance(column, row, targetColumn, targetRow), s);
  state.reached[cell] = {state.search, g};
  state.cellNodes[cell] = child;
  state.open.AddNew(child);
}

// Expands s towards the target cell over the first kNeighbours directions; kThroughBlocked lets the search pass
// cells that are not free (the search for a free goal).
template <int32_t kNeighbours, bool kThroughBlocked>
void ExpandOver(FinderState& state, SearchNode* s, int32_t targetColumn, int32_t targetRow) {
  // Every neighbour costs the same: past the limit, none is looked at.
  const int32_t g = s->g + kStepCost;
  if (g > state.costLimit) return;
  const int32_t column = s->column, row = s->row;
  const size_t here = CellIndex(state, column, row);
  const CellReach* const reached = state.reached.data();
  const uint32_t search = state.search;
  // Away from the map's edge every neighbour lies on the grid.
  const bool inner = column > 0 && row > 0 && column < state.width - 1 && row < state.height - 1;
  for (int32_t i = 0; i < kNeighbours; ++i) {
    if (!inner && !Inside(state, column + kDirectionX[i], row + kDirectionY[i])) continue;
    const size_t cell = here + static_cast<size_t>(state.neighbourOffsets[i]);
    if (reached[cell].listed == search) {
      if (g < reached[cell].g) ReachAgain(state, cell, s, g);
      continue;
    }
    ReachNew<kThroughBlocked>(state, s, g, cell, column + kDirectionX[i], row + kDirectionY[i], targetColumn,
                              targetRow);
  }
}

// From the blocked goal back towards the start, through blocked cells: the first free cell the search takes.
bool NearestFreeCell(FinderState& state, int32_t goalColumn, int32_t goalRow, int32_t startColumn,
                     int32_t startRow, int32_t* outColumn, int32_t* outRow) {
  BeginSearch(state, NewNode(state, goalColumn, goalRow, 0,
                             SquaredDistance(goalColumn, goalRow, startColumn, startRow), nullptr));
  bool found = false;
  while (SearchNode* s = state.open.TakeBest()) {
    ++state.expanded;
    if (CellOpen(state, s->column, s->row)) {
      *outColumn = s->column;
      *outRow = s->row;
      found = true;
      break;
    }
    ExpandOver<8, true>(state, s, startColumn, startRow);
  }
  EndSearch(state);
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

// The waypoints of the chain that ends at the node and leads back to the start (the start itself left out), the
// goal end first.
std::vector<PathNode> WaypointsOf(const SearchNode* last, const SearchNode* start) {
  std::vector<PathNode> waypoints;
  for (const SearchNode* node = last; node != nullptr && node != start; node = node->parent) {
    PathNode& waypoint = waypoints.emplace_back();
    static_cast<PathCell&>(waypoint) = *node;
    waypoint.order = node->order;
  }
  return waypoints;
}

// Whether the walker on the cell is near enough to the goal to stop there (approach mode).
bool IsNear(const FinderState& state, int32_t column, int32_t row, int32_t goalColumn, int32_t goalRow,
            int32_t neighbours) {
  const int32_t dx = std::abs(column - goalColumn), dy = std::abs(row - goalRow);
  bool near = std::max(dx, dy) < 2;
  if (!near && state.sprite != nullptr && state.map->CellWidth() > 0) {
    int32_t w = 0, h = 0;
    state.sprite->GetSize(&w, &h);
    const Point goal = state.map->CellCenter(goalColumn, goalRow);
    const Point here = state.map->CellCenter(column, row);
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

void Path::Assign(std::vector<PathNode> waypoints) {
  Free();
  const size_t count = waypoints.size();
  if (count == 0) return;
  nodes_ = std::make_unique<PathNode[]>(count);
  waypoints_.reserve(count);
  // The goal end first; each one's parent is the step before it (none for the first step).
  for (size_t index = 0; index < count; ++index) {
    PathNode& node = nodes_[index];
    node = waypoints[index];
    node.parent = index + 1 < count ? &nodes_[index + 1] : nullptr;
    waypoints_.push_back(&node);
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
  if (map->Width() != state.width || map->Height() != state.height || state.reached.empty()) {
    state.width = map->Width();
    state.height = map->Height();
    state.open.Create();
    const size_t cells = static_cast<size_t>(std::max(state.width, 0)) * static_cast<size_t>(std::max(state.height, 0));
    state.reached.assign(cells, CellReach{});
    state.cellNodes.assign(cells, nullptr);
    state.known.assign(cells, CellKnowledge{});
    for (size_t i = 0; i < state.neighbourOffsets.size(); ++i) {
      state.neighbourOffsets[i] = ptrdiff_t{kDirectionY[i]} * state.width + kDirectionX[i];
    }
    state.call = state.search = 0;
    state.seen.assign(cells, 0);
    state.seenCells.clear();
  }
  state.map = map;
}

void FreeLists() {
  FinderState& state = State();
  state.open.Free();
  state.nodes.Free();
  state.reached = {};
  state.cellNodes = {};
  state.known = {};
  state.call = state.search = 0;
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

  if (!map->IsInside(startColumn, startRow)) return nullptr;

  SearchNode* root =
      NewNode(state, startColumn, startRow, 0, SquaredDistance(startColumn, startRow, goalColumn, goalRow), nullptr);
  BeginSearch(state, root);
  SearchNode* found = nullptr;
  while (SearchNode* s = state.open.TakeBest()) {
    ++state.expanded;
    if (s->column == goalColumn && s->row == goalRow) {
      found = s;
      break;
    }
    if (approach && IsNear(state, s->column, s->row, goalColumn, goalRow, neighbours)) {
      found = NewNode(state, goalColumn, goalRow, s->g, s->h, s);
      found->f = s->f;
      break;
    }
    if (neighbours == 4) {
      ExpandOver<4, false>(state, s, goalColumn, goalRow);
    } else {
      ExpandOver<8, false>(state, s, goalColumn, goalRow);
    }
  }
  std::unique_ptr<Path> path;
  if (found != nullptr) {
    path = std::make_unique<Path>();
    path->Assign(WaypointsOf(found, root));
  }
  EndSearch(state);
  return path;
}

}  // namespace PathFinder
