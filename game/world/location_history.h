// The location history: a stack of the places the player can go back to. A still screen entered from a map
// remembers the map and where the player stood on it; a shop remembers where it was opened from and goes back
// there when its dialog closes; the script actions "Sa" and "R" push and pop it; a saved game carries it, the
// place where the game was saved on top.
//
// Saved-game block (big-endian): int16 N, then N entries, bottom first: int16 kind, int16 x, int16 y, int16 0,
// then the location's name and the music's name, each a short string (a length byte and its bytes) stored
// shifted. The block has one reader and one writer. Reading is split in two, so that a saved game is checked
// whole before anything of the running game changes: Read parses a block into a holding value, refusing a
// damaged one, and Adopt makes a holding value the running history.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class DataStream;

struct LocationHistoryEntry {
  int32_t kind = 0;    // the location's kind
  int32_t x = 0;       // the player's cell on a map location; 0 for the other kinds
  int32_t y = 0;
  int32_t fourth = 0;  // always 0
  std::string location;  // the location's name, for still screens and maps; empty for the other kinds
  std::string music;     // the music playing when the entry was pushed, empty for none

  bool operator==(const LocationHistoryEntry&) const = default;
};

// Results of writing a block.
constexpr int32_t kHistoryBlockWritten = 0;
constexpr int32_t kHistoryBlockTooLarge = 1;  // a name or the count too large for the format
constexpr int32_t kHistoryBlockWriteFailed = 2;

namespace LocationHistory {
// Remembers the current location, when there is one: its kind, its name for a still screen or a map, the
// player's cell on a map, and the music playing.
void Push();
// Takes the top entry off and travels to its place: its music plays (or the music stops), and its location is
// entered unless it is the still screen shown already (a map that is current is left and entered again). False
// when the history is empty, the game is not running (the entry stays), or the place no longer exists.
bool GoBack();
// Forgets the top entry, when there is one.
void Drop();
// Leaves the location of each entry, bottom first, then empties the history.
void LeaveAllAndClear();
// Empty the history without leaving anything.
void Clear();
void Reset();
int32_t Count();
const std::vector<LocationHistoryEntry>& Entries();
// Makes the entries the history, bottom first.
void Adopt(std::vector<LocationHistoryEntry> entries);

// Reads a block into out. Every count is checked against the bytes that remain before it is used. False for a
// damaged or truncated block (out is then left as it was).
bool Read(DataStream& stream, std::vector<LocationHistoryEntry>* out);
// Writes the entries as a block.
int32_t Write(DataStream& stream, const std::vector<LocationHistoryEntry>& entries);
}  // namespace LocationHistory
