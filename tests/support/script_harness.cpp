// The headless script harness.
#include "tests/support/script_harness.h"

#include <algorithm>

#include "game/dialogs/character_info_dialogs.h"
#include "game/dialogs/message_dialog.h"
#include "game/dialogs/modal_dialog_driver.h"
#include "game/dialogs/player_choice_dialogs.h"
#include "game/rules/game_state.h"
#include "game/rules/script_event.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/option_store.h"
#include "game/shell/main_function.h"
#include "game/shell/main_window.h"
#include "game/shell/media/music_player.h"
#include "game/shell/media/sound_effects.h"
#include "game/shell/record_lists.h"
#include "game/shell/scenario_config.h"
#include "game/shell/startup_options.h"
#include "game/shell/window_procedure.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/testing_sound.h"
#include "tools/scenario_writer/sound_files.h"

namespace test_support {

namespace sw = scenario_writer;

namespace {

constexpr int32_t kMixRate = 44100;
// A sound waited for plays on in steps of this many milliseconds of the manual clock.
constexpr int32_t kWaitStepMilliseconds = 10;
constexpr int16_t kPlayerStamina = 10;

// The sound a wait runs: the mixer plays the next step, and the clock moves on by as much.
void PlayOneStep() {
  HostTestMixAudio(kMixRate * kWaitStepMilliseconds / 1000);
  HostTestAdvanceClock(kWaitStepMilliseconds);
}

ShownDialog Describe(Dialog& dialog) {
  ShownDialog shown;
  if (auto* message = dynamic_cast<MessageDialog*>(&dialog)) {
    shown.kind = ShownDialog::Kind::kMessage;
    shown.text = message->Text();
    for (int32_t choice = 1; choice <= MessageDialog::kChoiceCount; ++choice) {
      shown.choices.push_back(message->ChoiceCaption(choice));
    }
    if (message->Picture() != nullptr || message->Movie() != nullptr) {
      shown.pictureWidth = message->AttachedRect().width;
      shown.pictureHeight = message->AttachedRect().height;
    }
    shown.movie = message->Movie() != nullptr;
  } else if (auto* input = dynamic_cast<TextInputDialog*>(&dialog)) {
    shown.kind = ShownDialog::Kind::kTextInput;
    shown.text = input->Prompt();
    shown.maxLength = input->MaxLength();
  } else if (auto* levelGain = dynamic_cast<LevelGainDialog*>(&dialog)) {
    shown.text = levelGain->LevelText();
  }
  shown.layout = dialog.LayoutIndex();
  return shown;
}

}  // namespace

namespace script {

ActionSpec Labelled(const std::string& label, ActionSpec action) {
  action.label = label;
  return action;
}

ActionSpec ChangeGlobal(const std::string& name, int32_t operation, const std::string& value) {
  return {"", "Change Global", {name, std::to_string(operation), value}};
}

ActionSpec Set(const std::string& name, const std::string& value) { return ChangeGlobal(name, 1, value); }
ActionSpec Call(const std::string& event) { return {"", "Call event", {event}}; }
ActionSpec End() { return {"", "End", {}}; }
ActionSpec Travel(const std::string& location) { return {"", "Teleport", {location, "", ""}}; }

ActionSpec If(const std::string& conditions, const std::string& thenLabel, const std::string& elseLabel,
              bool anyOne) {
  return {"", "Conditional", {conditions, anyOne ? "1" : "0", "", thenLabel, elseLabel}};
}

ActionSpec Chance(const std::string& percent, const std::string& thenLabel, const std::string& elseLabel) {
  return {"", "Random", {percent, thenLabel, elseLabel}};
}

ActionSpec Message(const std::string& text, const std::vector<Choice>& choices, const std::string& picture) {
  ActionSpec action{"", "Display", {picture, text, "", "", "", "", "", "", "", ""}};
  for (size_t i = 0; i < choices.size() && i < 3; ++i) {
    action.params[2 + 2 * i] = choices[i].caption;
    action.params[3 + 2 * i] = choices[i].label;
  }
  return action;
}

ActionSpec Ask(const std::string& prompt, const std::string& expected, const std::string& matchLabel,
               const std::string& otherLabel) {
  return {"", "Ask", {"", prompt, "", "", expected, matchLabel, otherLabel}};
}

ScriptAction Made(const ActionSpec& action) {
  ScriptAction made;
  made.label = action.label;
  made.actionName = action.name;
  made.params = action.params;
  made.params.resize(static_cast<size_t>(ActionParameterCount(FindActionIndex(action.name))));
  return made;
}

}  // namespace script

struct ScriptHarness::Answer {
  enum class Kind { kDismiss, kChoice, kText };
  Kind kind = Kind::kDismiss;
  int32_t choice = 0;
  std::string text;
};

class ScriptHarness::Driver : public ModalDialogDriver {
 public:
  void Drive(Dialog& dialog) override {
    shown.push_back(Describe(dialog));
    const ShownDialog& seen = shown.back();
    if (answers.empty()) {
      ADD_FAILURE() << "a dialog that no answer was queued for: \"" << seen.text << "\"";
      return;
    }
    Answer answer = answers.front();
    answers.pop_front();
    if (auto* message = dynamic_cast<MessageDialog*>(&dialog)) {
      if (answer.kind == Answer::Kind::kText) {
        ADD_FAILURE() << "a message where a text input was expected: \"" << seen.text << "\"";
      } else if (answer.kind == Answer::Kind::kChoice) {
        EXPECT_FALSE(message->ChoiceCaption(answer.choice).empty())
            << "choice " << answer.choice << " is not offered by \"" << seen.text << "\"";
        message->Choose(answer.choice);
      } else {
        message->Dismiss();
      }
    } else if (auto* input = dynamic_cast<TextInputDialog*>(&dialog)) {
      if (answer.kind != Answer::Kind::kText) {
        ADD_FAILURE() << "a text input where a message was expected: \"" << seen.text << "\"";
        return;
      }
      input->SetText(answer.text);
      EXPECT_TRUE(input->Confirm()) << "the text input refused \"" << answer.text << "\"";
    } else if (answer.kind == Answer::Kind::kDismiss) {
      // Any other dialog is dismissed as its close button or Escape would.
      dialog.Close();
    } else {
      ADD_FAILURE() << "a dialog of a kind the harness cannot answer (layout " << dialog.LayoutIndex() << ")";
    }
  }

  std::deque<Answer> answers;
  std::vector<ShownDialog> shown;
};

ScriptHarness::ScriptHarness() : driver_(std::make_unique<Driver>()) {}
ScriptHarness::~ScriptHarness() = default;

void ScriptHarness::SetUp() {
  HostTestSetHeadless(true);
  HostTestUseManualClock(true);
  HostTestHoldAudio(true);
  HostTestClearMixerOutput();
  ResetOptionStore();
  files_.AddEmptyRecordFolders();
}

void ScriptHarness::TearDown() {
  SetModalDialogDriver(nullptr);
  EXPECT_TRUE(driver_->answers.empty()) << driver_->answers.size() << " dialog answers were not asked for";
  if (loaded_) {
    SetGameInProgress(0);
    ShutdownGame();
    MusicPlayer::Terminate();
    SoundSystem::Shutdown();
    PlatformReleaseFolder(folder_);
    PlatformFileSystemShutdown();
  }
  ResetOptionStore();
  HostTestHoldAudio(false);
  HostTestUseManualClock(false);
}

void ScriptHarness::AddEvent(const std::string& name, const sw::EventSpec& event) {
  files_.Add("Events/Defs/" + name + ".cet", sw::EncodeEvent(event));
}

void ScriptHarness::AddPicture(const std::string& path, const sw::Canvas& canvas) {
  files_.Add(path, sw::EncodeBmp24(canvas));
}

void ScriptHarness::WriteMedia(const std::string& folder, const std::string& name, int16_t level,
                               int32_t milliseconds) {
  sw::SoundFileSpec format;
  format.samplesPerSecond = kMixRate;
  std::vector<int16_t> samples(static_cast<size_t>(kMixRate) * static_cast<size_t>(milliseconds) / 1000, level);
  sw::Bytes bytes = sw::WriteSoundFile(format, samples);
  temp_.WriteFile("Data/" + folder + name + ".aiff", std::string(bytes.begin(), bytes.end()));
  soundLevels_.emplace_back(name, level);
}

void ScriptHarness::AddSound(const std::string& name, int16_t level, int32_t milliseconds) {
  WriteMedia("Sounds/", name, level, milliseconds);
}

void ScriptHarness::AddMusic(const std::string& name, int16_t level, int32_t milliseconds) {
  WriteMedia("Music/", name, level, milliseconds);
}

void ScriptHarness::Load(uint32_t seed) {
  sw::Bytes archive;
  ASSERT_FALSE(loaded_) << "the scenario is loaded once";
  files_.Add("Config", sw::EncodeConfig(config_));
  ASSERT_TRUE(files_.BuildArchive(archive));
  temp_.WriteFile("Data/Data001.dat", std::string(archive.begin(), archive.end()));
  temp_.WriteFile("cs.cfg", "-f -pData/Data001.dat");

  ASSERT_EQ(PlatformFileSystemStartup(), kPlatformNoError);
  ASSERT_EQ(PlatformResolveFolder(0, ("/C" + temp_.Posix()).c_str(), &folder_), kPlatformNoError);
  ASSERT_EQ(PlatformSetDefaultFolder(folder_, static_cast<const char*>(nullptr)), kPlatformNoError);
  loaded_ = true;
  MusicPlayer::Initialize();
  StartupWindowParams window;
  window.windowProc = MainWindowProc;  // for a harness that opens the game's window
  ASSERT_EQ(ReadStartupConfig(window), 0);
  ASSERT_TRUE(ReadScenarioConfig());
  SoundSystem::Start(nullptr);
  SetSoundWaitPump(PlayOneStep);
  LoadScenarioData(false);

  CreateCurrentCharacter();
  Character& player = Player();
  player.SetName("Hero");
  player.base.maxStamina = kPlayerStamina;
  player.RecalculateStats();
  player.stamina = kPlayerStamina;
  // Seeded after the player's own roll, so that a test's draws start from the seed.
  SeedRandom(seed);
  SetGameInProgress(1);
  SetModalDialogDriver(driver_.get());
  loadedAt_ = GetTickCount();
}

void ScriptHarness::Run(const std::string& name) { CallEventName(name); }

std::string ScriptHarness::Global(const std::string& name) const {
  const GlobalVariable* variable = FindGlobalEntry(name);
  EXPECT_NE(variable, nullptr) << "no global variable " << name;
  return variable != nullptr ? variable->value : std::string();
}

void ScriptHarness::SetGlobal(const std::string& name, const std::string& value) {
  GlobalVariable* variable = FindGlobalEntry(name);
  ASSERT_NE(variable, nullptr) << "no global variable " << name;
  variable->value = value;
}

Character& ScriptHarness::Player() const { return *GetCurrentCharacter(); }

void ScriptHarness::AnswerMessage() { driver_->answers.push_back({Answer::Kind::kDismiss, 0, ""}); }
void ScriptHarness::AnswerChoice(int32_t choice) { driver_->answers.push_back({Answer::Kind::kChoice, choice, ""}); }
void ScriptHarness::AnswerText(const std::string& text) { driver_->answers.push_back({Answer::Kind::kText, 0, text}); }
const std::vector<ShownDialog>& ScriptHarness::Shown() const { return driver_->shown; }

std::vector<std::string> ScriptHarness::SoundsHeard() {
  HostTestMixAudio(kMixRate);
  std::vector<std::string> heard;
  for (int16_t sample : HostTestMixerOutput()) {
    for (const auto& [name, level] : soundLevels_) {
      if (sample == level && std::find(heard.begin(), heard.end(), name) == heard.end()) heard.push_back(name);
    }
  }
  return heard;
}

uint32_t ScriptHarness::Elapsed() const { return GetTickCount() - loadedAt_; }

}  // namespace test_support
