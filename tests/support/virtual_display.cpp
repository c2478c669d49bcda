// Starting and ending the display server of a test: it chooses a free display number and writes it on a pipe once
// it takes connections.
#include "tests/support/virtual_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

extern char** environ;

namespace {

constexpr const char* kServer = "/usr/bin/Xvfb";
constexpr int kStartMilliseconds = 20000;

}  // namespace

VirtualDisplay::VirtualDisplay(int width, int height) {
  if (access(kServer, X_OK) != 0) return;
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0) return;
  std::string fd = std::to_string(pipeEnds[1]);
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  std::vector<std::string> arguments = {"Xvfb", "-displayfd", fd, "-screen", "0", screen, "-nolisten", "tcp",
                                        "-noreset"};
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  int failed = posix_spawn(&server_, kServer, &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (failed != 0) {
    server_ = -1;
    close(pipeEnds[0]);
    return;
  }
  std::string number;
  for (;;) {
    pollfd wait{pipeEnds[0], POLLIN, 0};
    if (poll(&wait, 1, kStartMilliseconds) <= 0) break;
    char c;
    if (read(pipeEnds[0], &c, 1) != 1 || c == '\n') break;
    number += c;
  }
  close(pipeEnds[0]);
  if (!number.empty()) name_ = ":" + number;
}

VirtualDisplay::~VirtualDisplay() {
  if (server_ <= 0) return;
  kill(server_, SIGTERM);
  int status = 0;
  waitpid(server_, &status, 0);
}
