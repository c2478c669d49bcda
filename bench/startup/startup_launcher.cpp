// The start-up launcher: how long the game takes from process start to the first frame of the screen it settles
// on once started (today the title screen, with its theme playing, after the loading screen), against a trivial
// SDL program that opens a window and presents that same screen the same way. Both run in turn, several times,
// headless (SDL's dummy video driver) and, when a display is given (for example under xvfb-run), on that display;
// the medians and their ratio are printed.
//
// The screen is taken from the game first: one run with the start-up probe keeping every new frame presented
// (the game uploads only what changed since the last frame, and the probe puts the parts together), ended once no
// new frame has come for two seconds; its last frame is the screen. Each timed run has the probe preloaded, which
// writes the moment of the first frame showing the screen to a pipe; the launcher waits on the pipe (at most 30
// seconds), then ends the program. The probe knows the screen by a grid of its pixels that the launcher writes
// beforehand, so that it adds next to nothing to either program.
//
// Both programs showing the same screen is the check that they did the same work; the launcher fails when either
// never showed it, and when the screen the game settled on is not the one it is meant to be: it must show the
// picture --screen names, by default the demo's title screen. With --smoke it runs
// each program once, headless only: everything is reached and checked, and no figure means anything.
//
//   startup_launcher [--smoke] [--runs N] [--game PATH] [--reference PATH] [--probe PATH] [--screen PATH]
#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct Settings {
  int runs = 7;
  bool smoke = false;
  std::string game = KESTRIVAL_STARTUP_GAME;
  std::string reference = KESTRIVAL_STARTUP_REFERENCE;
  std::string probe = KESTRIVAL_STARTUP_PROBE;
  std::string screen = KESTRIVAL_STARTUP_SCREEN;  // the picture the settled screen shows
  std::string home;      // the game's settings folder, made fresh
  std::string picture;   // the screen the game settles on, taken from it
  std::string expected;  // the probe's samples of the screen
};

constexpr uint32_t kStep = 4;

// The samples of a BMP picture: width, height and step, then every step-th pixel of every step-th row as
// 0x00RRGGBB. Empty when the picture cannot be read.
std::vector<uint32_t> Samples(const std::string& picture) {
  SDL_Surface* loaded = SDL_LoadBMP(picture.c_str());
  SDL_Surface* converted = loaded != nullptr ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0) : nullptr;
  SDL_FreeSurface(loaded);
  if (converted == nullptr) return {};
  std::vector<uint32_t> words{uint32_t(converted->w), uint32_t(converted->h), kStep};
  for (int y = 0; y < converted->h; y += kStep) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(converted->pixels) +
                                                        static_cast<ptrdiff_t>(y) * converted->pitch);
    for (int x = 0; x < converted->w; x += kStep) words.push_back(row[x] & 0xFFFFFF);
  }
  SDL_FreeSurface(converted);
  return words;
}

// Whether the screen shows the picture, at its own size, somewhere on it (below the menu strip, beside or above a
// border of the window): at least 99 in 100 of the picture's samples, as the probe tells a frame that shows the
// screen. Both pictures are BMP files.
bool ScreenShows(const std::string& screen, const std::string& picture) {
  SDL_Surface* loaded = SDL_LoadBMP(screen.c_str());
  SDL_Surface* shown = loaded != nullptr ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0) : nullptr;
  SDL_FreeSurface(loaded);
  const std::vector<uint32_t> expected = Samples(picture);
  bool shows = false;
  if (shown != nullptr && expected.size() > 3 && int(expected[0]) <= shown->w && int(expected[1]) <= shown->h) {
    const int width = int(expected[0]), height = int(expected[1]);
    for (int top = 0; !shows && top <= shown->h - height; ++top) {
      for (int left = 0; !shows && left <= shown->w - width; ++left) {
        size_t equal = 0, n = 3;
        for (int y = 0; y < height; y += kStep) {
          const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(shown->pixels) +
                                                              static_cast<ptrdiff_t>(top + y) * shown->pitch);
          for (int x = 0; x < width; x += kStep) equal += (row[left + x] & 0xFFFFFF) == expected[n++];
        }
        shows = equal * 100 >= (expected.size() - 3) * 99;
      }
    }
  }
  SDL_FreeSurface(shown);
  return shows;
}

// Writes the probe's samples of the picture (Samples).
bool WriteSamples(const std::string& picture, const std::string& path) {
  const std::vector<uint32_t> words = Samples(picture);
  if (words.empty()) return false;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) return false;
  const bool written = std::fwrite(words.data(), sizeof(uint32_t), words.size(), file) == words.size();
  return std::fclose(file) == 0 && written;
}

int64_t Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000000 + now.tv_nsec;
}

// Starts the program with the probe preloaded and the probe's settings given; its process, or 0.
pid_t Start(const Settings& settings, const std::vector<std::string>& command, const char* videoDriver,
            const std::vector<std::string>& probeSettings, int pipeEnd) {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("LD_PRELOAD=", 0) == 0 || entry.rfind("SDL_VIDEODRIVER=", 0) == 0 ||
        entry.rfind("KESTRIVAL_HOME=", 0) == 0 || entry.rfind("STARTUP_PROBE_", 0) == 0) {
      continue;
    }
    env.push_back(entry);
  }
  env.push_back("LD_PRELOAD=" + settings.probe);
  env.insert(env.end(), probeSettings.begin(), probeSettings.end());
  env.push_back("KESTRIVAL_HOME=" + settings.home);
  if (videoDriver != nullptr) env.push_back(std::string("SDL_VIDEODRIVER=") + videoDriver);
  std::vector<char*> envp, argv;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args = command;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (pipeEnd >= 0) posix_spawn_file_actions_adddup2(&actions, pipeEnd, 3);
  const std::string folder = std::filesystem::path(command[0]).parent_path().string();
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : 0;
}

void End(pid_t pid) {
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
}

// Runs the program once and gives the milliseconds to its first frame showing the screen, or a negative number.
double TimeToPicture(const Settings& settings, const std::vector<std::string>& command, const char* videoDriver) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  const int64_t start = Now();
  const pid_t pid = Start(settings, command, videoDriver,
                          {"STARTUP_PROBE_FD=3", "STARTUP_PROBE_EXPECTED=" + settings.expected}, fds[1]);
  close(fds[1]);
  double milliseconds = -1;
  if (pid != 0) {
    pollfd wait{fds[0], POLLIN, 0};
    int64_t shown = 0;
    if (poll(&wait, 1, 30000) == 1 && read(fds[0], &shown, sizeof shown) == sizeof shown) {
      milliseconds = static_cast<double>(shown - start) / 1e6;
    }
    End(pid);
  }
  close(fds[0]);
  return milliseconds;
}

// Runs the game with the probe keeping its frames until none has come for two seconds (at most 30 seconds in
// all); the last one is the screen the game settles on. False when the game showed nothing.
bool TakeSettledScreen(Settings& settings) {
  settings.picture = settings.home + "/settled-screen.bmp";
  const pid_t pid = Start(settings, {settings.game}, "dummy", {"STARTUP_PROBE_CAPTURE=" + settings.picture}, -1);
  if (pid == 0) return false;
  constexpr int64_t kQuiet = 2000000000, kLimit = 30000000000;
  const int64_t start = Now();
  int64_t changed = start;
  timespec seen{};
  off_t size = -1;
  while (Now() - start < kLimit && (size < 0 || Now() - changed < kQuiet)) {
    timespec pause{0, 50000000};
    nanosleep(&pause, nullptr);
    struct stat file {};
    if (stat(settings.picture.c_str(), &file) != 0) continue;
    if (file.st_mtim.tv_sec != seen.tv_sec || file.st_mtim.tv_nsec != seen.tv_nsec || file.st_size != size) {
      seen = file.st_mtim;
      size = file.st_size;
      changed = Now();
    }
  }
  End(pid);
  return size > 0;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values.empty() ? 0 : values[values.size() / 2];
}

// Runs both programs in turn and prints their medians; false when a run never showed the picture.
bool Measure(const Settings& settings, const char* label, const char* videoDriver) {
  std::vector<double> game, reference;
  // One run of each first, unmeasured, so that both find the files they read in the page cache.
  for (int run = -1; run < settings.runs; ++run) {
    const double r = TimeToPicture(settings, {settings.reference, settings.picture}, videoDriver);
    const double g = TimeToPicture(settings, {settings.game}, videoDriver);
    if (r < 0 || g < 0) {
      std::printf("%-10s %s never showed the picture\n", label, r < 0 ? "the reference" : "the game");
      return false;
    }
    if (run < 0) continue;
    reference.push_back(r);
    game.push_back(g);
  }
  const double ratio = Median(game) / Median(reference);
  std::printf("%-10s game %8.1f ms   reference %8.1f ms   ratio %5.2fx (budget <= 1.10x: %s)   median of %d\n", label,
              Median(game), Median(reference), ratio, ratio <= 1.10 ? "met" : "NOT met", settings.runs);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--smoke") {
      settings.smoke = true;
      settings.runs = 1;
      continue;
    }
    if (i + 1 == argc) {
      std::fprintf(stderr, "option %s needs a value\n", argv[i]);
      return 2;
    }
    const char* value = argv[++i];
    if (option == "--runs") settings.runs = std::max(1, std::atoi(value));
    else if (option == "--game") settings.game = value;
    else if (option == "--reference") settings.reference = value;
    else if (option == "--probe") settings.probe = value;
    else if (option == "--screen") settings.screen = value;
    else {
      std::fprintf(stderr, "unknown option %s\n", option.c_str());
      return 2;
    }
  }
  char home[] = "/tmp/kestrival-startup-XXXXXX";
  if (mkdtemp(home) == nullptr) return 1;
  settings.home = home;
  settings.expected = settings.home + "/expected-samples";
  if (!TakeSettledScreen(settings) || !WriteSamples(settings.picture, settings.expected)) {
    std::fprintf(stderr, "the game showed no screen to measure\n");
    std::filesystem::remove_all(settings.home);
    return 1;
  }
  if (!ScreenShows(settings.picture, settings.screen)) {
    std::fprintf(stderr, "the game settled on a screen that does not show %s\n", settings.screen.c_str());
    std::filesystem::remove_all(settings.home);
    return 1;
  }
  bool ok = Measure(settings, "headless", "dummy");
  if (settings.smoke) {
    std::printf("smoke run: one run of each, headless only; no figure means anything\n");
  } else if (std::getenv("DISPLAY") != nullptr) {
    ok = Measure(settings, "display", nullptr) && ok;
  } else {
    std::printf("display    skipped: no DISPLAY (run under xvfb-run -a for this figure)\n");
  }
  std::filesystem::remove_all(settings.home);
  return ok ? 0 : 1;
}
