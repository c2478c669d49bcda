// The handlers of the 37 action kinds, by the kind's index in the table of script_action.h: the dispatcher
// (ExecuteAction, script_engine.h) calls the handler of the kind an action's name chooses.
//
// A handler takes the action and reads its parameters p0, p1, ... with ScriptAction::Param. Script failures are
// silent: a missing event, label, record, variable or map makes a handler do nothing. A handler may run nested
// events (a call, a message choice, a location entered); it must not rely on anything of the running event but
// the action it was given, which stays valid for the whole call.
//
// The handlers, by family:
// - flow, variables and messages (flow_actions.cpp): "D", "Co", "Ca", "End", "Change G", "Te", "As", "Ra";
// - sound, music and movies (media_actions.cpp): "Play S", "Play "; "Movie D" and "Mo" do nothing;
// - the player (player_actions.cpp): "T", "P", "Player M"; "Player B" does nothing;
// - the player's values, gold and items (player_value_actions.cpp): "A", "G", "I", "Launch I";
// - the engine commands (engine_actions.cpp): "Eng";
// - the screen, timing, settings and places (screen_actions.cpp): "St", "F", "Me", "Ref", "W", "S", "U", "M",
//   "R", "Sa", "Launch U".
// - non-player characters and map cells (map_actions.cpp): "N", "C", "Map P";
// - spells (spell_actions.cpp): "Sp", "Spell S".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SceneView;
class ScriptAction;

using ActionHandler = void (*)(const ScriptAction& action);

// The fields of a list parameter split at the separator, in order (none for an empty text).
std::vector<std::string> SplitFields(const std::string& text, const char* separator);

// While it lasts the game view has no current layer: the one that was current waits on the view's layer stack and
// is current again at the end (when the view is still there).
class CurrentLayerSetAside {
 public:
  CurrentLayerSetAside();
  ~CurrentLayerSetAside();
  CurrentLayerSetAside(const CurrentLayerSetAside&) = delete;
  CurrentLayerSetAside& operator=(const CurrentLayerSetAside&) = delete;
  SceneView* View() const { return view_; }

 private:
  SceneView* view_;
};

// The handler of the kind at index 0 to 36; null for a kind that does nothing, and for any other index.
ActionHandler ActionHandlerAt(int32_t index);

// Flow, variables and messages.
void RunMessageAction(const ScriptAction& action);       // "D": the event message, and the chosen label
void RunConditionAction(const ScriptAction& action);     // "Co": jumps to p3 when the conditions hold, else p4
void RunCallAction(const ScriptAction& action);          // "Ca": runs the event named p0
void RunEndAction(const ScriptAction& action);           // "End": ends the running event after this action
void RunChangeGlobalAction(const ScriptAction& action);  // "Change G": changes global variable p0
void RunTravelAction(const ScriptAction& action);        // "Te": takes the player to location p0
void RunAskAction(const ScriptAction& action);           // "As": asks for a text, jumps by the answer
void RunChanceAction(const ScriptAction& action);        // "Ra": jumps to p1 with a chance of p0 percent, else p2

// Sound and music.
void RunPlaySoundAction(const ScriptAction& action);  // "Play S": plays sound p0, waiting unless p1 is "0"
void RunPlayMusicAction(const ScriptAction& action);  // "Play ": plays music p0, or stops it for an empty p0

// The player.
void RunTextEntryAction(const ScriptAction& action);     // "T": adds, removes or clears text entries
void RunPortraitAction(const ScriptAction& action);      // "P": the portrait "Players/Portraits/" + p0
void RunPlayerSpriteAction(const ScriptAction& action);  // "Player M": the picture of the map sprite

// The player's values, gold and items.
void RunAttributeAction(const ScriptAction& action);    // "A": operation p1 with p2 on the value named p0
void RunGoldAction(const ScriptAction& action);         // "G": operation p0 with p1 on the gold
void RunItemAction(const ScriptAction& action);         // "I": adds, drops or uses the items named in p0
void RunLaunchItemsAction(const ScriptAction& action);  // "Launch I": items and gold put down on the map

// The engine commands.
void RunEngineAction(const ScriptAction& action);  // "Eng": command p0

// The screen, timing, settings and places.
void RunScreenElementAction(const ScriptAction& action);     // "St": picture elements or map sprites of p0
void RunFadeAction(const ScriptAction& action);              // "F": fades out (p0 "0...") or in, over p1 60ths
void RunMenuBarAction(const ScriptAction& action);           // "Me": shows (0), hides (1) or toggles (2) the menus
void RunRefreshAction(const ScriptAction& action);           // "Ref": clears and redraws the whole view
void RunWaitAction(const ScriptAction& action);              // "W": waits p0 milliseconds, drawing
void RunMusicVolumeAction(const ScriptAction& action);       // "S": sets and stores the music volume p0
void RunMovementModesAction(const ScriptAction& action);     // "U": keyboard movement p0, click pathing p1
void RunAutomapAction(const ScriptAction& action);           // "M": the automap of the current location
void RunGoBackAction(const ScriptAction& action);            // "R": back to the last remembered place
void RunRememberLocationAction(const ScriptAction& action);  // "Sa": remembers the current place
void RunWebAddressAction(const ScriptAction& action);        // "Launch U": opens the web address p0

// Non-player characters and map cells.
void RunCharactersAction(const ScriptAction& action);      // "N": places or takes off the characters of p0
void RunMapCellAction(const ScriptAction& action);         // "C": the picture, flag or event of cell (p0, p1)
void RunPlayerPositionAction(const ScriptAction& action);  // "Map P": the player to cell (p0, p1)

// Spells.
void RunSpellsAction(const ScriptAction& action);      // "Sp": learns, forgets or casts the spells of p0 by mode p1
void RunSpellPickAction(const ScriptAction& action);  // "Spell S": new spells of the groups and allowances of p0
