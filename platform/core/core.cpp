// Start-up and shut-down of the framework core, the idle and exit procedure lists, the platform window and the
// handlers for console events and unhandled exceptions.
#include "platform/core/core.h"

#include <cstdlib>
#include <cstring>

#include "platform/core/clocks.h"
#include "platform/core/core_state.h"
#include "platform/core/global_lock.h"
#include "platform/core/random.h"
#include "platform/core/strings.h"
#include "platform/core/thread_layer.h"
#include "platform/core/timer_task.h"

namespace core_state {
TimerTask housekeepingTask;
std::atomic<bool> housekeepingRunning{false};
}  // namespace core_state

namespace {

constexpr const char* kPlatformWindowClass = "PLATFORM_WINDOW_CLASS";
const HWND kNoWindowYet = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));

bool started = false;
bool shuttingDown = false;
bool exitListRegistered = false;
HWND platformWindow = kNoWindowYet;
LPTOP_LEVEL_EXCEPTION_FILTER previousFilter = nullptr;

struct ProcList {
  PlatformProc procs[kPlatformProcListSize];
  int count;
};
ProcList idleProcs;
bool idleRunning[kPlatformProcListSize];
ProcList exitProcs;

PlatformError AddProc(ProcList& list, PlatformProc procedure) {
  for (int i = 0; i < list.count; ++i) {
    if (list.procs[i] == procedure) return kPlatformNoError;
  }
  if (list.count >= kPlatformProcListSize) return kPlatformErrListFull;
  list.procs[list.count++] = procedure;
  return kPlatformNoError;
}

// The console's window: the top-level window titled with a title made unique for the search. A process without
// a console title has no console window to find.
HWND FindConsoleWindow() {
  char oldTitle[1024];
  if (GetConsoleTitleA(oldTitle, sizeof oldTitle) == 0) return nullptr;
  char spaces[256];
  std::memset(spaces, ' ', 255);
  spaces[255] = 0;
  char searchTitle[1024];
  PlatformFormatString(searchTitle, sizeof searchTitle, "%s%s%ud", oldTitle, spaces,
                       static_cast<uint32_t>(PlatformMicroseconds()));
  SetConsoleTitleA(searchTitle);
  HWND found = nullptr;
  for (int attempt = 0; attempt < 10 && found == nullptr; ++attempt) {
    found = FindWindowA(nullptr, searchTitle);
    if (found == nullptr) Sleep(20);
  }
  SetConsoleTitleA(oldTitle);
  return found;
}

// A hidden window of the core's own class, titled with the program's file name.
HWND CreatePlatformWindow() {
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = PlatformWindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = CopyIcon(LoadCursorA(nullptr, IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<uintptr_t>(COLOR_WINDOW + 1));
  windowClass.lpszClassName = kPlatformWindowClass;
  if (RegisterClassA(&windowClass) == 0) return nullptr;
  char path[MAX_PATH] = "";
  GetModuleFileNameA(instance, path, sizeof path);
  const char* name = std::strrchr(path, '\\');
  name = name == nullptr ? path : name + 1;
  return CreateWindowExA(0, kPlatformWindowClass, name, 0, 32000, 32000, 100, 100, nullptr, nullptr, instance,
                         nullptr);
}

void ShutdownCoreAtExit() { PlatformShutdownCore(); }

}  // namespace

PlatformError PlatformStartup() {
  if (started) return kPlatformNoError;
  core_state::threadSlot = TlsAlloc();
  if (core_state::threadSlot == TLS_OUT_OF_INDEXES) return kPlatformErrNoMemory;
  core_state::EnsureGlobalLock();

  auto undo = [](PlatformError error) {
    TlsFree(core_state::threadSlot);
    core_state::threadSlot = TLS_OUT_OF_INDEXES;
    return error;
  };
  HMODULE kernel = GetModuleHandleA("kernel32.dll");
  FARPROC setFilter = GetProcAddress(kernel, "SetUnhandledExceptionFilter");
  core_state::interlockedCompareExchange = reinterpret_cast<core_state::CompareExchangeProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "InterlockedCompareExchange")));
  core_state::interlockedExchangeAdd = reinterpret_cast<core_state::ExchangeAddProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "InterlockedExchangeAdd")));

  if (platformWindow == kNoWindowYet) {
    HWND window = GetForegroundWindow();
    if (window == nullptr) window = FindConsoleWindow();
    if (window == nullptr) window = CreatePlatformWindow();
    if (window == nullptr) return undo(kPlatformErrSystem);
    platformWindow = window;
  }
  // Once per process, however often the core starts: the runtime's exit list need hold no more than 32
  // procedures, so a registration at every start would make a later start fail.
  if (!exitListRegistered) {
    if (std::atexit(ShutdownCoreAtExit) != 0) return undo(kPlatformErrNoMemory);
    exitListRegistered = true;
  }
  if (!SetConsoleCtrlHandler(PlatformConsoleCtrlHandler, TRUE)) return undo(kPlatformErrNoMemory);
  if (setFilter != nullptr) {
    auto install = reinterpret_cast<LPTOP_LEVEL_EXCEPTION_FILTER (*)(LPTOP_LEVEL_EXCEPTION_FILTER)>(
        reinterpret_cast<void (*)()>(setFilter));
    previousFilter = install(PlatformUnhandledExceptionFilter);
  }
  started = true;

  uint32_t seed = static_cast<uint32_t>(PlatformMicroseconds());
  uint32_t turn = GetTickCount() % 32;
  PlatformSetRandomSeed(turn == 0 ? seed : (seed << turn) | (seed >> (32 - turn)));

  PlatformError error = ThreadLayer::Startup(0, 0);
  if (error == kPlatformNoError) {
    error = TimerTask::Create(&core_state::housekeepingTask, nullptr, PlatformHousekeepingTask);
  }
  if (error != kPlatformNoError) {
    PlatformShutdown();
    return error;
  }
  core_state::housekeepingRunning = true;
  return kPlatformNoError;
}

void PlatformShutdown() {
  if (!started) return;
  PlatformShutdownCore();
  started = false;
}

bool PlatformIsStarted() { return started; }

void PlatformShutdownCore() {
  if (shuttingDown) return;
  shuttingDown = true;
  core_state::DropGlobalLock();
  while (exitProcs.count != 0) {
    PlatformProc procedure = exitProcs.procs[--exitProcs.count];
    if (procedure != nullptr) procedure();
  }
  // The housekeeping task's thread would otherwise outlive the core: still running while the process ends, it
  // would use what the exit has already torn down (a crash), and each new start would leave one more behind.
  core_state::housekeepingRunning = false;
  TimerTask::Dispose(&core_state::housekeepingTask);
  // The console handler goes with the core, so that a core started again has it once, not once per start.
  SetConsoleCtrlHandler(PlatformConsoleCtrlHandler, FALSE);
  if (core_state::threadSlot != TLS_OUT_OF_INDEXES) {
    TlsFree(core_state::threadSlot);
    core_state::threadSlot = TLS_OUT_OF_INDEXES;
  }
  shuttingDown = false;
}

PlatformError PlatformAddIdleProc(PlatformProc procedure) { return AddProc(idleProcs, procedure); }

PlatformError PlatformAddExitProc(PlatformProc procedure) { return AddProc(exitProcs, procedure); }

void PlatformRunIdleProcs() {
  for (int i = 0; i < idleProcs.count; ++i) {
    if (idleRunning[i] || idleProcs.procs[i] == nullptr) continue;
    idleRunning[i] = true;
    idleProcs.procs[i]();
    idleRunning[i] = false;
  }
}

void PlatformYield() {
  Sleep(0);
  PlatformRunIdleProcs();
}

void PlatformSleep(uint32_t milliseconds) {
  if (milliseconds != 0) SleepEx(milliseconds, TRUE);
}

HWND PlatformWindowHandle() { return platformWindow == kNoWindowYet ? nullptr : platformWindow; }

LRESULT PlatformWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_ENDSESSION && wParam != 0) PlatformShutdownCore();
  return DefWindowProcA(window, message, wParam, lParam);
}

BOOL PlatformConsoleCtrlHandler(DWORD controlType) {
  switch (controlType) {
    case CTRL_C_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // Runs the exit list, and with it the core's shut-down: never inside a signal handler, and in a program
      // that pumps messages on the thread that pumps them, between two messages.
      std::exit(0);
    default:
      return FALSE;
  }
}

LONG PlatformUnhandledExceptionFilter(EXCEPTION_POINTERS* exceptionInfo) {
  LONG answer = previousFilter != nullptr ? previousFilter(exceptionInfo) : EXCEPTION_EXECUTE_HANDLER;
  bool controlC = exceptionInfo != nullptr && exceptionInfo->ExceptionRecord != nullptr &&
                  exceptionInfo->ExceptionRecord->ExceptionCode == STATUS_CONTROL_C_EXIT;
  if (!(controlC && answer == EXCEPTION_CONTINUE_EXECUTION)) PlatformShutdown();
  return answer;
}

DWORD PlatformSuspendThread(HANDLE thread) { return SuspendThread(thread); }

DWORD PlatformResumeThread(HANDLE thread) { return ResumeThread(thread); }
