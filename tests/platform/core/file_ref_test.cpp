// File references: path text, resolving on disk and into containers, parents, special folders, volumes,
// listings, creation, information, file types and the error map.
#include "platform/core/file_ref.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/files.h"
#include "platform/core/platform_stream.h"
#include "tests/support/temp_folder.h"

namespace {

std::string PathText(PlatformHandle* ref) {
  char text[1024];
  EXPECT_EQ(FileRef::GetPathText(ref, text, sizeof(text)), kPlatformNoError);
  return text;
}

// A reference to the test's temporary folder.
class FileRefs : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = FileRef::New();
    ASSERT_NE(base_, nullptr);
    ASSERT_EQ(FileRef::SetFromDrivePath(base_, 'c', temp_.Posix().c_str()), kPlatformNoError);
  }
  void TearDown() override { FileRef::Dispose(AsFolderRef(base_)); }

  // Resolves `text` from the base into a new reference (null on failure, with the error).
  PlatformHandle* ResolveText(const char* text, PlatformError* error) {
    PlatformHandle* out = nullptr;
    *error = FileRef::Resolve(base_, AsFolderRef(text), &out);
    return out;
  }

  TempFolder temp_;
  PlatformHandle* base_ = nullptr;
};

TEST(PathTextSegments, DecodeEscapesAndRefuseSeparators) {
  struct Case {
    const char* text;
    PlatformError error;
    std::string decoded;
  };
  const Case cases[] = {
      {"plain", kPlatformNoError, "plain"},
      {"a%2Fb", kPlatformNoError, "a/b"},
      {"%41%62c", kPlatformNoError, "Abc"},
      {"a%3Ab", kPlatformNoError, "a%3Ab"},   // ":" is never produced by an escape
      {"a%5cb", kPlatformNoError, "a%5cb"},   // nor "\"
      {"a%zzb", kPlatformNoError, "a%zzb"},   // not hexadecimal: an ordinary "%"
      {"end%4", kPlatformNoError, "end%4"},   // too short to be an escape
      {"a:b", kPlatformErrBadFileName, ""},
      {"a\\b", kPlatformErrBadFileName, ""},
      {"nul%00", kPlatformErrBadFileName, ""},
  };
  for (const Case& c : cases) {
    uint8_t name[256];
    PlatformError error = DecodePathSegment(c.text, std::strlen(c.text), name);
    EXPECT_EQ(error, c.error) << c.text;
    if (error == kPlatformNoError) {
      EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), c.decoded);
    }
  }
  std::string longest(255, 'x');
  uint8_t name[256];
  EXPECT_EQ(DecodePathSegment(longest.c_str(), longest.size(), name), kPlatformNoError);
  longest += 'x';
  EXPECT_EQ(DecodePathSegment(longest.c_str(), longest.size(), name), kPlatformErrBadFileName);
}

TEST(PathTextSegments, EscapingRoundTrips) {
  const std::string raw = std::string("a/b%c:d\\e\tf\rg\nh") + '\0' + "i";
  char escaped[256];
  EscapePathName(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(), escaped, sizeof(escaped));
  EXPECT_STREQ(escaped, "a%2Fb%25c%3Ad%5Ce%09f%0Dg%0Ah%00i");
  uint8_t back[256];
  // ":" and "\" escapes are refused on the way back in, as a name may never hold them.
  EXPECT_EQ(DecodePathSegment("a%2Fb%25c", 9, back), kPlatformNoError);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(back + 1), back[0]), "a/b%c");
}

TEST_F(FileRefs, PathTextResolvesFoldersAndIgnoresDoubledSlashes) {
  temp_.WriteFile("Data/Maps/town.txt", "x");
  const std::string expected = "C:" + temp_.Posix() + "/Data/Maps";
  for (const char* text : {"Data/Maps", "Data//Maps/", "./Data/Maps/../Maps", "Data/Maps/"}) {
    PlatformError error;
    PlatformHandle* ref = ResolveText(text, &error);
    ASSERT_EQ(error, kPlatformNoError) << text;
    EXPECT_EQ(PathText(ref), expected) << text;
    FileRef::Dispose(AsFolderRef(ref));
  }
  // Letter case does not matter for finding an item; the reference keeps the names as written.
  PlatformError caseError;
  PlatformHandle* anyCase = ResolveText("data/MAPS/TOWN.TXT", &caseError);
  ASSERT_EQ(caseError, kPlatformNoError);
  EXPECT_TRUE(FileRef::Exists(anyCase));
  FileRef::Dispose(AsFolderRef(anyCase));
  for (const std::string& volume : {std::string("/C"), std::string("/system"), std::string("//c/")}) {
    PlatformError error;
    std::string text = volume + temp_.Posix() + "/Data";
    PlatformHandle* ref = ResolveText(text.c_str(), &error);
    ASSERT_EQ(error, kPlatformNoError) << text;
    EXPECT_EQ(PathText(ref), "C:" + temp_.Posix() + "/Data");
    FileRef::Dispose(AsFolderRef(ref));
  }
}

TEST_F(FileRefs, FailedResolvesGiveTheMappedErrorAndLeaveTheBase) {
  temp_.WriteFile("Data/file.txt", "x");
  struct Case {
    const char* text;
    PlatformError error;
  };
  const Case cases[] = {
      {"Data/none", kPlatformErrFileNotFound},
      {"none/deeper", kPlatformErrFileNotFound},
      {"Da:ta", kPlatformErrBadFileName},
      {"/NOVOLUME/x", kPlatformErrPathNotFound},
  };
  const std::string before = PathText(base_);
  for (const Case& c : cases) {
    PlatformError error;
    EXPECT_EQ(ResolveText(c.text, &error), nullptr);
    EXPECT_EQ(error, c.error) << c.text;
    EXPECT_EQ(FileRef::Resolve(base_, AsFolderRef(c.text), nullptr), c.error) << c.text;
    EXPECT_EQ(PathText(base_), before);
  }
}

TEST_F(FileRefs, NamesAfterAFileBecomeComponents) {
  temp_.WriteFile("box.chk", "not opened by resolving");
  PlatformError error;
  PlatformHandle* ref = ResolveText("box.chk/inner%2Fname/leaf", &error);
  ASSERT_EQ(error, kPlatformNoError);
  EXPECT_TRUE(FileRef::HasComponents(ref));
  EXPECT_EQ(PathText(ref), "C:" + temp_.Posix() + "/box.chk/inner%2Fname/leaf");
  char popped[256];
  EXPECT_EQ(FileRef::PopComponent(ref, popped), kPlatformNoError);
  EXPECT_STREQ(popped, "leaf");
  EXPECT_EQ(FileRef::Resolve(ref, kFolderParent, nullptr), kPlatformNoError);
  EXPECT_EQ(PathText(ref), "C:" + temp_.Posix() + "/box.chk");
  EXPECT_EQ(FileRef::Resolve(ref, kFolderParent, nullptr), kPlatformNoError);
  EXPECT_EQ(PathText(ref), "C:" + temp_.Posix());
  FileRef::Dispose(AsFolderRef(ref));
}

TEST_F(FileRefs, RegisteredReferencesResolveAsThemselves) {
  temp_.WriteFile("Data/x", "");
  PlatformError error;
  PlatformHandle* data = ResolveText("Data", &error);
  ASSERT_EQ(error, kPlatformNoError);
  ASSERT_EQ(FileRef::Register(data), kPlatformNoError);
  EXPECT_TRUE(FileRef::IsValid(AsFolderRef(data)));
  EXPECT_EQ(FileRef::Resolve(data, AsFolderRef(data), nullptr), kPlatformNoError);  // onto itself
  EXPECT_EQ(PathText(data), "C:" + temp_.Posix() + "/Data");
  PlatformHandle* copy = nullptr;
  ASSERT_EQ(FileRef::Resolve(base_, AsFolderRef(data), &copy), kPlatformNoError);
  EXPECT_EQ(PathText(copy), PathText(data));
  EXPECT_FALSE(FileRef::IsValid(AsFolderRef(copy)));  // a result is not registered
  ASSERT_EQ(FileRef::Resolve(copy, AsFolderRef(""), nullptr), kPlatformNoError);
  EXPECT_EQ(PathText(copy), PathText(data));
  FileRef::Dispose(AsFolderRef(copy));
  FileRef::Dispose(AsFolderRef(data));
  EXPECT_FALSE(FileRef::IsValid(AsFolderRef(data)));
}

TEST_F(FileRefs, ParentsStopAtTheRoot) {
  PlatformHandle* ref = FileRef::New();
  ASSERT_EQ(FileRef::SetFromDrivePath(ref, 'C', "\\tmp"), kPlatformNoError);
  uint8_t name[256];
  EXPECT_EQ(FileRef::GetParent(ref, name), kPlatformNoError);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(name + 1), name[0]), "tmp");
  EXPECT_EQ(PathText(ref), "C:/");
  EXPECT_EQ(FileRef::GetParent(ref, name), kPlatformErrPathNotFound);
  EXPECT_EQ(FileRef::Resolve(ref, kFolderParent, nullptr), kPlatformErrPathNotFound);
  FileRef::Dispose(AsFolderRef(ref));
}

TEST_F(FileRefs, SpecialFoldersAndVolumes) {
  const std::string home = "C:" + temp_.Posix() + "/home";
  struct Case {
    FolderRef number;
    std::string expected;
  };
  const Case cases[] = {
      {kFolderDocuments, home + "/documents"},
      {kFolderTemporary, home + "/cache"},
      {kFolderApplicationData, home + "/data"},
      {kFolderApplicationData2, home + "/data"},
      {1, "C:/"},
  };
  for (const Case& c : cases) {
    PlatformHandle* ref = nullptr;
    ASSERT_EQ(FileRef::Resolve(base_, c.number, &ref), kPlatformNoError) << c.number;
    EXPECT_EQ(PathText(ref), c.expected);
    FileRef::Dispose(AsFolderRef(ref));
  }
  PlatformHandle* program = nullptr;
  ASSERT_EQ(FileRef::Resolve(base_, kFolderProgram, &program), kPlatformNoError);
  EXPECT_EQ(PathText(program).substr(0, 3), "C:/");
  FileRef::Dispose(AsFolderRef(program));
  EXPECT_EQ(ListVolumes(base_, 2), kPlatformErrFileNotFound);
  EXPECT_EQ(FileRef::Dispose(kFolderDocuments), kPlatformNoError);
  EXPECT_EQ(FileRef::Dispose(100), kPlatformNoError);
}

TEST_F(FileRefs, ListingIsSortedAndEndsWithFileNotFound) {
  for (const char* name : {"b.txt", "A.png", "c"}) temp_.WriteFile(name, "12345");
  ASSERT_EQ(mkdir(temp_.PosixPath("Sub").c_str(), 0777), 0);
  std::vector<std::string> names;
  PlatformFileInfo info;
  for (uint32_t n = 0;; ++n) {
    PlatformError error = FileRef::ListFolder(base_, n, &info, nullptr, true);
    if (error == kPlatformErrFileNotFound) break;
    ASSERT_EQ(error, kPlatformNoError);
    names.push_back(info.name);
    if (names.back() == "A.png") {
      EXPECT_EQ(info.type, FourCharCode("PNGf"));
      EXPECT_EQ(info.size, 5u);
    }
    if (names.back() == "Sub") {
      EXPECT_EQ(info.isFolder, 1);
    }
  }
  EXPECT_EQ(names, (std::vector<std::string>{"A.png", "b.txt", "c", "Sub"}));
  PlatformFileInfo folder;
  ASSERT_EQ(FileRef::GetInfo(base_, &folder, true), kPlatformNoError);
  EXPECT_EQ(folder.size, 4u);
}

TEST_F(FileRefs, CreatingAnExistingItemFailsAndLeavesItUntouched) {
  temp_.WriteFile("keep.txt", "precious");
  PlatformFileInfo info = {};
  std::strcpy(info.name, "keep.txt");
  info.size = 3;
  PlatformHandle* folder = nullptr;
  ASSERT_EQ(FileRef::Resolve(base_, 0, &folder), kPlatformNoError);
  EXPECT_EQ(FileRef::Create(folder, &info), kPlatformErrFileExists);
  EXPECT_EQ(temp_.ReadFile("keep.txt"), "precious");
  EXPECT_EQ(PathText(folder), "C:" + temp_.Posix());

  std::strcpy(info.name, "new.bin");
  info.size = 7;
  EXPECT_EQ(FileRef::Create(folder, &info), kPlatformNoError);
  EXPECT_EQ(PathText(folder), "C:" + temp_.Posix() + "/new.bin");
  EXPECT_EQ(temp_.ReadFile("new.bin"), std::string(7, '\0'));
  EXPECT_EQ(FileRef::Delete(folder), kPlatformNoError);
  EXPECT_FALSE(temp_.Exists("new.bin"));

  // The name is put after the folder's path as it stands: "sub/inner.txt" is a file of the folder "sub".
  ASSERT_EQ(mkdir(temp_.PosixPath("sub").c_str(), 0700), 0);
  std::strcpy(info.name, "sub/inner.txt");
  info.size = 2;
  FileRef::Dispose(AsFolderRef(folder));
  ASSERT_EQ(FileRef::Resolve(base_, 0, &folder), kPlatformNoError);
  EXPECT_EQ(FileRef::Create(folder, &info), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("sub/inner.txt"), std::string(2, '\0'));
  EXPECT_EQ(PathText(folder), "C:" + temp_.Posix() + "/sub/inner.txt");
  std::strcpy(info.name, "missing/name");
  EXPECT_EQ(FileRef::Create(base_, &info), kPlatformErrPathNotFound);
  FileRef::Dispose(AsFolderRef(folder));
}

TEST_F(FileRefs, TimesAndLargeSizesInTheInformation) {
  temp_.WriteFile("dated.txt", "");
  struct timespec times[2];
  times[0].tv_sec = times[1].tv_sec = 951827696;  // 2000-02-29 12:34:56
  times[0].tv_nsec = times[1].tv_nsec = 0;
  ASSERT_EQ(utimensat(AT_FDCWD, temp_.PosixPath("dated.txt").c_str(), times, 0), 0);
  PlatformHandle* file = nullptr;
  ASSERT_EQ(FileRef::Resolve(base_, AsFolderRef("dated.txt"), &file), kPlatformNoError);
  uint32_t created = 0;
  uint32_t modified = 0;
  ASSERT_EQ(FileRef::GetTimes(file, &created, &modified), kPlatformNoError);
  EXPECT_EQ(modified, 951827696u);
  FileRef::Dispose(AsFolderRef(file));

  ASSERT_EQ(truncate((temp_.PosixPath("dated.txt")).c_str(), 0x100000000LL), 0);  // sparse: no disk used
  ASSERT_EQ(FileRef::Resolve(base_, AsFolderRef("dated.txt"), &file), kPlatformNoError);
  PlatformFileInfo info;
  ASSERT_EQ(FileRef::GetInfo(file, &info, false), kPlatformNoError);
  EXPECT_EQ(info.size, 0xFFFFFFFFu);
  FileRef::Dispose(AsFolderRef(file));
}

TEST(FileTypes, ChosenByExtensionThenByType) {
  struct Case {
    const char* name;
    uint32_t type;
    const char* expectedType;
    const char* expectedCreator;
  };
  const Case cases[] = {
      {"photo.JPEG", 0, "JPEG", "ogle"},  {"photo.jpg", 0, "JPEG", "ogle"}, {"png", 0, "PNGf", "ogle"},
      {"readme", 0, "????", "????"},      {"notes.txt", 0, "TEXT", "ttxt"}, {"main.cpp", 0, "TEXT", "CWIE"},
      {"", FourCharCode("GIF "), "GIF ", "ogle"}, {"", FourCharCode("zzzz"), "????", "????"},
      {"x.png", FourCharCode("TEXT"), "PNGf", "ogle"},
  };
  for (const Case& c : cases) {
    FileTypeRow row = GetFileTypeForName(c.name, c.type);
    EXPECT_EQ(row.type, FourCharCode(*reinterpret_cast<const char(*)[5]>(c.expectedType))) << c.name;
    EXPECT_EQ(row.creator, FourCharCode(*reinterpret_cast<const char(*)[5]>(c.expectedCreator))) << c.name;
  }
  EXPECT_EQ(GetFileExtensionCode("a.txt"), 0x74787400u);
  EXPECT_EQ(GetFileExtensionCode("A.JPEG"), 0x6A706567u);
}

TEST(SystemErrors, MapToFrameworkCodes) {
  struct Case {
    uint32_t win32;
    PlatformError expected;
  };
  const Case cases[] = {
      {0, kPlatformNoError},          {2, kPlatformErrFileNotFound},      {161, kPlatformErrPathNotFound},
      {18, kPlatformErrTooManyFiles}, {19, kPlatformErrAccessDenied},     {14, kPlatformErrNoMemory},
      {1173, kPlatformErrVolumeUnavailable}, {145, kPlatformErrFileBusy}, {38, kPlatformErrEndOfStream},
      {112, kPlatformErrDiskFull},    {183, kPlatformErrFileExists},      {123, kPlatformErrBadFileName},
      {1223, kPlatformErrCancelled},  {9999, kPlatformErrFile},
  };
  for (const Case& c : cases) EXPECT_EQ(TranslateWin32Error(c.win32), c.expected) << c.win32;
  SetLastError(0);
  EXPECT_EQ(LastFileError(), kPlatformErrFile);  // a failure without an error number is still a failure
}

}  // namespace
