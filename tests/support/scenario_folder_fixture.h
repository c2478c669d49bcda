// A test whose scenario files lie in its temporary folder, made the default folder so that the data archive and
// the record lists read from there; the records loaded and the archive opened are let go at the end.
#pragma once

#include <gtest/gtest.h>

#include "game/shell/data/data_archive.h"
#include "game/shell/record_lists.h"
#include "tests/support/file_system_fixture.h"

class ScenarioFolderTest : public FileSystemTest {
 protected:
  void SetUp() override {
    FileSystemTest::SetUp();
    ASSERT_EQ(PlatformSetDefaultFolder(folder_, static_cast<const char*>(nullptr)), kPlatformNoError);
  }
  void TearDown() override {
    ClearRecordLists();
    DataArchive::Close();
    FileSystemTest::TearDown();
  }
};
