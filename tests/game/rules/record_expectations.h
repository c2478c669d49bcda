// Checks that a record read by the game holds what the scenario writer was given.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "game/rules/item_action_record.h"
#include "game/rules/script_action.h"
#include "game/rules/script_event.h"
#include "tools/scenario_writer/record_writer.h"

namespace record_expectations {

namespace sw = scenario_writer;

// The parameters as stored: as many as the kind takes, the missing ones empty.
inline void ExpectAction(const ScriptAction& action, const sw::ActionSpec& spec) {
  EXPECT_TRUE(action.IsLoaded());
  EXPECT_EQ(action.label, spec.label);
  EXPECT_EQ(action.actionName, spec.name == "Conditionnal" ? "Conditional" : spec.name);
  int32_t count = ActionParameterCount(FindActionIndex(spec.name));
  ASSERT_EQ(action.params.size(), static_cast<size_t>(count)) << spec.name;
  for (int32_t i = 0; i < count; ++i) {
    size_t at = static_cast<size_t>(i);
    EXPECT_EQ(action.params[at], at < spec.params.size() ? spec.params[at] : "") << spec.name << " p" << i;
  }
}

inline void ExpectEvent(const ScriptEvent* event, const sw::EventSpec& spec) {
  ASSERT_NE(event, nullptr);
  EXPECT_TRUE(event->IsLoaded());
  ASSERT_EQ(event->MainCount(), static_cast<int32_t>(spec.mainActions.size()));
  ASSERT_EQ(event->LabelledCount(), static_cast<int32_t>(spec.labelledActions.size()));
  for (size_t i = 0; i < spec.mainActions.size(); ++i) ExpectAction(event->mainActions[i], spec.mainActions[i]);
  for (size_t i = 0; i < spec.labelledActions.size(); ++i) {
    ExpectAction(event->labelledActions[i], spec.labelledActions[i]);
  }
  EXPECT_EQ(event->flag, spec.flag);
  EXPECT_EQ(event->HasFlag(), spec.flag != 0);
}

inline void ExpectOptionalAction(const ScriptAction* action, const std::optional<sw::ActionSpec>& spec) {
  if (!spec.has_value()) {
    EXPECT_EQ(action, nullptr);
    return;
  }
  ASSERT_NE(action, nullptr);
  ExpectAction(*action, *spec);
}

// An event reference keeps only an inline body.
inline void ExpectEventReference(const ScriptEvent* event, const sw::EventReferenceSpec& spec) {
  if (!spec.body.has_value()) {
    EXPECT_EQ(event, nullptr);
    return;
  }
  ExpectEvent(event, *spec.body);
}

inline void ExpectItemAction(const ItemActionRecord* action, const sw::ItemActionSpec& spec) {
  ASSERT_NE(action, nullptr);
  EXPECT_TRUE(action->IsLoaded());
  EXPECT_EQ(action->soundName, spec.soundName);
  ExpectOptionalAction(action->condition.get(), spec.condition);
  ExpectEventReference(action->event.get(), spec.event);
}

}  // namespace record_expectations
