// A started file manager whose default folder is the test's temporary folder, headless, with the file choosers
// and message boxes answered only by what the test queues.
#pragma once

#include "host/testing.h"
#include "tests/support/file_system_fixture.h"

class ChooserTest : public FileSystemTest {
 protected:
  void SetUp() override {
    FileSystemTest::SetUp();
    HostTestSetHeadless(true);
    HostTestClearFileChoosers();
    HostTestClearMessageBoxes();
    ASSERT_EQ(PlatformSetDefaultFolder(folder_, ""), kPlatformNoError);
  }
  void TearDown() override {
    HostTestClearFileChoosers();
    HostTestClearMessageBoxes();
    FileSystemTest::TearDown();
  }
};
