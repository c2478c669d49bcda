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
  // Active only once its script has run: a script that enters this place again runs it again, nested, as deep
  // as the events may nest.
  RunLinks();
  CallEventName(enterEvent_);
  RunEventRecord(enterActions_.get());
  RunEventRecord(ownEvent_.get());
  SetActive(true);
  Leave();
  return 0;
}

void ScriptLocation::Leave() { SetActive(false); }
