// The location history and its saved-game block.
#include "game/world/location_history.h"

#include "game/rules/character.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/main_loop.h"
#include "game/shell/media/media_lookup.h"
#include "game/shell/media/music_player.h"
#include "game/shell/record_lists.h"
#include "game/world/location.h"

namespace {

// The smallest entry of the block: four int16 and two empty strings.
constexpr uint32_t kMinEntryBytes = 10;

std::vector<LocationHistoryEntry>& History() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static auto* history = new std::vector<LocationHistoryEntry>;
  return *history;
}

bool Travel(const LocationHistoryEntry& entry) {
  if (!LocationExists(entry.location)) return false;
  Location* location = FindLocationByName(entry.location);
  if (location == nullptr) return false;
  if (entry.kind == kLocationKindMap) {
    if (Character* player = GetCurrentCharacter()) player->SetPosition(entry.x, entry.y);
  }
  if (!entry.music.empty()) {
    PlayMusicByName(entry.music);
  } else {
    StopMusic();
  }
  Location* current = GetCurrentLocation();
  // Nothing shown yet (a saved game opened at start-up): the place is entered, or nothing would be shown.
  if (current == nullptr) return location->Enter() == 0;
  if (location->GetName() != current->GetName()) {
    location->Enter();
  } else if (current->Kind() == kLocationKindMap) {
    current->Leave();
    current->Enter();
  }
  return true;
}

}  // namespace

namespace LocationHistory {

void Push() {
  const Location* current = GetCurrentLocation();
  if (current == nullptr) return;
  LocationHistoryEntry entry;
  entry.kind = current->Kind();
  if (entry.kind == kLocationKindScreen || entry.kind == kLocationKindMap) entry.location = current->GetName();
  if (entry.kind == kLocationKindMap) {
    if (const Character* player = GetCurrentCharacter()) player->GetPosition(&entry.x, &entry.y);
  }
  entry.music = CurrentMusicName();
  History().push_back(std::move(entry));
}

bool GoBack() {
  std::vector<LocationHistoryEntry>& history = History();
  if (history.empty() || (GetRunState() & kRunRunning) == 0) return false;
  // Taken off before the travel: entering a still screen pushes the place it was entered from.
  LocationHistoryEntry entry = std::move(history.back());
  history.pop_back();
  return Travel(entry);
}

void Drop() {
  if (!History().empty()) History().pop_back();
}

void LeaveAllAndClear() {
  // A copy: leaving a location may change the history.
  const std::vector<LocationHistoryEntry> entries = History();
  for (const LocationHistoryEntry& entry : entries) {
    if (Location* location = FindLocationByName(entry.location)) location->Leave();
  }
  History().clear();
}

void Clear() { History().clear(); }
void Reset() { History().clear(); }
int32_t Count() { return static_cast<int32_t>(History().size()); }
const std::vector<LocationHistoryEntry>& Entries() { return History(); }
void Adopt(std::vector<LocationHistoryEntry> entries) { History() = std::move(entries); }

// A block that runs past the end of the stream is refused, not read as empty places past its end: the game would
// open on no place, or on the wrong one, and be taken for a good one.
bool Read(DataStream& stream, std::vector<LocationHistoryEntry>* out) {
  const int32_t count = stream.ReadInt16();
  if (stream.GetError() != 0 || count < 0 ||
      uint64_t{static_cast<uint32_t>(count)} * kMinEntryBytes > stream.GetSize() - stream.GetPosition()) {
    return false;
  }
  std::vector<LocationHistoryEntry> entries;
  for (int32_t i = 0; i < count; ++i) {
    LocationHistoryEntry entry;
    entry.kind = stream.ReadInt16();
    entry.x = stream.ReadInt16();
    entry.y = stream.ReadInt16();
    stream.ReadInt16();  // always 0
    stream.ReadPStringScrambled(entry.location, false);
    stream.ReadPStringScrambled(entry.music, false);
    if (stream.GetError() != 0) return false;
    entries.push_back(std::move(entry));
  }
  *out = std::move(entries);
  return true;
}

// A name longer than a short string holds is refused: stored cut, it would name a place that the saved game could
// not find again.
int32_t Write(DataStream& stream, const std::vector<LocationHistoryEntry>& entries) {
  if (entries.size() > INT16_MAX) return kHistoryBlockTooLarge;
  bool failed = stream.WriteInt16(static_cast<int16_t>(entries.size())) != 0;
  for (const LocationHistoryEntry& entry : entries) {
    if (entry.location.size() > 255 || entry.music.size() > 255) return kHistoryBlockTooLarge;
    failed = failed || stream.WriteInt16(static_cast<int16_t>(entry.kind)) != 0;
    failed = failed || stream.WriteInt16(static_cast<int16_t>(entry.x)) != 0;
    failed = failed || stream.WriteInt16(static_cast<int16_t>(entry.y)) != 0;
    failed = failed || stream.WriteInt16(0) != 0;
    failed = failed || stream.WritePString(entry.location, true) != 0;
    failed = failed || stream.WritePString(entry.music, true) != 0;
  }
  return failed ? kHistoryBlockWriteFailed : kHistoryBlockWritten;
}

}  // namespace LocationHistory
