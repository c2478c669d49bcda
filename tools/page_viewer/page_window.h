// The opener of markup pages: a top-level "interface_tool_closebox" window of its own sized to the page's layout,
// a page attached to it (the page owns the window), the file or folder opened in it, and the message loop that
// runs it. The page viewer is this opener as a program; the tests drive pages through it.
#pragma once

#include "platform/core/file_ref.h"
#include "platform/markup/interface_page.h"

class PageWindow {
 public:
  // Starts the page facility; the callback hears every page message.
  PageWindow(InterfacePageCallback callback, void* userData);
  ~PageWindow();  // closes the page, which destroys its window
  PageWindow(const PageWindow&) = delete;
  PageWindow& operator=(const PageWindow&) = delete;

  // Opens the markup file or folder (path text relative to the folder) at the section (the first when none),
  // making the window and the page the first time, then sizes the window to the layout and shows it.
  PlatformError Open(FolderRef folder, const char* path, const char* section);
  bool IsOpen() const { return InterfacePage::IsOpen(page_); }
  InterfacePage* Page() const { return IsOpen() ? page_ : nullptr; }
  HWND Window() const { return window_; }
  // The NAME of the "QUIT" element that closed the page ("" when none did).
  const char* Result() const { return result_; }

  // One pass of the loop: every waiting message taken, translated and dispatched, then the idle procedures.
  // False once the page has closed or the program was asked to quit.
  bool PumpOnce();
  // Runs the loop until the page closes or the program is asked to quit, waiting for messages in between (a
  // timer wakes the loop for the idle work). Returns the quit code, or 0.
  int Run();

 private:
  InterfacePageCallback callback_;
  void* userData_;
  InterfacePage* page_ = nullptr;
  HWND window_ = nullptr;
  char result_[256] = "";
  bool quit_ = false;
  int quitCode_ = 0;
};
