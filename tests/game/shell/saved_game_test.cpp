// Saving and opening games through a stand-in world: what the player is told and asked, and that the running
// game changes only when a saved game is complete and accepted.
#include "game/shell/saved_game.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "host/errors.h"
#include "host/testing_files.h"
#include "tests/support/file_system_fixture.h"

namespace {

constexpr const char* kScenario = "Isle of Tests";

// A running game held as a saved game, with a record of what the steps did.
class FakeWorld : public SavedGameWorld {
 public:
  std::string ScenarioIdentity() override { return identity; }
  std::string ScenarioName() override { return "Isle"; }
  bool HasCurrentCharacter() override { return hasCharacter; }
  void Capture(SavedGame* game) override { *game = running; }
  std::vector<std::string> LoadedPlugins() override { return plugins; }
  bool PictureExists(const std::string& name) override { return name != "lost_sprite"; }
  bool PlaceOpens(const std::string& name) override { return name == "Town"; }
  void Apply(const SavedGame& game) override {
    running = game;
    steps.push_back("apply");
  }
  bool TravelBack() override {
    steps.push_back("travel");
    return travelSucceeds;
  }
  void PlacePlayer() override { steps.push_back("place"); }
  void EndAfterFailedTravel() override { steps.push_back("end"); }
  void FinishOpen() override { steps.push_back("finish"); }
  void CallEvent(const char* name) override {
    events.push_back(name);
    steps.push_back(name);
  }
  void ResetInput() override { ++inputResets; }
  bool AskYesNo(const std::string& text, const std::string& caption) override {
    questions.push_back(text);
    return answer;
  }
  void ShowAlert(const std::string& text, const std::string& caption) override {
    alerts.push_back(text);
    steps.push_back("alert");
  }

  std::string identity = kScenario;
  bool hasCharacter = true;
  SavedGame running;
  std::vector<std::string> plugins;
  bool travelSucceeds = true;
  bool answer = true;
  std::vector<std::string> events, questions, alerts;
  std::vector<std::string> steps;  // the world's steps, events and alerts in their order
  int inputResets = 0;
};

SavedGame GameOf(const std::string& name, const std::vector<std::string>& plugins = {}) {
  SavedGame game;
  game.character.name = name;
  game.character.spriteName = "hero";
  game.character.level = 4;
  game.character.plugins = plugins;
  game.globals = {{"gb_x", "1"}};
  game.history = {{10, 1, 2, 0, "Town", ""}};
  return game;
}

class SavedGameFlow : public FileSystemTest {
 protected:
  // Saves `game` as name through a world that runs it.
  void SaveAs(const SavedGame& game, const char* name) {
    FakeWorld saver;
    saver.running = game;
    ASSERT_EQ(SaveGameTo(saver, folder_, name), SavedGameError::kNone);
    EXPECT_EQ(saver.events, std::vector<std::string>{"SaveGameExit"});
  }
  FakeWorld world_;
};

TEST_F(SavedGameFlow, SavedGameOpensAndReplacesTheRunningGame) {
  SaveAs(GameOf("Aldra"), "a.ksv");
  world_.running = GameOf("Other");
  ASSERT_EQ(OpenSavedGameFrom(world_, folder_, "a.ksv"), SavedGameError::kNone);
  EXPECT_EQ(world_.running.character.name, "Aldra");
  EXPECT_EQ(world_.events, std::vector<std::string>{"OpenGameExit"});
  EXPECT_TRUE(world_.alerts.empty());
}

// Where "OpenGameExit" runs and what a failed way back does, by format: formats 12 and 13 run the event once the
// way back has succeeded, before the player is placed, and tell a failure before the game ends; format 11 runs the
// event before travelling back and ends a game that cannot go back without a word.
TEST_F(SavedGameFlow, TheWayBackOrdersTheExitEventAndTheAlert) {
  using Order = std::vector<std::string>;
  struct Case {
    int16_t format;
    bool travels;
    SavedGameError result;
    Order order;
  } cases[] = {
      {13, true, SavedGameError::kNone, {"apply", "travel", "OpenGameExit", "place", "finish"}},
      {12, false, SavedGameError::kNotLoadable, {"apply", "travel", "alert", "end", "finish"}},
      {11, true, SavedGameError::kNone, {"apply", "OpenGameExit", "travel", "place", "finish"}},
      {11, false, SavedGameError::kNotLoadable, {"apply", "OpenGameExit", "travel", "end", "finish"}},
  };
  for (const Case& c : cases) {
    FakeWorld world;
    world.travelSucceeds = c.travels;
    SavedGame game = GameOf("Aldra");
    game.format = c.format;
    EXPECT_EQ(ApplySavedGame(world, game), c.result) << c.format << " " << c.travels;
    EXPECT_EQ(world.steps, c.order) << c.format << " " << c.travels;
    if (!world.alerts.empty()) {
      EXPECT_EQ(world.alerts[0], SavedGameErrorText(SavedGameError::kNotLoadable));
    }
    EXPECT_GE(world.inputResets, 1);
  }
}

TEST_F(SavedGameFlow, NoToTheMissingPluginQuestionChangesNothing) {
  SaveAs(GameOf("Aldra", {"Extra Quests"}), "p.ksv");
  world_.running = GameOf("Other");
  world_.answer = false;
  EXPECT_EQ(OpenSavedGameFrom(world_, folder_, "p.ksv"), SavedGameError::kDeclined);
  EXPECT_TRUE(world_.running == GameOf("Other"));
  ASSERT_EQ(world_.questions.size(), 1u);
  EXPECT_NE(world_.questions[0].find("plugin is missing :\nExtra Quests\n"), std::string::npos);
  EXPECT_TRUE(world_.events.empty());
  // Yes loads it; a plug-in that is loaded is not asked about.
  world_.answer = true;
  ASSERT_EQ(OpenSavedGameFrom(world_, folder_, "p.ksv"), SavedGameError::kNone);
  EXPECT_EQ(world_.running.character.name, "Aldra");
  world_.plugins = {"Extra Quests"};
  ASSERT_EQ(OpenSavedGameFrom(world_, folder_, "p.ksv"), SavedGameError::kNone);
  EXPECT_EQ(world_.questions.size(), 2u);
}

TEST_F(SavedGameFlow, RefusedFilesAreToldAndLeaveTheGame) {
  SavedGame lost = GameOf("Lost");
  lost.character.spriteName = "lost_sprite";
  SaveAs(lost, "lost.ksv");
  // Saves whose last place cannot be gone back to: a location the scenario lacks, one without a name, a name
  // reaching out of the data, and no place at all. They are refused before the running game is given up.
  const std::pair<const char*, std::vector<LocationHistoryEntry>> placesLost[] = {
      {"nowhere.ksv", {{10, 1, 2, 0, "Town", ""}, {10, 1, 2, 0, "Nowhere", ""}}},
      {"unnamed.ksv", {{4, 0, 0, 0, "", ""}}},
      {"outside.ksv", {{10, 1, 2, 0, "../Town", ""}}},
      {"nohistory.ksv", {}}};
  for (const auto& [file, history] : placesLost) {
    SavedGame game = GameOf("Lost");
    game.history = history;
    SaveAs(game, file);
  }
  SaveAs(GameOf("Aldra"), "a.ksv");
  temp_.WriteFile("junk.ksv", std::string("\0\x0d\0\0\0\x10\0\0\0\x02xx", 12));
  struct Case {
    const char* what;
    const char* file;
    std::string identity;
    SavedGameError error;
  } cases[] = {{"sprite missing", "lost.ksv", kScenario, SavedGameError::kNotLoadable},
               {"place missing", "nowhere.ksv", kScenario, SavedGameError::kNotLoadable},
               {"place without a name", "unnamed.ksv", kScenario, SavedGameError::kNotLoadable},
               {"place outside the data", "outside.ksv", kScenario, SavedGameError::kNotLoadable},
               {"no place", "nohistory.ksv", kScenario, SavedGameError::kNotLoadable},
               {"other scenario", "a.ksv", "Another Isle", SavedGameError::kOtherScenario},
               {"damaged", "junk.ksv", kScenario, SavedGameError::kDamaged},
               {"missing file", "none.ksv", kScenario, SavedGameError::kFileError}};
  for (const Case& c : cases) {
    FakeWorld world;
    world.identity = c.identity;
    world.running = GameOf("Other");
    EXPECT_EQ(OpenSavedGameFrom(world, folder_, c.file), c.error) << c.what;
    EXPECT_TRUE(world.running == GameOf("Other")) << c.what;
    ASSERT_EQ(world.alerts.size(), 1u) << c.what;
    EXPECT_EQ(world.alerts[0], SavedGameErrorText(c.error)) << c.what;
    EXPECT_TRUE(world.events.empty()) << c.what;
  }
}

TEST_F(SavedGameFlow, FailedSaveIsToldAndKeepsTheOldFile) {
  SaveAs(GameOf("Aldra"), "a.ksv");
  std::string before = temp_.ReadFile("a.ksv");
  world_.running = GameOf("Changed");
  HostFailFileWrites(100, 5, ERROR_DISK_FULL, true);
  EXPECT_EQ(SaveGameTo(world_, folder_, "a.ksv"), SavedGameError::kFileError);
  HostResetFileFaults();
  EXPECT_EQ(temp_.ReadFile("a.ksv"), before);
  ASSERT_EQ(world_.alerts.size(), 1u);
  EXPECT_EQ(world_.alerts[0].rfind(SavedGameErrorText(SavedGameError::kFileError), 0), 0u);
  EXPECT_TRUE(world_.events.empty());
}

TEST_F(SavedGameFlow, WithoutACharacterNothingIsSaved) {
  world_.hasCharacter = false;
  EXPECT_EQ(SaveGameTo(world_, folder_, "none.ksv"), SavedGameError::kNone);
  EXPECT_FALSE(temp_.Exists("none.ksv"));
  EXPECT_TRUE(world_.events.empty());
}

}  // namespace
