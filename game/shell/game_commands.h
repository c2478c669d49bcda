// The game commands that the shell's menus reach: quitting the game. Starting, saving, opening and ending games
// come with the saved-game work.
#pragma once

// Greys the menus, runs "QuitGame", ends the game in progress (its locations are left and its masks freed) and
// ends the main loop.
void QuitGameCommand();
