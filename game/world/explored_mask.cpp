// Explored-area masks, their global map and their saved-game block.
#include "game/world/explored_mask.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "game/shell/data/data_stream.h"
#include "game/shell/data/mem_handle.h"

namespace {

// Side of the revealed block, and how far its top-left corner lies up and left of the cell.
constexpr int32_t kRevealSize = 20;
constexpr int32_t kRevealBack = 11;
// A record holds at least a name's length byte, the byte count, the width and the height.
constexpr uint32_t kMinRecordBytes = 9;

using MaskMap = std::map<std::string, std::unique_ptr<ExploredMask>>;

MaskMap& Masks() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static auto* masks = new MaskMap;
  return *masks;
}

int64_t RowBytes(int64_t width) { return (width + 7) / 8; }

// The start and length of the revealed block along one axis of a mask of `size` cells, around `cell`.
void RevealSpan(int64_t cell, int64_t size, int64_t* start, int64_t* length) {
  int64_t first = cell - kRevealBack;
  int64_t count = kRevealSize;
  if (first < 0) {
    count = std::max<int64_t>(0, kRevealSize + first);
    first = 0;
  }
  // The block stops before the mask's last column (row): it is cut to size - start - 1 cells, so the last column
  // and the last row of a mask are never revealed.
  *start = first;
  *length = std::clamp<int64_t>(size - first - 1, 0, count);
}

}  // namespace

ExploredMask::ExploredMask(int32_t width, int32_t height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), bits_(width_, height_, false) {}

ExploredMask::ExploredMask(int32_t width, int32_t height, MemHandle& bits)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), bits_(width_, height_, bits, true) {}

void ExploredMask::Reveal(int32_t x, int32_t y, int32_t mapWidth, int32_t mapHeight) {
  if (x == lastX_ && y == lastY_) return;
  // The cell in the mask's own grid, which is the map's own size on every map read.
  const int64_t px = mapWidth > 0 ? int64_t{x} * width_ / mapWidth : x;
  const int64_t py = mapHeight > 0 ? int64_t{y} * height_ / mapHeight : y;
  int64_t left = 0, columns = 0, top = 0, rows = 0;
  RevealSpan(px, width_, &left, &columns);
  RevealSpan(py, height_, &top, &rows);
  for (int64_t row = top; row < top + rows; ++row) {
    for (int64_t column = left; column < left + columns; ++column) {
      bits_.SetBit(static_cast<int32_t>(column), static_cast<int32_t>(row), true);
    }
  }
  lastX_ = x;
  lastY_ = y;
}

// A mask of another size (the automap's empty one, or one saved for an older form of the map) is made anew at the
// size asked for, with its remembered items: revealed in the old size, the player's cells would light the wrong
// part of the map, or none of it.
ExploredMask* GetExploredMask(const std::string& name, int32_t width, int32_t height) {
  std::unique_ptr<ExploredMask>& mask = Masks()[name];
  if (mask != nullptr && mask->Width() == std::max(width, 0) && mask->Height() == std::max(height, 0)) {
    return mask.get();
  }
  auto made = std::make_unique<ExploredMask>(width, height);
  if (mask != nullptr) {
    for (int16_t identifier : mask->Identifiers()) made->Insert(identifier);
  }
  mask = std::move(made);
  return mask.get();
}

ExploredMask* FindExploredMask(const std::string& name) {
  auto found = Masks().find(name);
  return found != Masks().end() ? found->second.get() : nullptr;
}

void ClearExploredMasks() { Masks().clear(); }
void ResetExploredMasks() { ClearExploredMasks(); }
int32_t ExploredMaskCount() { return static_cast<int32_t>(Masks().size()); }

// ---- The saved-game block ----

// A block whose counts run past the stream, or whose byte count does not fit its size, is refused: its masks
// would be adopted with bits that describe no map, or read past the end of their memory.
bool ParseExploredMasks(DataStream& stream, uint32_t tail, std::vector<ExploredMaskRecord>* out) {
  auto remaining = [&]() -> uint64_t {
    if (stream.GetError() != 0) return 0;
    return stream.GetSize() - stream.GetPosition();
  };
  const int32_t count = stream.ReadInt16();
  if (stream.GetError() != 0 || count < 0 || uint64_t{static_cast<uint32_t>(count)} * kMinRecordBytes > remaining()) {
    return false;
  }
  std::vector<ExploredMaskRecord> records;
  for (int32_t i = 0; i < count; ++i) {
    ExploredMaskRecord record;
    stream.ReadPStringScrambled(record.name, true);
    const int32_t bytes = stream.ReadInt32();
    if (stream.GetError() != 0 || bytes < 0 || static_cast<uint64_t>(bytes) + 4 > remaining()) return false;
    record.bits.resize(static_cast<size_t>(bytes));
    if (bytes > 0 && stream.ReadBytes(record.bits.data(), static_cast<uint32_t>(bytes)) != 0) return false;
    record.width = stream.ReadInt16();
    record.height = stream.ReadInt16();
    if (stream.GetError() != 0 || record.width < 0 || record.height < 0 ||
        RowBytes(record.width) * record.height != bytes) {
      return false;
    }
    // Older saves end the record here; the identifiers follow a 1, when there is room for them at all.
    record.hasIdentifiers = false;
    if (remaining() >= 4 + uint64_t{tail}) {
      stream.PushPosition();
      const int16_t marker = stream.ReadInt16();
      if (marker == 1) {
        stream.PopPosition();
        stream.ReadInt16();
        const int32_t identifiers = stream.ReadInt16();
        if (stream.GetError() != 0 || identifiers < 0 ||
            uint64_t{static_cast<uint32_t>(identifiers)} * 2 > remaining()) {
          return false;
        }
        record.hasIdentifiers = true;
        for (int32_t k = 0; k < identifiers; ++k) record.identifiers.push_back(stream.ReadInt16());
      } else {
        stream.PopPosition();
      }
    }
    if (stream.GetError() != 0) return false;
    records.push_back(std::move(record));
  }
  *out = std::move(records);
  return true;
}

int32_t WriteExploredMaskBlock(DataStream& stream, const std::vector<ExploredMaskRecord>& records) {
  if (records.size() > INT16_MAX) return kMaskBlockTooLarge;
  bool failed = stream.WriteInt16(static_cast<int16_t>(records.size())) != 0;
  for (const ExploredMaskRecord& record : records) {
    if (record.name.size() > 255 || record.bits.size() > INT32_MAX || record.identifiers.size() > INT16_MAX) {
      return kMaskBlockTooLarge;
    }
    failed = failed || stream.WritePString(record.name, false) != 0;
    failed = failed || stream.WriteInt32(static_cast<int32_t>(record.bits.size())) != 0;
    if (!record.bits.empty()) {
      failed = failed || stream.WriteBytes(record.bits.data(), static_cast<uint32_t>(record.bits.size())) != 0;
    }
    failed = failed || stream.WriteInt16(record.width) != 0 || stream.WriteInt16(record.height) != 0;
    // Always with the identifiers, so that a reader never mistakes what follows for them.
    failed = failed || stream.WriteInt16(1) != 0;
    failed = failed || stream.WriteInt16(static_cast<int16_t>(record.identifiers.size())) != 0;
    for (int16_t identifier : record.identifiers) failed = failed || stream.WriteInt16(identifier) != 0;
  }
  return failed ? kMaskBlockWriteFailed : kMaskBlockWritten;
}

std::vector<ExploredMaskRecord> CaptureExploredMasks() {
  std::vector<ExploredMaskRecord> records;
  for (const auto& [name, mask] : Masks()) {
    ExploredMaskRecord record;
    record.name = name;
    record.width = static_cast<int16_t>(std::min(mask->Width(), int32_t{INT16_MAX}));
    record.height = static_cast<int16_t>(std::min(mask->Height(), int32_t{INT16_MAX}));
    const BitMask& bits = mask->Bits();
    // A mask too large for the format, or whose memory could not be had, is saved empty: its sizes cut to 16 bits
    // would not describe its bits, and the saved game could not be read back.
    if (record.width == mask->Width() && record.height == mask->Height() && bits.DataSize() > 0 &&
        bits.DataSize() == RowBytes(record.width) * record.height) {
      record.bits.assign(bits.BitData(), bits.BitData() + bits.DataSize());
    } else {
      record.width = record.height = 0;
    }
    record.identifiers.assign(mask->Identifiers().begin(), mask->Identifiers().end());
    records.push_back(std::move(record));
  }
  return records;
}

void AdoptExploredMasks(const std::vector<ExploredMaskRecord>& records) {
  ClearExploredMasks();
  for (const ExploredMaskRecord& record : records) {
    MemHandle block;
    std::unique_ptr<ExploredMask> mask;
    if (!record.bits.empty() && block.Allocate(record.bits.size())) {
      std::memcpy(block.Lock(), record.bits.data(), record.bits.size());
      block.Unlock();
      mask = std::make_unique<ExploredMask>(record.width, record.height, block);
    } else {
      mask = std::make_unique<ExploredMask>(record.width, record.height);
    }
    for (int16_t identifier : record.identifiers) mask->Insert(identifier);
    Masks()[record.name] = std::move(mask);
  }
}

void WriteExploredMasks(DataStream& stream) { WriteExploredMaskBlock(stream, CaptureExploredMasks()); }

void ReadExploredMasks(DataStream& stream) {
  std::vector<ExploredMaskRecord> records;
  if (!ParseExploredMasks(stream, 0, &records)) records.clear();
  AdoptExploredMasks(records);
}
