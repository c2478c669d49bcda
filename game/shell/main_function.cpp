// WinMain: the start-up steps, the main loop and the shut-down, in their fixed orders.
#include "game/shell/main_function.h"

#include <string>

#include "game/dialogs/dialog_services.h"
#include "game/dialogs/screen_layouts.h"
#include "game/graphics/blitter.h"
#include "game/graphics/picture_cache.h"
#include "game/graphics/screen_presenter.h"
#include "game/rules/character.h"
#include "game/rules/game_state.h"
#include "game/rules/script_event.h"
#include "game/shell/media/ambient_sounds.h"
#include "game/shell/data/data_archive.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/input_manager.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/media/media_lookup.h"
#include "game/shell/menus.h"
#include "game/shell/media/movie_player.h"
#include "game/shell/media/music_player.h"
#include "game/shell/data/option_store.h"
#include "game/shell/record_lists.h"
#include "game/shell/scenario_config.h"
#include "game/shell/shell_command_host.h"
#include "game/shell/media/sound_effects.h"
#include "game/shell/startup_options.h"
#include "game/shell/data/stopwatch.h"
#include "game/shell/window_procedure.h"
#include "game/world/pause_overlay.h"
#include "game/world/scene_view.h"
#include "game/world/world_services.h"
#include "host/user.h"
#include "platform/core/core.h"
#include "platform/core/file_manager.h"
#include "platform/graphics/graphics_startup.h"

namespace {

struct ProgramState {
  int32_t exitCode = 1;
  HCURSOR gameCursor = nullptr;
  std::unique_ptr<ScreenPresenter> presenter;
};

ProgramState& State() {
  // Never destroyed: a shut-down signal may end the process while the loop still runs.
  static ProgramState* state = new ProgramState;
  return *state;
}

constexpr const char* kCannotFindData = "Cannot find the specified file : \n";
constexpr const char* kCannotLoadGame = "Cannot load the game.\n";

// The steps between reading the options and the main loop; false with the message of the step that failed.
bool RunStartupSteps(Stopwatch& steps, std::string& error) {
  MusicPlayer::Initialize();
  MoviePlayer::Initialize();
  InstallMediaServices();
  steps.Lap("Media drivers init");
  if (!ReadScenarioConfig()) {
    error = kCannotLoadGame;
    return false;
  }
  steps.Lap("ReadOptions");
  BuildMenuBar();
  steps.Lap("InitMenus");
  // A view of a size the scenario asks for but that cannot be made would leave the game without a screen, and the
  // first drawing would crash on it.
  if (InitGameWindow() != 0) {
    error = kCannotLoadGame;
    return false;
  }
  steps.Lap("InitWindow");
  LoadScenarioData(true);
  steps.Lap("ReadScenarioFiles");
  steps.Lap("Plugin_Init");
  BuildScenarioMenus();
  steps.Lap("AddCustomMenus");
  SetCursor(nullptr);
  CallEventName("StartGame");
  SetCursor(nullptr);
  RunMainLoop();
  ShutdownGame();
  SetCursor(nullptr);
  return true;
}

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ProgramState& s = State();
  s.exitCode = 1;
  s.gameCursor = LoadCursorA(nullptr, IDC_ARROW);
  SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));
  PlatformStartup();
  PlatformFileSystemStartup();
  PlatformGraphicsStartup();
  SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));

  BOOL screenSaver = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &screenSaver, 0);
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, 0, nullptr, 0);

  StartupWindowParams params;
  params.instance = instance;
  params.windowProc = MainWindowProc;
  ResetWindowProcedureState();
  Stopwatch steps;
  std::string error = "Unknown error";

  bool ok = false;
  if (ReadStartupConfig(params) != 0) {
    error = std::string(kCannotFindData) + SystemPath(GetDataPath());
  } else {
    ok = RunStartupSteps(steps, error);
  }
  if (!ok) {
    MessageBoxA(nullptr, error.c_str(), "Error", MB_OK);
    // What a failed start-up made is freed as after a run.
    ShutdownGame();
  }

  SoundSystem::Shutdown();
  MusicPlayer::Terminate();
  MoviePlayer::Terminate();
  PlatformGraphicsShutdown();
  PlatformFileSystemShutdown();
  PlatformShutdown();
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(screenSaver), nullptr, 0);
  return s.exitCode;
}

int32_t ShutdownGame() {
  ClearRunStateBits(0xFFFFFFFFu);
  if (SceneView* view = GetSceneView()) view->ClearLayers();
  PathFinder::FreeLists();
  Input::Shutdown();
  FreeLayouts();
  // The character names records by pointer: it goes before them.
  DeleteCurrentCharacter();
  GetShellCommandHost().Reset();
  ClearExploredMasks();
  LocationHistory::Clear();
  ClearRecordLists();
  ClearGlobalSpotList();
  ClearMenuLists();
  ClearGlobalEntries();
  SetWindowModeLock(0);
  DataArchive::Close();
  SetListScrollPicture(nullptr);
  SetDialogGlobalPicture(nullptr);
  DeleteDialogPicturePool();
  ClearPrefsFile();
  ResetPauseOverlay();
  SetSceneView(nullptr);
  State().presenter.reset();
  MoviePlayer::SetMainWindow(nullptr);
  SetSoundWaitPump(nullptr);
  SetMainWindow(nullptr);
  FreeFrameClock();
  FreeBlitterTables();
  FreeMenus();
  ClearArchiveOnly();
  ClearAmbientSounds();
  PictureCache::Shutdown();
  SetStartupPools(nullptr, nullptr, nullptr);
  return 0;
}

void SetQuitExitCode(int32_t code) { State().exitCode = code; }
int32_t GetQuitExitCode() { return State().exitCode; }
HCURSOR GetGameCursor() { return State().gameCursor; }

ScreenPresenter* GetScreenPresenter() { return State().presenter.get(); }
void SetScreenPresenter(std::unique_ptr<ScreenPresenter> presenter) { State().presenter = std::move(presenter); }
