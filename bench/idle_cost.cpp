// The cost of doing nothing: the real program on the demo scenario, on the real clock, with a new game started
// and the player on the still screen the game's "Main" event leads to (the village), the theme playing. After
// five seconds of settling it is measured over twenty: the process's processor time (all threads: the main loop,
// the music's decoding and mixing, the framework's timer task) over the wall time, in five windows of four
// seconds. With a display (run it under xvfb-run) the window goes on the display at the game's 30 frames a
// second; without one the program runs headless.
//
// The reference, in the same run, before the program and in a process of its own: a loop that only waits for the
// same 33.333 ms frame deadlines and polls an SDL window's events, settled and measured the same way: the floor
// no frame-paced program can go under. The table gives the medians of the five windows, their spread, their
// ratio, and holds the program under 1 % of a core.
// Not a Google Benchmark: each figure is a whole program measured over time. The run fails when either side could
// not be measured, or when the program was not measured where "Main" took it, with the theme playing.
//
// With --smoke the same runs headless for a moment (windows of a tenth of a second after a fifth of settling, the
// program's step every tenth of a second): everything is reached and checked, and no figure means anything.
//
// Usage: idle_cost [--smoke] [seconds a window]
//        (idle_cost --waiting-loop <seconds a window> <seconds of settling> is the reference's own process)
#include <SDL.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "bench/running_program.h"
#include "game/rules/script_event.h"
#include "game/shell/data/data_paths.h"
#include "game/shell/media/music_player.h"
#include "game/world/location.h"

namespace {

constexpr double kBudget = 0.01;  // of a core
constexpr int kWindows = 5;
constexpr long kFrameNanoseconds = 33333333;

// How long each side settles and is measured, and how often the program's step looks at it.
struct Timing {
  double window = 4;     // seconds a window
  double settle = 5;     // seconds before the first window
  unsigned period = 1000;  // milliseconds between the program's steps
};

double Seconds(clockid_t clock) {
  timespec now;
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// Processor time of the whole process, every thread counted.
double ProcessSeconds() { return Seconds(CLOCK_PROCESS_CPUTIME_ID); }

// Measuring windows one after another: each one's share of a core.
class Windows {
 public:
  explicit Windows(double seconds) : seconds_(seconds) {}
  void Start() {
    wallStart_ = Seconds(CLOCK_MONOTONIC);
    processStart_ = ProcessSeconds();
  }
  // Ends the window when its time has passed and starts the next; true once all are done.
  bool Poll() {
    const double wall = Seconds(CLOCK_MONOTONIC) - wallStart_;
    if (wall < seconds_) return false;
    shares_.push_back((ProcessSeconds() - processStart_) / wall);
    wall_ += wall;
    Start();
    return Done();
  }
  bool Done() const { return static_cast<int>(shares_.size()) >= kWindows; }
  double Median() const {
    std::vector<double> sorted = shares_;
    std::sort(sorted.begin(), sorted.end());
    return sorted.empty() ? 0 : sorted[sorted.size() / 2];
  }
  double Wall() const { return wall_; }
  const std::vector<double>& Shares() const { return shares_; }

 private:
  double seconds_;
  double wallStart_ = 0, processStart_ = 0, wall_ = 0;
  std::vector<double> shares_;
};

// The processor time of each thread of the process so far (nanoseconds), by the thread's name.
std::map<std::string, double> ThreadSeconds() {
  std::map<std::string, double> seconds;
  std::error_code code;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", code)) {
    std::ifstream name(task.path() / "comm"), stat(task.path() / "schedstat");
    std::string thread;
    double nanoseconds = 0;
    if (std::getline(name, thread) && (stat >> nanoseconds)) seconds[thread] += nanoseconds * 1e-9;
  }
  return seconds;
}

// The program, from its title: a new game, the player taken where "Main" leads, the theme played when nothing
// plays yet; the settling, then the windows.
struct ProgramIdle {
  explicit ProgramIdle(const Timing& timing) : windows(timing.window), settle(timing.settle) {}
  bool Step() {
    if (!started) {
      // The title screen waits for a click on one of its buttons: the game begins here as its new game would.
      started = true;
      bench::StartNewGame();
      CallEventName("Main");
      mainPlace = GetCurrentLocation() != nullptr ? GetCurrentLocation()->GetName() : "";
      if (CurrentMusicName().empty()) {
        std::string theme;
        MusicPath(theme, "Theme", "");
        PlayMusic(theme);
      }
      settledAt = Seconds(CLOCK_MONOTONIC) + settle;
      return false;
    }
    if (!measuring) {
      if (Seconds(CLOCK_MONOTONIC) < settledAt) return false;
      measuring = true;
      threadsBefore = ThreadSeconds();
      windows.Start();
      return false;
    }
    if (!windows.Poll()) return false;
    threads = ThreadSeconds();
    for (const auto& [name, before] : threadsBefore) threads[name] -= before;
    place = GetCurrentLocation() != nullptr ? GetCurrentLocation()->GetName() : "";
    music = CurrentMusicName();
    return true;
  }

  // Why the measurement is not of the program idle where "Main" took it, or empty when it is.
  std::string Failure() const {
    if (mainPlace.empty()) return "\"Main\" took the game to no place";
    if (place != mainPlace) return "the game left \"" + mainPlace + "\" for \"" + place + "\" while measured";
    if (music.empty()) return "no music played";
    if (bench::DialogsClosedInStep() != 0) return "a message opened while the program was measured";
    return "";
  }

  Windows windows;
  double settle;
  bool started = false, measuring = false;
  double settledAt = 0;
  std::string mainPlace, place, music;
  std::map<std::string, double> threadsBefore, threads;  // processor seconds by thread name, over the windows
};

// The floor: a window's events polled at each frame deadline, and nothing else; settled as long as the
// program, then measured the same way.
Windows WaitingLoop(const Timing& timing, bool onDisplay) {
  Windows windows(timing.window);
  if (!onDisplay) SDL_SetHint(SDL_HINT_VIDEODRIVER, "dummy");
  if (SDL_Init(SDL_INIT_VIDEO) != 0) return windows;
  SDL_Window* window =
      SDL_CreateWindow("Idle reference", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, 640, 480, SDL_WINDOW_SHOWN);
  timespec deadline;
  clock_gettime(CLOCK_MONOTONIC, &deadline);
  const double settledAt = Seconds(CLOCK_MONOTONIC) + timing.settle;
  bool measuring = false;
  while (!windows.Done()) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    deadline.tv_nsec += kFrameNanoseconds;
    if (deadline.tv_nsec >= 1000000000) {
      deadline.tv_nsec -= 1000000000;
      ++deadline.tv_sec;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) != 0) {
    }
    if (measuring) {
      windows.Poll();
    } else if (Seconds(CLOCK_MONOTONIC) >= settledAt) {
      measuring = true;
      windows.Start();
    }
  }
  if (window != nullptr) SDL_DestroyWindow(window);
  SDL_Quit();
  return windows;
}

// The waiting loop in a process of its own (this program, asked for it), so that nothing of the game's is
// counted in it: its windows' shares, or none when it failed.
std::vector<double> WaitingLoopProcess(const Timing& timing) {
  char self[4096];
  const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
  if (length <= 0) return {};
  self[length] = '\0';
  const std::string command = "'" + std::string(self) + "' --waiting-loop " + std::to_string(timing.window) + " " +
                              std::to_string(timing.settle);
  FILE* child = popen(command.c_str(), "r");
  if (child == nullptr) return {};
  std::vector<double> shares;
  double share = 0;
  while (std::fscanf(child, "%lf", &share) == 1) shares.push_back(share);
  return pclose(child) == 0 ? shares : std::vector<double>{};
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

std::string Spread(const std::vector<double>& shares) {
  if (shares.empty()) return "";
  char text[64];
  std::snprintf(text, sizeof text, "%.3f to %.3f %%", 100 * *std::min_element(shares.begin(), shares.end()),
                100 * *std::max_element(shares.begin(), shares.end()));
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  const char* display = std::getenv("DISPLAY");
  bool onDisplay = display != nullptr && *display != '\0';
  if (argc > 3 && std::string(argv[1]) == "--waiting-loop") {
    const Timing timing{std::atof(argv[2]), std::atof(argv[3])};
    const Windows floor = WaitingLoop(timing, onDisplay);
    for (double share : floor.Shares()) std::printf("%.9f\n", share);
    return floor.Done() ? 0 : 1;
  }
  Timing timing;
  bool smoke = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--smoke") {
      smoke = true;
      timing = Timing{0.1, 0.2, 100};
      onDisplay = false;
    } else {
      timing.window = std::max(0.5, std::atof(argv[i]));
    }
  }
  if (!onDisplay) unsetenv("DISPLAY");

  // The reference first, so that the program's start-up leaves nothing behind in it.
  const std::vector<double> floor = WaitingLoopProcess(timing);
  if (floor.empty()) {
    std::fprintf(stderr, "idle_cost: the waiting loop could not be measured\n");
    return 1;
  }
  ProgramIdle idle(timing);
  bench::ProgramRun run;
  run.folder = KESTRIVAL_DEMO_FOLDER;
  run.headless = !onDisplay;
  run.period = timing.period;
  run.step = [&] { return idle.Step(); };
  const int code = bench::RunProgram(run);
  if (code != 0 || !idle.windows.Done()) {
    std::fprintf(stderr, "idle_cost: the program ended (code %d) before it was measured\n", code);
    return 1;
  }
  if (const std::string failure = idle.Failure(); !failure.empty()) {
    std::fprintf(stderr, "idle_cost: %s\n", failure.c_str());
    return 1;
  }

  const double ours = idle.windows.Median(), reference = Median(floor);
  std::printf("\nidle, %s: %d windows of %.1f s after %.1f s of settling; processor time (all threads) over wall time%s\n",
              onDisplay ? (std::string("on the display ") + display).c_str() : "headless", kWindows, timing.window,
              timing.settle, smoke ? " (smoke run: no figure means anything)" : "");
  std::printf("%-62s %10s  %s\n", "", "median", "windows");
  std::printf("%-62s %8.3f %%  %s\n",
              ("the program on \"" + idle.place + "\", music \"" + idle.music + "\"").c_str(), 100 * ours,
              Spread(idle.windows.Shares()).c_str());
  std::printf("%-62s %8.3f %%  %s\n", "a loop waiting for the same frame deadlines, polling events",
              100 * reference, Spread(floor).c_str());
  std::string threads;
  for (const auto& [name, spent] : idle.threads) {
    if (spent <= 0) continue;
    char share[96];
    std::snprintf(share, sizeof share, "%s%s %.3f %%", threads.empty() ? "" : ", ", name.c_str(),
                  100 * spent / idle.windows.Wall());
    threads += share;
  }
  std::printf("the program's threads: %s\n", threads.c_str());
  std::printf("ratio %.2fx; budget under %.0f %% of a core: %s\n", reference > 0 ? ours / reference : 0.0,
              100 * kBudget, smoke ? "not judged" : ours < kBudget ? "met" : "NOT met");
  return 0;
}
