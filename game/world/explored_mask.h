// Explored-area masks: for every map the player has been on, one bit per cell (set = explored) and the set of
// identifiers of the items already taken there, so that a taken item does not come back (or comes back opened)
// when the map loads again. All masks live in one global map from the map's name (compared byte for byte, so in
// that order) to its mask.
//
// The masks travel in saved games as one block (big-endian; a short string is a length byte and its bytes):
//   int16 M, then M records in name order:
//     short string map name (written shifted with direction 0, read back with direction 1)
//     int32 B, then B bytes: the explored bits, rows of ceil(width / 8) bytes, least significant bit first
//     int16 width, int16 height (in cells)
//     int16 1, int16 n, then n int16 identifiers in ascending order (older saves end the record before the 1)
//
// The block has one reader and one writer. Reading is split in two so that a saved game is checked whole before
// anything of the running game changes: ParseExploredMasks reads a block into a holding value
// (ExploredMaskRecord), refusing a damaged one, and AdoptExploredMasks replaces the running masks with it.
// WriteExploredMaskBlock writes a holding value; CaptureExploredMasks takes one from the running masks.
#pragma once

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "game/graphics/bit_mask.h"

class DataStream;

class ExploredMask {
 public:
  // A mask of clear bits, no identifiers, last revealed cell (-1, -1).
  ExploredMask(int32_t width, int32_t height);
  // A mask over bits read from a saved game: the mask adopts the block, which holds ceil(width / 8) x height
  // bytes.
  ExploredMask(int32_t width, int32_t height, MemHandle& bits);

  // Sets the bits of the 20 x 20 block around the cell (x, y) of a map of mapWidth x mapHeight cells (scaled to
  // the mask's size when the two differ), cut at the mask's first column and row and before its last ones (which
  // stay clear); nothing when (x, y) was the last cell revealed.
  void Reveal(int32_t x, int32_t y, int32_t mapWidth, int32_t mapHeight);
  bool IsExplored(int32_t column, int32_t row) const { return bits_.GetBit(column, row); }

  // The identifiers of the items taken on the map.
  bool HasValue(int16_t identifier) const { return identifiers_.count(identifier) != 0; }
  void Insert(int16_t identifier) { identifiers_.insert(identifier); }
  const std::set<int16_t>& Identifiers() const { return identifiers_; }

  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  const BitMask& Bits() const { return bits_; }
  int32_t LastX() const { return lastX_; }
  int32_t LastY() const { return lastY_; }

 private:
  int32_t width_;
  int32_t height_;
  BitMask bits_;
  std::set<int16_t> identifiers_;
  int32_t lastX_ = -1;
  int32_t lastY_ = -1;
};

// The mask of that name; a map without one gets a new clear mask of width x height, and so does a map whose
// mask has another size (its identifiers are kept: the items taken stay taken).
ExploredMask* GetExploredMask(const std::string& name, int32_t width, int32_t height);
// The mask of that name, or null; never makes one.
ExploredMask* FindExploredMask(const std::string& name);
// Frees every mask. ResetExploredMasks does the same for a new game.
void ClearExploredMasks();
void ResetExploredMasks();
int32_t ExploredMaskCount();

// One record of the saved block, as read or to be written.
struct ExploredMaskRecord {
  std::string name;
  std::vector<uint8_t> bits;
  int16_t width = 0;
  int16_t height = 0;
  bool hasIdentifiers = true;  // false for a record of an older save, written without them
  std::vector<int16_t> identifiers;

  bool operator==(const ExploredMaskRecord&) const = default;
};

// Reads a block into out. Every count is checked against the bytes that remain before it is used; a negative
// size or a byte count other than ceil(width / 8) x height damages the block. tail is the number of bytes that
// must still follow the block, which tells an older record's end from the identifiers' 1. False for a damaged
// or truncated block (out is then left as it was).
bool ParseExploredMasks(DataStream& stream, uint32_t tail, std::vector<ExploredMaskRecord>* out);
// Results of writing a block.
constexpr int32_t kMaskBlockWritten = 0;
constexpr int32_t kMaskBlockTooLarge = 1;   // a name, a count or a mask too large for the format
constexpr int32_t kMaskBlockWriteFailed = 2;
// Writes the records in the order given (always with their identifiers).
int32_t WriteExploredMaskBlock(DataStream& stream, const std::vector<ExploredMaskRecord>& records);
// The running masks as records, in name order.
std::vector<ExploredMaskRecord> CaptureExploredMasks();
// Replaces the running masks by the records (a later record of a name already taken replaces it).
void AdoptExploredMasks(const std::vector<ExploredMaskRecord>& records);

// The running masks written as a block, and a block read into the running masks (a damaged block leaves none).
void WriteExploredMasks(DataStream& stream);
void ReadExploredMasks(DataStream& stream);
