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

// A node of a search: its cell and costs (h, measured to the search's target, is f - g: a node reached again
// keeps it), the node it was reached from, and its place in the open list. The search keeps its own small nodes
// and copies the path's waypoints out of them at the end.
struct SearchNode {
  int32_t column = 0;
  int32_t row = 0;
  int32_t f = 0;
  int32_t g = 0;
  uint32_t order = 0;  // when it entered the open list (the first of equal costs is taken first)
  // Where the node is: in the open list (in a bucket or in the heap), or taken off it into the closed list.
  enum Where : uint8_t { kClosed, kInBucket, kInHeap } where = kClosed;
  SearchNode* parent = nullptr;
  SearchNode* next = nullptr;  // the node after it in the open list's bucket of its f
  int32_t H() const { return f - g; }
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
    filled_.assign(kWords, 0);
    Clear();
  }
  void Free() {
    buckets_ = {};
    filled_ = {};
    heap_ = {};
    lowWord_ = kWords;
    highWord_ = 0;
  }
  // Adds a node new to the search (it came last of all).
  [[gnu::always_inline]] void AddNew(SearchNode* node) {
    if (!Kept(node)) return;
    Bucket& bucket = buckets_[static_cast<size_t>(node->f)];
    node->next = nullptr;
    (bucket.last != nullptr ? bucket.last->next : bucket.first) = node;
    bucket.last = node;
  }
  // A node of the list whose f fell from oldF: it is kept again at its new cost, in its place among the nodes
  // there.
  [[gnu::cold]] void Lower(SearchNode* node, int32_t oldF) {
    if (node->where == SearchNode::kInBucket) Unlink(node, oldF);
    if (!Kept(node)) return;
    Bucket& bucket = buckets_[static_cast<size_t>(node->f)];
    SearchNode** link = &bucket.first;
    while (*link != nullptr && (*link)->order < node->order) link = &(*link)->next;
    node->next = *link;
    *link = node;
    if (node->next == nullptr) bucket.last = node;
  }
  // Takes the node of lowest f off the list; among equal ones the one that came first.
  [[gnu::always_inline]] SearchNode* TakeBest() {
    for (size_t word = lowWord_; word <= highWord_ && word < kWords; ++word) {
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
    lowWord_ = kWords;
    return TakeFromHeap();
  }
  // Forgets every node (touching only the buckets used), freeing none.
  void Clear() {
    for (size_t word = lowWord_; word <= highWord_ && word < kWords; ++word) {
      // A bucket holds nodes exactly while its bit is set.
      for (uint64_t bits = filled_[word]; bits != 0; bits &= bits - 1) {
        buckets_[word * 64 + static_cast<size_t>(__builtin_ctzll(bits))] = Bucket{};
      }
      filled_[word] = 0;
    }
    heap_.clear();
    lowWord_ = kWords;
    highWord_ = 0;
  }

 private:
  static constexpr size_t kBuckets = 16384;
  static constexpr size_t kWords = kBuckets / 64;
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

  // Notes where the node is kept: true for a bucket (marked as holding nodes, the node for the caller to link
  // in), false for the heap (entered there).
  [[gnu::always_inline]] bool Kept(SearchNode* node) {
    const int32_t cost = node->f;
    if (cost < 0 || static_cast<size_t>(cost) >= kBuckets) {
      EnterHeap(node);
      return false;
    }
    const size_t f = static_cast<size_t>(cost);
    node->where = SearchNode::kInBucket;
    filled_[f / 64] |= uint64_t{1} << (f % 64);
    lowWord_ = std::min(lowWord_, f / 64);
    highWord_ = std::max(highWord_, f / 64);
    return true;
  }
  [[gnu::cold]] void EnterHeap(SearchNode* node) {
    node->where = SearchNode::kInHeap;
    heap_.push_back(Entry{node->f, node->order, node});
    std::push_heap(heap_.begin(), heap_.end(), Later);
  }
  [[gnu::cold]] SearchNode* TakeFromHeap() {
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
  // Takes the node out of the chain of the bucket of f (a rare move: the chains are short).
  void Unlink(SearchNode* node, int32_t cost) {
    const size_t f = static_cast<size_t>(cost);
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

  std::vector<Bucket> buckets_;  // each bucket's chain, by f
  std::vector<uint64_t> filled_;
  // No word below lowWord_ or above highWord_ holds nodes.
  size_t lowWord_ = kWords;
  size_t highWord_ = 0;
  std::vector<Entry> heap_;  // entries of f from kBuckets up
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

// The cells the blocking figures keep a walker out of, for walkers of one collision radius: for each cell, how
// many figures do (TileMap::IsCellFree's test, a figure's reference point against the cell's centre, worked out
// figure by figure). The marks are kept from one search to the next while no sprite has moved or changed and no
// blocking list has changed (Sprite::PlacementVersion); when something has, only the figures that now stand
// elsewhere, or that came or went, are marked again. A walker that is a blocking figure itself takes its own marks
// off for its call, and puts them back after.
class FigureMarks {
 public:
  // Brings the marks up to date for the map's blocking figures and a walker of the radius.
  void Update(const TileMap& map, int64_t radius) {
    const Geometry geometry{map.Generation(), map.Width(), map.Height(), map.CellWidth(), map.CellHeight(),
                            map.CollisionSlack()};
    if (!(geometry == geometry_)) {
      geometry_ = geometry;
      counts_.assign(static_cast<size_t>(geometry.width) * static_cast<size_t>(geometry.height), 0);
      figures_.clear();
      known_ = false;
    }
    const uint64_t version = Sprite::PlacementVersion();
    if (known_ && version == version_ && radius == radius_) return;
    if (!known_ || radius != radius_) {
      for (const Figure& figure : figures_) Mark(map, figure, -1);
      figures_.clear();
    }
    // Figure by figure in list order: a figure that stands where it stood keeps its marks.
    const std::vector<Sprite*>& list = map.BlockingList();
    const size_t kept = figures_.size();
    figures_.resize(std::max(kept, list.size()));
    for (size_t i = 0; i < figures_.size(); ++i) {
      const Figure now = i < list.size() ? FigureOf(map, *list[i], radius) : Figure{};
      if (i < kept && i < list.size() && now == figures_[i]) continue;
      if (i < kept) Mark(map, figures_[i], -1);
      Mark(map, now, 1);
      figures_[i] = now;
    }
    figures_.resize(list.size());
    version_ = version;
    radius_ = radius;
    known_ = true;
  }
  // Takes the walker's own marks off, until Restore.
  void Lift(const TileMap& map, const Sprite* walker) {
    lifted_.clear();
    if (walker == nullptr) return;
    for (size_t i = 0; i < figures_.size(); ++i) {
      if (figures_[i].sprite != walker) continue;
      Mark(map, figures_[i], -1);
      lifted_.push_back(i);
    }
  }
  void Restore(const TileMap& map) {
    for (size_t i : lifted_) Mark(map, figures_[i], 1);
    lifted_.clear();
  }
  void Free() {
    counts_ = {};
    figures_ = {};
    lifted_ = {};
    geometry_ = Geometry{};
    known_ = false;
  }
  // For each cell, at the map's CellIndex, the figures that keep the walker out of it.
  const uint32_t* Counts() const { return counts_.data(); }

 private:
  struct Geometry {
    uint64_t map = 0;  // the map's generation
    int32_t width = 0, height = 0, cellWidth = 0, cellHeight = 0, slack = 0;
    bool operator==(const Geometry&) const = default;
  };
  // A figure as marked: its reference point and how near a cell's centre may come to it (nothing marked when
  // the reach is 0).
  struct Figure {
    const Sprite* sprite = nullptr;
    int64_t x = 0, y = 0, reach = 0;
    bool operator==(const Figure&) const = default;
  };

  Figure FigureOf(const TileMap& map, const Sprite& sprite, int64_t radius) const {
    Figure figure{&sprite};
    if (radius == 0 || map.CellWidth() <= 0 || map.CellHeight() <= 0) return figure;
    figure.reach = std::max<int64_t>(int64_t{sprite.GetCollisionRadius()} + radius - map.CollisionSlack(), 0);
    int32_t offsetX = 0, offsetY = 0;
    sprite.GetSize(&offsetX, &offsetY);
    figure.x = int64_t{TruncateToInt32(sprite.PositionX())} + offsetX;
    figure.y = int64_t{TruncateToInt32(sprite.PositionY())} + offsetY;
    return figure;
  }

  // Counts the figure in (delta 1) or out (-1) at every cell whose centre lies within its reach: the larger of
  // |dx| and |dy| between the two points below it.
  void Mark(const TileMap& map, const Figure& figure, int32_t delta) {
    if (figure.reach <= 0) return;
    const int64_t cellWidth = map.CellWidth(), cellHeight = map.CellHeight(), reach = figure.reach;
    const int64_t firstColumn = std::max<int64_t>(FloorDivide(figure.x - reach - cellWidth / 2, cellWidth), 0);
    const int64_t lastColumn =
        std::min<int64_t>(FloorDivide(figure.x + reach - cellWidth / 2, cellWidth) + 1, int64_t{map.Width()} - 1);
    const int64_t firstRow = std::max<int64_t>(FloorDivide(figure.y - reach - cellHeight / 2, cellHeight), 0);
    const int64_t lastRow =
        std::min<int64_t>(FloorDivide(figure.y + reach - cellHeight / 2, cellHeight) + 1, int64_t{map.Height()} - 1);
    for (int64_t column = firstColumn; column <= lastColumn; ++column) {
      for (int64_t row = firstRow; row <= lastRow; ++row) {
        const int32_t x = static_cast<int32_t>(column), y = static_cast<int32_t>(row);
        const Point centre = map.CellCenter(x, y);
        if (std::max(std::llabs(figure.x - centre.x), std::llabs(figure.y - centre.y)) >= reach) continue;
        uint32_t& count = counts_[map.CellIndex(x, y)];
        count = delta > 0 ? count + 1 : count - 1;
      }
    }
  }

  Geometry geometry_;
  std::vector<uint32_t> counts_;
  std::vector<Figure> figures_;  // the blocking list as marked, in its order
  std::vector<size_t> lifted_;   // the walker's own figures, taken off for the call
  uint64_t version_ = 0;
  int64_t radius_ = 0;
  bool known_ = false;  // whether the marks stand for version_ and radius_
};

// What a search knows of a cell, by the map's CellIndex: the number of the search that put a node on it (it
// counts only for that one, so that nothing is cleared between searches), that node, and its g, which every look
// at a neighbour already listed needs.
struct CellEntry {
  uint32_t search = 0;
  int32_t g = 0;
  SearchNode* node = nullptr;
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
  // The open and closed lists' index by cell.
  std::vector<CellEntry> cells;
  uint32_t search = 0;  // the current search, for CellEntry::search
  // Whether the walker may enter a cell: its free flag set, and no figure in the way. Set for a call.
  const uint8_t* flags = nullptr;
  const uint32_t* blocked = nullptr;
  FigureMarks figures;
  std::array<ptrdiff_t, 8> neighbourOffsets{};  // from a cell's index to its neighbours', by direction
  // The cells a look around the goal has reached (1), and the list of them.
  std::vector<uint8_t> seen;
  std::vector<size_t> seenCells;
};

FinderState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static auto* state = new FinderState;
  return *state;
}

bool Inside(const FinderState& state, int32_t column, int32_t row) {
  return column >= 0 && row >= 0 && column < state.width && row < state.height;
}

// The map's own CellIndex: the cells lie column by column.
size_t CellIndex(const FinderState& state, int32_t column, int32_t row) {
  return static_cast<size_t>(column) * static_cast<size_t>(state.height) + static_cast<size_t>(row);
}

// The cell tests of one call (FindPath or CellOpenForSearch): the figures' marks brought up to date for the
// walker, the walker's own taken off until the call ends.
class CallCells {
 public:
  explicit CallCells(FinderState& state) : state_(state) {
    const TileMap& map = *state.map;
    const int64_t radius = state.sprite != nullptr ? state.sprite->GetCollisionRadius() : map.CellWidth() / 2;
    state.figures.Update(map, radius);
    state.figures.Lift(map, state.sprite);
    state.flags = map.CellFlags();
    state.blocked = state.figures.Counts();
  }
  ~CallCells() { state_.figures.Restore(*state_.map); }
  CallCells(const CallCells&) = delete;
  CallCells& operator=(const CallCells&) = delete;

 private:
  FinderState& state_;
};

// IsCellFreeAndOpen for a cell of the grid: its flag (which no search changes while it runs) and the figures.
inline bool CellOpen(const FinderState& state, size_t cell) {
  return state.flags[cell] != 0 && state.blocked[cell] == 0;
}

inline bool CellOpen(const FinderState& state, int32_t column, int32_t row) {
  return Inside(state, column, row) && CellOpen(state, CellIndex(state, column, row));
}

SearchNode* NewNode(FinderState& state, int32_t column, int32_t row, int32_t g, int32_t h, SearchNode* parent) {
  SearchNode* node = state.nodes.New();
  node->column = column;
  node->row = row;
  node->f = g + h;
  node->g = g;
  node->order = state.nextOrder++;
  node->parent = parent;
  return node;
}

// Starts a search: empty lists, the root in the open list. When the search numbers wrap round, the cells' old
// ones are wiped first.
void BeginSearch(FinderState& state, SearchNode* root) {
  if (++state.search == 0) {
    for (CellEntry& entry : state.cells) entry.search = 0;
    state.search = 1;
  }
  state.cells[CellIndex(state, root->column, root->row)] = {state.search, root->g, root};
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
[[gnu::cold]] void ReachAgain(FinderState& state, CellEntry& entry, SearchNode* s, int32_t g) {
  SearchNode& there = *entry.node;
  const int32_t oldF = there.f;
  entry.g = g;
  there.f = g + there.H();
  there.g = g;
  there.parent = s;
  if (there.where != SearchNode::kClosed) state.open.Lower(&there, oldF);
}

// What a search does with the node it has just taken.
enum class Verdict { kExpand, kEnd, kGiveUp };

// Expands s over the first kNeighbours directions: a cell the search has not been on becomes a new node in the
// open list (h measured to the target) when the walker may enter it, or kThroughBlocked lets the search pass it;
// one it has been on may be reached again more cheaply. kEdge: s lies on the map's edge, and the neighbours off
// the grid are left out. The search's values are handed in so that they stay in registers.
template <int32_t kNeighbours, bool kThroughBlocked, bool kEdge>
[[gnu::always_inline]] inline void Expand(FinderState& state, SearchNode* s, int32_t g, CellEntry* cells,
                                          const uint8_t* flags, const uint32_t* blocked, const ptrdiff_t* offsets,
                                          uint32_t search, int32_t targetColumn, int32_t targetRow,
                                          uint32_t& order) {
  const int32_t column = s->column, row = s->row;
  const size_t here = CellIndex(state, column, row);
#pragma GCC unroll 8
  for (int32_t i = 0; i < kNeighbours; ++i) {
    const int32_t x = column + kDirectionX[i], y = row + kDirectionY[i];
    if (kEdge && !Inside(state, x, y)) continue;
    const size_t cell = here + static_cast<size_t>(offsets[i]);
    CellEntry& entry = cells[cell];
    if (entry.search == search) {
      if (g < entry.g) ReachAgain(state, entry, s, g);
      continue;
    }
    if (!kThroughBlocked && (flags[cell] == 0 || blocked[cell] != 0)) continue;
    SearchNode* child = state.nodes.New();
    child->column = x;
    child->row = y;
    child->f = g + SquaredDistance(x, y, targetColumn, targetRow);
    child->g = g;
    child->order = order++;
    child->parent = s;
    entry = {search, g, child};
    state.open.AddNew(child);
  }
}

// A search from the root that BeginSearch put in: takes the open node of lowest f, asks judge what to do with it,
// and expands it towards the target over the first kNeighbours directions within the cost limit (kThroughBlocked
// lets it pass cells that are not free). The node that ended the search, or null when the open list ran out or
// judge gave up.
template <int32_t kNeighbours, bool kThroughBlocked, typename Judge>
SearchNode* RunSearch(FinderState& state, int32_t targetColumn, int32_t targetRow, Judge judge) {
  CellEntry* const cells = state.cells.data();
  const uint8_t* const flags = state.flags;
  const uint32_t* const blocked = state.blocked;
  const uint32_t search = state.search;
  const int32_t lastColumn = state.width - 1, lastRow = state.height - 1, costLimit = state.costLimit;
  ptrdiff_t offsets[8];
  std::copy(state.neighbourOffsets.begin(), state.neighbourOffsets.end(), offsets);
  uint32_t order = state.nextOrder;
  int64_t expanded = 0;
  SearchNode* ended = nullptr;
  while (SearchNode* s = state.open.TakeBest()) {
    ++expanded;
    const Verdict verdict = judge(s);
    if (verdict != Verdict::kExpand) {
      ended = verdict == Verdict::kEnd ? s : nullptr;
      break;
    }
    // Every neighbour costs the same: past the limit, none is looked at.
    const int32_t g = s->g + kStepCost;
    if (g > costLimit) continue;
    // Away from the map's edge every neighbour lies on the grid.
    if (s->column > 0 && s->row > 0 && s->column < lastColumn && s->row < lastRow) {
      Expand<kNeighbours, kThroughBlocked, false>(state, s, g, cells, flags, blocked, offsets, search, targetColumn,
                                                  targetRow, order);
    } else {
      Expand<kNeighbours, kThroughBlocked, true>(state, s, g, cells, flags, blocked, offsets, search, targetColumn,
                                                 targetRow, order);
    }
  }
  state.nextOrder = order;
  state.expanded += expanded;
  return ended;
}

// From the blocked goal back towards the start, through blocked cells: the first free cell the search takes.
bool NearestFreeCell(FinderState& state, int32_t goalColumn, int32_t goalRow, int32_t startColumn,
                     int32_t startRow, int32_t* outColumn, int32_t* outRow) {
  BeginSearch(state, NewNode(state, goalColumn, goalRow, 0,
                             SquaredDistance(goalColumn, goalRow, startColumn, startRow), nullptr));
  const SearchNode* found = RunSearch<8, true>(state, startColumn, startRow, [&](const SearchNode* s) {
    return CellOpen(state, s->column, s->row) ? Verdict::kEnd : Verdict::kExpand;
  });
  if (found != nullptr) {
    *outColumn = found->column;
    *outRow = found->row;
  }
  EndSearch(state);
  return found != nullptr;
}

// Whether the goal lies in a small pocket of open cells that does not reach the start: the cells around the goal
// are flooded, and when the flood runs out (within kPocketCells cells) without coming next to the start, no search
// can get there. A flood that grows past that gives no answer, and the search goes on as usual.
constexpr size_t kPocketCells = 64;
bool GoalWalledOff(FinderState& state, int32_t startColumn, int32_t startRow, int32_t goalColumn, int32_t goalRow,
                   int32_t neighbours) {
  for (size_t cell : state.seenCells) state.seen[cell] = 0;
  state.seenCells.clear();
  state.seen[CellIndex(state, goalColumn, goalRow)] = 1;
  state.seenCells.push_back(CellIndex(state, goalColumn, goalRow));
  for (size_t next = 0; next < state.seenCells.size(); ++next) {
    if (state.seenCells.size() > kPocketCells) return false;
    const int32_t column = static_cast<int32_t>(state.seenCells[next] / static_cast<size_t>(state.height));
    const int32_t row = static_cast<int32_t>(state.seenCells[next] % static_cast<size_t>(state.height));
    for (int32_t i = 0; i < neighbours; ++i) {
      const int32_t x = column + kDirectionX[i], y = row + kDirectionY[i];
      if (x == startColumn && y == startRow) return false;
      if (!CellOpen(state, x, y)) continue;
      const size_t cell = CellIndex(state, x, y);
      if (state.seen[cell] != 0) continue;
      state.seen[cell] = 1;
      state.seenCells.push_back(cell);
    }
  }
  return true;
}

// The path along the chain that ends at the node and leads back to the start (the start itself left out).
std::unique_ptr<Path> PathOf(const SearchNode* last, const SearchNode* start) {
  size_t count = 0;
  for (const SearchNode* node = last; node != nullptr && node != start; node = node->parent) ++count;
  auto path = std::make_unique<Path>();
  PathNode* waypoint = path->SetLength(count);
  for (const SearchNode* node = last; node != nullptr && node != start; node = node->parent, ++waypoint) {
    waypoint->column = node->column;
    waypoint->row = node->row;
    waypoint->f = node->f;
    waypoint->g = node->g;
    waypoint->h = node->H();
    waypoint->order = node->order;
  }
  return path;
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

PathNode* Path::SetLength(size_t count) {
  Free();
  if (count == 0) return nullptr;
  // Each node made once, by its own initialisers (make_unique would clear the array first).
  nodes_.reset(new PathNode[count]);
  waypoints_.resize(count);
  // The goal end first; each one's parent is the step before it (none for the first step).
  for (size_t index = 0; index < count; ++index) {
    nodes_[index].parent = index + 1 < count ? &nodes_[index + 1] : nullptr;
    waypoints_[index] = &nodes_[index];
  }
  return nodes_.get();
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
  if (map->Width() != state.width || map->Height() != state.height || state.cells.empty()) {
    state.width = map->Width();
    state.height = map->Height();
    state.open.Create();
    const size_t cells = static_cast<size_t>(std::max(state.width, 0)) * static_cast<size_t>(std::max(state.height, 0));
    state.cells.assign(cells, CellEntry{});
    for (size_t i = 0; i < state.neighbourOffsets.size(); ++i) {
      state.neighbourOffsets[i] = ptrdiff_t{kDirectionX[i]} * state.height + kDirectionY[i];
    }
    state.search = 0;
    state.seen.assign(cells, 0);
    state.seenCells.clear();
  }
  state.map = map;
}

void FreeLists() {
  FinderState& state = State();
  state.open.Free();
  state.nodes.Free();
  state.cells = {};
  state.search = 0;
  state.figures.Free();
  state.flags = nullptr;
  state.blocked = nullptr;
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
  if (state.width <= 0 || state.height <= 0) return false;
  state.sprite = sprite != nullptr && sprite->GetCollisionRadius() != 0 ? sprite : nullptr;
  const CallCells cells(state);
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
  const CallCells cells(state);

  if (!CellOpen(state, goalColumn, goalRow)) {
    int32_t column = goalColumn, row = goalRow;
    if (approach) {
      // The free cell nearest around the goal, the goal itself left out. With none around it (the rings never
      // reach the first row and column) the search goes on towards the cell the search for one gives back, the
      // goal itself: the walker only has to come near it.
      const uint8_t flag = map->GetCellFlag(goalColumn, goalRow);
      map->SetCellFlag(goalColumn, goalRow, 0);
      map->FindFreeCellNear(goalColumn, goalRow, false, state.sprite, &column, &row);
      if (flag != 0) map->SetCellFlag(goalColumn, goalRow, 1);
    } else if (!NearestFreeCell(state, goalColumn, goalRow, startColumn, startRow, &column, &row)) {
      return nullptr;
    }
    goalColumn = column;
    goalRow = row;
    if (goalColumn == startColumn && goalRow == startRow) return nullptr;
  }
  // Shortcuts for searches that cannot succeed: a step changes neither coordinate by more than 1, and a goal shut
  // in a pocket of its own is never reached. The pocket is looked for only once the search has taken as many
  // nodes as the pocket may hold cells, so that a search that ends sooner does not pay for the look. (Approach
  // mode may stop short of the goal, so it has no shortcut.)
  bool pocketLooked = false;
  if (!approach &&
      std::max(std::abs(int64_t{goalColumn} - startColumn), std::abs(int64_t{goalRow} - startRow)) > costLimit) {
    return nullptr;
  }

  if (!map->IsInside(startColumn, startRow)) return nullptr;

  SearchNode* root =
      NewNode(state, startColumn, startRow, 0, SquaredDistance(startColumn, startRow, goalColumn, goalRow), nullptr);
  BeginSearch(state, root);
  size_t taken = 0;
  // Kept out of line: most nodes are neither the goal nor looked at further (approach mode alone looks at every
  // node further).
  auto further = [&](const SearchNode* s) __attribute__((noinline)) {
    if (approach && IsNear(state, s->column, s->row, goalColumn, goalRow, neighbours)) return Verdict::kEnd;
    if (!approach && ++taken >= kPocketCells) {
      pocketLooked = true;
      if (GoalWalledOff(state, startColumn, startRow, goalColumn, goalRow, neighbours)) return Verdict::kGiveUp;
    }
    return Verdict::kExpand;
  };
  auto judge = [&](const SearchNode* s) {
    if (s->column == goalColumn && s->row == goalRow) return Verdict::kEnd;
    return pocketLooked ? Verdict::kExpand : further(s);
  };
  SearchNode* found = neighbours == 4 ? RunSearch<4, false>(state, goalColumn, goalRow, judge)
                                      : RunSearch<8, false>(state, goalColumn, goalRow, judge);
  // Near enough in approach mode: the goal's node follows the one the walker stops on, at its costs.
  if (found != nullptr && (found->column != goalColumn || found->row != goalRow)) {
    found = NewNode(state, goalColumn, goalRow, found->g, found->H(), found);
  }
  std::unique_ptr<Path> path = found != nullptr ? PathOf(found, root) : nullptr;
  EndSearch(state);
  return path;
}

}  // namespace PathFinder
