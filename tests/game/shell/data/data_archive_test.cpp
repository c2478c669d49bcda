#include "game/shell/data/data_archive.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/archive_fixtures.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/test_names.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

using scenario_writer::Bytes;
using scenario_writer::RawArchiveDirectory;
using scenario_writer::ScenarioFiles;
using test_support::ArchiveOver;
using test_support::StreamContents;

Bytes Archive(const ScenarioFiles& files) {
  Bytes bytes;
  std::string error;
  EXPECT_TRUE(files.BuildArchive(bytes, &error)) << error;
  return bytes;
}

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

class InstalledArchiveTest : public ::testing::Test {
 protected:
  void Install(const ScenarioFiles& files) {
    auto archive = ArchiveOver(Archive(files));
    ASSERT_EQ(archive->GetError(), 0);
    DataArchive::Install(std::move(archive), true);
  }
  void TearDown() override { DataArchive::Close(); }

  std::string ReadWhole(const char* path) {
    DataStream* stream = OpenDataFile(path);
    if (stream == nullptr) return "<none>";
    std::string text = Text(StreamContents(*stream));
    CloseDataFile(stream);
    return text;
  }
};

TEST_F(InstalledArchiveTest, FindsFilesWhateverTheCaseOfThePath) {
  ScenarioFiles files;
  files.AddText("Config", "config bytes");
  files.AddText("Players/Races/Elf", "elf");
  files.AddText("Maps/Town.cma", "town");
  Install(files);

  EXPECT_TRUE(DataFileExists("Config"));
  EXPECT_TRUE(DataFileExists("players/RACES/elf"));
  EXPECT_TRUE(DataFileExists("Players\\Races\\Elf"));  // the last "\" splits too
  EXPECT_FALSE(DataFileExists("Players/Races"));
  EXPECT_FALSE(DataFileExists(""));
  EXPECT_FALSE(DataFileExists(nullptr));
  EXPECT_EQ(ReadWhole("CONFIG"), "config bytes");
  EXPECT_EQ(ReadWhole("Maps/Town.cma"), "town");
  EXPECT_EQ(ReadWhole("Maps/Nowhere.cma"), "<none>");

  DataStream* stream = OpenDataFile("Players/Races/ELF");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->GetCurrentPath(), "Players/Races/ELF");
  EXPECT_EQ(stream->GetUserValue(), 3u);
  EXPECT_EQ(stream->GetOpenFlags(), kDataStreamMemoryFlags);
  CloseDataFile(stream);

  ASSERT_NE(DataArchive::Current()->FindFolder("PLAYERS/Races/"), nullptr);
  EXPECT_EQ(DataArchive::Current()->FindFolder("Players/Races"), DataArchive::Current()->FindFolder("players/races/"));
  EXPECT_EQ(DataArchive::Current()->FindFolder("Players/Race"), nullptr);
}

TEST_F(InstalledArchiveTest, EmptyEntryOpensAsNothing) {
  ScenarioFiles files;
  files.Add("Items/Empty", {});
  Install(files);
  EXPECT_TRUE(DataFileExists("Items/Empty"));
  EXPECT_EQ(OpenDataFile("Items/Empty"), nullptr);
}

TEST_F(InstalledArchiveTest, LaterEntryOfTheSameNameWins) {
  ScenarioFiles files;
  files.AddText("Items/Sword", "first");
  files.AddText("items/SWORD", "second");
  Install(files);
  ASSERT_EQ(DataArchive::Current()->FindFolder("items/")->entries.size(), 1u);
  EXPECT_EQ(ReadWhole("Items/Sword"), "second");
}

TEST_F(InstalledArchiveTest, EnumeratesAFolderInNameOrderUntilStopped) {
  ScenarioFiles files;
  files.AddText("Items/b", "B");
  files.AddText("Items/C", "C");
  files.AddText("Items/a", "A");
  files.AddText("Items/Sub/x", "X");  // another folder, not part of Items/
  files.AddText("Other", "O");
  Install(files);

  std::vector<std::string> seen;
  ForEachDataFile("ITEMS", [&](DataStream& stream) {
    seen.push_back(stream.GetCurrentPath() + "=" + Text(StreamContents(stream)));
  });
  EXPECT_EQ(seen, (std::vector<std::string>{"items/a=A", "items/b=B", "items/c=C"}));

  seen.clear();
  ForEachDataFile("Items/", [&](DataStream& stream) { seen.push_back(stream.GetCurrentPath()); },
                  [&] { return seen.size() == 2; });
  EXPECT_EQ(seen.size(), 2u);

  seen.clear();
  ForEachDataFile("", [&](DataStream& stream) { seen.push_back(stream.GetCurrentPath()); });
  ForEachDataFile("Missing/", [&](DataStream& stream) { seen.push_back(stream.GetCurrentPath()); });
  EXPECT_TRUE(seen.empty());
}

TEST_F(InstalledArchiveTest, ShortEntryReadsAsShortNotAsAnEarlierFile) {
  ScenarioFiles files;
  files.Add("Items/a", Bytes(8, 0x11));
  files.Add("Items/b", Bytes{0x22, 0x22});
  Install(files);

  std::vector<int32_t> values;
  std::vector<int32_t> errors;
  ForEachDataFile("Items/", [&](DataStream& stream) {
    values.push_back(stream.ReadInt32());
    values.push_back(stream.ReadInt32());
    errors.push_back(stream.GetError());
  });
  EXPECT_EQ(values, (std::vector<int32_t>{0x11111111, 0x11111111, 0, 0}));
  EXPECT_EQ(errors, (std::vector<int32_t>{0, kDataStreamEndOfData}));
}

TEST_F(InstalledArchiveTest, PictureNamesFallBackThroughTheKnownExtensions) {
  ScenarioFiles files;
  files.Add("Pictures/hero.png", {1});
  files.Add("Pictures/wall.gif", {2});
  files.Add("Pictures/map.png", {3});
  files.Add("Pictures/sky.pct", {4});
  files.Add("Pictures/plain", {5});
  Install(files);
  struct Case {
    const char* name;
    const char* found;
  } cases[] = {
      {"Pictures/hero", "Pictures/hero.png"},  {"Pictures/wall", "Pictures/wall.gif"},
      {"Pictures/map.jpg", "Pictures/map.png"}, {"Pictures/sky", "Pictures/sky.pct"},
      {"Pictures/plain", "Pictures/plain"},     {"Pictures/none", ""},
      {"", ""},                                 {"ab", ""},
  };
  for (const Case& c : cases) {
    std::string found;
    const ArchiveEntry* entry = DataArchive::Current()->FindPicture(c.name, &found);
    EXPECT_EQ(entry != nullptr ? found : std::string(), c.found) << c.name;
  }
}

TEST_F(InstalledArchiveTest, LoadsPicturesFromTheArchive) {
  BmpSpec fileSpec;
  fileSpec.width = 2;
  fileSpec.height = 1;
  fileSpec.bitCount = 24;
  fileSpec.pixels = PadBmpRows({Bytes{0xFF, 0x00, 0x00, 0x10, 0x20, 0x30}}, true);
  Bytes door = BuildBmp(fileSpec);
  ScenarioFiles files;
  files.Add("Pictures/door.bmp", door);
  files.Add("Pictures/cut.bmp", Bytes(door.begin(), door.end() - 4));  // its last row runs short
  files.Add("Pictures/next.bmp", door);
  files.AddText("Pictures/text.png", "not a picture");
  Install(files);

  std::unique_ptr<Bitmap> picture = LoadPictureByName("Pictures/DOOR");
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->width, 2);
  EXPECT_EQ(picture->height, 1);
  EXPECT_EQ(LoadPictureByName("Pictures/cut.bmp"), nullptr);
  EXPECT_EQ(LoadPictureByName("Pictures/text"), nullptr);
  EXPECT_EQ(LoadPictureByName("Pictures/none"), nullptr);
  EXPECT_EQ(LoadPictureByName(""), nullptr);
  EXPECT_EQ(LoadPictureByName(nullptr), nullptr);
}

TEST(DataArchiveTest, WithoutAnArchiveNothingIsFound) {
  DataArchive::Close();
  EXPECT_FALSE(DataFileExists("Config"));
  EXPECT_EQ(OpenDataFile("Config"), nullptr);
  int calls = 0;
  ForEachDataFile("Items/", [&](DataStream&) { ++calls; });
  EXPECT_EQ(calls, 0);
}

TEST(DataArchiveTest, DirectoryPaddingForEveryNameLength) {
  // Names of 1 to 4 bytes end the name table at every remainder modulo 4.
  for (size_t length = 1; length <= 4; ++length) {
    ScenarioFiles files;
    files.AddText(std::string(length, 'n'), "data");
    Bytes bytes = Archive(files);
    size_t tableEnd = 2 + 1 + 0 + 1 + length;  // the count, "" (the top folder), the name
    size_t filler = (4 - tableEnd % 4) % 4;
    for (size_t i = 0; i < filler; ++i) EXPECT_EQ(bytes[tableEnd + i], 0) << length;
    EXPECT_EQ(bytes[tableEnd + filler], 0);      // folder count, high byte
    EXPECT_EQ(bytes[tableEnd + filler + 1], 1);  // one folder

    auto archive = ArchiveOver(bytes);
    ASSERT_EQ(archive->GetError(), 0) << length;
    const ArchiveEntry* entry = archive->FindEntry(std::string(length, 'N'));
    ASSERT_NE(entry, nullptr) << length;
    EXPECT_EQ(entry->Offset() % 4, 0u);
    MemHandle block;
    ASSERT_TRUE(archive->ReadEntry(*entry, block));
    ASSERT_EQ(block.Size(), 4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.Lock()), 4), "data");
    block.Unlock();
  }
}

TEST(DataArchiveTest, TruncatedArchiveIsRejectedOrReadsWhole) {
  ScenarioFiles files;
  files.AddText("Config", "cfg");
  files.AddText("Players/Races/Elf", "elf data");
  files.AddText("Players/Races/Orc", "orc");
  Bytes whole = Archive(files);
  for (size_t cut = 0; cut < whole.size(); ++cut) {
    auto archive = ArchiveOver(Bytes(whole.begin(), whole.begin() + cut));
    if (archive->GetError() != 0) {
      EXPECT_TRUE(archive->Folders().empty()) << cut;
      continue;
    }
    // Only the filler after the last file may be cut without harm.
    EXPECT_GE(cut, whole.size() - 3) << cut;
    for (const ArchiveFolder& folder : archive->Folders()) {
      for (const auto& [name, entry] : folder.entries) {
        MemHandle block;
        EXPECT_TRUE(archive->ReadEntry(entry, block)) << cut << " " << name;
      }
    }
  }
}

struct HostileCase {
  const char* name;
  RawArchiveDirectory directory;
  size_t fileSize;  // the directory padded with zeros up to this size
};

class HostileDirectoryTest : public ::testing::TestWithParam<HostileCase> {};

TEST_P(HostileDirectoryTest, IsRejectedWithAnEmptyDirectory) {
  const HostileCase& c = GetParam();
  Bytes bytes = scenario_writer::EncodeArchiveDirectory(c.directory);
  if (bytes.size() < c.fileSize) bytes.resize(c.fileSize, 0);
  auto archive = ArchiveOver(bytes);
  EXPECT_NE(archive->GetError(), 0);
  EXPECT_TRUE(archive->Folders().empty());
  EXPECT_EQ(archive->FindEntry("a"), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HostileDirectoryTest,
    ::testing::Values(
        HostileCase{"folder name index past the table", {{"", "a"}, {{7, {{1, 10, 4}}}}}, 64},
        HostileCase{"entry name index past the table", {{"", "a"}, {{0, {{2, 10, 4}}}}}, 64},
        HostileCase{"entry past the end of the file", {{"", "a"}, {{0, {{1, 10, 40}}}}}, 64},
        // 0x40000000 units is 4 GiB: wraps to 0 in 32 bits, and must not.
        HostileCase{"offset that wraps in 32 bits", {{"", "a"}, {{0, {{1, 0x40000000u, 4}}}}}, 64},
        HostileCase{"length that wraps in 32 bits", {{"", "a"}, {{0, {{1, 4, 0xFFFFFFFFu}}}}}, 64}),
    test_support::RowName());

TEST(DataArchiveTest, NamesStoredWithCapitalsAreFoundLowerCased) {
  RawArchiveDirectory directory{{"Maps", "Town.CMA"}, {{0, {{1, 8, 2}}}}};
  Bytes bytes = scenario_writer::EncodeArchiveDirectory(directory);
  bytes.resize(34, 0);
  bytes[32] = 'o';
  bytes[33] = 'k';
  auto archive = ArchiveOver(bytes);
  ASSERT_EQ(archive->GetError(), 0);
  const ArchiveEntry* entry = archive->FindEntry("maps/town.cma");
  ASSERT_NE(entry, nullptr);
  auto stream = archive->OpenEntry(*entry, "Maps/Town.cma");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(Text(StreamContents(*stream)), "ok");
}

TEST(DataArchiveTest, CountsLargerThanTheFileEndInAnError) {
  // 65535 names over one; 65535 folders (the first claiming 5 entries) over one; nothing at all.
  for (Bytes bytes : {Bytes{0xFF, 0xFF, 1, 'a'}, Bytes{0, 1, 0, 0, 0xFF, 0xFF, 0, 0, 0, 5}, Bytes{}}) {
    auto archive = ArchiveOver(bytes);
    EXPECT_NE(archive->GetError(), 0);
    EXPECT_TRUE(archive->Folders().empty());
  }
}

}  // namespace
