// ScriptLocation: a location that only runs script. Entering it runs its links, its enter event, its enter
// actions and the event of its own name ("Events/Defs/<name>.cet"), then leaves it at once; the current location
// stays what it was.
//
// Record, after the common part of a location: short string enter event, short string kept, event body enter
// actions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "game/world/location.h"

class ScriptEvent;

class ScriptLocation : public Location {
 public:
  explicit ScriptLocation(DataStream& stream);
  ~ScriptLocation() override;

  int32_t Enter() override;
  void Leave() override;

  const std::string& EnterEventName() const { return enterEvent_; }
  // The text that follows the enter event's name in the record: kept, read by nothing else.
  const std::string& TextAfterEnterEvent() const { return keptText_; }
  // The enter actions, run on entry.
  const ScriptEvent* EnterActions() const { return enterActions_.get(); }

 private:
  std::unique_ptr<ScriptEvent> ownEvent_;
  std::string enterEvent_;
  std::string keptText_;
  std::unique_ptr<ScriptEvent> enterActions_;
};
