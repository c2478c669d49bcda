#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "game/shell/data/data_stream.h"
#include "tests/support/file_system_fixture.h"

namespace {

class DataStreamFileTest : public FileSystemTest {};

TEST_F(DataStreamFileTest, WriteCreatesAMissingFileAndReadThroughSeesIt) {
  {
    DataStream stream(folder_, "saves\\first.ksv");
    stream.SetPath("first.ksv");
    EXPECT_FALSE(stream.Exists());
    ASSERT_EQ(stream.Open(kDataStreamWrite), 0);
    EXPECT_TRUE(stream.IsFileMode());
    stream.WriteInt16(13);
    stream.WritePString("Vale", true);
    stream.WriteInt32(-1);
    EXPECT_EQ(stream.GetSize(), 11u);
    EXPECT_FALSE(stream.Close());
    EXPECT_TRUE(stream.Exists());
  }
  EXPECT_EQ(temp_.ReadFile("first.ksv"), std::string("\x00\x0D\x04Wcoi\xFF\xFF\xFF\xFF", 11));

  DataStream stream(folder_, "first.ksv");
  ASSERT_EQ(stream.Open(kDataStreamRead), 0);
  EXPECT_EQ(stream.ReadInt16(), 13);
  std::string name;
  stream.ReadPStringScrambled(name, false);
  EXPECT_EQ(name, "Vale");
  stream.Seek(100);
  EXPECT_EQ(stream.GetPosition(), 11u);  // a file position clamps to the size
  EXPECT_TRUE(stream.AtEnd());
  stream.Seek(3);
  stream.Skip(-5);
  EXPECT_EQ(stream.GetPosition(), 0u);
  stream.Skip(9);
  EXPECT_EQ(stream.ReadInt32(), 0);  // two bytes remain
  EXPECT_EQ(stream.GetError(), kPlatformErrEndOfStream);
  EXPECT_EQ(stream.ReadByte(), 0);
  EXPECT_TRUE(stream.Close());
}

TEST_F(DataStreamFileTest, WriteEmptiesAnExistingFileAndAppendAddsToIt) {
  temp_.WriteFile("log", "old contents");
  DataStream stream(folder_, "log");
  ASSERT_EQ(stream.Open(kDataStreamWrite), 0);
  stream.WriteBytes("ab", 2);
  stream.Close();
  EXPECT_EQ(temp_.ReadFile("log"), "ab");
  ASSERT_EQ(stream.Open(kDataStreamWrite | kDataStreamAppend), 0);
  stream.WriteBytes("cd", 2);
  stream.Close();
  EXPECT_EQ(temp_.ReadFile("log"), "abcd");
}

TEST_F(DataStreamFileTest, WholeFileReadGoesToMemoryWithATrailer) {
  temp_.WriteFile("Config", std::string("\x00\x06\x01", 3));
  DataStream stream(folder_, "Config");
  ASSERT_EQ(stream.Open(kDataStreamRead | kDataStreamWholeFile), 0);
  EXPECT_FALSE(stream.IsFileMode());
  EXPECT_TRUE(stream.IsOpen());
  EXPECT_EQ(stream.GetSize(), 3u);
  ASSERT_EQ(stream.MemoryHandle().Size(), 11u);
  const uint8_t* bytes = stream.MemoryHandle().Lock();
  const uint8_t trailer[8] = {0, 0, 0, 0, 0x42, 0x42, 0x42, 0x42};
  EXPECT_EQ(std::memcmp(bytes + 3, trailer, 8), 0);
  stream.MemoryHandle().Unlock();
  EXPECT_EQ(stream.ReadInt16(), 6);
  EXPECT_EQ(stream.ReadByte(), 1);
  EXPECT_EQ(stream.ReadByte(), 0);  // the trailer is not data
  EXPECT_EQ(stream.GetError(), kDataStreamEndOfData);
}

TEST_F(DataStreamFileTest, OpenFailures) {
  temp_.WriteFile("empty", "");
  DataStream empty(folder_, "empty");
  EXPECT_EQ(empty.Open(kDataStreamRead | kDataStreamWholeFile), kDataStreamNoData);
  EXPECT_FALSE(empty.IsOpen());
  EXPECT_TRUE(empty.Close());

  DataStream missing(folder_, "missing");
  EXPECT_EQ(missing.Open(kDataStreamRead), kPlatformErrFileNotFound);
  EXPECT_EQ(missing.Open(kDataStreamRead), kPlatformErrFileNotFound);  // the error stays until closed
  missing.Close();
  EXPECT_FALSE(missing.Exists());
}

TEST_F(DataStreamFileTest, SwitchingToMemoryClosesTheFile) {
  temp_.WriteFile("data", "abc");
  DataStream stream(folder_, "data");
  ASSERT_EQ(stream.Open(kDataStreamRead), 0);
  EXPECT_NE(PlatformStream::FirstOpen(), nullptr);
  ASSERT_TRUE(stream.CreateMemory(8));
  EXPECT_EQ(PlatformStream::FirstOpen(), nullptr);
  stream.WriteByte(7);
  EXPECT_EQ(temp_.ReadFile("data"), "abc");
  stream.Seek(0);
  EXPECT_EQ(stream.ReadByte(), 7);
}

TEST_F(DataStreamFileTest, FolderPathWithADriveIsResolvedAndOtherFolderPathsAreJoined) {
  temp_.WriteFile("prefs/game.ini", "x");
  DataStream byDrive(temp_.WindowsPath("prefs"), "game.ini");
  EXPECT_EQ(byDrive.GetPath(), "game.ini");
  ASSERT_EQ(byDrive.Open(kDataStreamRead | kDataStreamWholeFile), 0);
  EXPECT_EQ(byDrive.ReadByte(), 'x');

  DataStream joined("Players\\Races", "Elf");
  EXPECT_EQ(joined.GetPath(), "Players/Races/Elf");
  EXPECT_FALSE(joined.HasDrive());
}

}  // namespace
