// The program's entry point: hands over to WinMain with the program's own module as its instance.
#include "game/shell/main_function.h"
#include "host/kernel.h"

#ifdef KESTRIVAL_LEAK_SUPPRESSIONS
// The leak checker's options when the environment gives none: leaks inside system libraries are not the program's.
extern "C" const char* __lsan_default_options() { return "suppressions=" KESTRIVAL_LEAK_SUPPRESSIONS; }
#endif

int main() { return WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, 1); }
