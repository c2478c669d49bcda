// The started file manager fixture.
#include "tests/support/file_system_fixture.h"

#include "host/testing_files.h"

void FileSystemTest::SetUp() {
  ASSERT_EQ(PlatformFileSystemStartup(), kPlatformNoError);
  ASSERT_EQ(PlatformResolveFolder(0, TextOf().c_str(), &folder_), kPlatformNoError);
}

void FileSystemTest::TearDown() {
  HostResetFileFaults();
  EXPECT_EQ(PlatformReleaseFolder(folder_), kPlatformNoError);
  EXPECT_EQ(PlatformFileSystemShutdown(), kPlatformNoError);
  EXPECT_EQ(PlatformStream::FirstOpen(), nullptr);
}

std::string FileSystemTest::TextOf(const std::string& relative) const {
  return "/C" + temp_.Posix() + (relative.empty() ? "" : "/" + relative);
}
