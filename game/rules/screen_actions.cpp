// The script actions of the screen, of timing, of settings and of the places: "St" (picture elements of a still
// screen, sprites of a map), "F" (fades), "Me" (the menu bar), "Ref" (a full redraw), "W" (a timed wait), "S"
// (the music volume), "U" (movement modes), "M" (the automap), "R" (back to the last remembered place), "Sa"
// (remember the present one) and "Launch U" (a web address). None of them asks whether a game is in progress.
#include <algorithm>
#include <memory>
#include <string>

#include "game/dialogs/automap_dialog.h"
#include "game/rules/action_handlers.h"
#include "game/rules/script_action.h"
#include "game/rules/text_variables.h"
#include "game/shell/data/option_store.h"
#include "game/shell/data/preferences.h"
#include "game/shell/data/stopwatch.h"
#include "game/shell/data/string_utils.h"
#include "game/shell/game_commands.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/media/music_player.h"
#include "game/shell/media/screen_fades.h"
#include "game/shell/scenario_config.h"
#include "game/shell/web_address.h"
#include "game/world/location_history.h"
#include "game/world/scene_view.h"
#include "game/world/screen_location.h"
#include "game/world/tile_map.h"

namespace {

// A coordinate of "St" left empty: the operation keeps the element's own.
constexpr int32_t kKeepCoordinate = 32767;

int32_t ReadCoordinate(const std::string& field) {
  return field.empty() ? kKeepCoordinate : ParseInt(ExpandTextVariables(field));
}

// Runs work on the game view with no current layer, the current one kept on the layer stack meanwhile.
template <typename Work>
void WithoutCurrentLayer(Work work) {
  const CurrentLayerSetAside aside;
  work(aside.View());
}

struct ElementEntry {
  int32_t operation = 0;
  std::string name;
  std::string picture;
  int32_t x = kKeepCoordinate;
  int32_t y = kKeepCoordinate;
  std::string text;
};

ElementEntry ReadElementEntry(const std::string& entry) {
  std::string fields[6];
  for (int32_t i = 0; i < 6; ++i) GetField(fields[i], entry, ",", i + 1);
  return ElementEntry{ParseInt(fields[0]), ExpandTextVariables(fields[1]), fields[2],
                      ReadCoordinate(fields[3]), ReadCoordinate(fields[4]), fields[5]};
}

void ApplyToScreen(ScreenLocation& screen, const ElementEntry& e) {
  switch (e.operation) {
    case 0:
    case 4:
    case 5: screen.AddPictureElement(e.name, e.picture, e.x, e.y, e.text); break;
    case 1: screen.SetElementPicture(e.name, e.picture, e.x, e.y, e.text); break;
    case 2: screen.RemoveElementNamed(e.name); break;
    case 3: screen.ClearElements(); break;
    default: break;
  }
}

void ApplyToMap(TileMap& map, const ElementEntry& e) {
  switch (e.operation) {
    case 0: map.AddPictureSprite(e.picture, e.x, e.y, e.name, 0, e.text); break;
    case 4: map.AddPictureSprite(e.picture, e.x, e.y, e.name, -1, e.text); break;
    case 5: map.AddPictureSprite(e.picture, e.x, e.y, e.name, 1, e.text); break;
    case 2: map.RemoveSpritesNamed(e.name); break;
    case 3: map.RemoveAllSprites(); break;
    default: break;
  }
}

}  // namespace

void RunScreenElementAction(const ScriptAction& action) {
  const std::string& list = action.Param(0);
  const int32_t count = CountFields(list, "****");
  for (int32_t i = 1; i <= count; ++i) {
    // The current location is looked up for each entry: an entry's picture load cannot change it, but the
    // location must still be one of the two kinds.
    Location* location = GetCurrentLocation();
    if (location == nullptr) return;
    std::string entry;
    GetField(entry, list, "****", i);
    const ElementEntry fields = ReadElementEntry(entry);
    if (location->Kind() == kLocationKindScreen) {
      if (auto* screen = dynamic_cast<ScreenLocation*>(location)) ApplyToScreen(*screen, fields);
    } else if (location->Kind() == kLocationKindMap) {
      if (TileMap* map = GetCurrentTileMap()) ApplyToMap(*map, fields);
    } else {
      return;
    }
  }
  if (ParseInt(action.Param(1)) == 0) return;
  const Location* location = GetCurrentLocation();
  if (location == nullptr || (location->Kind() != kLocationKindScreen && location->Kind() != kLocationKindMap)) {
    return;
  }
  WithoutCurrentLayer([](SceneView* view) {
    if (view != nullptr) view->MarkAllLayersDirty();
    RefreshView();
  });
}

void RunFadeAction(const ScriptAction& action) {
  if (GetScreenFadeEnabled() == 0) return;
  const int32_t sixtieths = ParseInt(action.Param(1));
  if (!action.Param(0).empty() && action.Param(0)[0] == '0') {
    FadeScreenOut(sixtieths);
  } else {
    FadeScreenIn(sixtieths);
  }
}

void RunMenuBarAction(const ScriptAction& action) {
  MainWindow* window = GetMainWindow();
  if (window == nullptr) return;
  switch (ParseInt(action.Param(0))) {
    case 0: window->ShowMenuBar(); break;
    case 1: window->HideMenuBar(); break;
    case 2:
      if (window->HasMenuBar()) {
        window->HideMenuBar();
      } else {
        window->ShowMenuBar();
      }
      break;
    default: break;
  }
}

void RunRefreshAction(const ScriptAction&) {
  WithoutCurrentLayer([](SceneView* view) {
    if (view != nullptr) view->ClearBackBuffer();
    RefreshView();
  });
}

void RunWaitAction(const ScriptAction& action) {
  Stopwatch stopwatch;
  // A negative count waits not at all.
  const int32_t milliseconds = ParseInt(action.Param(0));
  WithoutCurrentLayer([&](SceneView*) {
    SetFrameSkipAllowed(false);
    RestartFrameClock();
    while (stopwatch.ElapsedMilliseconds() < static_cast<float>(milliseconds)) {
      // The program is ending: the wait ends with it.
      if (RefreshView() < 0) break;
      PaceFrame();
    }
    SetFrameSkipAllowed(true);
  });
  RestartFrameClock();
}

void RunMusicVolumeAction(const ScriptAction& action) {
  const std::string given = ExpandTextVariables(action.Param(0));
  SetMusicVolume(std::clamp(ParseInt(given), 0, 100));
  // The preferences keep the text as given; reading it back at start-up clamps it again.
  if (PrefsFile* prefs = GetPrefsFile()) {
    prefs->Set("music_volume", given);
    SavePrefsFile();
  }
}

void RunMovementModesAction(const ScriptAction& action) {
  SetKeyboardMovementEnabled(ParseInt(action.Param(0)) == 1);
  SetClickPathingEnabled(ParseInt(action.Param(1)) == 1);
}

void RunAutomapAction(const ScriptAction& action) {
  const Location* location = GetCurrentLocation();
  if (location == nullptr) return;
  const std::string picture = action.Param(4) == "1" ? action.Param(5) : std::string();
  Dialog::RunModal(std::make_unique<AutomapDialog>(location->GetName(), picture, action.Param(0),
                                                   action.Param(1) == "1", action.Param(2) == "1",
                                                   action.Param(3) == "1"));
}

void RunGoBackAction(const ScriptAction&) { LocationHistory::GoBack(); }

void RunRememberLocationAction(const ScriptAction&) { LocationHistory::Push(); }

void RunWebAddressAction(const ScriptAction& action) { OpenWebAddress(action.Param(0)); }
