// A display of a test's own: an X server that draws into memory, started for the test and ended with it, for what
// happens only where windows reach a display (the video library's own connections, helper programs with windows).
// Tests skip where no such server is installed.
#pragma once

#include <sys/types.h>

#include <string>

class VirtualDisplay {
 public:
  // Starts the server with one screen of that size and waits until it takes connections.
  explicit VirtualDisplay(int width = 1280, int height = 1024);
  ~VirtualDisplay();
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool Ready() const { return !name_.empty(); }
  const std::string& Name() const { return name_; }  // the value of DISPLAY, ":N"

 private:
  pid_t server_ = -1;
  std::string name_;
};
