// The whole program run in-process on a test's steps: WinMain runs from "cs.cfg" of a folder, and a thread timer
// set before the run does the test's work between frames, inside the main loop, one step at a time once the
// scenario's records have loaded and the menus are made.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace test_support {

// One piece of the test's work; true when it is done (else it is tried again on the next tick).
using ProgramStep = std::function<bool()>;

struct ProgramSteps {
  std::vector<ProgramStep> list;
  size_t next = 0;
  int ticks = 0;
  // A game that ignores the steps still ends: after this many ticks it is made to quit with code 7.
  int tickLimit = 600;
  bool busy = false;  // a step that pumps messages (a chooser, a dialog, a fade) must not start the next one
};

// Makes the folder (a POSIX path) the default folder and runs the program on the steps; the program's exit code.
int RunProgramSteps(const std::string& folder, ProgramSteps& steps);

}  // namespace test_support
