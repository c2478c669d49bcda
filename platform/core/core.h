// The framework core: start-up and shut-down of the framework's process-wide services, the idle and exit
// procedure lists, the platform window, and the handlers for console events and unhandled exceptions.
//
// The main function starts the core first and stops it last; the file manager starts it too, so either may
// come first. Framework parts register their shut-down as exit procedures, which shut-down runs last-registered
// first; shut-down also runs at process exit, at the end of the session and on console close events.
#pragma once

#include "host/kernel.h"
#include "host/user.h"
#include "platform/core/platform_error.h"

using PlatformProc = void (*)();

PlatformError PlatformStartup();  // 0 at once when already started
void PlatformShutdown();          // when started: the shut-down body, then not started
bool PlatformIsStarted();
void PlatformShutdownCore();      // the shut-down body; running it again does nothing more

// Fixed lists of 50 procedures each; a procedure already listed is not added again; -7001 when full.
constexpr int kPlatformProcListSize = 50;
PlatformError PlatformAddIdleProc(PlatformProc procedure);
PlatformError PlatformAddExitProc(PlatformProc procedure);
// Calls each idle procedure in list order, skipping one whose previous call has not returned.
void PlatformRunIdleProcs();
void PlatformYield();                      // gives up the processor, then runs the idle procedures
void PlatformSleep(uint32_t milliseconds);  // 0 does nothing

// The platform window: the foreground window at start-up, else the console's window, else a hidden window of
// the class "PLATFORM_WINDOW_CLASS" made by the core. Null when there is none.
HWND PlatformWindowHandle();
LRESULT PlatformWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PlatformConsoleCtrlHandler(DWORD controlType);
LONG PlatformUnhandledExceptionFilter(EXCEPTION_POINTERS* exceptionInfo);

// Threads cannot be suspended on this platform: PlatformSuspendThread answers (DWORD)-1.
DWORD PlatformSuspendThread(HANDLE thread);
DWORD PlatformResumeThread(HANDLE thread);
