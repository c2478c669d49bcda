// The whole program run in-process for a measurement: WinMain on the scenario of a folder (its "cs.cfg"), with
// the player's settings in a folder of the run, and the measurement's work done between frames, from inside the
// main loop, once the scenario's records have loaded and the menus are made.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace bench {

struct ProgramRun {
  std::filesystem::path folder;  // holds "cs.cfg"
  bool headless = true;          // false: the window goes on the display (DISPLAY), as the player sees it
  unsigned period = 10;          // milliseconds between two calls of the step
  // Called from inside the main loop until it returns true; the program then quits. A step may run for as long
  // as it likes (a benchmark); it is never called again while it runs. The dialogs open once the program is ready
  // (a scenario's opening message, waiting for an answer) are closed without one before the first call, so that
  // the step finds the game's screen free; a dialog that opens while a step runs is closed at once, unanswered
  // (see DialogsClosedInStep), so that no step waits for an answer.
  std::function<bool()> step;
};

// Runs the program on the folder; its exit code, or -1 when the folder or the settings' folder could not be
// made ready.
int RunProgram(ProgramRun& run);

// How many dialogs opened while a step ran, each closed at once without an answer: a step that met one has not
// measured what it meant to (a fight that ended with the player's fall, say).
int DialogsClosedInStep();

// Whether the running program's main window exists.
bool MainWindowReady();

// A new game's player, as the game makes one without its dialogs: the scenario's default sprite, race and class,
// the global entries at their defaults, full stamina, the game in progress.
void StartNewGame();

// Takes the player to the location as a script's travel does; on a map the player comes in on the cell given
// (counted from 0), not by an edge. True when the location is then the current one.
bool TravelTo(const std::string& location, int32_t column = 0, int32_t row = 0);

}  // namespace bench
