#include "game/shell/data_paths.h"

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
