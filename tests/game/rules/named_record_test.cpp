#include "game/rules/named_record.h"

#include <gtest/gtest.h>

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

}  // namespace
