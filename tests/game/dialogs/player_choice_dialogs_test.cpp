// The player's name, race and class choice and the text input, run under scripted input: what each refuses while
// its answer is empty, the name's length and form, the offered races, and a button outside the picture.
#include "game/dialogs/player_choice_dialogs.h"

#include <gtest/gtest.h>

#include "game/dialogs/list_controls.h"
#include "game/rules/character.h"
#include "game/rules/class_race_records.h"
#include "game/rules/game_state.h"
#include "host/user.h"
#include "tests/support/dialog_input.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::input;

Dialog* Top() { return OpenDialogs().empty() ? nullptr : OpenDialogs().back(); }

class PlayerChoiceDialogsTest : public test_support::DialogHarness {
 protected:
  void SetUp() override {
    DialogHarness::SetUp();
    Config().layouts[4] = {"Name.bmp", {{"field", 20, 20, 200, 24}, {"ok", 20, 60, 80, 30}}};
    AddPicture("Pictures/Name.bmp", sw::Canvas(300, 120, sw::Rgb{90, 90, 140}));
    for (int32_t layout : {5, 6}) {
      Config().layouts[static_cast<size_t>(layout)] = {
          "Choice.bmp", {{"list", 10, 10, 150, 150}, {"text", 170, 10, 200, 150}, {"ok", 170, 170, 80, 30}}};
    }
    AddPicture("Pictures/Choice.bmp", sw::Canvas(400, 220, sw::Rgb{90, 140, 90}));
    // The text input's button lies below its picture.
    Config().layouts[22] = {"Ask.bmp", {{"prompt", 10, 10, 280, 30}, {"field", 10, 50, 200, 24}, {"ok", 10, 110, 80, 30}}};
    AddPicture("Pictures/Ask.bmp", sw::Canvas(300, 90, sw::Rgb{140, 90, 90}));
    // Written in the order of their names, which the race list reverses.
    sw::RaceSpec elf{"Long-lived and keen-eyed.", {}};
    sw::RaceSpec dwarf{"Stout and stubborn.", {}};
    Files().Add("Players/Races/Dwarf.rce", sw::EncodeRace(dwarf));
    Files().Add("Players/Races/Elf.rce", sw::EncodeRace(elf));
  }
};

TEST_F(PlayerChoiceDialogsTest, AnEmptyNameRefusesEscapeReturnAndOkAndANameBecomesTheCharactersName) {
  LoadWithWindow();
  const std::vector<test_support::InputStep> steps = {KeyDown(VK_ESCAPE), KeyUp(VK_ESCAPE), KeyDown(VK_RETURN), KeyUp(VK_RETURN),
                                        ClickOn(1),         Wait(2),          Type("Ann.Bob/C"),  Wait(2),
                                        KeyDown(VK_RETURN)};
  auto run = test_support::RunScripted(std::make_unique<PlayerNameDialog>(), steps);
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(run.stepsDone, steps.size());
  // The character takes the name as a record takes one: its last path component.
  EXPECT_EQ(Player().GetName(), "C");
}

TEST_F(PlayerChoiceDialogsTest, ANameTakesThirtyCharactersAndItsButtonIsOkOnceSomethingIsTyped) {
  LoadWithWindow();
  bool okBefore = true, okAfter = false, focusKept = false;
  auto okEnabled = [] {
    auto* button = Top() != nullptr ? Top()->GetControlAs<CaptionButton>(1) : nullptr;
    return button != nullptr && button->IsEnabled() && button->GetCaption() == "OK";
  };
  auto dialog = std::make_unique<PlayerNameDialog>();
  // The caption enables the button again, so "OK" has the focus as the dialog is made; the first frame disables
  // it while nothing is typed, and the focus stays on it.
  EXPECT_EQ(dialog->FocusedIndex(), 1);
  auto run = test_support::RunScripted(std::move(dialog),
                                       {WaitFor([&] {
                                          okBefore = okEnabled();
                                          focusKept = Top()->FocusedIndex() == 1;
                                          return true;
                                        }),
                                        Type(std::string(31, 'a')), Wait(2), WaitFor([&] {
                                          okAfter = okEnabled();
                                          return true;
                                        }),
                                        ClickOn(1)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_FALSE(okBefore);
  EXPECT_TRUE(focusKept);
  EXPECT_TRUE(okAfter);
  EXPECT_EQ(Player().GetName(), std::string(30, 'a'));
}

// A dialog opened and closed above the name dialog (a game command taken while it is open) hands the typing back,
// and the name keeps its limit.
TEST_F(PlayerChoiceDialogsTest, ANameIsStillTypedAfterADialogAboveItCloses) {
  LoadWithWindow();
  auto run = test_support::RunScripted(std::make_unique<PlayerNameDialog>(),
                                       {WaitFor([] {
                                          RaceClassDialog above(1);
                                          return true;
                                        }),
                                        Type(std::string(31, 'w')), Wait(2), KeyDown(VK_RETURN)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(run.stepsDone, 4u);
  EXPECT_EQ(Player().GetName(), std::string(30, 'w'));
}

TEST_F(PlayerChoiceDialogsTest, RacesAreOfferedInListOrderAndKeysSetTheRaceAtOnce) {
  Config().offerAllRaces = 1;
  LoadWithWindow();
  std::string shown, afterKey;
  auto run = test_support::RunScripted(
      std::make_unique<RaceClassDialog>(1),
      {WaitFor([&] {
         auto* list = Top()->GetControlAs<ListControl>(0);
         for (int32_t i = 0; i < list->GetRowCount(); ++i) shown += list->GetRow(i).text + ";";
         shown += Top()->GetControlAs<StaticTextControl>(1)->GetText();
         return true;
       }),
       // A list moves its selection by keys at most every 150 ms, counted from when it was made.
       Wait(6), KeyDown(VK_DOWN), Wait(2), WaitFor([&] {
         afterKey = Player().GetRace() != nullptr ? Player().GetRace()->GetName() : "";
         return true;
       }),
       KeyUp(VK_DOWN), Wait(6), KeyDown(VK_UP), Wait(2), KeyUp(VK_UP), KeyDown(VK_ESCAPE)});
  EXPECT_FALSE(run.closedTheWindow);
  // The folder gives its files in the order of their names, whatever order the scenario wrote them in, and the
  // race list holds the records in the reverse of that.
  EXPECT_EQ(shown, "elf;dwarf;Long-lived and keen-eyed.");
  EXPECT_EQ(afterKey, "dwarf");
  ASSERT_NE(Player().GetRace(), nullptr);
  EXPECT_EQ(Player().GetRace()->GetName(), "elf");
}

TEST_F(PlayerChoiceDialogsTest, AnEmptyRaceListClosesWithoutARace) {
  LoadWithWindow();
  ASSERT_EQ(Player().GetRace(), nullptr);
  auto run = test_support::RunScripted(std::make_unique<RaceClassDialog>(1), {ClickOn(2)});
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(Player().GetRace(), nullptr);
}

TEST_F(PlayerChoiceDialogsTest, ATextInputWhoseButtonIsOutsideItsPictureClosesOnClickButNotWhileEmpty) {
  LoadWithWindow();
  SetEnteredText("before");
  bool hasOk = true;
  const std::vector<test_support::InputStep> steps = {WaitFor([&] {
                                          hasOk = static_cast<TextInputDialog*>(Top())->HasOkButton();
                                          return true;
                                        }),
                                        Click(320, 240), Wait(2), KeyDown(VK_RETURN), KeyUp(VK_RETURN),
                                        Type("yes"), Wait(2), Click(320, 240)};
  auto run = test_support::RunScripted(std::make_unique<TextInputDialog>("", "Say yes", 10), steps);
  EXPECT_FALSE(run.closedTheWindow);
  EXPECT_EQ(run.stepsDone, steps.size());
  EXPECT_FALSE(hasOk);
  EXPECT_EQ(GetEnteredText(), "yes");
}

}  // namespace
