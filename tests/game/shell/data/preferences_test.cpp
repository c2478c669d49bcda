#include "game/shell/data/preferences.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>

#include "host/errors.h"
#include "host/testing_files.h"
#include "tests/support/file_system_fixture.h"

namespace {

using namespace std::string_literals;

class PrefsFileTest : public FileSystemTest {
 protected:
  // The file's place on this machine: the Windows folder's "C:\..." path as a POSIX path.
  static std::string PosixPathOf(const PrefsFile& prefs) {
    std::string path = prefs.Folder().substr(2) + prefs.FileName();
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
  }
  static std::string ReadBytes(const PrefsFile& prefs) {
    std::ifstream in(PosixPathOf(prefs), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void WriteBytes(const PrefsFile& prefs, const std::string& bytes) {
    std::ofstream(PosixPathOf(prefs), std::ios::binary) << bytes;
  }
};

TEST_F(PrefsFileTest, FileNameIsAPlainNameEndingInIni) {
  struct Case {
    const char* name;
    const char* fileName;
  } cases[] = {
      {"Vale", "Vale.ini"},         {"Vale.ini", "Vale.ini"},     {"Vale.INI", "Vale.INI.ini"},
      {"../../etc/passwd", "passwd.ini"}, {"a\\b:c", "c.ini"},    {"..", ".ini"},
      {"x..y", "x.y.ini"},
  };
  for (const Case& c : cases) EXPECT_EQ(PrefsFile(c.name).FileName(), c.fileName) << c.name;
  PrefsFile prefs("Vale");
  ASSERT_FALSE(prefs.Folder().empty());
  EXPECT_EQ(prefs.Folder().substr(0, 3), "C:\\");
  EXPECT_EQ(prefs.Folder().back(), '\\');
}

TEST_F(PrefsFileTest, SavesSortedByKeyAndLoadsBack) {
  PrefsFile prefs("Vale");
  prefs.Set("music_volume", "60");
  prefs.Set("fullscreen", "1");
  prefs.Set("music_volume", "75");
  ASSERT_TRUE(prefs.Save());
  EXPECT_EQ(ReadBytes(prefs), "\x0A" "fullscreen=\x01" "1\r\x0C" "music_volume=\x02" "75\r");

  PrefsFile again("Vale");
  again.Set("stale", "x");
  again.Load();
  EXPECT_FALSE(again.HasKey("stale"));
  std::string value = "unset";
  again.Get(value, "music_volume");
  EXPECT_EQ(value, "75");
  again.Get(value, "missing");
  EXPECT_EQ(value, "");
  again.Erase();
  EXPECT_FALSE(again.HasKey("fullscreen"));
}

// The file is replaced whole, as saved games are: a full disk leaves the old file as it was, and what a
// process killed while saving left behind stands in no later save's way.
TEST_F(PrefsFileTest, AFailedSaveKeepsTheOldFileWhole) {
  PrefsFile prefs("Vale");
  prefs.Set("music_volume", "60");
  ASSERT_TRUE(prefs.Save());
  const std::string before = ReadBytes(prefs);
  prefs.Set("fullscreen", "1");
  prefs.Set("music_volume", "100");
  for (DWORD written : {0u, 5u}) {
    HostFailFileWrites(100, written, ERROR_DISK_FULL, true);
    EXPECT_FALSE(prefs.Save()) << written;
    HostResetFileFaults();
    EXPECT_EQ(ReadBytes(prefs), before) << written;
  }
  std::string leftover = PosixPathOf(prefs);
  leftover.insert(leftover.rfind('/') + 1, ".");
  leftover += ".~1-partial";
  std::ofstream(leftover, std::ios::binary) << "cut";
  ASSERT_TRUE(prefs.Save());
  EXPECT_EQ(ReadBytes(prefs), "\x0A" "fullscreen=\x01" "1\r\x0C" "music_volume=\x03" "100\r");
  EXPECT_FALSE(std::ifstream(leftover).good());
}

TEST_F(PrefsFileTest, EmptyOrMissingFileKeepsTheSettings) {
  PrefsFile prefs("Empty");
  prefs.Set("fullscreen", "0");
  prefs.Load();  // no file yet
  EXPECT_TRUE(prefs.HasKey("fullscreen"));
  WriteBytes(prefs, "");
  prefs.Load();
  EXPECT_TRUE(prefs.HasKey("fullscreen"));
}

TEST_F(PrefsFileTest, LoadingEndsOnEveryFileAndDropsACutRecord) {
  PrefsFile prefs("Cut");
  struct Case {
    std::string bytes;
    const char* keys;  // the keys loaded, joined by ","
  } cases[] = {
      {"\x01" "a=\x01" "1\r\x01" "b=\x01" "2"s, "a"},        // the last CR is missing
      {"\x01" "a=\x01" "1\r\x05" "b"s, "a"},                    // a key longer than the rest
      {"\x01" "a=\x01" "1\r\r\r\r"s, "a"},                      // stray CRs at the end
      {"\x01" "a=\x01" "1\r\r\r\r\r"s, "a"},                    // a record of CRs whose key is too long
      {"\x01" "a=\x01" "1\r\x01" "b=\x09" "2\r"s, "a"},         // a value longer than the rest
      {"\x01" "a=\x01" "1\r\x01" "b="s, "a"},                    // a file ending after "="
      {"\r"s, ""},                                             // one CR: nothing
      {"\x00=\x00\r"s, "(empty)"},                              // an empty key and value
      {"\x01" "k=\x01" "1\r\x01" "k=\x01" "2\r"s, "k"},      // the later pair wins
  };
  for (const Case& c : cases) {
    WriteBytes(prefs, c.bytes);
    prefs.Erase();
    prefs.Load();
    std::string keys;
    for (const char* key : {"", "a", "b", "k"}) {
      if (prefs.HasKey(key)) keys += std::string(keys.empty() ? "" : ",") + (*key ? key : "(empty)");
    }
    EXPECT_EQ(keys, c.keys) << c.bytes.size();
  }
  std::string value;
  prefs.Get(value, "k");
  EXPECT_EQ(value, "2");
}

}  // namespace
