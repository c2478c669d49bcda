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
  BOOL screenSaver = FALSE;  // the screen saver's setting before the program started
  bool ending = false;       // the game's data is being freed, or has been
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
  State().ending = true;
  ShutdownGame();
  SetCursor(nullptr);
  return true;
}

// The shut-down after the game's data is freed: the sounds, the music and the movies, the framework, and the
// screen saver's setting put back.
void ShutDownServices() {
  SoundSystem::Shutdown();
  MusicPlayer::Terminate();
  MoviePlayer::Terminate();
  PlatformGraphicsShutdown();
  PlatformFileSystemShutdown();
  PlatformShutdown();
  SystemParametersInfoA(SPI_SETSCREENSAVEACTIVE, static_cast<UINT>(State().screenSaver), nullptr, 0);
}

// A control signal (an interrupt, the console or session closing) ends the process through the framework's own
// handler, whose exit runs the exit list and then destroys every static object. Before that, the game is taken
// down here as the File menu's Exit takes it down after the main loop: its data freed in order, then the sounds,
// music, movies and the framework. Left to the static destructors, a location freed by its list would still draw
// into layers and regions whose scratch storage was already gone. This runs on the thread that pumps messages, at
// its next look at the queue, wherever the game stands (a dialog, a script, the loading of a map): nothing returns
// to it afterwards, since the exit follows at once.
BOOL EndProgramOnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  ProgramState& s = State();
  if (!s.ending) {
    s.ending = true;
    ShutdownGame();
    ShutDownServices();
  }
  return FALSE;  // the framework's handler, next in line, ends the process
}

}  // namespace

int WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  ProgramState& s = State();
  s.exitCode = 1;
  s.ending = false;
  s.gameCursor = LoadCursorA(nullptr, IDC_ARROW);
  SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));
  PlatformStartup();
  // Added after the framework's handler, so that it runs first.
  SetConsoleCtrlHandler(EndProgramOnConsoleEvent, TRUE);
  PlatformFileSystemStartup();
  PlatformGraphicsStartup();
  SetCursor(LoadCursorA(nullptr, IDC_APPSTARTING));

  s.screenSaver = FALSE;
  SystemParametersInfoA(SPI_GETSCREENSAVEACTIVE, 0, &s.screenSaver, 0);
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
    s.ending = true;
    ShutdownGame();
  }

  ShutDownServices();
  SetConsoleCtrlHandler(EndProgramOnConsoleEvent, FALSE);
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
