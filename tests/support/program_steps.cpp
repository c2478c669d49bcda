// The whole program run on a test's steps.
#include "tests/support/program_steps.h"

#include <gtest/gtest.h>

#include "game/shell/main_function.h"
#include "game/shell/main_loop.h"
#include "game/shell/main_window.h"
#include "game/shell/menus.h"
#include "host/kernel.h"
#include "host/user.h"
#include "platform/core/file_manager.h"

namespace test_support {

namespace {

ProgramSteps*& CurrentSteps() {
  static ProgramSteps* steps = nullptr;
  return steps;
}

void StepTick(HWND, UINT, UINT_PTR, DWORD) {
  ProgramSteps* steps = CurrentSteps();
  MainWindow* window = GetMainWindow();
  if (steps == nullptr || window == nullptr || !window->IsCreated()) return;
  if (++steps->ticks > steps->tickLimit) PostQuitMessage(7);
  if (GetAcceleratorTable() == nullptr || (GetRunState() & kRunRecordsLoaded) == 0) return;
  if (steps->busy || steps->next >= steps->list.size()) return;
  steps->busy = true;
  if (steps->list[steps->next]()) ++steps->next;
  steps->busy = false;
}

}  // namespace

int RunProgramSteps(const std::string& folder, ProgramSteps& steps) {
  CurrentSteps() = &steps;
  EXPECT_EQ(PlatformFileSystemStartup(), kPlatformNoError);
  FolderRef folderRef = 0;
  EXPECT_EQ(PlatformResolveFolder(0, ("/C" + folder).c_str(), &folderRef), kPlatformNoError);
  EXPECT_EQ(PlatformSetDefaultFolder(folderRef, static_cast<const char*>(nullptr)), kPlatformNoError);
  SetTimer(nullptr, 0, 5, StepTick);
  const int code = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, 1);
  CurrentSteps() = nullptr;
  return code;
}

}  // namespace test_support
