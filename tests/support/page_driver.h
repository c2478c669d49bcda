// Markup pages driven as a program drives them: the page opener (a window of its own at the layout size, owned by
// the page), headless windows, the manual clock, a callback that records every message and answers as a test
// tells it, input through the test seam and the last frame shown. Page folders are written with the scenario
// writer into a temporary folder.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/testing.h"
#include "platform/markup/interface_page.h"
#include "tests/support/temp_folder.h"
#include "tools/page_viewer/page_window.h"
#include "tools/scenario_writer/page_writer.h"

// One callback the page made.
struct PageCallRecord {
  int32_t message;
  std::string section;  // "" for none
  int32_t element;      // -1 for none
  std::string name;     // the element's NAME, "" for none
};

class PageDriver {
 public:
  PageDriver();
  ~PageDriver();
  PageDriver(const PageDriver&) = delete;
  PageDriver& operator=(const PageDriver&) = delete;

  // Writes a page folder under the temporary folder; returns the file manager's path text of the folder.
  std::string WritePages(const std::string& relative, const std::string& markup,
                         const std::vector<scenario_writer::PageFile>& files = {});
  // The path text of an item under the temporary folder.
  std::string PathOf(const std::string& relative) const;
  PlatformError Open(const std::string& pathText, const char* section = nullptr);

  // Passes of the program's loop: messages taken, translated and dispatched, then the idle procedures.
  void Pump(int passes = 1);
  void Advance(DWORD milliseconds);  // the manual clock

  // Input at client points of the page window, and keys to the active window; each is pumped.
  void Click(int x, int y);
  void Press(int x, int y);
  void Release(int x, int y);
  void Move(int x, int y);
  void Key(int virtualKey, const char* text = nullptr);

  bool Frame(HostFrame* frame) const;
  uint32_t PixelAt(int x, int y) const;  // of the last frame, 0x00RRGGBB

  // What the callback heard (idle ticks only when asked for), and what it answers per message (0 when not told).
  std::vector<PageCallRecord> calls;
  bool recordIdle = false;
  std::function<void(int32_t message)> react;  // runs inside the callback, after the call is recorded
  std::map<int32_t, int32_t> answers;
  std::vector<int32_t> Messages() const;
  std::vector<int32_t> MessagesSince(size_t first) const;

  InterfacePage* Page() const { return window_->Page(); }
  HWND Window() const { return window_->Window(); }
  const char* Result() const { return window_->Result(); }
  bool IsOpen() const { return window_->IsOpen(); }
  const TempFolder& Folder() const { return folder_; }

 private:
  static int32_t Record(InterfacePage* page, void* userData, int32_t message, const char* section,
                        int32_t elementIndex, const char* elementName);

  TempFolder folder_;
  std::unique_ptr<PageWindow> window_;
};
