// The kernel half of the host layer: process heap, thread-local slots, critical sections, mutexes, events,
// threads and waits, clocks and sleeping, modules and looked-up procedures, and the console-control hook.
//
// The calls keep their system names and meanings. What this platform cannot honour reports the documented
// failure value: threads cannot be suspended or terminated from outside (SuspendThread answers (DWORD)-1,
// TerminateThread FALSE). Thread priorities are recorded but do not change the scheduler. Error codes of failed
// calls (GetLastError) belong to the files layer (host/errors.h) and are not set here.
#pragma once

#include "host/types.h"

using LPSECURITY_ATTRIBUTES = void*;  // never examined: objects have no security descriptors here

// Process heap.
constexpr DWORD HEAP_ZERO_MEMORY = 0x00000008;

HANDLE GetProcessHeap();
LPVOID HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL HeapFree(HANDLE heap, DWORD flags, LPVOID memory);

// Thread-local slots.
constexpr DWORD TLS_OUT_OF_INDEXES = 0xFFFFFFFF;

DWORD TlsAlloc();
LPVOID TlsGetValue(DWORD index);
BOOL TlsSetValue(DWORD index, LPVOID value);
BOOL TlsFree(DWORD index);

// Critical sections: recursive for the thread that holds them.
struct CRITICAL_SECTION {
  void* lock;  // the host's lock object, made by InitializeCriticalSection
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// Waitable objects: mutexes, events and threads. Each handle is closed with CloseHandle; an object lives on
// while a wait on it is in progress.
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_ABANDONED = 0x00000080;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCSTR name);
BOOL ReleaseMutex(HANDLE mutex);
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
BOOL CloseHandle(HANDLE object);

// Threads.
using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);

constexpr DWORD CREATE_SUSPENDED = 0x00000004;
constexpr DWORD STILL_ACTIVE = 259;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;
constexpr int THREAD_PRIORITY_ERROR_RETURN = 0x7FFFFFFF;

// The stack size is a minimum; a thread made with CREATE_SUSPENDED starts at its first ResumeThread.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                    LPVOID parameter, DWORD flags, LPDWORD threadId);
HANDLE GetCurrentThread();  // a pseudo-handle meaning "the calling thread"; closing it does nothing
DWORD GetCurrentThreadId();
BOOL SetThreadPriority(HANDLE thread, int priority);
int GetThreadPriority(HANDLE thread);
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
DWORD SuspendThread(HANDLE thread);    // always (DWORD)-1: not possible here
DWORD ResumeThread(HANDLE thread);     // starts a thread made suspended; the previous suspend count
BOOL TerminateThread(HANDLE thread, DWORD exitCode);  // always FALSE: not possible here

// Atomic operations on 32-bit words.
LONG InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand);
LONG InterlockedExchangeAdd(LONG volatile* addend, LONG value);

// Clocks and sleeping. GetTickCount, timeGetTime and the performance counter (1 MHz) run on one monotonic clock;
// GetLocalTime reads the wall clock. The test seam can replace both with manual ones (host/testing.h).
DWORD GetTickCount();
DWORD timeGetTime();
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);
void GetLocalTime(SYSTEMTIME* time);
void Sleep(DWORD milliseconds);
DWORD SleepEx(DWORD milliseconds, BOOL alertable);  // no asynchronous calls are queued here: always 0

// Modules and procedures looked up by name. The modules are the program itself (a null name) and the system
// libraries whose calls this layer provides; GetProcAddress answers only for calls it implements, so callers
// take their paths for a missing function.
HMODULE GetModuleHandleA(LPCSTR moduleName);
FARPROC GetProcAddress(HMODULE module, LPCSTR procedureName);
// The program's path as "C:\folder\name" (the root of the file system is drive C:). A buffer too small gets
// the path cut and terminated, and the result is the buffer's size.
DWORD GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);
// Libraries loaded at run time: "RICHED20.DLL" (which registers the class "RichEdit20A") and "RICHED32.DLL"
// ("RICHEDIT"). Each load counts; the library's classes go when the last FreeLibrary lets it go. Null for a
// library this layer does not provide.
HMODULE LoadLibraryA(LPCSTR fileName);
BOOL FreeLibrary(HMODULE module);

// Unhandled exceptions. No filter can be installed here ("SetUnhandledExceptionFilter" is not among the
// procedures found by name), but the types let a filter be written and called.
constexpr LONG EXCEPTION_EXECUTE_HANDLER = 1;
constexpr LONG EXCEPTION_CONTINUE_SEARCH = 0;
constexpr LONG EXCEPTION_CONTINUE_EXECUTION = -1;
constexpr DWORD STATUS_CONTROL_C_EXIT = 0xC000013A;

struct EXCEPTION_RECORD {
  DWORD ExceptionCode;
  DWORD ExceptionFlags;
  EXCEPTION_RECORD* ExceptionRecord;
  LPVOID ExceptionAddress;
};
struct EXCEPTION_POINTERS {
  EXCEPTION_RECORD* ExceptionRecord;
  LPVOID ContextRecord;
};
using LPTOP_LEVEL_EXCEPTION_FILTER = LONG (*)(EXCEPTION_POINTERS* exceptionInfo);

// Console. SIGINT arrives as CTRL_C_EVENT, SIGHUP as CTRL_CLOSE_EVENT and SIGTERM as CTRL_SHUTDOWN_EVENT. The
// handlers run never inside the signal handler but on the thread that pumps messages, at its next look at the
// queue, last added first; when none answers TRUE the signal's default action ends the process. When the queue
// is not looked at within 40 ms of the signal, the signal's default action ends the process at once (no exit
// list, no destructors), and so it does a second after the signal when a handler's exit still runs.
constexpr DWORD CTRL_C_EVENT = 0;
constexpr DWORD CTRL_BREAK_EVENT = 1;
constexpr DWORD CTRL_CLOSE_EVENT = 2;
constexpr DWORD CTRL_LOGOFF_EVENT = 5;
constexpr DWORD CTRL_SHUTDOWN_EVENT = 6;

using PHANDLER_ROUTINE = BOOL (*)(DWORD controlType);

BOOL SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add);
// The console title is kept by this layer; a process starts with none, and GetConsoleTitleA then answers 0.
DWORD GetConsoleTitleA(LPSTR title, DWORD size);
BOOL SetConsoleTitleA(LPCSTR title);
