#include "game/rules/named_record.h"

#include <gtest/gtest.h>

#include "game/shell/data/data_stream.h"

namespace {

TEST(NamedRecordTest, NameIsTheLastPathComponentLessAFourCharacterExtension) {
  struct Case {
    const char* path;
    const char* name;
  } cases[] = {
      {"Players/Races/Elf.rce", "Elf"}, {"Elf.x", "Elf.x"},       {"Data.set", "Data"},
      {"abc.d", "abc.d"},               {".abc", ".abc"},         {"Folder\\Sub/Name.txt", "Sub/Name"},
      {"Players/Races/", "Players/Races/"}, {"Disk:Spell.spl", "Spell"}, {"", ""},
  };
  for (const Case& c : cases) {
    NamedRecord record;
    record.SetName(c.path);
    EXPECT_EQ(record.GetName(), c.name) << c.path;
    EXPECT_EQ(record.GetFilePath(), c.path);
    EXPECT_FALSE(record.IsLoaded());
    EXPECT_FALSE(record.IsAvailable());
  }
}

// A reader that names itself from its stream and marks itself loaded, as every record reader does.
class ReadRecord : public NamedRecord {
 public:
  explicit ReadRecord(DataStream& stream) : NamedRecord(stream) { SetLoaded(true); }
};

TEST(NamedRecordTest, AStreamGivesItsCurrentPathAndACopyTheSourcePathButNotTheLoadedFlag) {
  DataStream stream;
  ASSERT_TRUE(stream.CreateMemory(4));
  stream.SetPath("Players/Races/Elf.rce");
  stream.PushPath("Events/Defs/Greet.cet");  // the stream reads another file now
  ReadRecord record(stream);
  EXPECT_EQ(record.GetName(), "Greet");
  EXPECT_EQ(record.GetFilePath(), "Events/Defs/Greet.cet");
  EXPECT_TRUE(record.IsLoaded());
  NamedRecord& base = record;
  NamedRecord copy(base);
  EXPECT_EQ(copy.GetName(), "Greet");
  EXPECT_EQ(copy.GetFilePath(), "Events/Defs/Greet.cet");
  EXPECT_FALSE(copy.IsLoaded());
  EXPECT_FALSE(copy.IsAvailable());
}

}  // namespace
