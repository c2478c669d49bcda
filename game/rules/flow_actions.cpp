// The actions that steer an event and talk to the player: "D" (the event message and its choices), "Co"
// (conditions), "Ca" (calls), "End", "Change G" (global variables), "Te" (travel to a location), "As" (a typed
// answer) and "Ra" (chance).
#include <memory>
#include <string>

#include "game/dialogs/message_dialog.h"
#include "game/dialogs/player_choice_dialogs.h"
#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/conditions.h"
#include "game/rules/game_state.h"
#include "game/rules/script_engine.h"
#include "game/rules/text_variables.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/input_manager.h"
#include "game/shell/media/media_lookup.h"
#include "game/shell/media/movie_player.h"
#include "game/shell/record_lists.h"
#include "game/world/world_services.h"

namespace {

// A global variable's value never grows past what a saved game can keep of it.
constexpr size_t kMaxGlobalValueBytes = 255;

void StoreGlobalValue(GlobalVariable& variable, std::string value) {
  if (value.size() > kMaxGlobalValueBytes) value.resize(kMaxGlobalValueBytes);
  variable.value = std::move(value);
}

bool MessageHasText(const ScriptAction& action) {
  return !action.Param(1).empty() || !action.Param(2).empty() || !action.Param(4).empty() ||
         !action.Param(6).empty();
}

// The picture of a message: "Events/Pics/" + p0 + ".pct"; null when it does not load.
std::unique_ptr<Bitmap> MessagePicture(const std::string& name) {
  std::string path;
  EventPicturePath(path, name);
  return LoadPictureByName(path.c_str());
}

// The movie of a message: p8 is the movie's name, "**" and its scale (1 when that reads as 0).
std::unique_ptr<MoviePlayer> MessageMovie(const std::string& movieText, int32_t* scale) {
  std::string name, scaleText;
  GetField(name, movieText, "**", 1);
  GetField(scaleText, movieText, "**", 2);
  *scale = ParseInt(scaleText);
  if (*scale == 0) *scale = 1;
  return OpenMovieByName(name);
}

}  // namespace

void RunMessageAction(const ScriptAction& action) {
  std::unique_ptr<MessageDialog> dialog;
  if (MessageHasText(action)) dialog = std::make_unique<MessageDialog>(CurrentEvent(), action);
  const bool movieMode = StartsWith(action.Param(9), "1");
  // What cannot be loaded is left out; a message with nothing else to show is not shown.
  if (!action.Param(0).empty() && !movieMode) {
    if (std::unique_ptr<Bitmap> picture = MessagePicture(action.Param(0))) {
      if (dialog == nullptr) dialog = std::make_unique<MessageDialog>(CurrentEvent(), action);
      dialog->AttachPicture(std::move(picture));
    }
  } else if (!action.Param(8).empty() && movieMode) {
    int32_t scale = 1;
    if (std::unique_ptr<MoviePlayer> movie = MessageMovie(action.Param(8), &scale)) {
      // A movie shown with text or choices loops; a movie alone plays once.
      movie->SetLooping(dialog != nullptr);
      if (dialog == nullptr) dialog = std::make_unique<MessageDialog>(CurrentEvent(), action);
      movie->Scale(scale);
      dialog->AttachMovie(std::move(movie));
    }
  }
  if (dialog == nullptr) return;
  SetMessageChoiceText("");
  Dialog::RunModal(std::move(dialog));
  const std::string chosen = GetMessageChoiceText();
  if (chosen.empty()) return;
  // The choice's labelled action runs in the message's event, whatever ran while the message was open.
  ClearEndEventRequest();
  const CurrentEventValues saved = GetCurrentEventValues();
  if (ScriptEvent* event = saved.event) {
    SetCurrentEventValues({event, event->labelledActions.data(), event->LabelledCount()});
  }
  JumpToLabel(chosen);
  SetCurrentEventValues(saved);
}

void RunConditionAction(const ScriptAction& action) {
  JumpToLabel(EvaluateConditions(action) ? action.Param(3) : action.Param(4));
}

void RunCallAction(const ScriptAction& action) { CallEventName(action.Param(0)); }

void RunEndAction(const ScriptAction&) { RequestEndEvent(); }

void RunChangeGlobalAction(const ScriptAction& action) {
  GlobalVariable* variable = FindGlobalEntry(action.Param(0));
  if (variable == nullptr) return;
  const std::string text = ExpandTextVariables(action.Param(2));
  const int64_t operand = ParseInt(text);
  const int64_t value = ParseInt(variable->value);
  // Results are worked out in 64 bits and written in decimal: in 32 bits a sum or product past the limits would
  // wrap to the opposite sign.
  switch (ParseInt(action.Param(1))) {
    case 1:
      StoreGlobalValue(*variable, text);
      break;
    case 2:
      // A text that is no number is appended.
      if (text == "0" || operand != 0) StoreGlobalValue(*variable, std::to_string(value + operand));
      else StoreGlobalValue(*variable, variable->value + text);
      break;
    case 3:
      StoreGlobalValue(*variable, std::to_string(value - operand));
      break;
    case 4:
      StoreGlobalValue(*variable, std::to_string(value * operand));
      break;
    case 5:
      // Divided as signed numbers: taken as unsigned 32-bit numbers, -10 / 2 would give 2147483643.
      if (operand != 0) StoreGlobalValue(*variable, std::to_string(value / operand));
      break;
    case 6:
      StoreGlobalValue(*variable, std::to_string(RandomRange(0, static_cast<int32_t>(operand))));
      break;
    default:
      break;
  }
}

void RunTravelAction(const ScriptAction& action) {
  const std::string& name = action.Param(0);
  if (name.empty()) return;
  if (!LocationExists(name)) {
    Input::Reset();
    return;
  }
  Location* location = FindLocationByName(name);
  if (location == nullptr) return;
  // Leaving a map for anything but a shop or a script location frees the player's cells on it, once the entry
  // has succeeded: after a refused entry the player keeps its cell. A still screen keeps the map loaded beneath
  // it; a map entered instead has taken the place of this one, and the cells went with it.
  const Location* current = GetCurrentLocation();
  const TileMap* map = GetCurrentTileMap();
  const uint64_t generation = map != nullptr ? map->Generation() : 0;
  const bool leavesMap = map != nullptr && current != nullptr && current->Kind() == kLocationKindMap &&
                         location->Kind() != kLocationKindShop && location->Kind() != kLocationKindScript;
  if (location->Enter() != 0) return;
  Character* player = GetCurrentCharacter();
  if (leavesMap && player != nullptr && IsCurrentMap(generation)) {
    player->ReleaseReservedCells();
    GetCurrentTileMap()->SetCellFlag(player->x, player->y, 1);
  }
  RequestLeaveLocation();
}

void RunAskAction(const ScriptAction& action) {
  Dialog::RunModal(std::make_unique<TextInputDialog>(action.Param(0), action.Param(1), ParseInt(action.Param(5))));
  JumpToLabel(GetEnteredText() == action.Param(4) ? action.Param(5) : action.Param(6));
}

void RunChanceAction(const ScriptAction& action) {
  const int32_t chance = ParseInt(ExpandTextVariables(action.Param(0)));
  const int32_t draw = RandomRange(1, 100);
  // Compared as unsigned numbers: a negative chance always takes p1.
  JumpToLabel(static_cast<uint32_t>(draw) > static_cast<uint32_t>(chance) ? action.Param(2) : action.Param(1));
}
