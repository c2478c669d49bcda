#include "tools/scenario_writer/scenario_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "game/shell/data/data_stream.h"

namespace {

using scenario_writer::Bytes;
using scenario_writer::ScenarioFiles;

uint32_t BigEndian32(const Bytes& bytes, size_t at) {
  return (uint32_t{bytes[at]} << 24) | (uint32_t{bytes[at + 1]} << 16) | (uint32_t{bytes[at + 2]} << 8) |
         bytes[at + 3];
}

TEST(ScenarioFilesTest, ArchiveLaysOutLowerCaseShiftedNamesAndAlignedData) {
  ScenarioFiles files;
  files.AddText("Config", "abcde");
  files.AddText("Maps/Town", "xy");
  Bytes bytes;
  ASSERT_TRUE(files.BuildArchive(bytes));

  // Names in order of first use: "" (top), "config", "maps/", "town"; each stored shifted down.
  ASSERT_EQ(bytes[0], 0);
  ASSERT_EQ(bytes[1], 4);
  EXPECT_EQ(bytes[2], 0);  // ""
  EXPECT_EQ(bytes[3], 6);  // "config"
  EXPECT_EQ(bytes[4], 'c' - 1);
  EXPECT_EQ(bytes[5], 'o' - 2);
  size_t tableEnd = 2 + 1 + 7 + 6 + 5;  // 21: three filler bytes follow
  EXPECT_EQ(bytes[tableEnd + 3], 0);
  EXPECT_EQ(bytes[tableEnd + 4], 2);  // two folders

  // First folder: name 0, one entry {name 1, offset, length 5}.
  size_t folder = tableEnd + 3 + 2;
  EXPECT_EQ(bytes[folder + 1], 0);
  EXPECT_EQ(bytes[folder + 3], 1);
  uint32_t offset = BigEndian32(bytes, folder + 6) * 4;
  EXPECT_EQ(BigEndian32(bytes, folder + 10), 5u);
  ASSERT_LE(offset + 5, bytes.size());
  EXPECT_EQ(std::string(bytes.begin() + offset, bytes.begin() + offset + 5), "abcde");
  EXPECT_EQ(bytes.size() % 4, 0u);
}

TEST(ScenarioFilesTest, RefusesNamesTheFormatCannotHold) {
  ScenarioFiles files;
  files.AddText(std::string(256, 'n'), "x");
  Bytes bytes;
  std::string error;
  EXPECT_FALSE(files.BuildArchive(bytes, &error));
  EXPECT_NE(error.find("255"), std::string::npos);

  ScenarioFiles folderOnly;
  folderOnly.AddText("Items/", "x");
  EXPECT_FALSE(folderOnly.BuildArchive(bytes, &error));
}

TEST(ScenarioFilesTest, LooseTreeKeepsNamesAndMakesFolders) {
  std::filesystem::path root = std::filesystem::path(::testing::TempDir()) / "scenario_files_loose";
  std::filesystem::remove_all(root);
  ScenarioFiles files;
  files.AddText("Config", "cfg");
  files.AddText("Players\\Races/Elf", "elf");
  std::string error;
  ASSERT_TRUE(files.WriteLooseTree(root, &error)) << error;
  std::ifstream in(root / "Players" / "Races" / "Elf", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "elf");
  EXPECT_TRUE(std::filesystem::is_regular_file(root / "Config"));
  std::filesystem::remove_all(root);
}

TEST(ScenarioFilesTest, StreamBytesAreWhatWasWritten) {
  Bytes bytes = scenario_writer::StreamBytes([](DataStream& stream) {
    stream.WriteInt16(6);
    stream.WritePStringPlain("ok");
  });
  EXPECT_EQ(bytes, (Bytes{0, 6, 2, 'o', 'k'}));
}

}  // namespace
