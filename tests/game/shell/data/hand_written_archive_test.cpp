// A data archive written out byte by byte from its layout, without the scenario writer, and read entry by entry:
// a layout misread alike by the game's reader and the writer shows here.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/shell/data/data_archive.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/byte_builder.h"

namespace {

using test_support::ByteBuilder;

// Names 0 to 5: the top folder "", "config", the folder "maps" (written without its "/"), "town.cma", the
// folder "players\races" (a "\" separator, no "/" at the end) and "elf". The name table ends at byte 42, so
// two filler bytes follow it; the directory ends at byte 98 and the files lie from byte 100 on.
ByteBuilder ArchiveBytes() {
  ByteBuilder b;
  b.Int16(6);
  for (const char* name : {"", "config", "maps", "town.cma", "players\\races", "elf"}) {
    b.ShiftedShortString(name, false);  // stored shifted down: the reader shifts them up
  }
  EXPECT_EQ(b.Size(), 42u);
  b.Byte(0xEE).Byte(0xEE);  // filler up to byte 44, skipped unread
  b.Int16(3);               // folders
  b.Int16(0).Int16(1);      // the top folder, one entry
  b.Int16(1).Int32(25).Int32(4);  // "config" at byte 100, 4 bytes
  b.Int16(2).Int16(2);            // "maps", two entries of one name: the later wins
  b.Int16(3).Int32(26).Int32(3);  // "town.cma" at byte 104, 3 bytes
  b.Int16(3).Int32(27).Int32(8);  // "town.cma" at byte 108, 8 bytes
  b.Int16(4).Int16(1);            // "players\races"
  b.Int16(5).Int32(29).Int32(3);  // "elf" at byte 116, 3 bytes
  EXPECT_EQ(b.Size(), 98u);
  b.PadTo(100).Text("cfg!").Text("old").Byte(0).Text("new town").Text("elf");
  return b;
}

std::string EntryText(DataArchive& archive, const char* path) {
  const ArchiveEntry* entry = archive.FindEntry(path);
  if (entry == nullptr) return "<none>";
  MemHandle block;
  if (!archive.ReadEntry(*entry, block)) return "<unread>";
  std::string text(reinterpret_cast<const char*>(block.Lock()), block.Size());
  block.Unlock();
  return text;
}

TEST(HandWrittenArchiveTest, DirectoryNamesPaddingAndEntriesRead) {
  auto archive = test_support::ArchiveOver(ArchiveBytes().Bytes());
  ASSERT_EQ(archive->GetError(), 0);
  const std::vector<ArchiveFolder>& folders = archive->Folders();
  ASSERT_EQ(folders.size(), 3u);
  // Folder names take "/" for their separators and end in "/".
  EXPECT_EQ(folders[0].name, "");
  EXPECT_EQ(folders[1].name, "maps/");
  EXPECT_EQ(folders[2].name, "players/races/");
  ASSERT_EQ(folders[0].entries.size(), 1u);
  ASSERT_EQ(folders[1].entries.size(), 1u);
  ASSERT_EQ(folders[2].entries.size(), 1u);

  const ArchiveEntry* config = archive->FindEntry("Config");
  ASSERT_NE(config, nullptr);
  EXPECT_EQ(config->name, "config");
  EXPECT_EQ(config->offsetUnits, 25u);
  EXPECT_EQ(config->Offset(), 100u);
  EXPECT_EQ(config->length, 4u);
  const ArchiveEntry* town = archive->FindEntry("Maps/Town.cma");
  ASSERT_NE(town, nullptr);
  EXPECT_EQ(town->offsetUnits, 27u);
  EXPECT_EQ(town->length, 8u);
  const ArchiveEntry* elf = archive->FindEntry("Players/Races/Elf");
  ASSERT_NE(elf, nullptr);
  EXPECT_EQ(elf->offsetUnits, 29u);
  EXPECT_EQ(elf->length, 3u);

  EXPECT_EQ(EntryText(*archive, "CONFIG"), "cfg!");
  EXPECT_EQ(EntryText(*archive, "maps/town.cma"), "new town");
  EXPECT_EQ(EntryText(*archive, "players/races/elf"), "elf");
  EXPECT_EQ(EntryText(*archive, "elf"), "<none>");  // not in the top folder
  EXPECT_NE(archive->FindFolder("Maps/"), nullptr);
  EXPECT_NE(archive->FindFolder("players/races/"), nullptr);
}

}  // namespace
