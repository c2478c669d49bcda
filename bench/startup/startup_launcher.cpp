// The start-up launcher: how long the game takes from process start to the first frame that shows its loading
// picture, against a trivial SDL program that opens a window and presents the same picture the same way. Both run
// in turn, several times, headless (SDL's dummy video driver) and, when a display is given (for example under
// xvfb-run), on that display; the medians and their ratio are printed.
//
// Each program runs with the start-up probe preloaded, which writes the moment of that first frame to a pipe;
// the launcher waits on the pipe (at most 30 seconds), then ends the program. The probe knows the picture by a
// grid of its pixels that the launcher writes beforehand, so that it adds next to nothing to either program.
//
//   startup_launcher [--runs N] [--game PATH] [--reference PATH] [--probe PATH] [--picture PATH]
#include <SDL.h>
#include <fcntl.h>
#include <poll.h>
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
  std::string game = KESTRIVAL_STARTUP_GAME;
  std::string reference = KESTRIVAL_STARTUP_REFERENCE;
  std::string probe = KESTRIVAL_STARTUP_PROBE;
  std::string picture = KESTRIVAL_STARTUP_PICTURE;
  std::string home;      // the game's settings folder, made fresh
  std::string expected;  // the probe's samples of the picture
};

// Writes the probe's samples of the picture: width, height and step, then every step-th pixel of every step-th
// row as 0x00RRGGBB.
bool WriteSamples(const std::string& picture, const std::string& path) {
  constexpr uint32_t kStep = 4;
  SDL_Surface* loaded = SDL_LoadBMP(picture.c_str());
  SDL_Surface* converted = loaded != nullptr ? SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_RGB888, 0) : nullptr;
  SDL_FreeSurface(loaded);
  if (converted == nullptr) return false;
  std::vector<uint32_t> words{uint32_t(converted->w), uint32_t(converted->h), kStep};
  for (int y = 0; y < converted->h; y += kStep) {
    const auto* row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(converted->pixels) +
                                                        static_cast<ptrdiff_t>(y) * converted->pitch);
    for (int x = 0; x < converted->w; x += kStep) words.push_back(row[x] & 0xFFFFFF);
  }
  SDL_FreeSurface(converted);
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

// Runs the program once and gives the milliseconds to its first frame showing the picture, or a negative number.
double TimeToPicture(const Settings& settings, const std::vector<std::string>& command, const char* videoDriver) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return -1;
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string entry = *e;
    if (entry.rfind("LD_PRELOAD=", 0) == 0 || entry.rfind("SDL_VIDEODRIVER=", 0) == 0 ||
        entry.rfind("KESTRIVAL_HOME=", 0) == 0) {
      continue;
    }
    env.push_back(entry);
  }
  env.push_back("LD_PRELOAD=" + settings.probe);
  env.push_back("STARTUP_PROBE_FD=3");
  env.push_back("STARTUP_PROBE_EXPECTED=" + settings.expected);
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
  posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
  const std::string folder = std::filesystem::path(command[0]).parent_path().string();
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  pid_t pid = 0;
  const int64_t start = Now();
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  double milliseconds = -1;
  if (spawned == 0) {
    pollfd wait{fds[0], POLLIN, 0};
    int64_t shown = 0;
    if (poll(&wait, 1, 30000) == 1 && read(fds[0], &shown, sizeof shown) == sizeof shown) {
      milliseconds = static_cast<double>(shown - start) / 1e6;
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  close(fds[0]);
  return milliseconds;
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
  std::printf("%-10s game %8.1f ms   reference %8.1f ms   ratio %5.2fx (goal <= 1.10x: %s)   median of %d\n", label,
              Median(game), Median(reference), ratio, ratio <= 1.10 ? "met" : "NOT met", settings.runs);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Settings settings;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--runs") settings.runs = std::max(1, std::atoi(argv[i + 1]));
    else if (option == "--game") settings.game = argv[i + 1];
    else if (option == "--reference") settings.reference = argv[i + 1];
    else if (option == "--probe") settings.probe = argv[i + 1];
    else if (option == "--picture") settings.picture = argv[i + 1];
    else {
      std::fprintf(stderr, "unknown option %s\n", argv[i]);
      return 2;
    }
  }
  char home[] = "/tmp/kestrival-startup-XXXXXX";
  if (mkdtemp(home) == nullptr) return 1;
  settings.home = home;
  settings.expected = settings.home + "/expected-samples";
  if (!WriteSamples(settings.picture, settings.expected)) {
    std::fprintf(stderr, "cannot read the picture %s\n", settings.picture.c_str());
    return 1;
  }
  bool ok = Measure(settings, "headless", "dummy");
  if (std::getenv("DISPLAY") != nullptr) {
    ok = Measure(settings, "display", nullptr) && ok;
  } else {
    std::printf("display    skipped: no DISPLAY (run under xvfb-run -a for this figure)\n");
  }
  std::filesystem::remove_all(settings.home);
  return ok ? 0 : 1;
}
