// Running one test of this program in a child process and watching it end.
#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace {

constexpr const char* kRoleVariable = "KESTRIVAL_TEST_CHILD_ROLE";
constexpr const char* kMark = "[child time mark ";

int64_t MonotonicMicroseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000000 + now.tv_nsec / 1000;
}

}  // namespace

const char* ChildRole() { return std::getenv(kRoleVariable); }

void MarkChildTime() {
  char line[64];
  int length = std::snprintf(line, sizeof line, "%s%lld]\n", kMark, static_cast<long long>(MonotonicMicroseconds()));
  // One write, unbuffered, so that the mark is out before whatever comes next.
  if (write(STDERR_FILENO, line, static_cast<size_t>(length)) < 0) return;
}

ChildOutcome RunTestInChild(const std::string& test, const std::string& role,
                            const std::vector<std::pair<std::string, std::string>>& environment, int seconds) {
  ChildOutcome outcome;
  int pipeEnds[2];
  if (pipe2(pipeEnds, O_CLOEXEC) != 0) return outcome;  // only the copies on its output and error are inherited
  std::vector<std::string> variables;
  // The role and the variables given replace any of the same name this process has.
  auto replaced = [&](const char* entry) {
    if (std::strncmp(entry, kRoleVariable, std::strlen(kRoleVariable)) == 0) return true;
    for (const auto& given : environment) {
      if (std::strncmp(entry, given.first.c_str(), given.first.size()) == 0 && entry[given.first.size()] == '=') {
        return true;
      }
    }
    return false;
  };
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (!replaced(*entry)) variables.emplace_back(*entry);
  }
  variables.push_back(std::string(kRoleVariable) + "=" + role);
  for (const auto& [name, value] : environment) variables.push_back(name + "=" + value);
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  std::string filter = "--gtest_filter=" + test;
  std::string program = "/proc/self/exe";
  char brief[] = "--gtest_brief=1";
  char* argv[] = {program.data(), filter.data(), brief, nullptr};

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
  pid_t child = 0;
  int failed = posix_spawn(&child, program.c_str(), &actions, nullptr, argv, envp.data());
  posix_spawn_file_actions_destroy(&actions);
  close(pipeEnds[1]);
  if (failed != 0) {
    close(pipeEnds[0]);
    return outcome;
  }
  outcome.started = true;

  // Reads until the child and everything it started have closed the pipe, or the time runs out.
  const int64_t giveUp = MonotonicMicroseconds() + int64_t{seconds} * 1000000;
  int64_t ended = 0;
  char buffer[4096];
  for (;;) {
    int64_t left = giveUp - MonotonicMicroseconds();
    if (left <= 0) {
      outcome.timedOut = true;
      kill(child, SIGKILL);
      break;
    }
    pollfd wait{pipeEnds[0], POLLIN, 0};
    if (poll(&wait, 1, static_cast<int>(left / 1000) + 1) <= 0) continue;
    ssize_t got = read(pipeEnds[0], buffer, sizeof buffer);
    if (got > 0) {
      outcome.output.append(buffer, static_cast<size_t>(got));
      continue;
    }
    ended = MonotonicMicroseconds();
    break;
  }
  close(pipeEnds[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  if (WIFEXITED(status)) {
    outcome.exited = true;
    outcome.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    outcome.signal = WTERMSIG(status);
  }
  size_t mark = outcome.output.rfind(kMark);
  if (mark != std::string::npos && ended != 0) {
    long long at = std::atoll(outcome.output.c_str() + mark + std::strlen(kMark));
    outcome.msAfterMark = static_cast<double>(ended - at) / 1000.0;
  }
  return outcome;
}

int WaitForProcess(pid_t process, int milliseconds) {
  for (int waited = 0; waited < milliseconds; waited += 10) {
    int status = 0;
    if (waitpid(process, &status, WNOHANG) == process) return status;
    struct timespec pause = {0, 10 * 1000 * 1000};
    nanosleep(&pause, nullptr);
  }
  return -1;
}

bool HasSanitizerReport(const std::string& output) {
  return output.find("Sanitizer") != std::string::npos || output.find("runtime error") != std::string::npos;
}
