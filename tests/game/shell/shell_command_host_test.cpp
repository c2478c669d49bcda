// The game commands, saved games and sounds through the whole program, in-process and headless: the program runs
// from "cs.cfg" and a thread timer set before the run does the test's work between frames, inside the main loop.
#include "game/shell/shell_command_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/rules/active_effect.h"
#include "game/rules/character.h"
#include "game/rules/item_record.h"
#include "game/rules/game_state.h"
#include "game/shell/main_function.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/media/media_lookup.h"
#include "game/shell/menus.h"
#include "game/shell/record_lists.h"
#include "game/shell/media/screen_fades.h"
#include "game/shell/data/option_store.h"
#include "game/world/explored_mask.h"
#include "game/world/location_history.h"
#include "game/world/location.h"
#include "game/dialogs/about_dialog.h"
#include "game/dialogs/dialog.h"
#include "game/dialogs/list_controls.h"
#include "game/dialogs/shop_dialog.h"
#include "game/shell/media/music_player.h"
#include "game/shell/media/sound_effects.h"
#include "game/world/pause_overlay.h"
#include "game/world/scene_view.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/testing_sound.h"
#include "host/user.h"
#include "platform/core/file_manager.h"
#include "tests/support/program_steps.h"
#include "tests/support/temp_folder.h"
#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/location_writer.h"
#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/picture_writer.h"
#include "tools/scenario_writer/sound_files.h"

namespace sw = scenario_writer;

namespace {

using Step = test_support::ProgramStep;
using Steps = test_support::ProgramSteps;

// The exit item of the File menu, chosen as the window procedure stores it for the pump.
bool ChooseExit() {
  PostMessageA(GetMainWindow()->GetNativeWindow(), WM_COMMAND, kExitCommand, 0);
  return true;
}

// A game that starts on a still screen inside the status bar (screen layout 16), with 30 gold; the hut on its
// picture leads into a shop (screen layout 9) that sells a bow and a wand.
void AddSquareAndStall(sw::ConfigSpec& config, sw::ScenarioFiles& files) {
  config.askPlayerName = 0;
  config.characterCreation = 0;
  config.layouts[16].name = "Panel.bmp";
  config.layouts[16].elements.resize(30);
  config.layouts[16].elements[28] = {"picture", 0, 0, 640, 400};
  config.layouts[16].elements[22] = {"gold", 20, 420, 100, 20};
  config.layouts[11].name = "About.bmp";
  files.Add("Pictures/About.bmp", sw::EncodeBmp24(sw::Canvas(640, 480, sw::Rgb{0, 0, 200})));
  config.layouts[9].name = "Window.bmp";
  config.layouts[9].elements = {{"picture", 16, 16, 100, 80}, {"price", 16, 180, 100, 20},
                                {"gold", 16, 210, 100, 20},   {"shop", 16, 130, 60, 24},
                                {"player", 80, 130, 60, 24},  {"list", 150, 16, 200, 200},
                                {"leave", 16, 260, 60, 24},   {"trade", 150, 260, 60, 24},
                                {"name", 150, 230, 200, 20},  {"description", 16, 100, 120, 24}};
  files.Add("Pictures/Panel.bmp", sw::EncodeBmp24(sw::Canvas(640, 480, sw::Rgb{90, 60, 30})));
  files.Add("Pictures/Window.bmp", sw::EncodeBmp24(sw::Canvas(360, 300, sw::Rgb{200, 160, 80})));
  sw::ScreenLocationSpec square;
  square.interface = 1;
  square.hotspots = {{"Stall", 400, 200, 100, 100}};
  files.Add(sw::LocationRecordPath("Square"), sw::EncodeScreenLocation(square));
  files.Add(sw::LocationPicturePath("Square"), sw::EncodeBmp24(sw::Canvas(640, 400, sw::Rgb{40, 120, 60})));
  sw::ShopLocationSpec stall;
  stall.goods = {"Bow", "Wand"};
  files.Add(sw::LocationRecordPath("Stall"), sw::EncodeShopLocation(stall));
  files.Add(sw::LocationPicturePath("Stall"), sw::EncodeBmp24(sw::Canvas(100, 80, sw::Rgb{150, 40, 40})));
  files.Add("Events/Defs/Main.cet",
            sw::EncodeEvent({{{"", "Gold", {"1", "30"}}, {"", "Teleport", {"Square"}}}, {}, 0}));
}

sw::ScenarioFiles Scenario(uint8_t pluginsEnabled = 0, bool withPlaces = false) {
  sw::ConfigSpec config;
  config.pluginsEnabled = pluginsEnabled;
  config.scenarioName = "Vale";
  config.secondName = "Vale Two";
  config.layouts[15].name = "Start.bmp";
  config.defaultPlayerSprite = "Walker.bmp";
  config.globalNames = {"door", "bell"};
  // A new game starts without asking for the name or showing the character sheet.
  config.askPlayerName = 0;
  config.characterCreation = 0;
  sw::ScenarioFiles files;
  if (withPlaces) AddSquareAndStall(config, files);
  files.Add("Config", sw::EncodeConfig(config));
  files.Add("Pictures/Start.bmp", sw::EncodeBmp24(sw::Canvas(640, 480, sw::Rgb{10, 20, 30})));
  files.Add("Pictures/Walker.bmp", sw::EncodeBmp24(sw::Canvas(8, 8, sw::Rgb{10, 20, 30})));
  files.AddEmptyRecordFolders();
  // Records that a save names: the character finds them again by name.
  for (const char* spell : {"Players/Spells/Light.spl", "Players/Spells/Fog.spl"}) files.Add(spell, sw::EncodeSpell({}));
  for (const char* race : {"Players/Races/Human.rce", "Players/Races/Elf.rce"}) files.Add(race, sw::EncodeRace({}));
  for (const char* c : {"Players/Classes/Fighter.cls", "Players/Classes/Ranger.cls"}) files.Add(c, sw::EncodeClass({}));
  sw::ItemSpec bow;
  bow.kind = 1;
  bow.modifiers[kModifierStrength] = 2;
  files.Add("Items/Bow.itm", sw::EncodeItem(bow));
  sw::ItemSpec wand;
  wand.kind = 8;
  wand.spellName = "Light";
  files.Add("Items/Wand.itm", sw::EncodeItem(wand));
  files.Add("Players/Portraits/Ada.pct", sw::EncodeBmp24(sw::Canvas(6, 4, sw::Rgb{200, 100, 50})));
  // Two still screens, the mill and the ford.
  for (const char* name : {"Mill", "Ford"}) {
    files.Add(sw::LocationRecordPath(name), sw::EncodeScreenLocation({}));
    files.Add(sw::LocationPicturePath(name), sw::EncodeBmp24(sw::Canvas(640, 480, sw::Rgb{40, 80, 120})));
  }
  return files;
}

class GameShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
    HostTestClearFileChoosers();
    ResetOptionStore();
    WriteScenario(0);
  }
  void WriteScenario(uint8_t pluginsEnabled, bool withPlaces = false) {
    sw::Bytes archive;
    ASSERT_TRUE(Scenario(pluginsEnabled, withPlaces).BuildArchive(archive));
    temp_.WriteFile("Data/Data001.dat", std::string(archive.begin(), archive.end()));
    temp_.WriteFile("cs.cfg", "-f -pData/Data001.dat");
    // The ford's music, where the game looks for media: beside the data file.
    sw::SoundFileSpec fileSpec;
    fileSpec.samplesPerSecond = 44100.0;
    sw::Bytes aiff = sw::WriteSoundFile(fileSpec, std::vector<int16_t>(44100, 800));
    temp_.WriteFile("Data/Music/Ford.aiff", std::string(aiff.begin(), aiff.end()));
  }
  void TearDown() override {
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
    HostTestClearFileChoosers();
    HostTestHoldAudio(false);
    LoadedPlugins().clear();
  }

  int Run(Steps& steps) { return test_support::RunProgramSteps(temp_.Posix(), steps); }

  TempFolder temp_;
};

// What the test gives the character and the world before saving.
void FillGame(ShellCommandHost& host) {
  Character& c = *GetCurrentCharacter();
  // Named as a record is, less the extension: a name that would be cut once more if it were taken the same way
  // when the game is opened.
  c.SetName("Ada.Lee.Fox");
  c.level = 4;
  c.experience = 1234;
  c.gold = 99;
  c.randomSeed = 321;
  for (int32_t value = 0; value < kCharacterValueCount; ++value) {
    c.base[static_cast<CharacterValue>(value)] = static_cast<int16_t>(20 + value);
  }
  c.base.electricalProtection = -3;
  c.base.morale = 9;  // not saved: the player's morale stays 0
  c.journal = {"Met the miller.", "Crossed the ford."};
  c.AddTextEntry("mill", "The mill", "Its wheel is broken.");
  c.SetPictureByName("Ada");
  c.SetClass(FindClassByName("Ranger"));
  c.SetRace(FindRaceByName("elf"));
  c.Equip(c.AddInventoryItem(FindItemByName("Bow")));
  c.AddInventoryItem(FindItemByName("Wand"))->charges = 5;
  c.LearnSpell(FindSpellByName("Light"));
  c.effects.push_back(ActiveEffect::Restore(FindSpellByName("Fog"), 12));
  c.RecalculateStats();
  c.stamina = 17;
  c.magic = 5;
  FindGlobalEntry("door")->value = "open";
  FindGlobalEntry("bell")->value = "rung";
  // From the mill, remembered, to the ford, where the game is saved with its music playing.
  FindLocationByName("Mill")->Enter();
  LocationHistory::Push();
  FindLocationByName("Ford")->Enter();
  PlayMusicByName("Ford");
  // A 4 x 4 mask: a byte a row.
  AdoptExploredMasks({{"Ford", {0x0F, 0x03, 0x00, 0x0C}, 4, 4, true, {7, 8}}});
}

TEST_F(GameShellTest, SaveThenOpenRestoresTheSavedFieldsThroughTheShell) {
  ShellCommandHost& host = GetShellCommandHost();
  SavedGame saved, reopened;
  bool exitEvents = false;
  std::string openedAt, openedMusic;
  struct Opened {
    int16_t stamina, magic, baseStrength, strength, morale;
    int32_t seed;
    std::string weapon;
    int32_t portraitWidth;
    bool effectRestored;
  } opened{};
  Steps steps;
  steps.list = {
      [&] {
        RunNewGameCommand();
        EXPECT_TRUE(IsGameInProgress());
        FillGame(host);
        host.Capture(&saved);
        HostTestAnswerFileChooser(temp_.WindowsPath("ada.ksv").c_str());
        RunSaveGameCommand();
        EXPECT_TRUE(GetSaveName().ends_with("ada.ksv")) << GetSaveName();
        return true;
      },
      [&] {
        // Another game replaces the first before it is opened again.
        RunEndGameCommand();
        EXPECT_FALSE(IsGameInProgress());
        EXPECT_EQ(GetCurrentCharacter(), nullptr);
        RunNewGameCommand();
        GetCurrentCharacter()->SetName("Bob");
        GetCurrentCharacter()->AddInventoryItem(FindItemByName("Bow"));
        FindGlobalEntry("door")->value = "shut";
        // Elsewhere, in silence.
        FindLocationByName("Mill")->Enter();
        StopMusic();
        HostTestAnswerFileChooser(temp_.WindowsPath("ada.ksv").c_str());
        RunOpenGameCommand();
        host.Capture(&reopened);
        exitEvents = IsGameInProgress();
        openedAt = GetCurrentLocation() != nullptr ? GetCurrentLocation()->GetName() : "";
        openedMusic = CurrentMusicName();
        const Character& c = *GetCurrentCharacter();
        opened = {c.stamina, c.magic, c.base.strength, c.current.strength, c.base.morale, c.randomSeed,
                  c.equipment[1] != nullptr ? c.equipment[1]->GetName() : "",
                  c.GetPicture() != nullptr ? c.GetPicture()->width : 0,
                  c.effects.size() == 1 && c.effects[0]->started != 0 && c.effects[0]->restored != 0};
        return true;
      },
      ChooseExit,
  };
  EXPECT_EQ(Run(steps), 1);
  EXPECT_EQ(steps.next, steps.list.size());
  EXPECT_TRUE(temp_.Exists("ada.ksv"));
  EXPECT_TRUE(HostTestMessageBoxes().empty());
  EXPECT_TRUE(exitEvents);
  ASSERT_EQ(saved.character.name, "Ada.Lee");
  // The scenario's default sprite, stored under its name.
  EXPECT_EQ(saved.character.spriteName, "Walker.bmp");
  // The packed archive keeps its names in lower case.
  EXPECT_EQ(saved.character.className, "ranger");
  EXPECT_EQ(saved.character.equipment[0], "bow");
  ASSERT_EQ(saved.character.effects.size(), 1u);
  ASSERT_EQ(saved.character.textEntries.size(), 1u);
  EXPECT_EQ(saved.character.portrait, "Ada");
  EXPECT_EQ(saved.character.base[15], 0);
  // The running character came back: points, base values (the bow's bonus on top), morale 0, seed, the weapon
  // in its slot, the portrait and the effect waiting for its next tick.
  EXPECT_EQ(opened.stamina, 17);
  EXPECT_EQ(opened.magic, 5);
  EXPECT_EQ(opened.baseStrength, 20 + kValueStrength);
  EXPECT_EQ(opened.strength, 20 + kValueStrength + 2);
  EXPECT_EQ(opened.morale, 0);
  EXPECT_EQ(opened.seed, 321);
  EXPECT_EQ(opened.weapon, "bow");
  EXPECT_EQ(opened.portraitWidth, 6);
  EXPECT_TRUE(opened.effectRestored);
  EXPECT_EQ(reopened.character, saved.character);
  EXPECT_EQ(reopened.globals, saved.globals);
  // Back at the ford, with its music; the history came back whole, the ford on top.
  EXPECT_EQ(openedAt, "ford");
  ASSERT_EQ(saved.history.size(), 2u);
  EXPECT_EQ(saved.history[0].location, "mill");
  EXPECT_EQ(saved.history[1].location, "ford");
  EXPECT_FALSE(saved.history[1].music.empty());
  EXPECT_EQ(openedMusic, saved.history[1].music);
  EXPECT_EQ(reopened.history, saved.history);
  ASSERT_EQ(saved.masks.size(), 1u);
  EXPECT_EQ(reopened.masks, saved.masks);
  // Shut-down forgets the game.
  EXPECT_EQ(GetCurrentCharacter(), nullptr);
}

// In a loose tree the player's sprite is looked for in the tree's own "Pictures/", wherever the tree lies.
TEST_F(GameShellTest, AGameOfALooseTreeFindsItsSpriteInTheTreeAndOpensAgain) {
  ASSERT_TRUE(Scenario().WriteLooseTree(temp_.PosixPath("Tree")));
  temp_.WriteFile("cs.cfg", "-pTree");
  std::string nameAfter, openedAt;
  Steps steps;
  steps.list = {
      [&] {
        RunNewGameCommand();
        GetCurrentCharacter()->SetName("Ada");
        FindLocationByName("Mill")->Enter();
        HostTestAnswerFileChooser(temp_.WindowsPath("ada.ksv").c_str());
        RunSaveGameCommand();
        GetCurrentCharacter()->SetName("Bob");
        FindLocationByName("Ford")->Enter();
        HostTestAnswerFileChooser(temp_.WindowsPath("ada.ksv").c_str());
        RunOpenGameCommand();
        nameAfter = GetCurrentCharacter() != nullptr ? GetCurrentCharacter()->GetName() : "";
        openedAt = GetCurrentLocation() != nullptr ? GetCurrentLocation()->GetName() : "";
        return true;
      },
      ChooseExit,
  };
  EXPECT_EQ(Run(steps), 1);
  EXPECT_FALSE(temp_.Exists("Pictures/Walker.bmp"));
  EXPECT_TRUE(HostTestMessageBoxes().empty());
  EXPECT_EQ(nameAfter, "Ada");
  EXPECT_EQ(openedAt, "Mill");
}

// A save whose place is a tile map of the scenario that cannot be entered (its map file missing from the data, or
// damaged) is refused before anything changes: the running game stays where it is, and the player is told.
TEST_F(GameShellTest, ASaveWhoseMapCannotBeReadIsRefusedAndTheRunningGameStays) {
  sw::ScenarioFiles files = Scenario();
  files.Add(sw::LocationRecordPath("Cave"), sw::EncodeMapLocation({}));
  files.Add(sw::LocationRecordPath("Dune"), sw::EncodeMapLocation({}));
  files.Add("Maps/Dune.cma", sw::Bytes{0, 1, 0});
  sw::Bytes archive;
  ASSERT_TRUE(files.BuildArchive(archive));
  temp_.WriteFile("Data/Data001.dat", std::string(archive.begin(), archive.end()));
  std::vector<std::string> after;  // "<name> at <place>, <playing or not>" after each open
  Steps steps;
  steps.list = {
      [&] {
        RunNewGameCommand();
        GetCurrentCharacter()->SetName("Ada");
        GetCurrentCharacter()->gold = 12;
        FindLocationByName("Ford")->Enter();
        SavedGame game;
        GetShellCommandHost().Capture(&game);
        game.character.name = "Lost";
        game.character.gold = 500;
        for (const char* place : {"Cave", "Dune"}) {
          game.history = {{kLocationKindMap, 2, 2, 0, place, ""}};
          std::vector<uint8_t> bytes;
          EXPECT_EQ(BuildSavedGameFile(game, "Vale Two", 7000, &bytes), SavedGameError::kNone);
          const std::string file = std::string(place) + ".ksv";
          temp_.WriteFile(file, std::string(bytes.begin(), bytes.end()));
          HostTestAnswerFileChooser(temp_.WindowsPath(file).c_str());
          RunOpenGameCommand();
          const Character* c = GetCurrentCharacter();
          after.push_back((c != nullptr ? c->GetName() + " " + std::to_string(c->gold) : "none") + " at " +
                          (GetCurrentLocation() != nullptr ? GetCurrentLocation()->GetName() : "") + ", " +
                          (IsGameInProgress() ? "playing" : "ended"));
        }
        return true;
      },
      ChooseExit,
  };
  EXPECT_EQ(Run(steps), 1);
  EXPECT_EQ(after, (std::vector<std::string>{"Ada 12 at ford, playing", "Ada 12 at ford, playing"}));
  std::vector<std::string> told;
  for (const HostMessageBoxRecord& box : HostTestMessageBoxes()) told.push_back(box.text);
  EXPECT_EQ(told, (std::vector<std::string>{"Impossible to load this saved game.",
                                            "Impossible to load this saved game."}));
}

TEST_F(GameShellTest, OpeningSkipsWhatTheScenarioLostAndTakesOldBonusesOff) {
  struct Seen {
    int16_t baseStrength = 0, strength = 0;
    std::vector<std::string> items;
    size_t spells = 0, effects = 0;
    std::string weapon;
    bool hasClass = false;
  };
  std::vector<Seen> seen;
  std::vector<bool> pendingKept;
  Steps steps;
  steps.list = {
      [&] {
        for (int16_t format : {int16_t{11}, int16_t{13}}) {
          SavedGame game;
          game.format = format;
          SavedCharacter& c = game.character;
          c.name = "Old";
          c.base[2 + kValueStrength] = 12;
          c.className = "Wizard";  // gone: the default class
          c.equipment = {"Bow", "", "", "", "", "", "", "", "Wand"};  // the wand is no ring
          c.inventory = {{"Sling", true, 3}, {"Bow", false, 0}, {"Wand", true, 2}};
          c.spells = {"Meteor", "Light"};
          c.effects = {{"Fog", 3}, {"Quake", 2}, {"Fog", 0}};
          game.history = {{kLocationKindScreen, 0, 0, 0, "Mill", ""}};
          QueuePendingSpell(FindSpellByName("Light"));
          EXPECT_EQ(ApplySavedGame(GetShellCommandHost(), game), SavedGameError::kNone);
          pendingKept.push_back(HasPendingSpells());
          ClearPendingSpells();
          const Character& player = *GetCurrentCharacter();
          Seen now{player.base.strength, player.current.strength, {}, player.knownSpells.size(),
                   player.effects.size(), player.equipment[1] != nullptr ? player.equipment[1]->GetName() : "",
                   player.GetClass() != nullptr};
          for (const auto& item : player.inventory) now.items.push_back(item->GetName());
          EXPECT_EQ(player.equipment[9], nullptr);
          seen.push_back(now);
        }
        return true;
      },
      ChooseExit,
  };
  EXPECT_EQ(Run(steps), 1);
  ASSERT_EQ(seen.size(), 2u);
  // Opening a game of the older format empties the spells waiting to be cast; the others keep them.
  EXPECT_EQ(pendingKept, (std::vector<bool>{false, true}));
  // The older format stored the strength with the bow's 2 in it.
  EXPECT_EQ(seen[0].baseStrength, 10);
  EXPECT_EQ(seen[0].strength, 12);
  EXPECT_EQ(seen[1].baseStrength, 12);
  EXPECT_EQ(seen[1].strength, 14);
  for (const Seen& s : seen) {
    EXPECT_EQ(s.items, (std::vector<std::string>{"bow", "wand"}));
    EXPECT_EQ(s.spells, 1u);
    EXPECT_EQ(s.effects, 1u);
    EXPECT_EQ(s.weapon, "bow");
    EXPECT_TRUE(s.hasClass);
  }
}

TEST_F(GameShellTest, NoToTheMissingPluginQuestionKeepsTheRunningGame) {
  std::string nameAfter;
  int inProgressAfter = -1;
  Steps steps;
  steps.list = {
      [&] {
        RunNewGameCommand();
        GetCurrentCharacter()->SetName("Ada");
        LoadedPlugins() = {"Harbour"};
        HostTestAnswerFileChooser(temp_.WindowsPath("ada.ksv").c_str());
        RunSaveGameCommand();
        LoadedPlugins().clear();
        GetCurrentCharacter()->SetName("Bob");
        HostTestAnswerFileChooser(temp_.WindowsPath("ada.ksv").c_str());
        HostTestAnswerMessageBox(IDNO);
        RunOpenGameCommand();
        nameAfter = GetCurrentCharacter() != nullptr ? GetCurrentCharacter()->GetName() : "";
        inProgressAfter = IsGameInProgress() ? 1 : 0;
        return true;
      },
      ChooseExit,
  };
  EXPECT_EQ(Run(steps), 1);
  EXPECT_EQ(nameAfter, "Bob");
  EXPECT_EQ(inProgressAfter, 1);
  std::vector<HostMessageBoxRecord> boxes = HostTestMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_NE(boxes[0].text.find("Harbour"), std::string::npos);
  EXPECT_EQ(boxes[0].caption, "Vale");
}

TEST_F(GameShellTest, TheExitItemQuitsAGameInProgressAndEndsTheLoop) {
  Steps steps;
  steps.list = {[] {
                  RunNewGameCommand();
                  return IsGameInProgress();
                },
                ChooseExit};
  EXPECT_EQ(Run(steps), 1);
  EXPECT_EQ(steps.next, steps.list.size());
  EXPECT_LT(steps.ticks, 600);
  EXPECT_FALSE(IsGameInProgress());
}

TEST_F(GameShellTest, ASoundThePlayingGamePlaysReachesTheMixer) {
  sw::SoundFileSpec fileSpec;
  fileSpec.samplesPerSecond = 44100.0;
  sw::Bytes aiff = sw::WriteSoundFile(fileSpec, std::vector<int16_t>(200, 1500));
  temp_.WriteFile("Data/Sounds/cs_attack_success.aiff", std::string(aiff.begin(), aiff.end()));
  HostTestHoldAudio(true);
  std::vector<int16_t> mixed;
  Steps steps;
  steps.list = {[&] {
                  EXPECT_TRUE(HostTestAudioOutputOpen());
                  EXPECT_NE(SoundSlotEffect(0), nullptr);
                  PlaySoundSlot(0);
                  mixed = HostTestMixAudio(100);
                  return true;
                },
                ChooseExit};
  EXPECT_EQ(Run(steps), 1);
  ASSERT_EQ(mixed.size(), 100u);
  EXPECT_EQ(mixed[0], 1500);
  EXPECT_EQ(mixed[99], 1500);
}

TEST_F(GameShellTest, TheMediaLookupSearchesPluginsAsTheConfigSays) {
  for (uint8_t enabled : {1, 0}) {
    WriteScenario(enabled);
    bool seen = !enabled;
    Steps steps;
    steps.list = {[&] {
                    seen = GetPluginsEnabled() != 0;
                    return true;
                  },
                  ChooseExit};
    EXPECT_EQ(Run(steps), 1);
    EXPECT_EQ(seen, enabled != 0);
  }
}

// A pixel of the frame last shown, by default its centre.
uint32_t PixelShown(int x = 320, int y = 240) {
  HostFrame frame;
  if (!HostTestLastFrame(GetMainWindow()->GetNativeWindow(), &frame) || x >= frame.width || y >= frame.height) {
    return 0xFFFFFFFFu;
  }
  return frame.pixels[static_cast<size_t>(y) * frame.width + x];
}
uint32_t CentrePixel() { return PixelShown(); }

// A fade composes the view from its layers, and the loading picture stays only in the back buffer once loading is
// over: a picture of the start picture's colour, on a layer of its own, stands for it.
std::unique_ptr<Bitmap> StartColouredPicture() {
  auto picture = std::make_unique<Bitmap>();
  if (picture->Create(640, 480, OpaqueFormat) != kBitmapReady) return nullptr;
  FillRect(*picture, picture->Frame(), DrawColor{30, 20, 10, 255});
  return picture;
}

void ShowOnALayerOfItsOwn(Bitmap* picture) {
  SceneView* view = GetSceneView();
  LayerRef layer = view->AddDefaultLayer(SceneLayer::kScreenMode);
  view->PushLayer();
  view->SetCurrentLayer(layer.Layer());
  view->SetCurrentLayerImage(picture);
  layer.Layer()->PlaceImage(0, 0);
  view->PopLayer();
}

TEST_F(GameShellTest, AFadeDarkensTheShownScreenAndBringsItBack) {
  constexpr uint32_t kStart = 0x000A141Eu;  // the start picture's colour
  std::vector<uint32_t> seen;
  std::unique_ptr<Bitmap> shown = StartColouredPicture();
  ASSERT_NE(shown, nullptr);
  Steps steps;
  // Fades of no length end at once at their last shade, so no clock decides what is seen.
  steps.list = {[&] {
                  if (CentrePixel() != kStart) return false;
                  ShowOnALayerOfItsOwn(shown.get());
                  FadeScreenOut(0);
                  return true;
                },
                [&] {
                  seen.push_back(CentrePixel());
                  FadeScreenIn(0);
                  return true;
                },
                [&] {
                  seen.push_back(CentrePixel());
                  return true;
                },
                ChooseExit};
  EXPECT_EQ(Run(steps), 1);
  EXPECT_EQ(steps.next, steps.list.size());
  EXPECT_EQ(seen, (std::vector<uint32_t>{0u, kStart}));
  EXPECT_FALSE(IsScreenFaded());
}

TEST_F(GameShellTest, ANewGameShowsItsStillScreenWhoseHotspotOpensTheShopAndLeavingItComesBack) {
  WriteScenario(0, true);
  HWND window = nullptr;
  std::string startedAt, backAt;
  uint32_t screenPixel = 0, shopPicturePixel = 0;
  std::string gold;
  int32_t rows = 0;
  int32_t historyAfter = -1;
  Bounds leave;
  Steps steps;
  steps.list = {
      [&] {
        window = GetMainWindow()->GetNativeWindow();
        RunNewGameCommand();
        startedAt = GetCurrentLocation() != nullptr ? GetCurrentLocation()->GetName() : "";
        return true;
      },
      [&] {
        // The picture is shown above the status bar, then the hut is clicked.
        screenPixel = PixelShown(100, 100);
        if (screenPixel != 0x0028783Cu) return false;
        HostTestMouseButton(window, 0, true, 450, 250);
        HostTestMouseButton(window, 0, false, 450, 250);
        return true;
      },
      [&] {
        // Inside the shop's modal loop.
        if (OpenDialogs().empty()) return false;
        auto* shop = dynamic_cast<ShopDialog*>(OpenDialogs().back());
        if (shop == nullptr) return false;
        const auto* list = shop->GetControlAs<ListControl>(ShopDialog::kList);
        rows = list != nullptr ? list->GetRowCount() : -1;
        gold = shop->GetControlAs<StaticTextControl>(ShopDialog::kGoldText)->GetText();
        const Bounds& frame = shop->Frame();
        const Bounds& picture = shop->GetControl(ShopDialog::kPicture)->GetRect();
        shopPicturePixel = PixelShown(frame.x + picture.x + 50, frame.y + picture.y + 40);
        leave = shop->GetControl(ShopDialog::kLeaveButton)->GetRect();
        leave.x += frame.x + leave.width / 2;
        leave.y += frame.y + leave.height / 2;
        HostTestMouseButton(window, 0, true, leave.x, leave.y);
        HostTestMouseButton(window, 0, false, leave.x, leave.y);
        return true;
      },
      [&] {
        if (!OpenDialogs().empty()) return false;
        backAt = GetCurrentLocation() != nullptr ? GetCurrentLocation()->GetName() : "";
        historyAfter = LocationHistory::Count();
        return true;
      },
      ChooseExit,
  };
  EXPECT_EQ(Run(steps), 1);
  EXPECT_EQ(steps.next, steps.list.size());
  EXPECT_EQ(startedAt, "square");
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(gold, "30");
  // The shop's picture in the window's picture control.
  EXPECT_EQ(shopPicturePixel, 0x00962828u);
  EXPECT_EQ(backAt, "square");
  // The square, entered again from the shop, remembers the shop (an entry that names no place).
  EXPECT_EQ(historyAfter, 1);
}

// A new game, and a click on the hut of its square: into the stall's shop.
bool NewGameIntoTheStall() {
  RunNewGameCommand();
  HWND window = GetMainWindow()->GetNativeWindow();
  HostTestMouseButton(window, 0, true, 450, 250);
  HostTestMouseButton(window, 0, false, 450, 250);
  return true;
}

// Whether the dialog on top is a T.
template <typename T>
bool OnTop() {
  return !OpenDialogs().empty() && dynamic_cast<T*>(OpenDialogs().back()) != nullptr;
}

TEST_F(GameShellTest, AGameSavedInTheShopOpensAtTheScreenTheShopWasEnteredFrom) {
  WriteScenario(0, true);
  std::string openedAt, told;
  Steps steps;
  steps.list = {
      NewGameIntoTheStall,
      [&] {
        // Saved inside the shop's modal loop, then left.
        if (!OnTop<ShopDialog>()) return false;
        HostTestAnswerFileChooser(temp_.WindowsPath("shop.ksv").c_str());
        RunSaveGameCommand();
        OpenDialogs().back()->Close();
        return true;
      },
      [&] {
        if (!OpenDialogs().empty()) return false;
        FindLocationByName("Mill")->Enter();
        HostTestAnswerFileChooser(temp_.WindowsPath("shop.ksv").c_str());
        RunOpenGameCommand();
        openedAt = GetCurrentLocation() != nullptr ? GetCurrentLocation()->GetName() : "";
        for (const HostMessageBoxRecord& box : HostTestMessageBoxes()) told += box.text;
        return true;
      },
      ChooseExit,
  };
  EXPECT_EQ(Run(steps), 1);
  EXPECT_EQ(steps.next, steps.list.size());
  EXPECT_EQ(told, "");
  EXPECT_EQ(openedAt, "square");
}

// The about box sets a faded screen's black snapshot aside while it is open, so that it shows, and puts it back
// when it closes: the screen is black again until the fade in.
TEST_F(GameShellTest, TheAboutBoxShowsOverAFadedScreenWhichIsBlackAgainAfterIt) {
  WriteScenario(0, true);
  constexpr uint32_t kStart = 0x000A141Eu;  // the start picture's colour
  constexpr uint32_t kAbout = 0x000000C8u;  // the about picture's
  std::unique_ptr<Bitmap> shown = StartColouredPicture();
  ASSERT_NE(shown, nullptr);
  std::vector<uint32_t> seen;
  std::vector<bool> snapshots;
  Steps steps;
  steps.list = {[&] {
                  if (CentrePixel() != kStart) return false;
                  ShowOnALayerOfItsOwn(shown.get());
                  FadeScreenOut(0);
                  seen.push_back(CentrePixel());
                  PostMessageA(GetMainWindow()->GetNativeWindow(), WM_COMMAND, kAboutCommand, 0);
                  return true;
                },
                [&] {
                  if (!OnTop<AboutDialog>() || CentrePixel() != kAbout) return false;
                  seen.push_back(CentrePixel());
                  snapshots.push_back(ScreenSnapshot() != nullptr);
                  OpenDialogs().back()->Close();
                  return true;
                },
                [&] {
                  // A frame after the box has closed.
                  if (!OpenDialogs().empty() || CentrePixel() == kAbout) return false;
                  seen.push_back(CentrePixel());
                  snapshots.push_back(ScreenSnapshot() != nullptr);
                  FadeScreenIn(0);
                  seen.push_back(CentrePixel());
                  return true;
                },
                ChooseExit};
  EXPECT_EQ(Run(steps), 1);
  EXPECT_EQ(steps.next, steps.list.size());
  EXPECT_EQ(seen, (std::vector<uint32_t>{0u, kAbout, 0u, kStart}));
  EXPECT_EQ(snapshots, (std::vector<bool>{false, true}));
}

// Over a game dialog, the File menu's Exit and the Help menu stay live: the about box opens over the shop, and
// Exit ends the game and the loop from inside the shop's own loop.
TEST_F(GameShellTest, ExitAndTheAboutBoxStayLiveOverTheShop) {
  WriteScenario(0, true);
  size_t openWithAbout = 0;
  Steps steps;
  steps.list = {
      NewGameIntoTheStall,
      [&] {
        if (!OnTop<ShopDialog>()) return false;
        PostMessageA(GetMainWindow()->GetNativeWindow(), WM_COMMAND, kAboutCommand, 0);
        return true;
      },
      [&] {
        if (!OnTop<AboutDialog>()) return false;
        openWithAbout = OpenDialogs().size();
        OpenDialogs().back()->Close();
        return true;
      },
      [&] {
        if (!OnTop<ShopDialog>()) return false;
        return ChooseExit();
      },
  };
  EXPECT_EQ(Run(steps), 1);
  EXPECT_EQ(steps.next, steps.list.size());
  EXPECT_LT(steps.ticks, 600);
  EXPECT_EQ(openWithAbout, 2u);
  EXPECT_FALSE(IsGameInProgress());
}

// A Help item sets the screen snapshot aside while it runs and puts it back afterwards. A pause overlay that the
// game's resuming freed meanwhile is not put back: nothing of it is left.
TEST_F(GameShellTest, AHelpItemPutsTheSnapshotBack) {
  WriteScenario(0, true);
  auto mine = std::make_unique<Bitmap>();
  ASSERT_EQ(mine->Create(640, 480, OpaqueFormat), kBitmapReady);
  std::vector<Bitmap*> during, after;
  auto openAbout = [] {
    PostMessageA(GetMainWindow()->GetNativeWindow(), WM_COMMAND, kAboutCommand, 0);
    return true;
  };
  auto closeAbout = [&](bool resume) {
    return [&, resume] {
      if (!OnTop<AboutDialog>()) return false;
      during.push_back(GetScreenSnapshot());
      if (resume) SetGamePaused(false);
      OpenDialogs().back()->Close();
      return true;
    };
  };
  auto note = [&] {
    if (!OpenDialogs().empty()) return false;
    after.push_back(GetScreenSnapshot());
    SetScreenSnapshot(nullptr);
    return true;
  };
  Steps steps;
  steps.list = {
      [&] {
        SetScreenSnapshot(mine.get());
        return openAbout();
      },
      closeAbout(false),
      note,
      [&] {
        SetGamePaused(true);
        if (GetPauseOverlay() == nullptr || GetScreenSnapshot() != GetPauseOverlay()) return false;
        return openAbout();
      },
      closeAbout(true),
      note,
      ChooseExit,
  };
  EXPECT_EQ(Run(steps), 1);
  EXPECT_EQ(steps.next, steps.list.size());
  EXPECT_EQ(during, (std::vector<Bitmap*>{nullptr, nullptr}));
  EXPECT_EQ(after, (std::vector<Bitmap*>{mine.get(), nullptr}));
}

}  // namespace
