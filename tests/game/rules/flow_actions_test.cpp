// The flow actions: global variables changed by every operation, conditions, calls, chance, the event message
// answered through the modal-dialog driver, and the typed answer.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/rules/action_handlers.h"
#include "game/rules/game_state.h"
#include "game/rules/script_engine.h"
#include "game/shell/data/game_random.h"
#include "host/testing_sound.h"
#include "tests/support/script_harness.h"

namespace {

namespace sw = scenario_writer;
using namespace test_support::script;
using test_support::ShownDialog;

class FlowActionsTest : public test_support::ScriptHarness {
 protected:
  void SetUp() override {
    ScriptHarness::SetUp();
    Config().globalNames = {"gb_v", "gb_a", "gb_b", "gb_after"};
  }
  // Runs one action alone, as the only action of a running event.
  void RunAction(const sw::ActionSpec& action) {
    ScriptEvent event;
    event.mainActions.push_back(Made(action));
    event.Run();
  }
};

TEST_F(FlowActionsTest, ChangeGlobalByEachOperation) {
  Load();
  struct Case {
    const char* start;
    int32_t operation;
    const char* value;
    const char* result;
  } cases[] = {
      {"old", 1, "new &&Gold", "new "},
      {"5", 2, "3", "8"},
      {"abc", 2, "def", "abcdef"},
      {"xyz", 2, "0", "0"},
      {"2", 3, "5", "-3"},
      {"-4", 4, "6", "-24"},
      {"-10", 5, "3", "-3"},
      {"-10", 5, "2", "-5"},
      {"-2147483648", 5, "-1", "2147483648"},
      {"7", 5, "0", "7"},
      {"2147483647", 2, "1", "2147483648"},
      {"7", 9, "1", "7"},
  };
  for (const Case& c : cases) {
    SetGlobal("gb_v", c.start);
    RunAction(ChangeGlobal("gb_v", c.operation, c.value));
    EXPECT_EQ(Global("gb_v"), c.result) << c.start << " op " << c.operation << " " << c.value;
  }
  // A variable the scenario does not name changes nothing.
  RunAction(ChangeGlobal("gb_none", 1, "x"));
}

TEST_F(FlowActionsTest, AppendedTextsStopAtWhatASavedGameKeeps) {
  Load();
  SetGlobal("gb_v", std::string(250, 'a'));
  RunAction(ChangeGlobal("gb_v", 2, "bcdefghij"));
  EXPECT_EQ(Global("gb_v"), std::string(250, 'a') + "bcdef");
  RunAction(Set("gb_v", std::string(300, 'z')));
  EXPECT_EQ(Global("gb_v").size(), 255u);
}

TEST_F(FlowActionsTest, DrawingANumberStaysWithinTheRangeAndFollowsTheSeed) {
  Load(11);
  std::vector<std::string> first;
  for (int i = 0; i < 40; ++i) {
    RunAction(ChangeGlobal("gb_v", 6, "10"));
    int32_t drawn = std::stoi(Global("gb_v"));
    EXPECT_GE(drawn, 0);
    EXPECT_LE(drawn, 10);
    first.push_back(Global("gb_v"));
  }
  SeedRandom(11);
  for (int i = 0; i < 40; ++i) {
    RunAction(ChangeGlobal("gb_v", 6, "10"));
    EXPECT_EQ(Global("gb_v"), first[static_cast<size_t>(i)]);
  }
}

TEST_F(FlowActionsTest, ConditionsCallsAndChanceJumpToTheirLabels) {
  AddEvent("Main", {{If("gb_a,is equal to,go", "yes", "no"), Call("Sub"), Chance("&&gb_b", "sure", "never")},
                    {Labelled("yes", Set("gb_v", "yes")), Labelled("no", Set("gb_v", "no")),
                     Labelled("sure", Set("gb_after", "p1")), Labelled("never", Set("gb_after", "p2"))}});
  AddEvent("Sub", {{ChangeGlobal("gb_a", 2, "!")}});
  Load();
  struct Case {
    const char* a;
    const char* chance;
    const char* branch;
    const char* drawn;
  } cases[] = {
      {"go", "100", "yes", "p1"},
      {"stop", "0", "no", "p2"},
      {"go", "-5", "yes", "p1"},
  };
  for (const Case& c : cases) {
    for (int round = 0; round < 20; ++round) {
      SetGlobal("gb_a", c.a);
      SetGlobal("gb_b", c.chance);
      Run("Main");
      EXPECT_EQ(Global("gb_v"), c.branch);
      EXPECT_EQ(Global("gb_a"), std::string(c.a) + "!");
      EXPECT_EQ(Global("gb_after"), c.drawn) << "chance " << c.chance;
    }
  }
}

TEST_F(FlowActionsTest, AMessageChoiceRunsItsLabel) {
  AddEvent("Main", {{Message("Which way, &&Name?", {{"Left", "left"}, {"Stay", ""}, {"Right", "right"}}),
                     Set("gb_after", "yes")},
                    {Labelled("left", Set("gb_v", "went left")), Labelled("right", Set("gb_v", "went right"))}});
  Load();
  AnswerChoice(3);
  Run("Main");
  EXPECT_EQ(Global("gb_v"), "went right");
  EXPECT_EQ(Global("gb_after"), "yes");
  // A choice without a label only closes the message.
  AnswerChoice(2);
  SetGlobal("gb_v", "");
  Run("Main");
  EXPECT_EQ(Global("gb_v"), "");
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[0].kind, ShownDialog::Kind::kMessage);
  EXPECT_EQ(Shown()[0].text, "Which way, Hero?");
  EXPECT_EQ(Shown()[0].choices, (std::vector<std::string>{"Left", "Stay", "Right"}));
  EXPECT_EQ(GetMessageChoiceText(), "");
}

TEST_F(FlowActionsTest, AChosenLabelHoldingEndEndsTheEvent) {
  AddEvent("Ask", {{Message("Go on?", {{"No", "stop"}, {"Yes", "go"}}), Set("gb_after", "yes")},
                   {Labelled("stop", End()), Labelled("go", Set("gb_v", "going"))}});
  Load();
  AnswerChoice(1);
  Run("Ask");
  EXPECT_EQ(Global("gb_after"), "");
  AnswerChoice(2);
  Run("Ask");
  EXPECT_EQ(Global("gb_v"), "going");
  EXPECT_EQ(Global("gb_after"), "yes");
}

TEST_F(FlowActionsTest, AMessagePictureComesFromTheEventPictures) {
  AddPicture("Events/Pics/Door.pct", sw::Canvas(120, 80, sw::Rgb{200, 10, 10}));
  AddEvent("Picture", {{Message("", {}, "Door"), Set("gb_v", "shown")}});
  AddEvent("Missing", {{Message("", {}, "Gone"), Set("gb_a", "went on")}});
  Load();
  AnswerMessage();
  Run("Picture");
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "");
  EXPECT_EQ(Shown()[0].pictureWidth, 120);
  EXPECT_EQ(Shown()[0].pictureHeight, 80);
  EXPECT_EQ(Global("gb_v"), "shown");
  // A picture that does not load leaves nothing to show: no dialog.
  Run("Missing");
  EXPECT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Global("gb_a"), "went on");
}

TEST_F(FlowActionsTest, AMessageMovieIsOpenedByNameAndScaled) {
  std::filesystem::create_directories(temp_.PosixPath("Data/Movies"));
  ASSERT_TRUE(HostTestWriteMovie(temp_.PosixPath("Data/Movies/clip.mov").c_str(), 16, 8, 2, 10,
                                 {0x00FF0000u, 0x0000FF00u}, false));
  sw::ActionSpec movie = Message("", {}, "Ignored");
  movie.params[8] = "clip.mov**3";
  movie.params[9] = "1";
  sw::ActionSpec unscaled = movie;
  unscaled.params[1] = "Watch.";
  unscaled.params[8] = "clip.mov";
  AddEvent("Movie", {{movie}});
  AddEvent("Unscaled", {{unscaled}});
  Load();
  AnswerMessage();
  AnswerMessage();
  Run("Movie");
  Run("Unscaled");
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_TRUE(Shown()[0].movie);
  EXPECT_EQ(Shown()[0].pictureWidth, 48);
  EXPECT_EQ(Shown()[0].pictureHeight, 24);
  EXPECT_EQ(Shown()[1].text, "Watch.");
  EXPECT_EQ(Shown()[1].pictureWidth, 16);
}

TEST_F(FlowActionsTest, TheTypedAnswerChoosesTheLabelExactly) {
  AddEvent("Main", {{Ask("Password?", "yes", "match", "other")},
                    {Labelled("match", Set("gb_v", "match")), Labelled("other", Set("gb_v", "other"))}});
  Load();
  AnswerText("Yes");
  Run("Main");
  EXPECT_EQ(Global("gb_v"), "other");
  EXPECT_EQ(GetEnteredText(), "Yes");
  AnswerText("yes");
  Run("Main");
  EXPECT_EQ(Global("gb_v"), "match");
  ASSERT_EQ(Shown().size(), 2u);
  EXPECT_EQ(Shown()[1].kind, ShownDialog::Kind::kTextInput);
  EXPECT_EQ(Shown()[1].text, "Password?");
  EXPECT_EQ(Shown()[1].maxLength, 0);  // a label reads as no limit
}

}  // namespace
