// Event bodies: reading, copies, inline references and loading by name.
#include "game/rules/script_event.h"

#include <gtest/gtest.h>

#include "game/shell/data/data_archive.h"
#include "tests/game/rules/record_expectations.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

namespace sw = scenario_writer;
using record_expectations::ExpectEvent;
using test_support::MemoryStreamOver;

sw::EventSpec Sample() {
  sw::EventSpec event;
  event.mainActions = {{"", "Conditional", {"Gold:is greater than:5", "1", "", "rich", "poor"}},
                       {"", "End", {}},
                       {"", "Display message", {"Hello"}}};
  event.labelledActions = {{"rich", "Change Global", {"gb_mood", "1", "happy"}}, {"poor", "Call event", {"Beg"}}};
  event.flag = 3;
  return event;
}

TEST(ScriptEventTest, ABodyReadsItsMainAndLabelledActionsAndTheFlag) {
  sw::Bytes bytes = sw::EncodeEvent(Sample());
  auto stream = MemoryStreamOver(bytes);
  stream->SetPath("Events/Defs/Greet.cet");
  ScriptEvent event(*stream);
  ExpectEvent(&event, Sample());
  EXPECT_EQ(event.GetName(), "Greet");
  EXPECT_EQ(stream->GetPosition(), bytes.size());
}

TEST(ScriptEventTest, CountsOfZeroOrLessMeanNoActions) {
  // Main count -1, labelled count 0, flag 0.
  auto stream = MemoryStreamOver(sw::Bytes{0xFF, 0xFF, 0x00, 0x00, 0x00, 0x00});
  ScriptEvent event(*stream);
  EXPECT_TRUE(event.IsLoaded());
  EXPECT_TRUE(event.mainActions.empty());
  EXPECT_TRUE(event.labelledActions.empty());
  EXPECT_FALSE(event.HasFlag());
}

TEST(ScriptEventTest, AnActionWithoutAKindIsReadWithNoParametersAndTheBodyGoesOn) {
  sw::EventSpec unknown = Sample();
  unknown.mainActions.insert(unknown.mainActions.begin() + 1, sw::ActionSpec{"", "Launch", {}});
  unknown.labelledActions[0].name = "Jump";
  auto stream = MemoryStreamOver(sw::EncodeEvent(unknown));
  ScriptEvent event(*stream);
  ExpectEvent(&event, unknown);
  EXPECT_EQ(FindActionIndex(event.mainActions[1].actionName), kUnknownActionIndex);
  EXPECT_TRUE(stream->AtEnd());
  EXPECT_EQ(stream->GetError(), 0);
}

TEST(ScriptEventTest, ABodyCutShortLoadsWithEmptyActionsAndAZeroFlagPastItsEnd) {
  // Cut right after the first main action: the counts stand, the other actions have no label and no name.
  sw::Bytes bytes = sw::EncodeEvent(Sample());
  bytes.resize(4 + sw::EncodeAction(Sample().mainActions[0]).size());
  sw::EventSpec expected = Sample();
  expected.mainActions[1] = expected.mainActions[2] = expected.labelledActions[0] = expected.labelledActions[1] =
      sw::ActionSpec{};
  expected.flag = 0;
  auto cut = MemoryStreamOver(bytes);
  ScriptEvent event(*cut);
  ExpectEvent(&event, expected);

  // Any cut loads; once both counts are there, the event has all its actions.
  sw::Bytes whole = sw::EncodeEvent(Sample());
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    auto stream = MemoryStreamOver(sw::Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
    ScriptEvent event(*stream);
    EXPECT_TRUE(event.IsLoaded()) << cut;
    EXPECT_EQ(event.MainCount(), cut >= 2 ? 3 : 0) << cut;
    EXPECT_EQ(event.LabelledCount(), cut >= 4 ? 2 : 0) << cut;
  }
  EXPECT_TRUE(ScriptEvent(*MemoryStreamOver(sw::Bytes{})).IsLoaded());
}

TEST(ScriptEventTest, CopiesEqualTheirSourceAndAreIndependent) {
  auto stream = MemoryStreamOver(sw::EncodeEvent(Sample()));
  stream->SetPath("NPCs/Wolf");
  ScriptEvent source(*stream);
  ScriptEvent copy(source);
  ExpectEvent(&copy, Sample());
  EXPECT_EQ(copy.GetName(), "Wolf");
  copy.mainActions[2].params[0] = "Bye";
  copy.labelledActions.clear();
  copy.flag = 0;
  ExpectEvent(&source, Sample());
}

TEST(ScriptEventTest, OnlyTheInlineMarkerIsFollowedByABody) {
  sw::Bytes bytes = sw::StreamBytes([](DataStream& stream) {
    sw::WriteEventReference(stream, {"", Sample()});
    sw::WriteEventReference(stream, {"Named", std::nullopt});
    sw::WriteEventReference(stream, {"", std::nullopt});
    sw::WriteEventReference(stream, {"", sw::EventSpec{{{"", "Launch", {}}}, {}, 0}});
  });
  auto stream = MemoryStreamOver(bytes);
  ExpectEvent(ReadInlineEventReference(*stream).get(), Sample());
  EXPECT_EQ(ReadInlineEventReference(*stream), nullptr);
  EXPECT_EQ(ReadInlineEventReference(*stream), nullptr);
  ExpectEvent(ReadInlineEventReference(*stream).get(), sw::EventSpec{{{"", "Launch", {}}}, {}, 0});
  EXPECT_TRUE(stream->AtEnd());
  EXPECT_EQ(stream->GetError(), 0);
}

class LoadEventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sw::ScenarioFiles files;
    files.Add("Events/Defs/Greet.cet", sw::EncodeEvent(Sample()));
    sw::Bytes whole = sw::EncodeEvent(Sample());
    files.Add("Events/Defs/Cut.cet", sw::Bytes(whole.begin(), whole.end() - 1));
    files.Add("Events/Defs/:::.cet", sw::EncodeEvent(Sample()));
    sw::Bytes archive;
    ASSERT_TRUE(files.BuildArchive(archive));
    DataArchive::Install(test_support::ArchiveOver(archive), true);
  }
  void TearDown() override { DataArchive::Close(); }
};

TEST_F(LoadEventTest, AnEventLoadedByNameHasNoRecordName) {
  std::unique_ptr<ScriptEvent> event = LoadEvent("Greet");
  ExpectEvent(event.get(), Sample());
  EXPECT_EQ(event->GetName(), "");
  EXPECT_EQ(event->GetFilePath(), "");
}

TEST_F(LoadEventTest, NoEventForAnEmptyNameTheInlineMarkerOrAMissingFile) {
  for (const char* name : {"", ":::", "Missing"}) EXPECT_EQ(LoadEvent(name), nullptr) << name;
}

TEST_F(LoadEventTest, AFileCutShortLoadsWithZerosPastItsEnd) {
  sw::EventSpec expected = Sample();
  expected.flag = 0;  // one byte of the flag is missing
  ExpectEvent(LoadEvent("Cut").get(), expected);
}

}  // namespace
