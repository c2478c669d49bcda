// Scenario files on the disk: the file helpers, the folder walk, and the packed archive and the loose tree
// giving the same files.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/string_utils.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/file_system_fixture.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

using scenario_writer::ScenarioFiles;

class DataFilesTest : public FileSystemTest {
 protected:
  void SetUp() override {
    FileSystemTest::SetUp();
    ASSERT_EQ(PlatformSetDefaultFolder(folder_, static_cast<const char*>(nullptr)), kPlatformNoError);
  }
  void TearDown() override {
    DataArchive::Close();
    FileSystemTest::TearDown();
  }

  static ScenarioFiles SmallScenario() {
    ScenarioFiles files;
    files.AddText("Config", "config");
    files.AddText("Players/Races/Orc", "orc");
    files.AddText("Players/Races/Elf", "elf");
    files.AddText("Players/Races/dwarf", "dwarf");
    files.AddText("Players/Races/Old/Elf", "old elf");  // a sub-folder: not a race of its parent
    files.AddText("Players/Classes/Mage", "mage");
    return files;
  }

  // "name=contents" for each race, with the name taken from the stream's current path in lower case.
  static std::vector<std::string> Races() {
    std::string folder;
    RacesFolderPath(folder);
    std::vector<std::string> seen;
    ForEachDataFile(folder, [&](DataStream& stream) {
      std::string name;
      FileNameOfPath(name, stream.GetCurrentPath());
      ToLowerInPlace(name);
      std::vector<uint8_t> bytes = test_support::StreamContents(stream);
      seen.push_back(name + "=" + std::string(bytes.begin(), bytes.end()));
    });
    return seen;
  }

  static std::string ReadConfig() {
    std::string path;
    ConfigPath(path);
    DataStream* stream = OpenDataFile(path);
    if (stream == nullptr) return "<none>";
    std::vector<uint8_t> bytes = test_support::StreamContents(*stream);
    CloseDataFile(stream);
    return std::string(bytes.begin(), bytes.end());
  }
};

TEST_F(DataFilesTest, ArchiveAndLooseTreeGiveTheSameFiles) {
  ScenarioFiles files = SmallScenario();
  std::string error;
  ASSERT_TRUE(files.WriteLooseTree(temp_.PosixPath("Vale"), &error)) << error;
  ASSERT_TRUE(files.WriteArchive(temp_.PosixPath("Data001.dat"), &error)) << error;
  const std::vector<std::string> expected = {"dwarf=dwarf", "elf=elf", "orc=orc"};

  ASSERT_EQ(DataArchive::Open("Vale", false), 0);
  EXPECT_EQ(DataArchive::Current(), nullptr);
  EXPECT_EQ(GetScenarioRoot(), "Vale/");
  EXPECT_EQ(Races(), expected);
  EXPECT_EQ(ReadConfig(), "config");
  EXPECT_TRUE(DataFileExists("Vale/Players/Classes/Mage"));

  ASSERT_EQ(DataArchive::Open("Data001.dat", true), 0);
  ASSERT_NE(DataArchive::Current(), nullptr);
  EXPECT_EQ(GetScenarioRoot(), "");
  EXPECT_EQ(Races(), expected);
  EXPECT_EQ(ReadConfig(), "config");
  EXPECT_TRUE(DataFileExists("Players/Classes/Mage"));
  EXPECT_FALSE(DataFileExists("Vale/Players/Classes/Mage"));  // the archive alone is read
}

TEST_F(DataFilesTest, MissingOrDamagedArchiveLeavesAnEmptyDirectory) {
  EXPECT_NE(DataArchive::Open("Nowhere.dat", true), 0);
  EXPECT_FALSE(DataFileExists("Config"));
  EXPECT_EQ(OpenDataFile("Config"), nullptr);

  temp_.WriteFile("Broken.dat", std::string("\x00\x05\x01", 3));
  EXPECT_NE(DataArchive::Open("Broken.dat", true), 0);
  EXPECT_TRUE(DataArchive::Current()->Folders().empty());
}

TEST_F(DataFilesTest, FolderWalkVisitsOnlyTheFolderOwnFilesUntilStopped) {
  ASSERT_TRUE(SmallScenario().WriteLooseTree(temp_.PosixPath("Vale")));
  std::vector<std::string> seen;
  ForEachFileInFolder("Vale/Players/Races/", [&](DataStream& stream) { seen.push_back(stream.GetCurrentPath()); },
                      nullptr);
  // Each stream is named by the file's name in the walked folder.
  EXPECT_EQ(seen, (std::vector<std::string>{"dwarf", "Elf", "Orc"}));
  seen.clear();
  ForEachFileInFolder("Vale/Players/Races", [&](DataStream& stream) { seen.push_back(stream.GetPath()); },
                      [&] { return true; });
  EXPECT_EQ(seen, (std::vector<std::string>{"dwarf"}));
  seen.clear();
  ForEachFileInFolder("Vale/Missing/", [&](DataStream& stream) { seen.push_back(stream.GetPath()); }, nullptr);
  EXPECT_TRUE(seen.empty());
}

TEST_F(DataFilesTest, FileHelpers) {
  ASSERT_TRUE(SmallScenario().WriteLooseTree(temp_.PosixPath("Vale")));
  EXPECT_TRUE(FileExistsByName("Vale/Config"));
  EXPECT_TRUE(FileExistsByName("Vale\\Players"));
  EXPECT_FALSE(FileExistsByName("Vale/Nothing"));
  EXPECT_FALSE(FileExistsByName(nullptr));
  EXPECT_TRUE(IsFolder("Vale/Players"));
  EXPECT_FALSE(IsFolder("Vale/Config"));
  EXPECT_EQ(FileSize("Vale/Config"), 6u);
  EXPECT_EQ(FileSize("Vale/Players"), 0u);
  EXPECT_EQ(FolderItemCount("Vale/Players/Races"), 4u);
  EXPECT_EQ(FolderItemCount("Vale/Config"), 0u);

  std::string joined;
  EXPECT_EQ(PathJoinIfFolder(joined, "Vale/Players/Races/", 1), 0);
  EXPECT_EQ(joined, "Vale/Players/Races/dwarf");
  EXPECT_EQ(PathJoinIfFolder(joined, "Vale/Players/Races/", 3), 0);  // "Old" is a folder
  EXPECT_EQ(joined, "");
  EXPECT_EQ(PathJoinIfFolder(joined, "Vale/Players/Races/", 9), kPlatformErrFileNotFound);
  EXPECT_EQ(PathJoinIfFolder(joined, "Vale/Players/Races/", 0), kPlatformErrFileNotFound);  // items count from 1
  EXPECT_EQ(joined, "");
  EXPECT_EQ(PathJoinIfFolder(joined, "Vale/Config", 1), 0);
  EXPECT_EQ(joined, "");
}

TEST_F(DataFilesTest, RootsHangBelowTheDefaultFolder) {
  SetDataRoots("Data/Data001.dat");
  EXPECT_EQ(GetScenarioRoot(), "");
  std::string base = "C:" + temp_.Posix() + "/";
  EXPECT_EQ(GetApplicationRoot(), base + "Data/");
  EXPECT_EQ(GetPluginRoot(), base + "Plugins/");
  std::string sound;
  SoundPath(sound, "Boom", "");
  EXPECT_EQ(sound, "Data/Sounds/Boom.aiff");

  // An existing item decides by its kind, not by its name.
  temp_.WriteFile("Vale.v2/Config", "cfg");
  temp_.WriteFile("Packed", "not a folder");
  SetDataRoots("Vale.v2");
  EXPECT_EQ(GetScenarioRoot(), "Vale.v2/");
  SetDataRoots("Packed");
  EXPECT_EQ(GetScenarioRoot(), "");
  SetDataRoots("Missing");
  EXPECT_EQ(GetScenarioRoot(), "Missing/");
}

}  // namespace
