// The demo scenario through the whole program, in-process and headless: File > New game (its shortcut) asks for
// the name, the race and the class and shows the character sheet; then the shortcuts of the Game menu open the
// inventory, the sheet, spell casting, the text entries and the journal, and the test itself opens spell picking,
// the level gain and a text input.
// Every dialog is driven by scripted input, and each shown frame is written as a BMP into "demo_frames/" of the
// working folder, for a look by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/dialogs/character_info_dialogs.h"
#include "game/dialogs/player_choice_dialogs.h"
#include "game/dialogs/spell_dialogs.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/game_state.h"
#include "game/shell/main_window.h"
#include "game/shell/record_lists.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/user.h"
#include "tests/support/dialog_input.h"
#include "tests/support/program_steps.h"
#include "tests/support/temp_folder.h"
#include "tools/scenario_writer/picture_writer.h"

namespace {

namespace sw = scenario_writer;
using test_support::InputScript;
using test_support::InputStep;
using namespace test_support::input;

HWND MainWindowHandle() {
  MainWindow* window = GetMainWindow();
  return window != nullptr && window->IsCreated() ? window->GetNativeWindow() : nullptr;
}

int32_t TopLayout() { return OpenDialogs().empty() ? -1 : OpenDialogs().back()->LayoutIndex(); }

// Waits for the dialog of that layout, lets it draw, and writes the frame shown.
std::vector<InputStep> Shown(int32_t layout, const std::string& name, std::vector<std::string>& saved) {
  return {WaitFor([layout] { return TopLayout() == layout; }), Wait(4), WaitFor([name, &saved] {
            HostFrame frame;
            if (!HostTestLastFrame(MainWindowHandle(), &frame)) return true;
            sw::Canvas canvas(frame.width, frame.height);
            for (int y = 0; y < frame.height; ++y) {
              for (int x = 0; x < frame.width; ++x) {
                const uint32_t pixel = frame.pixels[static_cast<size_t>(y) * frame.width + x];
                canvas.Set(x, y, sw::Rgb{static_cast<uint8_t>(pixel >> 16), static_cast<uint8_t>(pixel >> 8),
                                         static_cast<uint8_t>(pixel)});
              }
            }
            std::filesystem::create_directories("demo_frames");
            std::string error;
            if (sw::WriteBytesToFile("demo_frames/" + name + ".bmp", sw::EncodeBmp24(canvas), &error)) {
              saved.push_back(name);
            }
            return true;
          })};
}

// Frames pass until that many milliseconds of the host clock have gone by since the step was reached: a list
// moves its selection by keys only 150 ms after it was made or last moved.
InputStep Pause(uint32_t milliseconds) {
  auto start = std::make_shared<uint32_t>(0);
  auto reached = std::make_shared<bool>(false);
  return WaitFor([=] {
    if (!*reached) {
      *reached = true;
      *start = GetTickCount();
    }
    return GetTickCount() - *start >= milliseconds;
  });
}

std::vector<InputStep> Join(std::initializer_list<std::vector<InputStep>> parts) {
  std::vector<InputStep> steps;
  for (const auto& part : parts) steps.insert(steps.end(), part.begin(), part.end());
  return steps;
}

class DemoDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostTestSetHeadless(true);
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
    const std::filesystem::path demo = KESTRIVAL_DEMO_FOLDER;
    std::error_code code;
    std::filesystem::copy(demo / "Data", std::filesystem::path(temp_.Posix()) / "Data",
                          std::filesystem::copy_options::recursive, code);
    ASSERT_FALSE(code) << code.message();
    std::filesystem::copy_file(demo / "cs.cfg", std::filesystem::path(temp_.Posix()) / "cs.cfg", code);
    ASSERT_FALSE(code) << code.message();
  }
  void TearDown() override {
    HostTestResetWindowSystem();
    HostTestClearMessageBoxes();
  }

  TempFolder temp_;
};

TEST_F(DemoDialogsTest, EveryCharacterDialogOpensOnTheDemoAndAnswersItsInput) {
  std::vector<std::string> saved;
  struct Seen {
    std::string name, race, className, portrait, enteredText;
    size_t inventory = 0;
    int32_t gold = 0;
    bool knowsGlow = false;
    size_t journal = 0;
  } seen;
  // A script feeds one dialog after the other while the step that opened them runs.
  auto scripted = [](std::vector<InputStep> steps, const std::function<void()>& open) {
    // Room after the last input: the script must not close the window while the program goes on.
    steps.push_back(Wait(200));
    InputScript script(std::move(steps), 100000);
    open();
    return true;
  };
  // The same through a menu item: its shortcut is pressed, the dialogs it opens are answered, and the step is done
  // once no dialog is open any more.
  auto viaMenu = [](int key, std::vector<InputStep> answers) -> test_support::ProgramStep {
    struct Run {
      std::unique_ptr<InputScript> script;
      bool done = false;
    };
    auto run = std::make_shared<Run>();
    return [run, key, answers] {
      if (run->script == nullptr) {
        std::vector<InputStep> steps = {KeyDown(VK_CONTROL), KeyDown(key), KeyUp(key), KeyUp(VK_CONTROL)};
        steps.insert(steps.end(), answers.begin(), answers.end());
        steps.push_back(WaitFor([] { return OpenDialogs().empty(); }));
        steps.push_back(WaitFor([run] { return run->done = true; }));
        steps.push_back(Wait(1000000));
        run->script = std::make_unique<InputScript>(std::move(steps), 1000000);
        return false;
      }
      if (!run->done) return false;
      run->script.reset();
      return true;
    };
  };
  test_support::ProgramSteps steps;
  steps.tickLimit = 12000;
  steps.list = {
      viaMenu('N', Join({Shown(4, "name", saved),
                              {Type("Wren"), Wait(2), KeyDown(VK_RETURN), KeyUp(VK_RETURN)},
                              {WaitFor([] { return TopLayout() == 5; }), Pause(200), KeyDown(VK_DOWN), Wait(2),
                               KeyUp(VK_DOWN)},
                              Shown(5, "races", saved),
                              {ClickOn(2)},
                              {WaitFor([] { return TopLayout() == 6; }), Pause(200), KeyDown(VK_DOWN), Wait(2),
                               KeyUp(VK_DOWN)},
                              Shown(6, "classes", saved),
                              {ClickOn(2)},
                              Shown(10, "sheet_new", saved),
                              {ClickOn(29)},
                              Shown(10, "sheet_next_portrait", saved),
                              {ClickOn(27)}})),
      [&] {
        Character* player = GetCurrentCharacter();
        EXPECT_TRUE(IsGameInProgress());
        if (player == nullptr) return true;
        seen.name = player->GetName();
        seen.race = player->GetRace() != nullptr ? player->GetRace()->GetName() : "";
        seen.className = player->GetClass() != nullptr ? player->GetClass()->GetName() : "";
        seen.portrait = player->portraitName;
        seen.inventory = player->inventory.size();
        seen.gold = player->gold;
        player->magic = 5;
        player->level = 2;
        for (const char* spell : {"Spark", "Mend", "Frost"}) player->LearnSpell(FindSpellByName(spell));
        player->journal = {"Met the miller at the ford.", "The old mill's wheel is broken.",
                           "A crow follows the road north."};
        return true;
      },
      viaMenu('I', Join({Shown(3, "inventory", saved), {ClickOn(4)}, Shown(3, "inventory_used", saved), {ClickOn(2)}})),
      viaMenu('K', Join({Shown(10, "sheet", saved), {ClickOn(27)}})),
      viaMenu('S', Join({Shown(19, "spells", saved), {ClickOn(1)}, Shown(19, "spells_next_group", saved), {ClickOn(7)}})),
      viaMenu('E', Join({Shown(0, "notes", saved), {ClickOn(2)}})),
      viaMenu('J', Join({Shown(2, "journal", saved), {KeyDown(VK_ESCAPE), KeyUp(VK_ESCAPE)}})),
      [&] {
        return scripted(Join({Shown(18, "learn", saved), {Pause(250), KeyDown(VK_RETURN), KeyUp(VK_RETURN)},
                              Shown(18, "learn_picked", saved), {ClickOn(6)}}),
                        [] {
                          Dialog::RunModal(std::make_unique<SpellPickDialog>(std::vector<int32_t>{1, 2},
                                                                             std::vector<int32_t>{1, 1}));
                        });
      },
      [&] {
        return scripted(Join({Shown(14, "level_gain", saved), {Click(320, 240)}}),
                        [] { Dialog::RunModal(std::make_unique<LevelGainDialog>()); });
      },
      [&] {
        return scripted(Join({Shown(22, "text_input", saved), {Type("mill"), Wait(2)}, Shown(22, "text_typed", saved),
                              {KeyDown(VK_RETURN), KeyUp(VK_RETURN)}}),
                        [] {
                          Dialog::RunModal(std::make_unique<TextInputDialog>("", "Which way to the ford?", 20));
                        });
      },
      [&] {
        Character* player = GetCurrentCharacter();
        if (player != nullptr) {
          seen.knowsGlow = player->KnowsSpell(FindSpellByName("Glow"));
          seen.journal = player->journal.size();
        }
        seen.enteredText = GetEnteredText();
        PostQuitMessage(0);
        return true;
      },
  };
  EXPECT_EQ(test_support::RunProgramSteps(temp_.Posix(), steps), 0);
  EXPECT_EQ(steps.next, steps.list.size());
  EXPECT_EQ(seen.name, "Wren");
  EXPECT_EQ(seen.race, "elf");
  EXPECT_EQ(seen.className, "mage");
  EXPECT_EQ(seen.portrait, "bryn.pct");
  EXPECT_EQ(seen.inventory, 6u);
  EXPECT_EQ(seen.gold, 40);
  EXPECT_TRUE(seen.knowsGlow);
  EXPECT_EQ(seen.journal, 3u);
  EXPECT_EQ(seen.enteredText, "mill");
  EXPECT_EQ(saved.size(), 17u);
}

}  // namespace
