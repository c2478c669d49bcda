// The program's entry point: hands over to WinMain with the program's own module as its instance.
#include "game/shell/main_function.h"
#include "host/kernel.h"

int main() { return WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, 1); }
