#include "game/shell/scenario_config.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "game/dialogs/screen_layouts.h"
#include "game/rules/game_state.h"
#include "game/rules/string_list.h"
#include "game/shell/main_function.h"
#include "game/shell/main_window.h"
#include "game/shell/media/music_player.h"
#include "game/shell/data/option_store.h"
#include "game/shell/data/preferences.h"
#include "game/shell/startup_options.h"
#include "game/world/location_spot_list.h"
#include "host/testing.h"
#include "platform/core/file_manager.h"
#include "tests/support/temp_folder.h"
#include "tools/scenario_writer/config_writer.h"

namespace sw = scenario_writer;

namespace {

// Reads a Config written by the scenario writer, through the start-up options as the program does.
class ScenarioConfigTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    ResetOptionStore();
    ASSERT_EQ(PlatformFileSystemStartup(), kPlatformNoError);
    ASSERT_EQ(PlatformResolveFolder(0, ("/C" + temp_.Posix()).c_str(), &folder_), kPlatformNoError);
    ASSERT_EQ(PlatformSetDefaultFolder(folder_, static_cast<const char*>(nullptr)), kPlatformNoError);
  }
  void TearDown() override {
    ShutdownGame();
    PlatformReleaseFolder(folder_);
    PlatformFileSystemShutdown();
    ResetOptionStore();
  }

  bool Read(const sw::ConfigSpec& fileSpec, const std::string& startup = "-pVale") {
    sw::Bytes bytes = sw::EncodeConfig(fileSpec);
    temp_.WriteFile("Vale/Config", std::string(bytes.begin(), bytes.end()));
    temp_.WriteFile("cs.cfg", startup);
    if (ReadStartupConfig(StartupWindowParams{}) != 0) return false;
    return ReadScenarioConfig();
  }

  TempFolder temp_;
  FolderRef folder_ = 0;
};

TEST_F(ScenarioConfigTest, EveryFieldReachesItsOwner) {
  sw::ConfigSpec fileSpec;
  fileSpec.scenarioName = "Vale";
  fileSpec.secondName = "Of Mists";
  fileSpec.pluginsEnabled = 1;
  fileSpec.optionFlags[0] = 1;
  fileSpec.optionFlags[14] = 7;
  fileSpec.layouts.resize(40);
  fileSpec.layouts[16] = sw::LayoutSpec{"Screen.png", {{"Portrait", 20, 10, 30, 40}}};
  fileSpec.layouts[39].name = "Dropped";
  fileSpec.globalNames = {"gb_door", "gb_Key"};
  fileSpec.spots = {{"q", 0, "Quit"}, {"H", 1, "Help"}};
  fileSpec.askPlayerName = 0;
  fileSpec.characterCreation = 0;
  fileSpec.screenFades = 1;
  fileSpec.windowMode = 2;
  fileSpec.screenWidth = 800;
  fileSpec.screenHeight = 600;
  fileSpec.menuBar = 0;
  fileSpec.menuLists = {{"Help", {{"Rules", "Rules"}}}, {"File", {{"-", ""}}}, {"Game", {{"Map/m", "Map"}}},
                    {"Extra", {{"Dropped", "X"}}}};
  fileSpec.defaultPlayerSprite = "Hero";
  fileSpec.depthCode = 1;
  fileSpec.mapText = "Gold pile";
  ASSERT_TRUE(Read(fileSpec));

  EXPECT_EQ(GetScenarioName(), "Vale");
  EXPECT_EQ(GetScenarioSecondName(), "Of Mists");
  EXPECT_EQ(GetOptionFlag(0), 1);
  EXPECT_EQ(GetOptionFlag(1), 0);
  EXPECT_EQ(GetOptionFlag(14), 1);
  ASSERT_NE(GetLayout(16), nullptr);
  EXPECT_EQ(GetLayout(16)->GetName(), "Screen.png");
  const LayoutElement* portrait = GetLayout(16)->GetElement(0);
  ASSERT_NE(portrait, nullptr);
  EXPECT_EQ(portrait->name, "Portrait");
  EXPECT_EQ(portrait->GetRect(), (Bounds{20, 10, 30, 40}));
  EXPECT_TRUE(portrait->Contains(50, 50));
  EXPECT_FALSE(portrait->Contains(51, 50));
  EXPECT_EQ(GetLayout(34), nullptr);
  EXPECT_EQ(GetLayout(35), nullptr);
  EXPECT_TRUE(GlobalEntryExists("gb_Key"));
  EXPECT_FALSE(GlobalEntryExists("gb_key"));
  ASSERT_NE(GetGlobalSpotList(), nullptr);
  ASSERT_EQ(GetGlobalSpotList()->Entries().size(), 2u);
  EXPECT_EQ(GetGlobalSpotList()->Entries()[1].eventName, "Help");
  EXPECT_EQ(GetAskPlayerName(), 0);
  EXPECT_EQ(GetShowCharacterCreation(), 0);
  EXPECT_EQ(GetScreenFadeEnabled(), 1);
  EXPECT_EQ(GetWindowMode(), 2);
  EXPECT_EQ(GetScreenWidth(), 800);
  EXPECT_EQ(GetScreenHeight(), 600);
  EXPECT_EQ(GetMenuBarEnabled(), 0);
  ASSERT_NE(GetMenuList(kMenuListGame), nullptr);
  EXPECT_EQ(GetMenuList(kMenuListGame)->GetString(0), "Map/m");
  EXPECT_EQ(GetMenuList(kMenuListHelp)->GetString(0), "Rules");
  EXPECT_EQ(GetMenuList(kMenuListHelp)->GetString(-1), "");
  EXPECT_EQ(GetMenuList(kMenuListHelp)->GetString(32768), "");
  EXPECT_EQ(GetDefaultPlayerSpriteName(), "Hero");
  EXPECT_EQ(GetScreenDepth(), 16);
  EXPECT_EQ(GetPileItemName(), "Gold pile");
}

TEST_F(ScenarioConfigTest, WithoutPlugInsTheOptionBytesAreSkipped) {
  sw::ConfigSpec fileSpec;
  fileSpec.optionFlags.fill(1);
  ASSERT_TRUE(Read(fileSpec));
  for (int i = 0; i < kOptionFlagCount; ++i) EXPECT_EQ(GetOptionFlag(i), 0);
}

TEST_F(ScenarioConfigTest, DepthCodes) {
  for (auto [code, depth] : {std::pair{0, 8}, {1, 16}, {2, 32}, {3, 8}}) {
    sw::ConfigSpec fileSpec;
    fileSpec.depthCode = static_cast<int16_t>(code);
    ASSERT_TRUE(Read(fileSpec));
    EXPECT_EQ(GetScreenDepth(), depth) << code;
    ShutdownGame();
  }
}

TEST_F(ScenarioConfigTest, WindowedSwitchKeepsTheWindowMode) {
  sw::ConfigSpec fileSpec;
  fileSpec.windowMode = 2;
  ASSERT_TRUE(Read(fileSpec, "-w -pVale"));
  EXPECT_EQ(GetWindowMode(), 1);
}

TEST_F(ScenarioConfigTest, MusicVolumeComesFromThePreferences) {
  // The stored value as a strict decimal number: what is not one gives 0. A value too large to be scaled to the
  // player's volume in 32 bits stops at the largest that can be.
  const std::pair<const char*, int> cases[] = {
      {"40", 40}, {"0", 0},         {"150", 150},           {"-5", -5},
      {"loud", 0}, {"4 0", 0}, {"99999999", INT32_MAX / 256}, {"-99999999", -(INT32_MAX / 256)},
  };
  for (auto [stored, volume] : cases) {
    sw::ConfigSpec fileSpec;
    fileSpec.scenarioName = "Tune";
    PrefsFile prefs("Tune");
    prefs.Set("music_volume", stored);
    ASSERT_TRUE(prefs.Save());
    ASSERT_TRUE(Read(fileSpec));
    EXPECT_EQ(MusicVolume(), volume) << stored;
    ShutdownGame();
  }
  SetMusicVolume(100);
}

TEST_F(ScenarioConfigTest, ShortTableLeavesEmptyLayoutsAndAMissingConfigFails) {
  sw::ConfigSpec fileSpec;
  fileSpec.layouts.resize(2);
  fileSpec.layouts[1].name = "One";
  ASSERT_TRUE(Read(fileSpec));
  ASSERT_NE(GetLayout(1), nullptr);
  EXPECT_EQ(GetLayout(1)->GetName(), "One");
  ShutdownGame();

  temp_.WriteFile("Other/readme", "x");
  temp_.WriteFile("cs.cfg", "-pOther");
  ASSERT_EQ(ReadStartupConfig(StartupWindowParams{}), 0);
  EXPECT_FALSE(ReadScenarioConfig());
}

TEST_F(ScenarioConfigTest, DataPathChecks) {
  temp_.WriteFile("cs.cfg", "-f");
  EXPECT_EQ(ReadStartupConfig(StartupWindowParams{}), kStartupBadDataPath);
  ShutdownGame();
  temp_.WriteFile("cs.cfg", "-pMissing.dat");
  EXPECT_EQ(ReadStartupConfig(StartupWindowParams{}), kStartupBadDataPath);
  ShutdownGame();
  // A folder is a folder whatever its name, and the file's line break is no part of the path.
  temp_.WriteFile("Data.v2/Config", "x");
  temp_.WriteFile("cs.cfg", "-f -pData.v2\r\n");
  EXPECT_EQ(ReadStartupConfig(StartupWindowParams{}), 0);
  EXPECT_EQ(GetDataPath(), "Data.v2/");
}

}  // namespace
