// The actions that play sound effects and background music: "Play S" and "Play ". Movies are shown by the
// message action "D"; the kinds "Movie D" and "Mo" do nothing.
#include "game/rules/action_handlers.h"
#include "game/rules/script_action.h"
#include "game/rules/text_variables.h"
#include "game/shell/main_loop.h"
#include "game/shell/media/media_lookup.h"
#include "game/shell/media/sound_effects.h"

void RunPlaySoundAction(const ScriptAction& action) {
  // The name is used as written; the event goes on only once the sound has ended, unless p1 is "0".
  if (action.Param(1) == "0") {
    PlaySoundFile(action.Param(0));
  } else {
    PlaySoundFileAndWait(action.Param(0), [](int) { MediaIdle(); });
  }
}

void RunPlayMusicAction(const ScriptAction& action) {
  if (action.Param(0).empty()) {
    StopMusic();
  } else {
    PlayMusicByName(ExpandTextVariables(action.Param(0)));
  }
}
