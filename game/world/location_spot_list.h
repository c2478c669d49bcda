// LocationSpotList: a list of key shortcuts, each a key and the script event that the key runs. Still screens and
// map locations each have one, and the scenario's "Config" file holds the global list.
//
// Record (big-endian): an int16 count, then per entry a key text (short string, whose first character is the
// key), an int16 exact flag and the event name (short string, shifted up on reading).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/named_record.h"
#include "game/rules/script_event.h"

struct LocationSpot {
  std::string keyText;
  int16_t exact = 0;
  std::string eventName;
  std::unique_ptr<ScriptEvent> event;  // null when the event file is missing
};

class LocationSpotList : public NamedRecord {
 public:
  explicit LocationSpotList(DataStream& stream);
  ~LocationSpotList() override;

  const std::vector<LocationSpot>& Entries() const { return entries_; }

 private:
  std::vector<LocationSpot> entries_;
};

// Runs the first entry whose key is down: with the exact flag the key's own slot, else the slot of its lower-case
// form or, failing that, of its upper-case form. The entry releases the slot of the key as written and runs its
// event. Entries without an event are passed over. True when one ran.
bool RunFirstUsableSpot(LocationSpotList& list);
