// A started file manager with a registered folder reference to the test's temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/core/file_manager.h"
#include "tests/support/temp_folder.h"

class FileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Path text of the temporary folder or an item in it, from the root ("/C/tmp/...").
  std::string TextOf(const std::string& relative = "") const;

  TempFolder temp_;
  FolderRef folder_ = 0;
};
