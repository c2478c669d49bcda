// The cost of doing nothing: the real program on the demo scenario, headless and on the real clock, sits on its
// start-up screen for ten seconds while this measures the process's processor time (all threads) over the wall
// time. In the same run a loop that only sleeps to the same 33.333 ms deadlines is measured the same way, as the
// floor no frame-paced program can go under. Not a Google Benchmark: the figure is one run of a whole program.
//
// Usage: idle_cost [demo folder] [seconds]   (the folder defaults to the demo the build writes beside the game)
#include <stdlib.h>
#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "game/shell/main_function.h"
#include "game/shell/main_loop.h"
#include "host/kernel.h"
#include "host/testing.h"
#include "host/user.h"
#include "platform/core/file_manager.h"

namespace {

double Seconds(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Processor time of the whole process, every thread counted.
double ProcessSeconds() { return Seconds(CLOCK_PROCESS_CPUTIME_ID); }

struct Window {
  double wallStart = 0, processStart = 0;
  double wall = 0, process = 0;
  double Share() const { return wall > 0 ? process / wall : 0; }
};

Window measured;
double measureSeconds = 10;
bool measuring = false;

// Once a second: the first tick that finds the main loop running starts the measurement; the tick after the
// time has passed ends it and the program.
void Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!measuring) {
    if ((GetRunState() & kRunRunning) == 0 || (GetRunState() & kRunRecordsLoaded) == 0) return;
    measuring = true;
    measured.wallStart = Seconds(CLOCK_MONOTONIC);
    measured.processStart = ProcessSeconds();
    return;
  }
  double wall = Seconds(CLOCK_MONOTONIC) - measured.wallStart;
  if (wall < measureSeconds) return;
  measured.wall = wall;
  measured.process = ProcessSeconds() - measured.processStart;
  PostQuitMessage(0);
}

// The floor: sleeping to each 33.333 ms deadline and nothing else.
Window SleepingLoop(double seconds) {
  Window window;
  window.wallStart = Seconds(CLOCK_MONOTONIC);
  window.processStart = ProcessSeconds();
  timespec deadline;
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  const long period = 33333333;
  for (int frame = 0; frame < static_cast<int>(seconds * 30); ++frame) {
    deadline.tv_nsec += period;
    if (deadline.tv_nsec >= 1000000000) {
      deadline.tv_nsec -= 1000000000;
      ++deadline.tv_sec;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) != 0) {
    }
  }
  window.wall = Seconds(CLOCK_MONOTONIC) - window.wallStart;
  window.process = ProcessSeconds() - window.processStart;
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path folder = argc > 1 ? argv[1] : KESTRIVAL_DEMO_FOLDER;
  if (argc > 2) measureSeconds = std::atof(argv[2]);
  if (!std::filesystem::exists(folder / "cs.cfg")) {
    std::fprintf(stderr, "idle_cost: no demo scenario in %s\n", folder.c_str());
    return 2;
  }
  // The player's settings stay untouched: special folders go to a folder of this run.
  char home[] = "/tmp/kestrival-idle-XXXXXX";
  if (mkdtemp(home) == nullptr) return 2;
  setenv("KESTRIVAL_HOME", home, 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  HostTestSetHeadless(true);

  if (PlatformFileSystemStartup() != kPlatformNoError) return 2;
  FolderRef root = 0;
  std::string posix = "/C" + std::filesystem::absolute(folder).string();
  if (PlatformResolveFolder(0, posix.c_str(), &root) != kPlatformNoError ||
      PlatformSetDefaultFolder(root, static_cast<const char*>(nullptr)) != kPlatformNoError) {
    return 2;
  }
  SetTimer(nullptr, 0, 1000, Tick);
  int code = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, 1);
  std::filesystem::remove_all(home);
  if (!measuring || measured.wall == 0) {
    std::fprintf(stderr, "idle_cost: the program ended (code %d) before it was measured\n", code);
    return 1;
  }
  Window floor = SleepingLoop(measureSeconds);
  std::printf("program on its start-up screen: %.3f s of processor over %.3f s: %.2f %% of a core\n",
              measured.process, measured.wall, 100 * measured.Share());
  std::printf("loop sleeping to the same deadlines: %.3f s of processor over %.3f s: %.2f %% of a core\n",
              floor.process, floor.wall, 100 * floor.Share());
  return 0;
}
