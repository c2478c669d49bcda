// The program run in-process and headless: from "cs.cfg" to the window and back, through the host's test seam.
// A thread timer set before the run serves as the test's hands: the game's message pump calls it between frames,
// and it looks at the window and injects the player's input.
#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/dialogs/dialog.h"
#include "game/dialogs/dialog_services.h"
#include "game/dialogs/screen_layouts.h"
#include "game/graphics/bitmap.h"
#include "game/graphics/blitter.h"
#include "game/rules/game_state.h"
#include "game/rules/script_event.h"
#include "game/shell/main_function.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/menus.h"
#include "game/shell/data/option_store.h"
#include "game/shell/data/preferences.h"
#include "game/shell/input_manager.h"
#include "game/shell/record_lists.h"
#include "game/world/scene_view.h"
#include "host/errors.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/testing_files.h"
#include "host/user.h"
#include "platform/core/core.h"
#include "platform/core/file_manager.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_folder.h"
#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/picture_writer.h"

namespace sw = scenario_writer;

namespace {

constexpr sw::Rgb kStartColour{10, 200, 30};
constexpr sw::Rgb kMarkColour{250, 20, 40};

// What a run saw: the first frame shown, the window's title, and the records and layouts loaded.
struct Observed {
  bool sawFrame = false;
  HostFrame frame;
  std::string title;
  std::vector<std::string> records;
  std::string layout15;
  bool paused = false;
  bool fullscreen = false;
};

// The test's script: called on each timer tick while the game runs, with the main window once it shows a frame.
using Step = std::function<bool(HWND window, Observed& seen)>;  // true when the step is done

struct Script {
  std::vector<Step> steps;
  size_t next = 0;
  int ticks = 0;
  int lastStepTick = -1;  // the tick on which the last step was done
  Observed seen;
};

// A script that has run out, or a game that ignores it, is ended after this many ticks with its own exit code,
// so that a test expecting the program to end another way sees the difference.
constexpr int kTicksBeforeForcedQuit = 600;
constexpr int kForcedQuitCode = 7;

Script*& CurrentScript() {
  static Script* script = nullptr;
  return script;
}

void ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
  Script* script = CurrentScript();
  MainWindow* window = GetMainWindow();
  if (script == nullptr || window == nullptr || !window->IsCreated()) return;
  HWND handle = window->GetNativeWindow();
  ++script->ticks;
  if (!script->seen.sawFrame && HostTestLastFrame(handle, &script->seen.frame)) {
    script->seen.sawFrame = true;
    char title[128] = {};
    GetWindowTextA(handle, title, sizeof title);
    script->seen.title = title;
  }
  if (!script->seen.sawFrame) return;
  if (script->next < script->steps.size() && script->steps[script->next](handle, script->seen)) {
    if (++script->next == script->steps.size()) script->lastStepTick = script->ticks;
  }
  if (script->ticks > kTicksBeforeForcedQuit) PostQuitMessage(kForcedQuitCode);
}

// The program ran every step of its script and then ended within a few frames, by the way the last step meant.
void ExpectEndedAfterTheScript(const Script& script) {
  EXPECT_EQ(script.next, script.steps.size());
  EXPECT_GE(script.lastStepTick, 0);
  EXPECT_LT(script.ticks - script.lastStepTick, 30);
}

std::string ReadWholeFile(const std::string& posix) {
  std::ifstream in(posix, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Lowered(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Waits until the scenario has loaded and the main loop runs (the menus and their accelerators exist), and notes
// what was loaded. Names are compared lower-cased: the packed archive keeps its names in lower case.
bool UntilRunning(HWND window, Observed& seen) {
  if (GetAcceleratorTable() == nullptr || (GetRunState() & kRunRecordsLoaded) == 0) return false;
  for (const auto& spell : SpellList()) seen.records.push_back("spell " + Lowered(spell->GetName()));
  for (const auto& item : ItemList()) seen.records.push_back("item " + Lowered(item->GetName()));
  if (Layout* layout = GetLayout(15)) seen.layout15 = layout->GetName();
  seen.fullscreen = HostTestIsFullscreen(window);
  return true;
}

// Control and Q go down on one tick and up on a later one, as a player's fingers do.
bool PressCtrlQ(HWND, Observed&) {
  HostTestKey(VK_CONTROL, true);
  HostTestKey('Q', true);
  return true;
}

sw::Bytes StartPicture() {
  sw::Canvas canvas(640, 480, kStartColour);
  canvas.FillRect(100, 50, 20, 10, kMarkColour);
  return sw::EncodeBmp24(canvas);
}

sw::ConfigSpec SmallConfig() {
  sw::ConfigSpec config;
  config.scenarioName = "Vale";
  config.secondName = "Vale Two";
  config.layouts[15].name = "Start.bmp";
  config.menuLists[1].entries = {{"Look/l", "Look"}};
  return config;
}

sw::ScenarioFiles SmallScenario(const sw::ConfigSpec& config) {
  sw::ScenarioFiles files;
  files.Add("Config", sw::EncodeConfig(config));
  files.Add("Pictures/Start.bmp", StartPicture());
  files.AddEmptyRecordFolders();
  files.Add("Players/Spells/Fire.spl", sw::EncodeSpell({}));
  files.Add("Players/Spells/ice.spl", sw::EncodeSpell({}));
  files.Add("Items/Sword.itm", sw::EncodeItem({}));
  files.Add("Events/Defs/StartGame.cet", sw::EncodeEvent({}));
  return files;
}

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
    ResetOptionStore();
  }
  void TearDown() override {
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
    CurrentScript() = nullptr;
  }

  void WriteArchive(const sw::ScenarioFiles& files, const std::string& startup = "-f -pData/Data001.dat") {
    sw::Bytes archive;
    ASSERT_TRUE(files.BuildArchive(archive));
    temp_.WriteFile("Data/Data001.dat", std::string(archive.begin(), archive.end()));
    temp_.WriteFile("cs.cfg", startup);
  }

  // Runs the program with the temporary folder as its own folder; the script's ticks run inside its loop.
  // `beforeMain` runs once the framework has started, just before the main function.
  int Run(Script& script, void (*beforeMain)() = nullptr) {
    CurrentScript() = &script;
    EXPECT_EQ(PlatformFileSystemStartup(), kPlatformNoError);
    FolderRef folder = 0;
    EXPECT_EQ(PlatformResolveFolder(0, ("/C" + temp_.Posix()).c_str(), &folder), kPlatformNoError);
    EXPECT_EQ(PlatformSetDefaultFolder(folder, static_cast<const char*>(nullptr)), kPlatformNoError);
    SetTimer(nullptr, 0, 5, ScriptTick);
    if (beforeMain != nullptr) beforeMain();
    int code = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, 1);
    CurrentScript() = nullptr;
    return code;
  }

  std::vector<std::string> BoxTexts() {
    std::vector<std::string> texts;
    for (const HostMessageBoxRecord& box : HostTestMessageBoxes()) texts.push_back(box.text);
    return texts;
  }

  TempFolder temp_;
};

TEST_F(ProgramTest, MissingDataShowsTheDataPathAndEndsWithCodeOne) {
  Script script;
  EXPECT_EQ(Run(script), 1);
  auto boxes = HostTestMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  // The path is the system's own, from the root of its tree.
  EXPECT_EQ(boxes[0].text, "Cannot find the specified file : \n" + temp_.Posix() + "/Data/Data001.dat");
  EXPECT_EQ(boxes[0].caption, "Error");
  EXPECT_FALSE(script.seen.sawFrame);
}

TEST_F(ProgramTest, ConfigOfAnotherFormatCannotBeLoaded) {
  sw::ConfigSpec config = SmallConfig();
  config.format = 5;
  WriteArchive(SmallScenario(config));
  Script script;
  EXPECT_EQ(Run(script), 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot load the game.\n"});
}

TEST_F(ProgramTest, AViewSizeThatCannotBeMadeEndsStartUp) {
  sw::ConfigSpec config = SmallConfig();
  config.screenWidth = 0;
  WriteArchive(SmallScenario(config));
  Script script;
  EXPECT_EQ(Run(script), 1);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Cannot load the game.\n"});
}

TEST_F(ProgramTest, FirstFrameShowsTheStartPictureAndControlQEndsTheGame) {
  WriteArchive(SmallScenario(SmallConfig()));
  Script script;
  script.steps = {UntilRunning, PressCtrlQ};
  EXPECT_EQ(Run(script), 1);
  EXPECT_TRUE(BoxTexts().empty());
  ASSERT_TRUE(script.seen.sawFrame);
  EXPECT_EQ(script.seen.title, "Vale");
  const HostFrame& frame = script.seen.frame;
  // The centred window is one pixel wider and higher than the game's 640 x 480, which the picture fills.
  ASSERT_EQ(frame.width, 641);
  ASSERT_EQ(frame.height, 481);
  auto pixel = [&](int x, int y) { return frame.pixels[static_cast<size_t>(y) * frame.width + x]; };
  EXPECT_EQ(pixel(5, 5), 0x000AC81Eu);
  EXPECT_EQ(pixel(105, 55), 0x00FA1428u);
  EXPECT_EQ(pixel(639, 479), 0x000AC81Eu);
  EXPECT_EQ(script.next, 2u);
}

TEST_F(ProgramTest, ClosingTheWindowEndsTheLoop) {
  WriteArchive(SmallScenario(SmallConfig()));
  Script script;
  script.steps = {UntilRunning, [](HWND window, Observed&) {
    HostTestCloseWindow(window);
    return true;
  }};
  EXPECT_EQ(Run(script), 1);
  ExpectEndedAfterTheScript(script);
}

TEST_F(ProgramTest, AQuitMessageGivesItsExitCode) {
  WriteArchive(SmallScenario(SmallConfig()));
  Script script;
  script.steps = {[](HWND, Observed&) {
    PostQuitMessage(3);
    return true;
  }};
  EXPECT_EQ(Run(script), 3);
}

TEST_F(ProgramTest, DeactivationPausesTheGame) {
  WriteArchive(SmallScenario(SmallConfig()));
  Script script;
  script.steps = {UntilRunning,
                  [](HWND window, Observed&) {
                    HostTestActivate(window, false);
                    return true;
                  },
                  [](HWND window, Observed& seen) {
                    if ((GetRunState() & kRunPaused) == 0) return false;
                    seen.paused = (GetRunState() & kRunPausedByCommand) == 0;
                    HostTestActivate(window, true);
                    return true;
                  },
                  [](HWND, Observed&) { return (GetRunState() & kRunPaused) == 0; },
                  PressCtrlQ};
  EXPECT_EQ(Run(script), 1);
  EXPECT_TRUE(script.seen.paused);
}

TEST_F(ProgramTest, ArchiveAndLooseTreeGiveTheSameRecordsAndLayouts) {
  sw::ScenarioFiles files = SmallScenario(SmallConfig());
  WriteArchive(files);
  Script packed;
  packed.steps = {UntilRunning, PressCtrlQ};
  EXPECT_EQ(Run(packed), 1);
  ExpectEndedAfterTheScript(packed);

  HostTestResetWindowSystem();
  ASSERT_TRUE(files.WriteLooseTree(temp_.PosixPath("Tree")));
  temp_.WriteFile("cs.cfg", "-pTree\n");
  Script loose;
  loose.steps = {UntilRunning, PressCtrlQ};
  EXPECT_EQ(Run(loose), 1);
  ExpectEndedAfterTheScript(loose);

  EXPECT_TRUE(BoxTexts().empty());
  // Records stand in front of those read before them.
  const std::vector<std::string> expected = {"spell ice", "spell fire", "item sword"};
  EXPECT_EQ(packed.seen.records, expected);
  EXPECT_EQ(loose.seen.records, expected);
  EXPECT_EQ(packed.seen.layout15, "Start.bmp");
  EXPECT_EQ(loose.seen.layout15, "Start.bmp");
}

TEST_F(ProgramTest, WindowedSwitchKeepsTheWindowAndAsksNothing) {
  sw::ConfigSpec config = SmallConfig();
  config.windowMode = 0;
  WriteArchive(SmallScenario(config), "-w -f -pData/Data001.dat");
  Script script;
  script.steps = {UntilRunning, PressCtrlQ};
  EXPECT_EQ(Run(script), 1);
  ExpectEndedAfterTheScript(script);
  EXPECT_TRUE(BoxTexts().empty());
  EXPECT_FALSE(script.seen.fullscreen);
}

TEST_F(ProgramTest, WindowModeZeroAsksAndKeepsTheAnswer) {
  sw::ConfigSpec config = SmallConfig();
  config.windowMode = 0;
  config.depthCode = 2;  // 32 bits: the display offers no 8-bit mode
  WriteArchive(SmallScenario(config));
  HostTestAnswerMessageBox(IDYES);
  Script script;
  script.steps = {UntilRunning, PressCtrlQ};
  EXPECT_EQ(Run(script), 1);
  ExpectEndedAfterTheScript(script);
  auto boxes = HostTestMessageBoxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Do you want to play this game in fullscreen mode?");
  EXPECT_EQ(boxes[0].caption, "Vale");
  EXPECT_TRUE(script.seen.fullscreen);
  PrefsFile prefs("Vale");
  prefs.Load();
  std::string stored;
  prefs.Get(stored, "fullscreen");
  EXPECT_EQ(stored, "1");

  // The stored answer is used from then on: no second question.
  HostTestResetWindowSystem();
  HostTestClearMessageBoxes();
  Script again;
  again.steps = {UntilRunning, PressCtrlQ};
  EXPECT_EQ(Run(again), 1);
  ExpectEndedAfterTheScript(again);
  EXPECT_TRUE(HostTestMessageBoxes().empty());
  EXPECT_TRUE(again.seen.fullscreen);
}

TEST_F(ProgramTest, PreferencesThatCannotBeSavedAreToldAndTheOldFileStays) {
  sw::ConfigSpec config = SmallConfig();
  config.windowMode = 0;
  config.depthCode = 2;
  WriteArchive(SmallScenario(config));
  PrefsFile prefs("Vale");
  prefs.Set("music_volume", "40");
  ASSERT_TRUE(prefs.Save());
  const std::string path = prefs.Folder() + prefs.FileName();
  std::string posix = path.substr(2);
  std::replace(posix.begin(), posix.end(), '\\', '/');
  const std::string before = ReadWholeFile(posix);
  HostTestAnswerMessageBox(IDNO);
  HostFailFileWrites(1000, 0, ERROR_DISK_FULL, true);
  Script script;
  script.steps = {UntilRunning, PressCtrlQ};
  int code = Run(script);
  HostResetFileFaults();
  EXPECT_EQ(code, 1);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Do you want to play this game in fullscreen mode?",
                                                  "Cannot save the preferences file : \n" + posix}));
  EXPECT_EQ(ReadWholeFile(posix), before);
}

}  // namespace

namespace {

// The number of items of a menu: positions are tried until one is missing (enabling each on the way).
int CountItems(HMENU menu) {
  int count = 0;
  while (EnableMenuItem(menu, static_cast<UINT>(count), MF_BYPOSITION | MF_ENABLED) != -1) ++count;
  return count;
}

struct MenuCounts {
  int bar = 0, file = 0, help = 0, game = -1;
};

TEST_F(ProgramTest, MenusFollowTheScenarioListsWithinTheirRanges) {
  sw::ConfigSpec config = SmallConfig();
  config.menuLists[0].entries = {{"Rules", "Rules"}};
  config.menuLists[1].entries.clear();
  for (int i = 0; i < 101; ++i) config.menuLists[1].entries.push_back({"Item " + std::to_string(i), "Item"});
  config.menuLists[2].entries = {{"Map/m", "Map"}, {"-", ""}};
  WriteArchive(SmallScenario(config));
  static MenuCounts counts;
  Script script;
  script.steps = {UntilRunning,
                  [](HWND, Observed&) {
                    counts.bar = CountItems(GetMenuBar());
                    counts.file = CountItems(GetFileMenu());
                    counts.help = CountItems(GetHelpMenu());
                    counts.game = CountItems(GetGameMenu());
                    return true;
                  },
                  PressCtrlQ};
  EXPECT_EQ(Run(script), 1);
  EXPECT_EQ(counts.bar, 3);
  EXPECT_EQ(counts.file, 100);  // 99 scenario items (1300 to 1398) and Exit; the rest would reach 1399
  EXPECT_EQ(counts.help, 2);
  EXPECT_EQ(counts.game, 2);
}

TEST_F(ProgramTest, WithoutGameItemsTheBarHasFileAndHelp) {
  WriteArchive(SmallScenario(SmallConfig()));
  static int bar = 0;
  Script script;
  script.steps = {UntilRunning,
                  [](HWND, Observed&) {
                    bar = CountItems(GetMenuBar());
                    return GetGameMenu() == nullptr;
                  },
                  PressCtrlQ};
  EXPECT_EQ(Run(script), 1);
  EXPECT_EQ(bar, 2);
}

// The File menu's first scenario item, chosen as the window procedure stores it for the pump.
bool ChooseTheFirstFileItem(HWND window, Observed&) {
  PostMessageA(window, WM_COMMAND, kFileItemBase, 0);
  return true;
}

// Closing the about box clears the view and composes it again from its layers: the loading picture, which only
// the back buffer kept, is gone, and a picture on a layer of its own comes back.
TEST_F(ProgramTest, TheAboutBoxShowsItsPictureUntilAClickAndClosingItRedrawsTheViewFromItsLayers) {
  sw::ConfigSpec config = SmallConfig();
  config.layouts[11].name = "About.bmp";
  sw::ScenarioFiles files = SmallScenario(config);
  files.Add("Pictures/About.bmp", sw::EncodeBmp24(sw::Canvas(640, 480, sw::Rgb{0, 0, 200})));
  WriteArchive(files);
  static std::unique_ptr<Bitmap> marker;
  marker = std::make_unique<Bitmap>();
  ASSERT_EQ(marker->Create(40, 40, OpaqueFormat), kBitmapReady);
  FillRect(*marker, marker->Frame(), DrawColor{40, 20, 250, 255});
  static uint32_t during = 0, corner = 0, marked = 0;
  Script script;
  script.steps = {UntilRunning,
                  [](HWND window, Observed&) {
                    SceneView* view = GetSceneView();
                    LayerRef layer = view->AddDefaultLayer(SceneLayer::kScreenMode);
                    view->PushLayer();
                    view->SetCurrentLayer(layer.Layer());
                    view->SetCurrentLayerImage(marker.get());
                    layer.Layer()->PlaceImage(300, 200);
                    view->PopLayer();
                    PostMessageA(window, WM_COMMAND, 1599, 0);
                    return true;
                  },
                  [](HWND window, Observed&) {
                    // The command was taken: the about box runs its own loop, whose pumps bring this tick.
                    if (GetPendingMenuCommand() != 0) return false;
                    HostFrame frame;
                    if (!HostTestLastFrame(window, &frame) || frame.pixels[0] != 0x000000C8u) return false;
                    during = frame.pixels[static_cast<size_t>(210) * frame.width + 310];
                    HostTestMouseButton(window, 0, true, 10, 10);
                    HostTestMouseButton(window, 0, false, 10, 10);
                    return true;
                  },
                  [](HWND window, Observed&) {
                    HostFrame frame;
                    if (!HostTestLastFrame(window, &frame) || frame.pixels[0] == 0x000000C8u) return false;
                    corner = frame.pixels[0];
                    marked = frame.pixels[static_cast<size_t>(210) * frame.width + 310];
                    return true;
                  },
                  PressCtrlQ};
  EXPECT_EQ(Run(script), 1);
  marker.reset();
  EXPECT_EQ(during, 0x000000C8u);
  EXPECT_EQ(corner, 0x00000000u);
  EXPECT_EQ(marked, 0x00FA1428u);
  EXPECT_LT(script.ticks, 600);
}

// A menu item's event ("Look", the File menu's first item) runs inside the loop: its message shows layout 1's
// picture and waits for a click, and the menu commands that come meanwhile are dropped.
TEST_F(ProgramTest, AMenuItemRunsItsEventAndOtherCommandsAreIgnoredMeanwhile) {
  sw::ConfigSpec config = SmallConfig();
  config.layouts[1].name = "Message.bmp";
  config.globalNames = {"gb_looks", "gb_rules"};
  config.menuLists[0].entries = {{"Rules", "Rules"}};
  sw::ScenarioFiles files = SmallScenario(config);
  files.Add("Pictures/Message.bmp", sw::EncodeBmp24(sw::Canvas(300, 120, sw::Rgb{200, 180, 40})));
  files.Add("Events/Defs/Look.cet", sw::EncodeEvent({{{"", "Display", {"", "You look around."}},
                                                      {"", "Change Global", {"gb_looks", "2", "1"}}},
                                                     {},
                                                     0}));
  files.Add("Events/Defs/Rules.cet", sw::EncodeEvent({{{"", "Change Global", {"gb_rules", "1", "read"}}}, {}, 0}));
  WriteArchive(files);
  static bool runningDuring = false;
  static uint32_t centre = 0;
  static std::string looks, rules;
  Script script;
  script.steps = {UntilRunning,
                  ChooseTheFirstFileItem,
                  [](HWND window, Observed&) {
                    // The message's own loop brings this tick; its picture is centred on the screen.
                    HostFrame frame;
                    if (!HostTestLastFrame(window, &frame)) return false;
                    centre = frame.pixels[static_cast<size_t>(240) * frame.width + 320];
                    if (centre != 0x00C8B428u) return false;
                    runningDuring = IsScriptRunning();
                    PostMessageA(window, WM_COMMAND, kHelpItemBase, 0);
                    PostMessageA(window, WM_COMMAND, kFileItemBase, 0);
                    return true;
                  },
                  [](HWND window, Observed&) {
                    if (GetPendingMenuCommand() != 0) return false;
                    HostTestMouseButton(window, 0, true, 320, 240);
                    HostTestMouseButton(window, 0, false, 320, 240);
                    return true;
                  },
                  [](HWND, Observed&) {
                    if (IsScriptRunning()) return false;
                    looks = FindGlobalEntry("gb_looks")->value;
                    rules = FindGlobalEntry("gb_rules")->value;
                    return true;
                  },
                  PressCtrlQ};
  EXPECT_EQ(Run(script), 1);
  EXPECT_TRUE(runningDuring);
  EXPECT_EQ(centre, 0x00C8B428u);
  EXPECT_EQ(looks, "1");
  EXPECT_EQ(rules, "");
  EXPECT_LT(script.ticks, 600);
}

// Exit is no scenario item: Control+Q ends the game while an event's message waits for a click.
TEST_F(ProgramTest, ControlQEndsTheGameOverAMessageThatAnEventOpened) {
  sw::ConfigSpec config = SmallConfig();
  config.layouts[1].name = "Message.bmp";
  sw::ScenarioFiles files = SmallScenario(config);
  files.Add("Pictures/Message.bmp", sw::EncodeBmp24(sw::Canvas(300, 120, sw::Rgb{200, 180, 40})));
  files.Add("Events/Defs/Look.cet", sw::EncodeEvent({{{"", "Display", {"", "You look around."}}}, {}, 0}));
  WriteArchive(files);
  static bool runningDuring = false;
  Script script;
  script.steps = {UntilRunning,
                  ChooseTheFirstFileItem,
                  [](HWND window, Observed& seen) {
                    HostFrame frame;
                    if (!HostTestLastFrame(window, &frame) ||
                        frame.pixels[static_cast<size_t>(240) * frame.width + 320] != 0x00C8B428u) {
                      return false;
                    }
                    runningDuring = IsScriptRunning();
                    return PressCtrlQ(window, seen);
                  }};
  EXPECT_EQ(Run(script), 1);
  ExpectEndedAfterTheScript(script);
  EXPECT_TRUE(runningDuring);
}

// The File menu's new game asks for the player's name in a dialog; the same command chosen again while that
// dialog is open is dropped, as the scenario's items are while an event runs: the new game is the work of the
// item's event, left for the moment the event has ended.
TEST_F(ProgramTest, TheNewGameCommandIsIgnoredWhileItsOwnDialogsAreOpen) {
  sw::ConfigSpec config = SmallConfig();
  config.menuLists[1].entries = {{"New game/n", "BeginGame"}};
  config.characterCreation = 0;
  config.layouts[4] = {"Name.bmp", {{"name", 30, 46, 300, 24}, {"ok", 130, 92, 100, 28}}};
  sw::ScenarioFiles files = SmallScenario(config);
  files.Add("Pictures/Name.bmp", sw::EncodeBmp24(sw::Canvas(360, 140, sw::Rgb{200, 180, 40})));
  files.Add("Events/Defs/BeginGame.cet", sw::EncodeEvent({{{"", "Engine", {"5"}}}, {}, 0}));
  WriteArchive(files);
  static size_t openBefore = 0, openAfter = 0;
  static bool playing = false;
  Script script;
  script.steps = {UntilRunning,
                  ChooseTheFirstFileItem,
                  [](HWND window, Observed&) {
                    if (OpenDialogs().empty()) return false;
                    openBefore = OpenDialogs().size();
                    PostMessageA(window, WM_COMMAND, kFileItemBase, 0);
                    return true;
                  },
                  [](HWND, Observed&) {
                    if (GetPendingMenuCommand() != 0) return false;
                    openAfter = OpenDialogs().size();
                    return true;
                  },
                  [](HWND, Observed&) {
                    HostTestText("Wren");
                    return true;
                  },
                  [](HWND, Observed&) {
                    // The name dialog, named, closes by its Escape.
                    if (OpenDialogs().empty()) return true;
                    HostTestKey(VK_ESCAPE, !Input::IsKeyDown(kSlotEscape));
                    return false;
                  },
                  [](HWND, Observed&) {
                    if (IsScriptRunning()) return false;
                    playing = IsGameInProgress();
                    return true;
                  },
                  PressCtrlQ};
  EXPECT_EQ(Run(script), 1);
  EXPECT_EQ(openBefore, 1u);
  EXPECT_EQ(openAfter, 1u);
  EXPECT_TRUE(playing);
  EXPECT_LT(script.ticks, 600);
}

}  // namespace

namespace {

// Console events at every moment of the program's life: each run is a child process, which raises the signal
// at its moment. The program must be gone within about 100 ms of it, by its handler on the main thread (exit
// code 0) or by the signal's own action, never with a sanitizer's report.
struct ConsoleMoment {
  std::string moment;
  int signal = 0;
  bool raised = false;
};

ConsoleMoment& Moment() {
  static ConsoleMoment moment;
  return moment;
}

void Say(const char* text) {
  if (write(STDERR_FILENO, text, std::strlen(text)) < 0) return;
}

void RaiseNow() {
  Moment().raised = true;
  Say("[moment reached]\n");
  MarkChildTime();
  raise(Moment().signal);
}

// Work that looks at no message for a long time: a slow loading step, a slow shut-down.
void LookAtNothingFor(std::chrono::milliseconds time) {
  auto until = std::chrono::steady_clock::now() + time;
  volatile uint64_t work = 0;
  while (std::chrono::steady_clock::now() < until) work = work + 1;
}

// Runs at every look at the message queue, so also at the first look the loading of the scenario takes, however
// fast that loading is.
void LoaderLook(void*, bool) {
  if (Moment().raised || ProgressDialog::GetCurrent() == nullptr) return;
  RaiseNow();
  LookAtNothingFor(std::chrono::seconds(2));
}

void ShutDownStep() {
  if (Moment().raised) return;
  RaiseNow();
  LookAtNothingFor(std::chrono::seconds(2));
}

bool ShowsTheAboutPicture(HWND window) {
  HostFrame frame;
  return HostTestLastFrame(window, &frame) && frame.pixels[0] == 0x000000C8u;
}

TEST_F(ProgramTest, ConsoleEventChild) {
  const char* role = ChildRole();
  if (role == nullptr) GTEST_SKIP() << "the child half of ConsoleEventsEndTheProgramPromptlyAtEveryMoment";
  std::istringstream words(role);
  words >> Moment().moment >> Moment().signal;
  const std::string& moment = Moment().moment;
  sw::ConfigSpec config = SmallConfig();
  config.layouts[11].name = "About.bmp";
  sw::ScenarioFiles files = SmallScenario(config);
  files.Add("Pictures/About.bmp", sw::EncodeBmp24(sw::Canvas(640, 480, sw::Rgb{0, 0, 200})));
  // Enough records that loading them takes frames of the progress dialog.
  for (int i = 0; i < 600; ++i) files.Add("Items/Thing" + std::to_string(i) + ".itm", sw::Bytes{5});
  WriteArchive(files);
  Script script;
  void (*beforeMain)() = nullptr;
  if (moment == "start-up") {
    beforeMain = RaiseNow;
  } else if (moment == "loader") {
    beforeMain = [] { HostTestSetQueueHook(LoaderLook, nullptr); };
  } else if (moment == "dialog") {
    script.steps = {UntilRunning,
                    [](HWND window, Observed&) { return PostMessageA(window, WM_COMMAND, 1599, 0) != FALSE; },
                    [](HWND window, Observed&) {
                      if (!ShowsTheAboutPicture(window)) return false;
                      RaiseNow();
                      return true;
                    }};
  } else if (moment == "loop") {
    script.steps = {UntilRunning, [](HWND, Observed&) {
                      RaiseNow();
                      return true;
                    }};
  } else if (moment == "shut-down") {
    ASSERT_EQ(PlatformAddExitProc(ShutDownStep), kPlatformNoError);
    script.steps = {UntilRunning, PressCtrlQ};
  }
  int code = Run(script, beforeMain);
  Say(Moment().raised ? "[the program went on]\n" : "[moment not reached]\n");
  std::_Exit(code == 0 ? 100 : code);
}

TEST(ConsoleEvents, EndTheProgramPromptlyAtEveryMoment) {
  const char* moments[] = {"start-up", "loader", "dialog", "loop", "shut-down"};
  const int signals[] = {SIGINT, SIGHUP, SIGTERM};
  for (const char* moment : moments) {
    for (int i = 0; i < 3; ++i) {
      const ChildOutcome outcome =
          RunTestInChild("ProgramTest.ConsoleEventChild", std::string(moment) + " " + std::to_string(signals[i]));
      const std::string name = std::string(moment) + ", signal " + std::to_string(signals[i]);
      ASSERT_TRUE(outcome.started) << name;
      EXPECT_NE(outcome.output.find("[moment reached]"), std::string::npos) << name << "\n" << outcome.output;
      EXPECT_EQ(outcome.output.find("[the program went on]"), std::string::npos) << name;
      EXPECT_TRUE((outcome.exited && outcome.exitCode == 0) || outcome.signal == signals[i])
          << name << ": exit " << outcome.exitCode << ", signal " << outcome.signal << "\n" << outcome.output;
      EXPECT_GE(outcome.msAfterMark, 0) << name;
      // About 100 ms. The bound leaves room for the sanitizers' work at exit on a loaded machine, and still
      // catches a program that ends only once its queue is read or two seconds have passed.
      EXPECT_LT(outcome.msAfterMark, 1500) << name;
      EXPECT_FALSE(HasSanitizerReport(outcome.output)) << name << "\n" << outcome.output;
      std::printf("%s: %s after %.1f ms\n", name.c_str(),
                  outcome.exited ? "exited" : "ended by the signal", outcome.msAfterMark);
    }
  }
}

}  // namespace
