// The public file operations: resolving and releasing folders, full paths, whole files to and from handles,
// folder walks, items rooted in a stream, and shutting down with streams still open.
#include "platform/core/file_manager.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/errors.h"
#include "host/testing_files.h"
#include "platform/core/chunk_file.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/file_system_fixture.h"

namespace {

using FileManager = FileSystemTest;

PlatformHandle* HandleOf(const std::string& bytes) {
  return PlatformHandle::FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
}

TEST_F(FileManager, SpecialNumbersResolveAndReleaseAsThemselves) {
  FolderRef out = 0;
  EXPECT_EQ(PlatformResolveFolder(kFolderTemporary, nullptr, &out), kPlatformNoError);
  EXPECT_EQ(out, kFolderTemporary);
  EXPECT_EQ(PlatformResolveFolder(kFolderDocuments, "", &out), kPlatformNoError);
  EXPECT_EQ(out, kFolderDocuments);
  for (FolderRef number : {FolderRef{-6}, FolderRef{-1}, FolderRef{0}, FolderRef{42}}) {
    EXPECT_EQ(PlatformReleaseFolder(number), kPlatformNoError);
  }
  char notAReference[8] = "x";
  EXPECT_EQ(PlatformReleaseFolder(AsFolderRef(notAReference)), kPlatformErrBadReference);
  EXPECT_EQ(PlatformResolveFolder(folder_, "missing", &out), kPlatformErrFileNotFound);
  EXPECT_EQ(out, 0);
}

TEST_F(FileManager, CheckingAnItemResolvesItWithoutKeepingAReference) {
  temp_.WriteFile("here.txt", "x");
  EXPECT_EQ(PlatformCheckFolderItem(folder_, "here.txt"), kPlatformNoError);
  EXPECT_EQ(PlatformCheckFolderItem(folder_, "missing"), kPlatformErrFileNotFound);
  char notAReference[8] = "x";
  EXPECT_NE(PlatformCheckFolderItem(AsFolderRef(notAReference), "here.txt"), kPlatformNoError);
}

TEST_F(FileManager, FullPathsAppendNamesThatNeedNotExist) {
  char path[512];
  const std::string base = "C:" + temp_.Posix();
  EXPECT_EQ(PlatformGetFullPath(folder_, "a.txt", path, sizeof(path)), kPlatformNoError);
  EXPECT_EQ(std::string(path), base + "/a.txt");
  EXPECT_EQ(PlatformGetFullPath(folder_, "/a.txt", path, sizeof(path)), kPlatformNoError);
  EXPECT_EQ(std::string(path), base + "/a.txt");
  EXPECT_EQ(PlatformGetFullPath(0, FolderRef{1}, path, sizeof(path)), kPlatformNoError);
  EXPECT_STREQ(path, "C:/");
  EXPECT_EQ(PlatformGetFullPath(folder_, kFolderApplicationData, path, sizeof(path)), kPlatformNoError);
  EXPECT_EQ(std::string(path), base + "/home/data");
  EXPECT_NE(PlatformGetFullPath(folder_ , FolderRef{7}, path, sizeof(path)), kPlatformNoError);
  EXPECT_STREQ(path, "");
}

// Paths shown to the player are the system's own: the drive "C:" is the root of its tree.
TEST_F(FileManager, SystemPathsReadFromTheRootOfTheSystemsOwnTree) {
  ASSERT_EQ(PlatformSetDefaultFolder(folder_, static_cast<const char*>(nullptr)), kPlatformNoError);
  const struct {
    const char* path;
    std::string shown;
  } cases[] = {
      {"C:\\Users\\wren\\Kestrival Demo.ini", "/Users/wren/Kestrival Demo.ini"},
      {"c:/Games/Vale/", "/Games/Vale/"},
      {"C:\\", "/"},
      {"/C/Games/Data001.dat", "/Games/Data001.dat"},
      {"\\Games\\Data001.dat", "/Games/Data001.dat"},
      {"Data/Data001.dat", temp_.Posix() + "/Data/Data001.dat"},
      {"D:\\Games\\x", "D:/Games/x"},
  };
  char path[512];
  for (const auto& c : cases) {
    EXPECT_EQ(PlatformGetSystemPath(c.path, path, sizeof(path)), kPlatformNoError) << c.path;
    EXPECT_EQ(std::string(path), c.shown) << c.path;
  }
  // A result that does not fit leaves the buffer empty.
  EXPECT_NE(PlatformGetSystemPath("C:\\Games", path, 6), kPlatformNoError);
  EXPECT_STREQ(path, "");
}

TEST_F(FileManager, TheDefaultFolderIsWhereNamesStartFromFolderZero) {
  temp_.WriteFile("Data/config.txt", "cfg");
  ASSERT_EQ(PlatformSetDefaultFolder(folder_, "Data"), kPlatformNoError);
  PlatformFileInfo info;
  ASSERT_EQ(PlatformGetFileInfo(0, "config.txt", &info, false), kPlatformNoError);
  EXPECT_EQ(info.size, 3u);
  ASSERT_EQ(PlatformGetFileInfo(kFolderParent, "Data", &info, false), kPlatformNoError);
  EXPECT_EQ(info.isFolder, 1);
  EXPECT_EQ(PlatformGetIndexedFileInfo(0, 0, &info, false), kPlatformNoError);
  EXPECT_STREQ(info.name, "config.txt");
  EXPECT_EQ(PlatformGetIndexedFileInfo(0, 1, &info, false), kPlatformErrFileNotFound);
  EXPECT_EQ(PlatformSetDefaultFolder(folder_, "missing"), kPlatformErrFileNotFound);
  ASSERT_EQ(PlatformGetFileInfo(0, "config.txt", nullptr, false), kPlatformNoError);  // unchanged
}

TEST_F(FileManager, ReadingAWholeFileHonoursTheLimit) {
  temp_.WriteFile("hundred", std::string(100, 'h'));
  PlatformHandle* handle = nullptr;
  EXPECT_EQ(PlatformReadFileToHandle(folder_, "hundred", 99, false, &handle), kPlatformErrNoMemory);
  EXPECT_EQ(handle, nullptr);
  ASSERT_EQ(PlatformReadFileToHandle(folder_, "hundred", 100, true, &handle), kPlatformNoError);
  EXPECT_EQ(handle->size, 100u);
  EXPECT_EQ(PlatformHandle::IsLocked(handle), 0);
  PlatformHandle::Dispose(handle);
  EXPECT_EQ(PlatformReadFileToHandle(folder_, "absent", 100, false, &handle), kPlatformErrFileNotFound);
}

TEST_F(FileManager, WritingAHandleReplacesOnlyWhenAskedAndWritesInPlace) {
  PlatformHandle* first = HandleOf("first version");
  PlatformHandle* second = HandleOf("second, longer version");
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "saved.txt", false, 0, 0, first), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("saved.txt"), "first version");
  EXPECT_EQ(PlatformWriteHandleToFile(folder_, "saved.txt", false, 0, 0, second), kPlatformErrFileExists);
  EXPECT_EQ(temp_.ReadFile("saved.txt"), "first version");
  ASSERT_EQ(chmod(temp_.PosixPath("saved.txt").c_str(), 0640), 0);
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "saved.txt", true, 0, 0, second), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("saved.txt"), "second, longer version");
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "saved.txt", true, 0, 0, first), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("saved.txt"), "first version");  // shorter data leaves no tail
  struct stat status;
  ASSERT_EQ(stat(temp_.PosixPath("saved.txt").c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0640u);  // the same file, written over
  EXPECT_EQ(PlatformWriteHandleToFile(folder_, "nowhere/saved.txt", false, 0, 0, first), kPlatformErrFileNotFound);

  // A read-only file is refused and stays as it was.
  temp_.WriteFile("locked.txt", "keep");
  ASSERT_EQ(chmod(temp_.PosixPath("locked.txt").c_str(), 0444), 0);
  EXPECT_EQ(PlatformWriteHandleToFile(folder_, "locked.txt", true, 0, 0, second), kPlatformErrAccessDenied);
  EXPECT_EQ(temp_.ReadFile("locked.txt"), "keep");

  // A stream open on the file is the one written through: its reader sees the new content.
  PlatformStream* reader = nullptr;
  ASSERT_EQ(PlatformStream::Open(folder_, "saved.txt", 0, &reader), kPlatformNoError);
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "saved.txt", true, 0, 0, second), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("saved.txt"), "second, longer version");
  uint32_t size = 0;
  ASSERT_EQ(PlatformStream::GetSize(reader, &size), kPlatformNoError);
  EXPECT_EQ(size, 22u);
  EXPECT_EQ(PlatformStream::Close(reader), kPlatformNoError);

  // A folder is deleted and made anew as a file.
  temp_.WriteFile("was_folder/inside.txt", "x");
  EXPECT_EQ(PlatformWriteHandleToFile(folder_, "was_folder", true, 0, 0, first), kPlatformErrFileBusy);  // not empty
  ASSERT_EQ(PlatformDeleteFile(folder_, "was_folder/inside.txt"), kPlatformNoError);
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "was_folder", true, 0, 0, first), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("was_folder"), "first version");
  PlatformHandle::Dispose(first);
  PlatformHandle::Dispose(second);
}

// The size is set before any byte is written: a disk that cannot grow the file leaves the old content whole; a
// write that fails after that leaves the file empty. A new file whose write fails is deleted.
TEST_F(FileManager, AFailedWriteKeepsTheOldContentUntilWritingBegins) {
  PlatformHandle* longer = HandleOf("a longer second version");
  const struct {
    const char* what;
    bool failExtend;
    const char* left;
  } cases[] = {{"the file cannot grow", true, "first version"}, {"the write fails", false, ""}};
  for (const auto& c : cases) {
    temp_.WriteFile("saved.txt", "first version");
    HostFailFileWrites(1, 4, ERROR_DISK_FULL, c.failExtend);
    EXPECT_EQ(PlatformWriteHandleToFile(folder_, "saved.txt", true, 0, 0, longer), kPlatformErrDiskFull) << c.what;
    HostResetFileFaults();
    EXPECT_EQ(temp_.ReadFile("saved.txt"), c.left) << c.what;
  }
  HostFailFileWrites(1, 4, ERROR_DISK_FULL, false);
  EXPECT_EQ(PlatformWriteHandleToFile(folder_, "new.txt", false, 0, 0, longer), kPlatformErrDiskFull);
  HostResetFileFaults();
  EXPECT_FALSE(temp_.Exists("new.txt"));
  PlatformHandle::Dispose(longer);
}

// The replacement of files whose loss costs the user goes through a temporary file: the old file stays whole
// wherever the disk gives out, and no temporary file is left behind.
TEST_F(FileManager, ReplacingAFileKeepsTheOldOneOnAnyFailure) {
  PlatformHandle* longer = HandleOf("a longer second version");
  temp_.WriteFile("saved.txt", "first version");
  for (bool failExtend : {true, false}) {
    HostFailFileWrites(1, 4, ERROR_DISK_FULL, failExtend);
    EXPECT_EQ(PlatformReplaceFileWithHandle(folder_, "saved.txt", 0, 0, longer), kPlatformErrDiskFull);
    HostResetFileFaults();
    EXPECT_EQ(temp_.ReadFile("saved.txt"), "first version") << failExtend;
  }
  PlatformFileInfo info;
  EXPECT_EQ(PlatformGetIndexedFileInfo(folder_, 1, &info, false), kPlatformErrFileNotFound);  // no leftovers
  ASSERT_EQ(PlatformReplaceFileWithHandle(folder_, "saved.txt", 0, 0, longer), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("saved.txt"), "a longer second version");
  ASSERT_EQ(PlatformReplaceFileWithHandle(folder_, "fresh.txt", 0, 0, longer), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("fresh.txt"), "a longer second version");
  // A read-only file is refused; a file a stream has open is written through that stream.
  temp_.WriteFile("locked.txt", "keep");
  ASSERT_EQ(chmod(temp_.PosixPath("locked.txt").c_str(), 0444), 0);
  EXPECT_EQ(PlatformReplaceFileWithHandle(folder_, "locked.txt", 0, 0, longer), kPlatformErrAccessDenied);
  EXPECT_EQ(temp_.ReadFile("locked.txt"), "keep");
  PlatformStream* reader = nullptr;
  ASSERT_EQ(PlatformStream::Open(folder_, "fresh.txt", 0, &reader), kPlatformNoError);
  PlatformHandle* shorter = HandleOf("short");
  ASSERT_EQ(PlatformReplaceFileWithHandle(folder_, "fresh.txt", 0, 0, shorter), kPlatformNoError);
  EXPECT_EQ(reader->size, 5u);
  EXPECT_EQ(PlatformStream::Close(reader), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("fresh.txt"), "short");
  PlatformHandle::Dispose(shorter);
  PlatformHandle::Dispose(longer);
}

TEST_F(FileManager, AHandleHoldingAContainerBecomesAContainerFile) {
  PlatformHandle* box = HandleOf(ChunkContainerBytes({{"note", 3, "hello"}}, 2));
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "box.dat", false, 0, 0, box), kPlatformNoError);
  PlatformFileInfo info;
  ASSERT_EQ(PlatformGetFileInfo(folder_, "box.dat", &info, true), kPlatformNoError);
  EXPECT_EQ(info.isContainer, 1);
  EXPECT_EQ(info.size, 2u);  // entries of the index, used and free
  PlatformHandle* note = nullptr;
  ASSERT_EQ(PlatformReadFileToHandle(folder_, "box.dat/note", 100, false, &note), kPlatformNoError);
  EXPECT_EQ(std::string(static_cast<char*>(note->data), note->size), "hello");
  PlatformHandle::Dispose(note);
  // A record name longer than an entry holds is stored cut to 63 bytes and found again by the whole name.
  const std::string longPath = "box.dat/" + std::string(70, 'k');
  PlatformHandle* text = HandleOf("kept");
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, longPath.c_str(), false, 0, 0, text), kPlatformNoError);
  EXPECT_EQ(PlatformWriteHandleToFile(folder_, longPath.c_str(), false, 0, 0, text), kPlatformErrFileExists);
  ASSERT_EQ(PlatformReadFileToHandle(folder_, longPath.c_str(), 100, false, &note), kPlatformNoError);
  EXPECT_EQ(std::string(static_cast<char*>(note->data), note->size), "kept");
  PlatformHandle::Dispose(note);
  FolderRef boxRef = 0;
  ASSERT_EQ(PlatformResolveFolder(folder_, "box.dat", &boxRef), kPlatformNoError);
  ASSERT_EQ(PlatformGetIndexedFileInfo(boxRef, 1, &info, false), kPlatformNoError);
  EXPECT_EQ(std::string(info.name), std::string(63, 'k'));
  EXPECT_EQ(PlatformReleaseFolder(boxRef), kPlatformNoError);
  PlatformHandle::Dispose(text);
  PlatformHandle::Dispose(box);
}

// A container file registered as a folder keeps its stream open; a handle written over the file goes through
// that stream, and the folder then shows the new records.
TEST_F(FileManager, WritingOverARegisteredContainerGoesThroughItsStream) {
  temp_.WriteFile("box.dat", ChunkContainerBytes({{"old", 3, "1"}}, 2));
  FolderRef box = 0;
  ASSERT_EQ(PlatformResolveFolder(folder_, "box.dat", &box), kPlatformNoError);
  PlatformHandle* replacement = HandleOf(ChunkContainerBytes({{"new", 3, "22"}}, 1));
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "box.dat", true, 0, 0, replacement), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("box.dat"), ChunkContainerBytes({{"new", 3, "22"}}, 1));
  PlatformFileInfo info;
  ASSERT_EQ(PlatformGetFileInfo(box, "new", &info, false), kPlatformNoError);
  EXPECT_EQ(info.size, 2u);
  EXPECT_EQ(PlatformGetFileInfo(box, "old", &info, false), kPlatformErrFileNotFound);
  // While one of its records is open, the container cannot take new content.
  PlatformStream* record = nullptr;
  ASSERT_EQ(PlatformStream::Open(box, "new", 0, &record), kPlatformNoError);
  EXPECT_EQ(PlatformWriteHandleToFile(folder_, "box.dat", true, 0, 0, replacement), kPlatformErrFileBusy);
  EXPECT_EQ(PlatformStream::Close(record), kPlatformNoError);
  EXPECT_EQ(PlatformReleaseFolder(box), kPlatformNoError);
  PlatformHandle::Dispose(replacement);
}

// A record is written over where it is: it keeps its entry, attributes and type, and a rewrite of the same size
// leaves the container as long as it was. A record without its writable bit is refused.
TEST_F(FileManager, ARecordIsRewrittenInPlace) {
  const uint32_t kData = FourCharCode("DATA");
  // Header 20, two entries 160, then "note" (readable, writable, hidden) at 180 and "fixed" (readable) at 185.
  temp_.WriteFile("box.dat", ChunkContainerBytes({{"note", 11, "hello", kData}, {"fixed", 1, "f"}}, 2));
  PlatformHandle* same = HandleOf("HELLO");
  for (int i = 0; i < 10; ++i) {
    ASSERT_EQ(PlatformWriteHandleToFile(folder_, "box.dat/note", true, 0, 0, same), kPlatformNoError) << i;
  }
  EXPECT_EQ(temp_.ReadFile("box.dat").size(), 186u);
  PlatformFileInfo info;
  ASSERT_EQ(PlatformGetFileInfo(folder_, "box.dat/note", &info, false), kPlatformNoError);
  EXPECT_EQ(info.type, kData);
  EXPECT_EQ(info.hidden, 1);
  EXPECT_EQ(info.size, 5u);
  ASSERT_EQ(PlatformGetFileInfo(folder_, "box.dat", &info, true), kPlatformNoError);
  EXPECT_EQ(info.size, 2u);  // still two entries: no record was added
  PlatformHandle* longer = HandleOf("hello, world");  // data in the middle moves to the end: 186 + 12
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "box.dat/note", true, 0, 0, longer), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("box.dat").size(), 198u);
  PlatformHandle* back = nullptr;
  ASSERT_EQ(PlatformReadFileToHandle(folder_, "box.dat/note", 100, false, &back), kPlatformNoError);
  EXPECT_EQ(std::string(static_cast<char*>(back->data), back->size), "hello, world");
  PlatformHandle::Dispose(back);
  EXPECT_EQ(PlatformWriteHandleToFile(folder_, "box.dat/fixed", true, 0, 0, same), kPlatformErrAccessDenied);
  ASSERT_EQ(PlatformReadFileToHandle(folder_, "box.dat/fixed", 100, false, &back), kPlatformNoError);
  EXPECT_EQ(std::string(static_cast<char*>(back->data), back->size), "f");
  PlatformHandle::Dispose(back);
  // A container that cannot grow keeps the record's old data.
  HostFailFileWrites(0, 0, ERROR_DISK_FULL, true);
  PlatformHandle* longest = HandleOf(std::string(40, 'x'));
  EXPECT_EQ(PlatformWriteHandleToFile(folder_, "box.dat/note", true, 0, 0, longest), kPlatformErrDiskFull);
  HostResetFileFaults();
  ASSERT_EQ(PlatformReadFileToHandle(folder_, "box.dat/note", 100, false, &back), kPlatformNoError);
  EXPECT_EQ(std::string(static_cast<char*>(back->data), back->size), "hello, world");
  PlatformHandle::Dispose(back);
  PlatformHandle::Dispose(longest);
  PlatformHandle::Dispose(longer);
  PlatformHandle::Dispose(same);
}

struct Visit {
  std::string path;
  int32_t depth;
};

PlatformError Record(FolderRef, const char* relativePath, const PlatformFileInfo* info, int32_t percent,
                     int32_t depth, void* user) {
  auto* visits = static_cast<std::vector<Visit>*>(user);
  visits->push_back({std::string(relativePath) + info->name, depth});
  EXPECT_GE(percent, 0);
  EXPECT_LE(percent, 100);
  return kPlatformNoError;
}

std::vector<std::string> Paths(const std::vector<Visit>& visits) {
  std::vector<std::string> paths;
  for (const Visit& v : visits) paths.push_back(v.path + "@" + std::to_string(v.depth));
  return paths;
}

class FolderWalks : public FileManager {
 protected:
  void SetUp() override {
    FileManager::SetUp();
    temp_.WriteFile("tree/a.txt", "a");
    temp_.WriteFile("tree/sub/b.txt", "b");
    temp_.WriteFile("tree/sub/c.txt", "c");
    temp_.WriteFile("tree/box.chk", ChunkContainerBytes({{"r1", 3, "1"}, {"r2", 3, "2"}}, 2));
    ASSERT_EQ(PlatformResolveFolder(folder_, "tree", &tree_), kPlatformNoError);
  }
  void TearDown() override {
    EXPECT_EQ(PlatformReleaseFolder(tree_), kPlatformNoError);
    FileManager::TearDown();
  }
  FolderRef tree_ = 0;
};

TEST_F(FolderWalks, OrdersFollowTheFlags) {
  struct Case {
    uint32_t flags;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {0, {"tree@0", "a.txt@1", "box.chk@1", "sub@1"}},
      {kWalkDescend,
       {"tree@0", "a.txt@1", "box.chk@1", "box.chk/r1@2", "box.chk/r2@2", "sub@1", "sub/b.txt@2", "sub/c.txt@2"}},
      {kWalkDescend | kWalkReverseAfter,
       {"tree@0", "sub/c.txt@2", "sub/b.txt@2", "sub@1", "box.chk/r2@2", "box.chk/r1@2", "box.chk@1", "a.txt@1"}},
      {kWalkDescend | kWalkContainersPlain,
       {"tree@0", "a.txt@1", "box.chk@1", "sub@1", "sub/b.txt@2", "sub/c.txt@2"}},
  };
  for (const Case& c : cases) {
    std::vector<Visit> visits;
    ASSERT_EQ(PlatformEnumerateFolder(tree_, Record, &visits, c.flags), kPlatformNoError) << c.flags;
    std::vector<std::string> paths = Paths(visits);
    // The path of an item is its folder's relative path and its name; the folder itself shows its own name.
    for (std::string& p : paths) {
      if (p.rfind(temp_.Posix().substr(temp_.Posix().find_last_of('/') + 1), 0) == 0) p = "tree@0";
    }
    EXPECT_EQ(paths, c.expected) << c.flags;
  }
}

TEST_F(FolderWalks, SymbolicLinkLoopsAreNotEnteredAgain) {
  ASSERT_EQ(symlink(temp_.PosixPath("tree").c_str(), temp_.PosixPath("tree/sub/up").c_str()), 0);
  ASSERT_EQ(symlink(temp_.PosixPath("tree/sub").c_str(), temp_.PosixPath("tree/sub/self").c_str()), 0);
  std::vector<Visit> visits;
  ASSERT_EQ(PlatformEnumerateFolder(tree_, Record, &visits, kWalkDescend | kWalkContainersPlain), kPlatformNoError);
  std::vector<std::string> paths = Paths(visits);
  paths.erase(paths.begin());
  EXPECT_EQ(paths, (std::vector<std::string>{"a.txt@1", "box.chk@1", "sub@1", "sub/b.txt@2", "sub/c.txt@2",
                                              "sub/self@2", "sub/up@2"}));
}

PlatformError StopAtSecond(FolderRef, const char*, const PlatformFileInfo*, int32_t, int32_t, void* user) {
  return ++*static_cast<int*>(user) == 2 ? kPlatformErrCancelled : kPlatformNoError;
}

TEST_F(FolderWalks, ACallbackResultEndsTheWalk) {
  int calls = 0;
  EXPECT_EQ(PlatformEnumerateFolder(tree_, StopAtSecond, &calls, kWalkDescend), kPlatformErrCancelled);
  EXPECT_EQ(calls, 2);
}

TEST_F(FileManager, AReferenceRootedInAStreamIsAVirtualFolder) {
  PlatformHandle* bytes = HandleOf(ChunkContainerBytes({{"one", 3, "1"}, {"two", 3, "22"}}, 4));
  PlatformStream* memory = nullptr;
  ASSERT_EQ(MemoryStream::Open(bytes, &memory), kPlatformNoError);
  PlatformHandle* rooted = FileRef::New();
  FileRef::Data(rooted)->rootStream = memory;  // the reference takes the stream's use
  ASSERT_EQ(FileRef::Register(rooted), kPlatformNoError);
  FolderRef folder = AsFolderRef(rooted);

  PlatformFileInfo info;
  ASSERT_EQ(PlatformGetFileInfo(folder, nullptr, &info, true), kPlatformNoError);
  EXPECT_STREQ(info.name, "_Virtual_");
  EXPECT_EQ(info.size, 2u);
  PlatformStream* stream = nullptr;
  EXPECT_EQ(PlatformStream::Open(folder, nullptr, 0, &stream), kPlatformErrContainerOfStream);
  EXPECT_EQ(PlatformDeleteFile(folder, nullptr), kPlatformErrContainerOfStream);
  ASSERT_EQ(PlatformStream::Open(folder, "two", 0, &stream), kPlatformNoError);
  char data[2];
  ASSERT_EQ(PlatformStream::Read(stream, 2, data), kPlatformNoError);
  EXPECT_EQ(std::string(data, 2), "22");
  EXPECT_EQ(PlatformHandle::Dispose(bytes), kPlatformErrBadData);  // the stream still uses it
  EXPECT_EQ(PlatformStream::Close(stream), kPlatformNoError);
  EXPECT_EQ(PlatformGetIndexedFileInfo(folder, 1, &info, true), kPlatformNoError);
  EXPECT_STREQ(info.name, "two");
  EXPECT_EQ(PlatformReleaseFolder(folder), kPlatformNoError);
  EXPECT_EQ(MemoryStream::FindByHandle(bytes), nullptr);
  EXPECT_EQ(PlatformHandle::Dispose(bytes), kPlatformNoError);
}

PlatformError DeepestItem(FolderRef, const char*, const PlatformFileInfo*, int32_t, int32_t depth, void* user) {
  auto* deepest = static_cast<int32_t*>(user);
  if (depth > *deepest) *deepest = depth;
  return kPlatformNoError;
}

TEST_F(FileManager, WalksIntoNestedContainersStopAtAFixedDepth) {
  std::string nested = ChunkContainerBytes({{"leaf", 3, "x"}}, 1);
  for (int level = 0; level < 80; ++level) nested = ChunkContainerBytes({{"level", 7, nested}}, 1);
  temp_.WriteFile("deep.chk", nested);
  FolderRef deep = 0;
  ASSERT_EQ(PlatformResolveFolder(folder_, "deep.chk", &deep), kPlatformNoError);
  int32_t deepest = 0;
  EXPECT_EQ(PlatformEnumerateFolder(deep, DeepestItem, &deepest, kWalkDescend), kPlatformNoError);
  EXPECT_EQ(deepest, 65);
  EXPECT_EQ(PlatformReleaseFolder(deep), kPlatformNoError);
}

TEST_F(FileManager, ShutdownClosesStreamsLeftOpen) {
  temp_.WriteFile("box.chk", ChunkContainerBytes({{"inner", 7, ChunkContainerBytes({{"leaf", 3, "x"}}, 1)}}, 1));
  PlatformStream* leaf = nullptr;
  ASSERT_EQ(PlatformStream::Open(folder_, "box.chk/inner/leaf", 0, &leaf), kPlatformNoError);
  PlatformStream* again = nullptr;
  ASSERT_EQ(PlatformStream::Open(folder_, "box.chk/inner/leaf", 0, &again), kPlatformNoError);
  EXPECT_EQ(again, leaf);
  EXPECT_EQ(leaf->useCount, 2);
  // Left open on purpose: the fixture's shutdown must close the record, its nested container and the file.
}

}  // namespace
