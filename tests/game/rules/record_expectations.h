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
inline void ExpectAction(const ScriptAction& action, const sw::ActionSpec& fields) {
  EXPECT_TRUE(action.IsLoaded());
  EXPECT_EQ(action.label, fields.label);
  EXPECT_EQ(action.actionName, fields.name == "Conditionnal" ? "Conditional" : fields.name);
  int32_t count = ActionParameterCount(FindActionIndex(fields.name));
  ASSERT_EQ(action.params.size(), static_cast<size_t>(count)) << fields.name;
  for (int32_t i = 0; i < count; ++i) {
    size_t at = static_cast<size_t>(i);
    EXPECT_EQ(action.params[at], at < fields.params.size() ? fields.params[at] : "") << fields.name << " p" << i;
  }
}

inline void ExpectEvent(const ScriptEvent* event, const sw::EventSpec& fields) {
  ASSERT_NE(event, nullptr);
  EXPECT_TRUE(event->IsLoaded());
  ASSERT_EQ(event->MainCount(), static_cast<int32_t>(fields.mainActions.size()));
  ASSERT_EQ(event->LabelledCount(), static_cast<int32_t>(fields.labelledActions.size()));
  for (size_t i = 0; i < fields.mainActions.size(); ++i) ExpectAction(event->mainActions[i], fields.mainActions[i]);
  for (size_t i = 0; i < fields.labelledActions.size(); ++i) {
    ExpectAction(event->labelledActions[i], fields.labelledActions[i]);
  }
  EXPECT_EQ(event->flag, fields.flag);
  EXPECT_EQ(event->HasFlag(), fields.flag != 0);
}

inline void ExpectOptionalAction(const ScriptAction* action, const std::optional<sw::ActionSpec>& fields) {
  if (!fields.has_value()) {
    EXPECT_EQ(action, nullptr);
    return;
  }
  ASSERT_NE(action, nullptr);
  ExpectAction(*action, *fields);
}

// An event reference keeps only an inline body.
inline void ExpectEventReference(const ScriptEvent* event, const sw::EventReferenceSpec& fields) {
  if (!fields.body.has_value()) {
    EXPECT_EQ(event, nullptr);
    return;
  }
  ExpectEvent(event, *fields.body);
}

inline void ExpectItemAction(const ItemActionRecord* action, const sw::ItemActionSpec& fields) {
  ASSERT_NE(action, nullptr);
  EXPECT_TRUE(action->IsLoaded());
  EXPECT_EQ(action->soundName, fields.soundName);
  ExpectOptionalAction(action->condition.get(), fields.condition);
  ExpectEventReference(action->event.get(), fields.event);
}

}  // namespace record_expectations
