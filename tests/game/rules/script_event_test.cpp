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

TEST(ScriptEventTest, DamagedBodiesDoNotLoad) {
  sw::EventSpec unknown = Sample();
  unknown.labelledActions[0].name = "Launch";  // no kind: its parameters cannot be found
  struct Case {
    const char* what;
    sw::Bytes bytes;
  } cases[] = {
      {"huge counts without their actions", sw::Bytes{0x7F, 0xFF, 0x7F, 0xFF, 0, 0}},
      {"an action without a kind", sw::EncodeEvent(unknown)},
      {"nothing at all", sw::Bytes{}},
  };
  for (const Case& c : cases) {
    auto stream = MemoryStreamOver(c.bytes);
    EXPECT_FALSE(ScriptEvent(*stream).IsLoaded()) << c.what;
  }
  sw::Bytes whole = sw::EncodeEvent(Sample());
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    auto stream = MemoryStreamOver(sw::Bytes(whole.begin(), whole.begin() + static_cast<long>(cut)));
    EXPECT_FALSE(ScriptEvent(*stream).IsLoaded()) << cut;
  }
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
  bool ok = true;
  ExpectEvent(ReadInlineEventReference(*stream, ok).get(), Sample());
  EXPECT_EQ(ReadInlineEventReference(*stream, ok), nullptr);
  EXPECT_EQ(ReadInlineEventReference(*stream, ok), nullptr);
  EXPECT_TRUE(ok);
  EXPECT_EQ(stream->GetError(), 0);
  EXPECT_EQ(ReadInlineEventReference(*stream, ok), nullptr);
  EXPECT_FALSE(ok);
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

TEST_F(LoadEventTest, NoEventForAnEmptyNameTheInlineMarkerAMissingFileOrACutOne) {
  for (const char* name : {"", ":::", "Missing", "Cut"}) EXPECT_EQ(LoadEvent(name), nullptr) << name;
}

}  // namespace
