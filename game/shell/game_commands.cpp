// Quitting.
#include "game/shell/game_commands.h"

#include "game/rules/game_state.h"
#include "game/rules/script_event.h"
#include "game/shell/main_loop.h"
#include "game/shell/menus.h"
#include "game/shell/record_lists.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"
#include "host/user.h"

void QuitGameCommand() {
  EnableMenuBar(true);
  CallEventName("QuitGame");
  if (IsGameInProgress()) {
    if (SceneView* view = GetSceneView()) view->ClearLayers();
    SetGameInProgress(0);
    for (const auto& location : LocationList()) location->Leave();
    if (SceneView* view = GetSceneView()) view->ClearLayers();
    ClearExploredMasks();
    // The picture pools stay until shut-down: the main loop still has the start-up pool on its stack.
    SetCursor(nullptr);
  }
  SetStopWaiting();
  ClearRunStateBits(kRunRunning);
}
