// The demo scenario under the whole program, in-process and headless: the demo is written into the test's own
// folder by BuildDemoScenario and played there on the host's manual clock, driven by one script of input steps
// from the program's first look at its message queue (a scenario's start-up may open a dialog before the main loop)
// to its end.
// Every wait of a script is bounded: a step that reaches for a state of the game and does not get there within its
// frames fails the run naming the step, and closes the window, which ends every dialog and the program.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "game/dialogs/dialog.h"
#include "game/dialogs/list_controls.h"
#include "game/dialogs/message_dialog.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/main_window.h"
#include "game/world/location.h"
#include "game/world/scene_view.h"
#include "game/world/screen_location.h"
#include "game/world/tile_map.h"
#include "host/testing.h"
#include "host/user.h"
#include "platform/core/random.h"
#include "tests/support/dialog_input.h"
#include "tests/support/frame_files.h"
#include "tests/support/program_steps.h"
#include "tests/support/temp_folder.h"
#include "tools/demo_scenario/demo_scenario.h"

class DemoProgramTest : public ::testing::Test {
 public:
  static HWND MainWindowHandle() {
    MainWindow* window = GetMainWindow();
    return window != nullptr && window->IsCreated() ? window->GetNativeWindow() : nullptr;
  }
  // The screen layout of the dialog on top, -1 when none is open.
  static int32_t TopLayout() { return OpenDialogs().empty() ? -1 : OpenDialogs().back()->LayoutIndex(); }
  // The current location's name, lower-cased as the scenario's records are named.
  static std::string Here() { return GetCurrentLocation() != nullptr ? GetCurrentLocation()->GetName() : ""; }

  // The dialog on top when it is a T, else null.
  template <typename T>
  static T* Top() {
    return OpenDialogs().empty() ? nullptr : dynamic_cast<T*>(OpenDialogs().back());
  }
  // The text of the event message on top, "" when none is.
  static std::string MessageShown() {
    const MessageDialog* message = Top<MessageDialog>();
    return message != nullptr ? message->Text() : "";
  }

  // No dialog is open.
  static bool Quiet() { return OpenDialogs().empty(); }
  // The still screen of that name (in lower case) is shown with no dialog over it: the title is "title", the end
  // screens "end" and, after the player's fall, "fallen".
  static bool Showing(const std::string& screen) { return Quiet() && Here() == screen; }
  // Whether the player carries an item of that name.
  static bool Carries(const std::string& item) {
    const Character* player = GetCurrentCharacter();
    return player != nullptr && player->HasItemNamed(item);
  }
  // The value of a global variable of the scenario, "" for none.
  static std::string Global(const std::string& name) {
    const GlobalVariable* variable = FindGlobalEntry(name);
    return variable != nullptr ? variable->value : "";
  }

  // The first living character of the current map (the meadow's wolf), null for none.
  static const Character* Wolf() {
    const TileMap* map = GetCurrentTileMap();
    if (map == nullptr) return nullptr;
    for (const auto& character : map->Characters()) {
      if (character->stamina > 0) return character.get();
    }
    return nullptr;
  }
  // The cell of the current map that fires an event (the meadow's shrine stones); (-1, -1) without one.
  static Point StonesCell() {
    const TileMap* map = GetCurrentTileMap();
    for (int32_t column = 0; map != nullptr && column < map->Width(); ++column) {
      for (int32_t row = 0; row < map->Height(); ++row) {
        if (map->GetCellEvent(column, row) != nullptr) return {column, row};
      }
    }
    return {-1, -1};
  }
  // The left button pressed (down) or let go on a cell of the current map, or on the visible cell nearest to it
  // when the view does not show it; the map takes a button held over a tick, not a click; nothing without a map.
  static void PressCell(int32_t column, int32_t row, bool down) {
    const TileMap* map = GetCurrentTileMap();
    const SceneView* view = GetSceneView();
    if (map == nullptr || view == nullptr) return;
    const Bounds& shown = map->ViewRect();
    // The cells whose centres the view shows: a cell cut by the view's edge may have its centre outside it.
    const int32_t halfWidth = map->CellWidth() / 2, halfHeight = map->CellHeight() / 2;
    const Point first = map->CellAt(view->ScrollX() + halfWidth, view->ScrollY() + halfHeight);
    const Point last = map->CellAt(view->ScrollX() + shown.width - 1 - halfWidth,
                                   view->ScrollY() + shown.height - 1 - halfHeight);
    const Point centre = map->CellCenter(std::clamp(column, first.x, last.x), std::clamp(row, first.y, last.y));
    HostTestMouseButton(MainWindowHandle(), 0, down, shown.x + centre.x - view->ScrollX(),
                        shown.y + centre.y - view->ScrollY(), 1);
  }
  // Steps towards a cell of the map: the button pressed on it (or as near as the view shows) and let go, every
  // twelfth call.
  static void HeadFor(int32_t column, int32_t row, int32_t* calls) {
    const int32_t call = (*calls)++ % 12;
    if (call == 0 || call == 3) PressCell(column, row, call == 0);
  }

  // A click on the middle of the hotspot of the still screen shown that leads to the location (named in lower
  // case): a place of the village, or a button of the title and the end screens ("new game", "open a saved game",
  // "quit"). A failure when it has none.
  static test_support::InputStep ClickHotspot(const std::string& location) {
    return test_support::input::WaitFor([location] {
      const auto* screen = dynamic_cast<const ScreenLocation*>(GetCurrentLocation());
      for (const LocationHotspot& hotspot : screen != nullptr ? screen->Hotspots() : std::vector<LocationHotspot>{}) {
        std::string name = hotspot.location;
        ToLowerInPlace(name);
        if (name != location) continue;
        const int32_t x = screen->OriginX() + hotspot.rect.x + hotspot.rect.width / 2;
        const int32_t y = screen->OriginY() + hotspot.rect.y + hotspot.rect.height / 2;
        HostTestMouseButton(MainWindowHandle(), 0, true, x, y, 1);
        HostTestMouseButton(MainWindowHandle(), 0, false, x, y, 1);
        return true;
      }
      ADD_FAILURE() << "no hotspot to " << location;
      return true;
    });
  }

  // Frames of a list that takes its first click or key only a while after it was made (150 ms, and a frame is 33 ms).
  static constexpr int32_t kListSettles = 8;

 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
    HostTestUseManualClock(true);
    std::string error;
    ASSERT_TRUE(demo_scenario::BuildDemoScenario(temp_.Posix(), false, &error)) << error;
  }
  void TearDown() override {
    HostTestUseManualClock(false);
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
  }

  // A step that waits, a frame at a time, until reached() holds. Past `bound` frames the run fails there: the
  // step's name is kept as FailedStep() and the window closes. Once a step has failed the later ones pass at once.
  test_support::InputStep Reach(const std::string& step, std::function<bool()> reached, int32_t bound = 150) {
    auto frames = std::make_shared<int32_t>(0);
    return test_support::input::WaitFor([this, step, reached = std::move(reached), bound, frames] {
      if (!failed_.empty()) return true;
      if (reached()) return true;
      if (++*frames > bound) {
        failed_ = step;
        if (HWND window = MainWindowHandle()) HostTestCloseWindow(window);
        return true;
      }
      return false;
    });
  }

  // A step that does something of the test's own at once (reads the game's state, changes it), unless an earlier
  // step has failed: the state it would read may not be there.
  test_support::InputStep Do(std::function<void()> action) {
    return test_support::input::WaitFor([this, action = std::move(action)] {
      if (failed_.empty()) action();
      return true;
    });
  }

  // A click on the row of that text in the list control `list` of the top dialog; a failure when it has no such row.
  static test_support::InputStep ClickRow(int32_t list, const std::string& text) {
    return test_support::input::WaitFor([list, text] {
      Dialog* top = OpenDialogs().empty() ? nullptr : OpenDialogs().back();
      const ListControl* rows = top != nullptr ? top->GetControlAs<ListControl>(list) : nullptr;
      for (int32_t i = 0; rows != nullptr && i < rows->GetRowCount(); ++i) {
        if (rows->GetRow(i).text != text) continue;
        const int32_t x = top->Frame().x + rows->GetRect().x + 30;
        const int32_t y = top->Frame().y + rows->GetRect().y + i * rows->GetRowPitch() + rows->GetRowPitch() / 2;
        HostTestMouseButton(MainWindowHandle(), 0, true, x, y, 1);
        HostTestMouseButton(MainWindowHandle(), 0, false, x, y, 1);
        return true;
      }
      ADD_FAILURE() << "no row " << text;
      return true;
    });
  }

  // Writes the frame last shown into "demo_frames/<name>.bmp" of the working folder, for a look by hand.
  test_support::InputStep Frame(const std::string& name) {
    return Do([name] { WriteShownFrame(MainWindowHandle(), "demo_frames/" + name + ".bmp"); });
  }

  // From the title to the village: "New game", then CreatePlayer.
  std::vector<test_support::InputStep> NewGame(const std::string& name, const std::string& race,
                                               const std::string& className) {
    using namespace test_support::input;
    std::vector<test_support::InputStep> steps = {Reach("title", [] { return Showing("title"); }), Wait(4),
                                                  ClickHotspot("new game")};
    for (test_support::InputStep& step : CreatePlayer(name, race, className)) steps.push_back(std::move(step));
    return steps;
  }

  // A new game's dialogs, from the name to the village: the name typed, the race and class picked by their names,
  // the creation sheet taken as rolled.
  std::vector<test_support::InputStep> CreatePlayer(const std::string& name, const std::string& race,
                                                    const std::string& className) {
    using namespace test_support::input;
    return {Reach("name", [] { return TopLayout() == 4; }),
            Type(name), Wait(2), KeyDown(VK_RETURN), KeyUp(VK_RETURN),
            Reach("race", [] { return TopLayout() == 5; }),
            Wait(kListSettles), ClickRow(0, race), Wait(2), ClickOn(2),
            Reach("class", [] { return TopLayout() == 6; }),
            Wait(kListSettles), ClickRow(0, className), Wait(2), ClickOn(2),
            Reach("creation", [] { return TopLayout() == 10; }),
            Wait(4), Frame("creation"), ClickOn(27),
            Reach("village", [] { return OpenDialogs().empty() && Here() == "village"; }),
            Wait(4)};
  }

  // A step that runs `open` (a modal dialog of the test's own) at the program's next turn of its message loop,
  // outside the script, so that the script's next steps answer the dialog it opens.
  test_support::InputStep Open(std::function<void()> open) {
    return Do([open = std::move(open)] {
      Opening() = open;
      SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        const std::function<void()> opening = std::move(Opening());
        Opening() = nullptr;
        if (opening) opening();
      });
    });
  }

  // Runs the whole program on the steps, both random generators seeded with `seed` at the first frame; the run
  // quits with code 0 after the last step. The program's exit code. A test may play again: each run starts from
  // the window system as a program finds it, with no message box or file chooser answered yet.
  int Play(std::vector<test_support::InputStep> steps, uint32_t seed = 7) {
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
    HostTestClearFileChoosers();
    steps.insert(steps.begin(), Do([seed] {
                   SeedRandom(seed);
                   PlatformSetRandomSeed(seed);
                 }));
    steps.push_back(Do([] { PostQuitMessage(0); }));
    // Frames for the program to end on the quit; the script closes the window after them.
    steps.push_back(test_support::input::Wait(30));
    test_support::InputScript script(std::move(steps), std::numeric_limits<int32_t>::max());
    // The program's own tick limit is not the bound here: every step of the script is.
    test_support::ProgramSteps program;
    program.tickLimit = std::numeric_limits<int>::max();
    return test_support::RunProgramSteps(temp_.Posix(), program);
  }

  const std::string& FailedStep() const { return failed_; }

  TempFolder temp_;

 private:
  static std::function<void()>& Opening() {
    static std::function<void()> opening;
    return opening;
  }

  std::string failed_;
};
