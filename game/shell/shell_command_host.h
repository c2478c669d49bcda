// The shell's side of the game commands: the running game as the new, save, open, end and quit commands reach
// it (the main loop's running bit, the menus, the window, the character, the global entries, the locations and
// the picture pools).
#pragma once

#include "game/shell/game_commands.h"

// The one host the shell hands to the game commands.
GameCommandHost& GetShellCommandHost();
