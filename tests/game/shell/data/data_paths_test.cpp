#include "game/shell/data/data_paths.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DataPathRulesTest, NormalizePathTurnsSeparatorsAndDrives) {
  struct Case {
    const char* path;
    const char* normalized;
    bool drive;
  } cases[] = {
      {"Players\\Races\\Elf", "Players/Races/Elf", false},
      {"C:\\Games\\Data", "/C/Games/Data", true},
      {"c:/x", "/c/x", true},
      {"D:a", "/D/a", true},
      {"C:", "C/", false},  // too short for the drive form
      {"ab:c", "ab/c", false},
      {"", "", false},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    EXPECT_EQ(NormalizePath(path), c.drive) << c.path;
    EXPECT_EQ(path, c.normalized) << c.path;
  }
}

TEST(DataPathRulesTest, EnsureFolderPathAppendsASlashToPlainNames) {
  struct Case {
    const char* path;
    const char* folder;
  } cases[] = {
      {"Items", "Items/"}, {"Items/", "Items/"}, {"Data/Data001.dat", "Data/Data001.dat"},
      {"", ""},            {"Players\\Races", "Players/Races/"},
  };
  for (const Case& c : cases) {
    std::string path = c.path;
    EnsureFolderPath(path);
    EXPECT_EQ(path, c.folder) << c.path;
  }
}

TEST(DataPathRulesTest, SplitPathAndFileName) {
  struct Case {
    const char* path;
    const char* folder;
    const char* name;
    const char* fileName;
  } cases[] = {
      {"Players/Races/Elf", "Players/Races/", "Elf", "Elf"},
      {"Config", "", "Config", "Config"},
      {"Maps/", "Maps/", "", "Maps/"},
      {"a\\b/c", "a\\", "b/c", "b/c"},  // a backslash wins over a later slash
      {"C:name", "C:", "name", "name"},
  };
  for (const Case& c : cases) {
    std::string folder = "x", name = "x", fileName = "x";
    SplitPath(c.path, folder, name);
    FileNameOfPath(fileName, c.path);
    EXPECT_EQ(folder, c.folder) << c.path;
    EXPECT_EQ(name, c.name) << c.path;
    EXPECT_EQ(fileName, c.fileName) << c.path;
  }
}

TEST(DataPathRulesTest, ExtensionRule) {
  struct Case {
    const char* name;
    const char* extension;
    const char* result;
  } cases[] = {
      {"Town", ".cma", "Town.cma"},     {"Town.cma", ".cma", "Town.cma"}, {"Town.map", ".cma", "Town.map"},
      {"abc", ".cma", "abc.cma"},       {".cma", ".cma", ".cma"},         {"Boom", ".aiff", "Boom.aiff"},
      {"Boom.aiff", ".aiff", "Boom.aiff"}, {"Boom.wav", ".aiff", "Boom.wav"}, {"Boom.mpeg", ".aiff", "Boom.mpeg.aiff"},
      {"", ".pct", ".pct"},
  };
  for (const Case& c : cases) {
    std::string name = c.name;
    ApplyExtensionRule(name, c.extension);
    EXPECT_EQ(name, c.result) << c.name;
  }
}

}  // namespace

namespace {

class DataRootsTest : public ::testing::Test {
 protected:
  void TearDown() override { SetDataRootsFrom("", ""); }
};

TEST_F(DataRootsTest, PackedDataFileHasNoScenarioRoot) {
  SetDataRootsFrom("Data/Data001.dat", "C:/Games/Vale");
  EXPECT_EQ(GetScenarioRoot(), "");
  EXPECT_EQ(GetApplicationRoot(), "C:/Games/Vale/Data/");
  EXPECT_EQ(GetPluginRoot(), "C:/Games/Vale/Plugins/");
  std::string path;
  ConfigPath(path);
  EXPECT_EQ(path, "Config");
  RacesFolderPath(path);
  EXPECT_EQ(path, "Players/Races/");
}

TEST_F(DataRootsTest, FolderTreeHasItsPathAsScenarioRoot) {
  SetDataRootsFrom("Scenarios\\Vale", "C:/Games/");
  EXPECT_EQ(GetScenarioRoot(), "Scenarios\\Vale/");
  std::string path;
  ConfigPath(path);
  EXPECT_EQ(path, "Scenarios/Vale/Config");
  MapPath(path, "Town");
  EXPECT_EQ(path, "Scenarios/Vale/Maps/Town.cma");
}

TEST_F(DataRootsTest, ResourcePathBuilders) {
  SetDataRootsFrom("Vale", "C:/Games");
  struct Case {
    void (*build)(std::string&, std::string_view);
    const char* name;
    const char* path;
  } cases[] = {
      {MapPath, "Town", "Vale/Maps/Town.cma"},
      {MapPath, "Town.cma", "Vale/Maps/Town.cma"},
      {MapPath, "Town.xyz", "Vale/Maps/Town.xyz"},
      {EventDefinitionPath, "Start", "Vale/Events/Defs/Start.cet"},
      {PortraitPath, "Hero", "Vale/Players/Portraits/Hero.pct"},
      {EventPicturePath, "Gate.png", "Vale/Events/Pics/Gate.png"},
      {LocationPicturePath, "Inn", "Vale/Locations/Location pics/Inn.pct"},
      {PicturePath, "Hero", "Vale/Pictures/Hero"},
      {StampPicturePath, "Tree", "Vale/Pictures/Tree"},
      {GroundPicturePath, "Sub\\Grass", "Vale/Pictures/Sub/Grass"},
  };
  for (const Case& c : cases) {
    std::string path;
    c.build(path, c.name);
    EXPECT_EQ(path, c.path) << c.name;
  }
  std::string folder;
  ItemsFolderPath(folder);
  EXPECT_EQ(folder, "Vale/Items/");
  SkillTablesFolderPath(folder);
  EXPECT_EQ(folder, "Vale/Players/Skill Tables/");
}

// A name with a ".." segment would reach out of its kind's folder, even out of the scenario: its path is empty, so
// opening it fails as a missing file does. Dots that are not a whole segment are a name's own.
TEST_F(DataRootsTest, NamesThatClimbOutOfTheirFolderGiveNoPath) {
  SetDataRootsFrom("Vale", "C:/Games/");
  struct Case {
    void (*build)(std::string&, std::string_view);
    const char* name;
    const char* path;
  } cases[] = {
      {EventDefinitionPath, "../../../etc/passwd", ""},
      {EventDefinitionPath, "..\\Config", ""},
      {MapPath, "Town/../../Secret", ""},
      {PicturePath, "..", ""},
      {PortraitPath, "..Hero", "Vale/Players/Portraits/..Hero.pct"},
      {EventDefinitionPath, "Start..2", "Vale/Events/Defs/Start..2.cet"},
  };
  for (const Case& c : cases) {
    std::string path = "unchanged";
    c.build(path, c.name);
    EXPECT_EQ(path, c.path) << c.name;
  }
  std::string path = "unchanged";
  MusicPath(path, "../../Theme", "");
  EXPECT_EQ(path, "");
  SoundPath(path, "Boom", "../..");
  EXPECT_EQ(path, "");
}

TEST_F(DataRootsTest, MediaPathsLiveBesideTheDataFileOrInAPlugin) {
  SetDataRootsFrom("Data/Data001.dat", "C:/Games/Vale/");
  std::string path;
  MoviePath(path, "Intro.mov", "");
  EXPECT_EQ(path, "/C/Games/Vale/Data/Movies/Intro.mov");
  MusicPath(path, "Theme", "Extra");
  EXPECT_EQ(path, "/C/Games/Vale/Plugins/Extra/Music/Theme");
  SoundPath(path, "Boom", "");
  EXPECT_EQ(path, "Data/Sounds/Boom.aiff");
  SoundPath(path, "Boom.wav", "Extra");
  EXPECT_EQ(path, "Plugins/Extra/Sounds/Boom.wav");
  SoundPath(path, "Boom.aiff", "");
  EXPECT_EQ(path, "Data/Sounds/Boom.aiff");
}

// A data path with its own root keeps its media beside it, not below the program's folder, and its sound paths
// stay whole.
TEST_F(DataRootsTest, ADataPathWithItsOwnRootKeepsItsMediaBesideIt) {
  SetDataRootsFrom("D:\\Scenarios\\Vale.dat", "C:/Games/Vale/");
  EXPECT_EQ(GetApplicationRoot(), "D:\\Scenarios\\");
  EXPECT_EQ(GetPluginRoot(), "C:/Games/Vale/Plugins/");
  std::string path;
  MusicPath(path, "Theme", "");
  EXPECT_EQ(path, "/D/Scenarios/Music/Theme");
  SoundPath(path, "Boom", "");
  EXPECT_EQ(path, "/D/Scenarios/Sounds/Boom.aiff");
}

}  // namespace
