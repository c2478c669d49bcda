// The whole program run in-process for a measurement.
#include "bench/running_program.h"

#include <stdlib.h>

#include <string>

#include "game/dialogs/dialog.h"
#include "game/dialogs/modal_dialog_driver.h"
#include "game/rules/action_handlers.h"
#include "game/rules/character.h"
#include "game/rules/script_action.h"
#include "game/shell/game_commands.h"
#include "game/shell/main_function.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/menus.h"
#include "game/shell/shell_command_host.h"
#include "game/world/location.h"
#include "game/world/tile_map.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/user.h"
#include "platform/core/file_manager.h"

namespace bench {

namespace {

ProgramRun*& CurrentRun() {
  static ProgramRun* run = nullptr;
  return run;
}

// Takes the place of a dialog's loop while a step runs: the dialog is left unanswered (and deleted), and counted.
class ClosingDriver : public ModalDialogDriver {
 public:
  void Drive(Dialog&) override { ++closed; }
  int closed = 0;
};

ClosingDriver& StepDriver() {
  static ClosingDriver driver;
  return driver;
}

void StepTick(HWND, UINT, UINT_PTR, DWORD) {
  static bool busy = false;
  static bool started = false;
  ProgramRun* run = CurrentRun();
  if (run == nullptr || busy || !MainWindowReady()) return;
  if (GetAcceleratorTable() == nullptr || (GetRunState() & kRunRecordsLoaded) == 0) return;
  if ((GetRunState() & kRunRunning) == 0) return;
  if (!started) {
    // The top dialog closes; its loop ends once this call has returned, and the next call takes the one below.
    if (!OpenDialogs().empty()) {
      OpenDialogs().back()->Close();
      return;
    }
    started = true;
  }
  busy = true;
  ModalDialogDriver* before = GetModalDialogDriver();
  SetModalDialogDriver(&StepDriver());
  const bool done = run->step();
  SetModalDialogDriver(before);
  if (done) {
    CurrentRun() = nullptr;
    PostQuitMessage(0);
  }
  busy = false;
}

}  // namespace

int DialogsClosedInStep() { return StepDriver().closed; }

bool MainWindowReady() {
  MainWindow* window = GetMainWindow();
  return window != nullptr && window->IsCreated();
}

void StartNewGame() {
  ShellCommandHost& host = GetShellCommandHost();
  host.CreateCharacter();
  SetPlayerSpriteName(host, "");
  host.ResetGlobalEntries();
  host.AssignMissingRaceAndClass();
  Character* player = GetCurrentCharacter();
  player->SetName("Wren");
  if (player->base.maxStamina <= 0) player->base.maxStamina = 20;
  player->RecalculateStats();
  player->stamina = player->current.maxStamina;
  host.SetGameInProgress(true);
}

bool TravelTo(const std::string& location, int32_t column, int32_t row) {
  if (Character* player = GetCurrentCharacter()) player->SetPosition(column, row);
  SetPendingExit(kNoExit);
  ScriptAction travel;
  travel.actionName = "Teleport";
  travel.params = {location};
  RunTravelAction(travel);
  const Location* here = GetCurrentLocation();
  return here != nullptr && here->GetName() == location;
}

int RunProgram(ProgramRun& run) {
  // The player's settings stay untouched: special folders go to a folder of this run.
  char home[] = "/tmp/kestrival-bench-XXXXXX";
  if (mkdtemp(home) == nullptr) return -1;
  setenv("KESTRIVAL_HOME", home, 1);
  if (getenv("SDL_AUDIODRIVER") == nullptr) setenv("SDL_AUDIODRIVER", "dummy", 1);
  HostTestSetHeadless(run.headless);
  FolderRef root = 0;
  const std::string posix = "/C" + std::filesystem::absolute(run.folder).string();
  int code = -1;
  if (PlatformFileSystemStartup() == kPlatformNoError && PlatformResolveFolder(0, posix.c_str(), &root) == kPlatformNoError &&
      PlatformSetDefaultFolder(root, static_cast<const char*>(nullptr)) == kPlatformNoError) {
    CurrentRun() = &run;
    SetTimer(nullptr, 0, run.period, StepTick);
    code = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, 1);
    CurrentRun() = nullptr;
  }
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return code;
}

}  // namespace bench
