// Script-only locations.
#include "game/world/script_location.h"

#include "game/rules/script_event.h"
#include "game/shell/data/data_stream.h"

ScriptLocation::ScriptLocation(DataStream& stream) : Location(stream) {
  stream.ReadPString(enterEvent_);
  stream.ReadPString(keptText_);
  enterActions_ = std::make_unique<ScriptEvent>(stream);
  ownEvent_ = LoadEvent(GetName());
}

ScriptLocation::~ScriptLocation() = default;

int32_t ScriptLocation::Enter() {
  if (IsActive()) return 0;
  // Active while its script runs, so that the script cannot enter it again.
  SetActive(true);
  RunLinks();
  CallEventName(enterEvent_);
  RunEventRecord(enterActions_.get());
  RunEventRecord(ownEvent_.get());
  Leave();
  return 0;
}

void ScriptLocation::Leave() { SetActive(false); }
