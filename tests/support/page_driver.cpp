// The page driver.
#include "tests/support/page_driver.h"

#include <gtest/gtest.h>

#include "host/user.h"
#include "platform/core/core.h"

PageDriver::PageDriver() {
  HostTestSetHeadless(true);
  HostTestUseManualClock(true);
  window_ = std::make_unique<PageWindow>(&PageDriver::Record, this);
}

PageDriver::~PageDriver() {
  window_.reset();
  InterfaceSystem::Shutdown();
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
  }
  HostTestUseManualClock(false);
}

std::string PageDriver::WritePages(const std::string& relative, const std::string& markup,
                                   const std::vector<scenario_writer::PageFile>& files) {
  std::string error;
  EXPECT_TRUE(scenario_writer::WritePageFolder(folder_.PosixPath(relative), markup, files, &error)) << error;
  return PathOf(relative);
}

std::string PageDriver::PathOf(const std::string& relative) const { return "/C" + folder_.PosixPath(relative); }

PlatformError PageDriver::Open(const std::string& pathText, const char* section) {
  PlatformError error = window_->Open(0, pathText.c_str(), section);
  Pump();
  return error;
}

void PageDriver::Pump(int passes) {
  for (int i = 0; i < passes; ++i) window_->PumpOnce();
}

void PageDriver::Advance(DWORD milliseconds) { HostTestAdvanceClock(milliseconds); }

void PageDriver::Click(int x, int y) {
  // Both come before the page looks, as from a quick click: an element that tracks the mouse sees the release.
  HostTestMouseMove(Window(), x, y);
  HostTestMouseButton(Window(), 0, true, x, y);
  HostTestMouseButton(Window(), 0, false, x, y);
  Pump();
}

void PageDriver::Press(int x, int y) {
  HostTestMouseMove(Window(), x, y);
  HostTestMouseButton(Window(), 0, true, x, y);
  Pump();
}

void PageDriver::Release(int x, int y) {
  HostTestMouseButton(Window(), 0, false, x, y);
  Pump();
}

void PageDriver::Move(int x, int y) {
  HostTestMouseMove(Window(), x, y);
  Pump();
}

void PageDriver::Key(int virtualKey, const char* text) {
  HostTestKey(virtualKey, true);
  if (text != nullptr) HostTestText(text);
  HostTestKey(virtualKey, false);
  Pump();
}

bool PageDriver::Frame(HostFrame* frame) const { return HostTestLastFrame(Window(), frame); }

uint32_t PageDriver::PixelAt(int x, int y) const {
  HostFrame frame;
  if (!Frame(&frame) || x < 0 || y < 0 || x >= frame.width || y >= frame.height) return 0xFFFFFFFF;
  return frame.pixels[static_cast<size_t>(y) * static_cast<size_t>(frame.width) + static_cast<size_t>(x)];
}

std::vector<int32_t> PageDriver::Messages() const { return MessagesSince(0); }

std::vector<int32_t> PageDriver::MessagesSince(size_t first) const {
  std::vector<int32_t> messages;
  for (size_t i = first; i < calls.size(); ++i) messages.push_back(calls[i].message);
  return messages;
}

int32_t PageDriver::Record(InterfacePage*, void* userData, int32_t message, const char* section,
                           int32_t elementIndex, const char* elementName) {
  auto* driver = static_cast<PageDriver*>(userData);
  if (message != kPageIdle || driver->recordIdle) driver->calls.push_back(PageCallRecord{message, section != nullptr ? section : "", elementIndex,
                                         elementName != nullptr ? elementName : ""});
  if (driver->react) driver->react(message);
  auto found = driver->answers.find(message);
  return found == driver->answers.end() ? 0 : found->second;
}
