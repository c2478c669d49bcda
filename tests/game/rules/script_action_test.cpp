// The action kinds chosen by name prefix, and the action record.
#include "game/rules/script_action.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/game/rules/record_expectations.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/record_writer.h"

namespace {

namespace sw = scenario_writer;
using test_support::MemoryStreamOver;

TEST(ActionKindTest, EachPrefixChoosesItsOwnRow) {
  for (int32_t index = 0; index < kActionKindCount; ++index) {
    EXPECT_EQ(FindActionIndex(ActionKindAt(index).prefix), index) << ActionKindAt(index).prefix;
  }
  EXPECT_EQ(ActionParameterCount(kUnknownActionIndex), 0);
  EXPECT_EQ(ActionParameterCount(-1), 0);
}

TEST(ActionKindTest, TheFirstPrefixThatBeginsTheNameWins) {
  struct Case {
    const char* name;
    int32_t index;
    int32_t parameters;
  } cases[] = {
      {"Display message", 0, 10}, {"Dx", 0, 10},          {"Conditional", 1, 5},   {"Call event", 2, 1},
      {"End", 3, 0},              {"Change Global", 4, 3}, {"Change", 24, 8},      {"Ask", 6, 7},
      {"Attribute", 7, 3},        {"A", 7, 3},             {"Launch Items", 9, 10}, {"Launch URL", 36, 10},
      {"Launch", 37, 0},          {"Play Sound", 11, 2},   {"Play music", 12, 2},  {"Player Move", 20, 1},
      {"Player Box", 21, 1},      {"Play", 22, 1},         {"Playe", 22, 1},       {"Portrait", 22, 1},
      {"Movie Display", 13, 8},   {"Movie", 14, 3},        {"Menu", 17, 1},        {"Map Position", 19, 2},
      {"Map", 32, 10},            {"Refresh", 23, 0},      {"Return", 26, 0},      {"Spell Select", 28, 10},
      {"Spell", 29, 2},           {"Save location", 25, 0}, {"Sprite", 29, 2},     {"Stamp", 30, 10},
      {"Sound volume", 33, 10},   {"Engine", 16, 1},       {"En", 37, 0},          {"display", 37, 0},
      {"", 37, 0},                {"\x01", 37, 0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FindActionIndex(c.name), c.index) << c.name;
    EXPECT_EQ(ActionParameterCount(FindActionIndex(c.name)), c.parameters) << c.name;
  }
}

TEST(ScriptActionTest, ReadsAsManyParametersAsItsKindTakes) {
  sw::ActionSpec fields{"there", "Call event", {"Door"}};
  sw::Bytes bytes = sw::EncodeAction(fields);
  bytes.push_back(0x7F);  // what follows the record stays unread
  auto stream = MemoryStreamOver(bytes);
  stream->SetPath("Events/Defs/Door.cet");
  ScriptAction action(*stream);
  record_expectations::ExpectAction(action, fields);
  EXPECT_EQ(action.GetName(), "Door");
  EXPECT_EQ(action.Param(0), "Door");
  EXPECT_EQ(action.Param(1), "");
  EXPECT_EQ(action.Param(-1), "");
  EXPECT_EQ(stream->GetPosition(), bytes.size() - 1);
}

TEST(ScriptActionTest, TheOldSpellingOfTheConditionActionIsReadAsConditional) {
  sw::ActionSpec fields{"", "Conditionnal", {"Gold:is greater than:5", "1", "", "rich", "poor"}};
  auto stream = MemoryStreamOver(sw::EncodeAction(fields));
  ScriptAction action(*stream);
  record_expectations::ExpectAction(action, fields);
  EXPECT_EQ(action.actionName, "Conditional");
  EXPECT_EQ(FindActionIndex(action.actionName), 1);
}

TEST(ScriptActionTest, AnActionWithoutAKindLoadsWithNoParameters) {
  // Label "x", name "Launch", then a byte of whatever follows the record.
  auto stream = MemoryStreamOver(sw::Bytes{1, 'x', 6, 'L', 'a', 'u', 'n', 'c', 'h', 0x7F});
  ScriptAction action(*stream);
  EXPECT_TRUE(action.IsLoaded());
  EXPECT_EQ(action.label, "x");
  EXPECT_EQ(action.actionName, "Launch");
  EXPECT_TRUE(action.params.empty());
  EXPECT_EQ(stream->GetError(), 0);
  EXPECT_EQ(stream->GetPosition(), 9u);
}

TEST(ScriptActionTest, ACutRecordLoadsWithEmptyTextsPastItsEnd) {
  // Label "label" (bytes 0-5), name "Ra" (6-8), p0 "50" (9-12), p1 "win" (13-17), p2 "lose" (18-23).
  sw::Bytes whole = sw::EncodeAction({"label", "Ra", {"50", "win", "lose"}});
  struct Case {
    size_t cut;
    const char* label;
    const char* name;
    std::vector<std::string> params;
  } cases[] = {
      {0, "", "", {}},
      {6, "label", "", {}},
      {9, "label", "Ra", {"", "", ""}},
      {16, "label", "Ra", {"50", std::string("w\0\0", 3), ""}},  // a long string cut short is zero-padded
      {23, "label", "Ra", {"50", "win", std::string("los\0", 4)}},
  };
  for (const Case& c : cases) {
    auto stream = MemoryStreamOver(sw::Bytes(whole.begin(), whole.begin() + static_cast<long>(c.cut)));
    ScriptAction action(*stream);
    EXPECT_TRUE(action.IsLoaded()) << c.cut;
    EXPECT_EQ(action.label, c.label) << c.cut;
    EXPECT_EQ(action.actionName, c.name) << c.cut;
    EXPECT_EQ(action.params, c.params) << c.cut;
  }
}

TEST(ScriptActionTest, CopiesEqualTheirSourceAndAreIndependent) {
  auto stream = MemoryStreamOver(sw::EncodeAction({"x", "Te", {"Mill", "1", "2"}}));
  stream->SetPath("Items/Key.itm");
  ScriptAction source(*stream);
  ScriptAction copy(source);
  ScriptAction assigned;
  assigned = source;
  for (const ScriptAction* action : {&copy, &assigned}) {
    EXPECT_TRUE(action->IsLoaded());
    EXPECT_EQ(action->GetName(), "Key");
    EXPECT_EQ(action->label, "x");
    EXPECT_EQ(action->actionName, "Te");
    EXPECT_EQ(action->params, source.params);
  }
  copy.params[0] = "Ford";
  assigned.label.clear();
  EXPECT_EQ(source.params[0], "Mill");
  EXPECT_EQ(source.label, "x");
}

}  // namespace
