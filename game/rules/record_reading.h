// What the record readers of the game rules share: counts read from a record stream. A count of 0 or less
// means none. Short data does not fail a record: past the end of the data every field reads as 0 or an empty
// text and the record loads with them. Nothing is sized by a count before its entries have been read one by
// one, and a count is 16 bits, so a damaged count costs at most 32767 entries of zeros.
#pragma once

#include <cstdint>

#include "game/shell/data/data_stream.h"

// An int16 count; 0 for a negative count or a failed read.
inline int32_t ReadRecordCount(DataStream& stream) {
  int16_t count = stream.ReadInt16();
  return count > 0 && stream.GetError() == 0 ? count : 0;
}

// An int16 flag: not 0 means set.
inline bool ReadRecordFlag(DataStream& stream) { return stream.ReadInt16() != 0; }
