// Tests whose subject ends the process (a console signal, a file-size limit, a forked box process) run in a
// child: the test program starts itself again with a filter naming one test and a variable that tells that test
// it is the child. The parent reads what the child wrote, how it ended, and how long after the child's last time
// mark it was gone.
#pragma once

#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

// The value of the child's variable, or null when this process is not a child run by RunTestInChild (the test
// then skips: it is only the child's half of another test).
const char* ChildRole();

// Writes a time mark (the monotonic clock) to standard error; the parent measures the child's end from the last.
void MarkChildTime();

struct ChildOutcome {
  bool started = false;
  bool timedOut = false;      // killed by the parent after the time allowed
  bool exited = false;
  int exitCode = -1;
  int signal = 0;             // the signal that ended it, when it did not exit
  std::string output;         // standard output and standard error together
  double msAfterMark = -1;    // from the child's last time mark to its end; -1 without a mark
};

// Runs `test` ("Suite.Name") of this program as a child with `role` as its variable's value and the extra
// environment given (replacing variables of the same names); waits for it for at most `seconds`.
ChildOutcome RunTestInChild(const std::string& test, const std::string& role,
                            const std::vector<std::pair<std::string, std::string>>& environment = {},
                            int seconds = 60);

// Waits for a process this one reaps for at most `milliseconds`, looking every 10 ms; its wait status, or -1 when it
// is still there.
int WaitForProcess(pid_t process, int milliseconds);

// Whether the output holds a sanitizer's report.
bool HasSanitizerReport(const std::string& output);
