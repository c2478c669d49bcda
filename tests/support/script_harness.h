// The headless script harness: the base of the tests that run scenario scripts. A test builds a scenario with the
// scenario writer (a Config with its "gb_" global variables, record files, events of "Events/Defs/", pictures,
// sounds), loads it as start-up does (the data roots, the "Config" file, the record folders) with no window, and
// runs events by name. The player character exists and a game is in progress; random numbers are seeded; time is
// the host's manual clock; sounds go to the host's mixer, which the harness runs by hand, a sound waited for
// moving the clock on as it plays. Dialogs are answered from a queue; a dialog with no answer queued for it fails
// the test, and so does an answer left over at the end.
//
//   class DoorTest : public test_support::ScriptHarness {};
//   TEST_F(DoorTest, TheKeyOpensTheDoor) {
//     using namespace test_support::script;
//     Config().globalNames = {"gb_door"};
//     AddEvent("Main", {{Message("A door.", {{"Open it", "open"}})}, {Labelled("open", Set("gb_door", "open"))}});
//     Load();
//     AnswerChoice(1);
//     Run("Main");
//     EXPECT_EQ(Global("gb_door"), "open");
//   }
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "game/rules/character.h"
#include "game/rules/script_action.h"
#include "platform/core/file_manager.h"
#include "tests/support/temp_folder.h"
#include "tools/scenario_writer/config_writer.h"
#include "tools/scenario_writer/picture_writer.h"
#include "tools/scenario_writer/record_writer.h"
#include "tools/scenario_writer/scenario_files.h"

namespace test_support {

// Actions as a scenario writes them, for events built in a few lines.
namespace script {
using scenario_writer::ActionSpec;
struct Choice {
  std::string caption;
  std::string label;
};
// The action under a label, for the labelled list of an event.
ActionSpec Labelled(const std::string& label, ActionSpec action);
// "Change Global": operation 1 sets, 2 adds (or appends a text), 3 subtracts, 4 multiplies, 5 divides, 6 draws a
// number from 0 to the value.
ActionSpec ChangeGlobal(const std::string& name, int32_t operation, const std::string& value);
ActionSpec Set(const std::string& name, const std::string& value);
ActionSpec Call(const std::string& event);
ActionSpec End();
ActionSpec Travel(const std::string& location);
// "Conditional": conditions separated by "****", each "subject,operator,value"; any-mode when anyOne is set.
ActionSpec If(const std::string& conditions, const std::string& thenLabel, const std::string& elseLabel,
              bool anyOne = false);
ActionSpec Chance(const std::string& percent, const std::string& thenLabel, const std::string& elseLabel);
// "Display": a message with up to three choices, and a picture of "Events/Pics/".
ActionSpec Message(const std::string& text, const std::vector<Choice>& choices = {},
                   const std::string& picture = "");
// "Ask": the text typed is compared with `expected`.
ActionSpec Ask(const std::string& prompt, const std::string& expected, const std::string& matchLabel,
               const std::string& otherLabel);
// The action as the game holds it once read: as many parameters as its kind takes, missing ones empty.
ScriptAction Made(const ActionSpec& action);
}  // namespace script

// A dialog as the harness was shown it.
struct ShownDialog {
  enum class Kind { kMessage, kTextInput, kOther };
  Kind kind = Kind::kOther;
  std::string text;                  // a message's text, a text input's prompt, a level gain's level
  std::vector<std::string> choices;  // a message's three choice captions ("" for one it does not offer)
  int32_t pictureWidth = 0;          // the size of a message's attached picture or movie (0 by 0 for none)
  int32_t pictureHeight = 0;
  bool movie = false;                // what is attached is a movie
  int32_t maxLength = 0;             // a text input's limit (0: none)
  int32_t layout = 0;                // the dialog's screen layout
};

class ScriptHarness : public ::testing::Test {
 protected:
  ScriptHarness();
  ~ScriptHarness() override;
  void SetUp() override;
  void TearDown() override;

  // The scenario, before Load. The Config names the global variables (Config().globalNames); files go in at
  // their paths below the scenario's top ("Items/Sword.itm", "Events/Pics/Door.pct").
  scenario_writer::ConfigSpec& Config() { return config_; }
  scenario_writer::ScenarioFiles& Files() { return files_; }
  // "Events/Defs/<name>.cet".
  void AddEvent(const std::string& name, const scenario_writer::EventSpec& event);
  // A picture file of the scenario (a BMP, whatever the extension says).
  void AddPicture(const std::string& path, const scenario_writer::Canvas& canvas);
  // A sound of "Sounds/" (or a piece of "Music/"), beside the data file where media live: 44,100 samples a second,
  // every one of them `level`, so that the mixer's output tells the sounds apart.
  void AddSound(const std::string& name, int16_t level, int32_t milliseconds);
  void AddMusic(const std::string& name, int16_t level, int32_t milliseconds);

  // Writes the scenario and loads it; seeds the random numbers; makes the player (10 stamina points) and starts a
  // game.
  void Load(uint32_t seed = 1);
  // Loads, runs and deletes the event of that name.
  void Run(const std::string& name);
  // A global variable's value ("" for one the Config does not name).
  std::string Global(const std::string& name) const;
  void SetGlobal(const std::string& name, const std::string& value);
  Character& Player() const;

  // Answers for the next dialogs, in order: a message (or any other dialog) dismissed, a message's
  // choice 1 to 3, a text typed into the text input and confirmed. A level gain is shown with its level as text.
  void AnswerMessage();
  void AnswerChoice(int32_t choice);
  void AnswerText(const std::string& text);
  // Every dialog shown since Load, in order.
  const std::vector<ShownDialog>& Shown() const;

  // The sounds the mixer has played since Load, by the names they were added with, in the order first heard
  // (the mixer runs on for a second first, so that sounds not waited for are heard out).
  std::vector<std::string> SoundsHeard();
  // Milliseconds of the manual clock since Load.
  uint32_t Elapsed() const;

  TempFolder temp_;

 private:
  struct Answer;
  class Driver;
  void WriteMedia(const std::string& folder, const std::string& name, int16_t level, int32_t milliseconds);

  scenario_writer::ConfigSpec config_;
  scenario_writer::ScenarioFiles files_;
  std::vector<std::pair<std::string, int16_t>> soundLevels_;
  std::unique_ptr<Driver> driver_;
  FolderRef folder_ = 0;
  bool loaded_ = false;
  uint32_t loadedAt_ = 0;
};

}  // namespace test_support
