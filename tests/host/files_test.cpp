// The host file calls: paths, the case-insensitive fallback, sorted listings, creation rules, sharing, file
// pointers, special folders and file times.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "host/files.h"
#include "host/testing_files.h"
#include "tests/support/temp_folder.h"

namespace {

class HostFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char buffer[4096];
    ASSERT_NE(getcwd(buffer, sizeof(buffer)), nullptr);
    savedFolder_ = buffer;
    ASSERT_EQ(chdir(temp_.Posix().c_str()), 0);
  }
  void TearDown() override {
    HostResetFileFaults();
    ASSERT_EQ(chdir(savedFolder_.c_str()), 0);
  }

  std::vector<std::string> List(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
      names.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(find));
    return names;
  }

  TempFolder temp_;
  std::string savedFolder_;
};

TEST_F(HostFiles, FullPathNamesFollowTheOneDriveRules) {
  struct Case {
    const char* input;
    std::string expected;
  };
  const Case cases[] = {
      {"C:\\a\\b", "C:\\a\\b"},
      {"c:/a//b/./c/../d", "C:\\a\\b\\d"},
      {"C:\\", "C:\\"},
      {"\\x\\..\\..\\y", "C:\\y"},
      {"C:\\a\\", "C:\\a\\"},
      {"rel\\name", temp_.Windows() + "\\rel\\name"},
      {"..", temp_.Windows().substr(0, temp_.Windows().find_last_of('\\'))},
  };
  for (const Case& c : cases) {
    char buffer[MAX_PATH];
    DWORD length = GetFullPathNameA(c.input, sizeof(buffer), buffer, nullptr);
    EXPECT_EQ(std::string(buffer), c.expected) << c.input;
    EXPECT_EQ(length, c.expected.size()) << c.input;
  }
  char small[4];
  EXPECT_EQ(GetFullPathNameA("C:\\abcdef", sizeof(small), small, nullptr), 10u);
  char buffer[MAX_PATH];
  EXPECT_EQ(GetFullPathNameA("D:\\x", sizeof(buffer), buffer, nullptr), 0u);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(HostFiles, NamesFallBackToACaseInsensitiveMatch) {
  temp_.WriteFile("Data/Sub/File.TXT", "hello");
  HANDLE file = CreateFileA(temp_.WindowsPath("data/SUB/file.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  char bytes[8] = {};
  DWORD got = 0;
  EXPECT_TRUE(ReadFile(file, bytes, sizeof(bytes), &got, nullptr));
  EXPECT_EQ(std::string(bytes, got), "hello");
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(GetFileAttributesA(temp_.WindowsPath("DATA").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA(temp_.WindowsPath("data/missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(GetFileAttributesA(temp_.WindowsPath("nowhere/missing").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST_F(HostFiles, ListingsAreSortedByLowerCasedNameWhateverTheDiskOrder) {
  for (const char* name : {"b", "A.txt", "c", "_u", "Ba", "noext"}) temp_.WriteFile(name, "");
  std::vector<std::string> expected = {".", "..", "_u", "A.txt", "b", "Ba", "c", "noext"};
  EXPECT_EQ(List(temp_.WindowsPath("*.*")), expected);
  EXPECT_EQ(List(temp_.WindowsPath("*.TXT")), std::vector<std::string>{"A.txt"});
  EXPECT_EQ(List(temp_.WindowsPath("b")), std::vector<std::string>{"b"});
  WIN32_FIND_DATAA data;
  EXPECT_EQ(FindFirstFileA(temp_.WindowsPath("*.zip").c_str(), &data), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(FindFirstFileA("C:\\", &data), INVALID_HANDLE_VALUE);
}

TEST_F(HostFiles, CreateNewRefusesAnExistingFileAndLeavesItAlone) {
  temp_.WriteFile("keep.bin", "old bytes");
  HANDLE file = CreateFileA(temp_.WindowsPath("keep.bin").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_FILE_EXISTS);
  EXPECT_EQ(temp_.ReadFile("keep.bin"), "old bytes");
  EXPECT_FALSE(CreateDirectoryA(temp_.WindowsPath("keep.bin").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
}

TEST_F(HostFiles, SharingRulesRefuseConflictingOpens) {
  temp_.WriteFile("shared", "x");
  std::string path = temp_.WindowsPath("shared");
  HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  HANDLE second = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(second, INVALID_HANDLE_VALUE);
  HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, TRUNCATE_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  EXPECT_EQ(temp_.ReadFile("shared"), "x");  // the refused truncation never happened
  EXPECT_TRUE(CloseHandle(reader));
  EXPECT_TRUE(CloseHandle(second));
  EXPECT_FALSE(CloseHandle(second));
}

TEST_F(HostFiles, FilePointerSizeAndEndOfFile) {
  HANDLE file = CreateFileA(temp_.WindowsPath("sized").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(SetFilePointer(file, 100, nullptr, FILE_BEGIN), 100u);
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(GetFileSize(file, nullptr), 100u);
  EXPECT_EQ(SetFilePointer(file, -10, nullptr, FILE_END), 90u);
  EXPECT_EQ(SetFilePointer(file, -200, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
  EXPECT_EQ(GetLastError(), ERROR_NEGATIVE_SEEK);
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, "abcdefghijklmnopqrst", 20, &written, nullptr));
  EXPECT_EQ(written, 20u);
  EXPECT_EQ(GetFileSize(file, nullptr), 110u);
  char bytes[4];
  DWORD got = 99;
  EXPECT_TRUE(ReadFile(file, bytes, sizeof(bytes), &got, nullptr));
  EXPECT_EQ(got, 0u);  // at the end: success with nothing read
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_TRUE(CloseHandle(file));
}

TEST_F(HostFiles, InjectedWriteFaultsGiveShortCountsAndErrors) {
  HANDLE file = CreateFileA(temp_.WindowsPath("faulty").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  HostFailFileWrites(1, 3, ERROR_DISK_FULL, false);
  DWORD written = 0;
  EXPECT_FALSE(WriteFile(file, "abcdef", 6, &written, nullptr));
  EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
  EXPECT_EQ(written, 3u);
  EXPECT_TRUE(WriteFile(file, "xyz", 3, &written, nullptr));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_EQ(temp_.ReadFile("faulty"), "abcxyz");
}

TEST_F(HostFiles, FoldersAreMadeRemovedAndTold) {
  EXPECT_TRUE(CreateDirectoryA(temp_.WindowsPath("made").c_str(), nullptr));
  EXPECT_FALSE(CreateDirectoryA(temp_.WindowsPath("no/such").c_str(), nullptr));
  EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  temp_.WriteFile("made/inner", "");
  EXPECT_FALSE(RemoveDirectoryA(temp_.WindowsPath("made").c_str()));
  EXPECT_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  EXPECT_FALSE(DeleteFileA(temp_.WindowsPath("made").c_str()));
  EXPECT_TRUE(DeleteFileA(temp_.WindowsPath("MADE/INNER").c_str()));
  EXPECT_TRUE(RemoveDirectoryA(temp_.WindowsPath("made").c_str()));
  EXPECT_FALSE(temp_.Exists("made"));

  EXPECT_TRUE(SetCurrentDirectoryA("C:\\"));
  char buffer[MAX_PATH];
  EXPECT_EQ(GetCurrentDirectoryA(sizeof(buffer), buffer), 3u);
  EXPECT_STREQ(buffer, "C:\\");
}

TEST_F(HostFiles, FolderIdentityComesFromTheOpenedFolder) {
  ASSERT_TRUE(CreateDirectoryA(temp_.WindowsPath("one").c_str(), nullptr));
  ASSERT_EQ(symlink(temp_.PosixPath("one").c_str(), temp_.PosixPath("link").c_str()), 0);
  auto identity = [&](const char* name) {
    HANDLE folder = CreateFileA(temp_.WindowsPath(name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_NE(folder, INVALID_HANDLE_VALUE);
    BY_HANDLE_FILE_INFORMATION info = {};
    EXPECT_TRUE(GetFileInformationByHandle(folder, &info));
    CloseHandle(folder);
    return std::to_string(info.dwVolumeSerialNumber) + ":" + std::to_string(info.nFileIndexLow);
  };
  EXPECT_EQ(identity("one"), identity("link"));
  EXPECT_EQ(CreateFileA(temp_.WindowsPath("one").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
}

TEST_F(HostFiles, SpecialFoldersLiveUnderTheRelocatedHome) {
  char path[MAX_PATH];
  std::string home = temp_.WindowsPath("home");
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
  EXPECT_EQ(std::string(path), home + "\\data");
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, path), S_OK);
  EXPECT_EQ(std::string(path), home + "\\documents");
  EXPECT_TRUE(temp_.Exists("home/documents"));
  ASSERT_EQ(SHGetFolderPathA(nullptr, CSIDL_INTERNET_CACHE, nullptr, 0, path), S_OK);
  EXPECT_EQ(std::string(path), home + "\\cache");
  EXPECT_EQ(GetWindowsDirectoryA(path, sizeof(path)), (home + "\\config").size());
  EXPECT_EQ(std::string(path), home + "\\config");
  EXPECT_EQ(GetTempPathA(sizeof(path), path), (home + "\\temp\\").size());
  EXPECT_EQ(std::string(path), home + "\\temp\\");

  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  DWORD size = 2;
  EXPECT_FALSE(GetUserProfileDirectoryA(token, path, &size));
  EXPECT_EQ(size, home.size() + 1);
  size = sizeof(path);
  EXPECT_TRUE(GetUserProfileDirectoryA(token, path, &size));
  EXPECT_EQ(std::string(path), home);
  EXPECT_TRUE(CloseHandle(token));

  // The special-folder calls are found by name, as callers look them up.
  EXPECT_NE(GetProcAddress(GetModuleHandleA("shell32.dll"), "SHGetFolderPathA"), nullptr);
  EXPECT_NE(GetProcAddress(GetModuleHandleA("advapi32"), "OpenProcessToken"), nullptr);
  EXPECT_NE(GetProcAddress(GetModuleHandleA("USERENV.DLL"), "GetUserProfileDirectoryA"), nullptr);
}

TEST_F(HostFiles, OneDriveWithItsVolume) {
  EXPECT_EQ(GetLogicalDrives(), 1u << 2);
  EXPECT_EQ(GetDriveTypeA("C:\\"), DRIVE_FIXED);
  EXPECT_EQ(GetDriveTypeA("D:\\"), DRIVE_NO_ROOT_DIR);
  char label[32];
  EXPECT_TRUE(GetVolumeInformationA("C:\\", label, sizeof(label), nullptr, nullptr, nullptr, nullptr, 0));
  EXPECT_FALSE(GetVolumeInformationA("A:\\", label, sizeof(label), nullptr, nullptr, nullptr, nullptr, 0));
  UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
  EXPECT_EQ(SetErrorMode(old), SEM_FAILCRITICALERRORS);
  char program[MAX_PATH];
  EXPECT_GT(GetModuleFileNameA(nullptr, program, sizeof(program)), 3u);
  EXPECT_EQ(std::string(program, 3), "C:\\");
}

TEST(HostFileTimes, ConvertToCalendarTimeWithoutTimeZone) {
  struct Case {
    uint64_t ticks;
    SYSTEMTIME expected;
  };
  const Case cases[] = {
      {0, {1601, 1, 1, 1, 0, 0, 0, 0}},
      {116444736000000000ull, {1970, 1, 4, 1, 0, 0, 0, 0}},
      {116444736000000000ull + (951782400ull - 0) * 10000000ull + 45296789ull * 10000ull,
       {2000, 2, 2, 29, 12, 34, 56, 789}},
  };
  for (const Case& c : cases) {
    FILETIME time = {static_cast<DWORD>(c.ticks), static_cast<DWORD>(c.ticks >> 32)};
    SYSTEMTIME out = {};
    ASSERT_TRUE(FileTimeToSystemTime(&time, &out));
    EXPECT_EQ(out.wYear, c.expected.wYear);
    EXPECT_EQ(out.wMonth, c.expected.wMonth);
    EXPECT_EQ(out.wDay, c.expected.wDay);
    EXPECT_EQ(out.wDayOfWeek, c.expected.wDayOfWeek);
    EXPECT_EQ(out.wHour, c.expected.wHour);
    EXPECT_EQ(out.wMinute, c.expected.wMinute);
    EXPECT_EQ(out.wSecond, c.expected.wSecond);
    EXPECT_EQ(out.wMilliseconds, c.expected.wMilliseconds);
  }
}

}  // namespace
