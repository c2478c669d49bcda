// The fixed table: 500 values spread over 0 to 32767, made once by a small generator of the game's own. The
// values are part of the saved-game format: changing them makes older saved games unreadable.
#include "game/rules/random_table.h"

#include <array>
#include <cstddef>

namespace {

constexpr std::array<int16_t, kRandomTableSize> MakeTable() {
  std::array<int16_t, kRandomTableSize> table{};
  uint32_t state = 0x2545F491u;
  for (int16_t& value : table) {
    state = state * 1664525u + 1013904223u;
    value = static_cast<int16_t>((state >> 16) & 0x7FFFu);
  }
  return table;
}

constexpr std::array<int16_t, kRandomTableSize> kTable = MakeTable();

}  // namespace

int16_t RandomTableValue(int32_t index, int32_t key) {
  int64_t sum = static_cast<int64_t>(index) + key;
  int64_t entry = sum % kRandomTableSize;
  // A negative sum (a level a script set below 0) still names an entry of the table, never one before it.
  if (entry < 0) entry += kRandomTableSize;
  return kTable[static_cast<size_t>(entry)];
}
