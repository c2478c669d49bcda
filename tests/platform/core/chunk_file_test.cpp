// "CHNK" containers: validity of stored headers, creation, adding and removing records across index growth,
// names, hostile entries, record streams, and containers nested two levels deep on disk.
#include "platform/core/chunk_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/core/file_manager.h"
#include "tests/support/chunk_bytes.h"
#include "tests/support/file_system_fixture.h"

namespace {

// A container in a memory stream.
class MemoryContainer : public ::testing::Test {
 protected:
  void Open(const std::string& bytes) {
    handle_ = PlatformHandle::FromBytes(bytes.data(), static_cast<uint32_t>(bytes.size()));
    if (bytes.empty()) handle_ = PlatformHandle::New(0);
    ASSERT_NE(handle_, nullptr);
    ASSERT_EQ(MemoryStream::Open(handle_, &stream_), kPlatformNoError);
  }
  void TearDown() override {
    if (stream_ != nullptr) {
      EXPECT_EQ(PlatformStream::Close(stream_), kPlatformNoError);
    }
    if (handle_ != nullptr) PlatformHandle::Dispose(handle_);
  }
  std::string Bytes() const { return std::string(static_cast<char*>(handle_->data), handle_->size); }
  uint32_t HeaderField(int offset) const {
    return ReadBigEndian32(static_cast<const uint8_t*>(handle_->data) + offset);
  }
  PlatformError Add(const std::string& name, uint8_t folder = 0) {
    PlatformFileInfo info = {};
    std::strncpy(info.name, name.c_str(), sizeof(info.name) - 1);
    info.readable = 1;
    info.writable = 1;
    info.isFolder = folder;
    info.type = FourCharCode("TEXT");
    return ChunkFile::AddRecord(stream_, &info);
  }
  // Writes `data` as the whole content of a record.
  void Fill(const std::string& name, const std::string& data) {
    PlatformStream* record = nullptr;
    PlatformStream::AddRef(stream_, 1);
    ASSERT_EQ(ChunkFile::OpenRecordStream(stream_, name.c_str(), true, false, &record), kPlatformNoError);
    PlatformStream::Link(record);
    EXPECT_EQ(PlatformStream::Write(record, static_cast<uint32_t>(data.size()), data.data()), kPlatformNoError);
    EXPECT_EQ(PlatformStream::Close(record), kPlatformNoError);
  }
  std::string Content(const std::string& name) {
    PlatformStream* record = nullptr;
    PlatformStream::AddRef(stream_, 1);
    PlatformError error = ChunkFile::OpenRecordStream(stream_, name.c_str(), false, false, &record);
    if (error != kPlatformNoError) {
      PlatformStream::AddRef(stream_, -1);
      return "<error " + std::to_string(error) + ">";
    }
    PlatformStream::Link(record);
    std::string data(record->size, '\0');
    EXPECT_EQ(PlatformStream::Read(record, record->size, data.data()), kPlatformNoError);
    PlatformStream::Close(record);
    return data;
  }

  PlatformHandle* handle_ = nullptr;
  PlatformStream* stream_ = nullptr;
};

TEST(ChunkValidity, StoredHeadersAreCheckedBeforeUse) {
  struct Case {
    const char* what;
    std::string bytes;
    bool valid;
  };
  const std::string index10(800, '\0');
  const Case cases[] = {
      {"zero_entry_container", ChunkHeaderBytes(20, 20, 80, 0), true},
      {"ten_entries", ChunkHeaderBytes(20, 20, 80, 10) + index10, true},
      {"longer_header", ChunkHeaderBytes(24, 24, 80, 0) + "abcd", true},
      {"nineteen_bytes", ChunkHeaderBytes(20, 20, 80, 0).substr(0, 19), false},
      {"wrong_magic", "CHNX" + ChunkHeaderBytes(20, 20, 80, 0).substr(4), false},
      {"header_size_19", ChunkHeaderBytes(19, 20, 80, 0), false},
      {"count_beyond_the_file", ChunkHeaderBytes(20, 20, 80, 11) + index10, false},
      {"entries_shorter_than_80", ChunkHeaderBytes(20, 20, 40, 2) + std::string(80, '\0'), false},
      {"entries_longer_than_64k", ChunkHeaderBytes(20, 20, 0x08000000, 0), false},
      {"index_inside_the_header", ChunkHeaderBytes(20, 4, 80, 0), false},
      {"index_past_the_end", ChunkHeaderBytes(20, 21, 80, 0), false},
      {"sum_that_wraps_32_bits", ChunkHeaderBytes(20, 0xFFFFFFF0u, 0x100, 0x01000000), false},
      {"header_longer_than_file", ChunkHeaderBytes(64, 64, 80, 0), false},
  };
  for (const Case& c : cases) {
    PlatformHandle* handle = PlatformHandle::FromBytes(c.bytes.data(), static_cast<uint32_t>(c.bytes.size()));
    EXPECT_EQ(IsChunkData(handle), c.valid) << c.what;
    PlatformStream* stream = nullptr;
    ASSERT_EQ(MemoryStream::Open(handle, &stream), kPlatformNoError);
    EXPECT_EQ(ChunkFile::ReadIndex(stream), c.valid ? kPlatformNoError : kPlatformErrBadContainer) << c.what;
    EXPECT_EQ(stream->position, 0u);
    PlatformStream::Close(stream);
    PlatformHandle::Dispose(handle);
  }
}

TEST_F(MemoryContainer, CreateWritesTheDefaultTenEntries) {
  for (uint32_t n : {0u, 1001u, 10u}) {
    Open("");
    ASSERT_EQ(ChunkFile::Create(stream_, n), kPlatformNoError);
    EXPECT_EQ(handle_->size, 820u) << n;
    EXPECT_EQ(Bytes().substr(0, 20), ChunkHeaderBytes(20, 20, 80, 10));
    EXPECT_EQ(Bytes().substr(20), std::string(800, '\0'));
    EXPECT_EQ(ChunkFile::Create(stream_, 3), kPlatformErrBadContainer);  // not into a stream with content
    TearDown();
    stream_ = nullptr;
    handle_ = nullptr;
  }
}

TEST_F(MemoryContainer, IndexGrowsInPlaceWhenItEndsTheContainer) {
  Open("");
  ASSERT_EQ(ChunkFile::Create(stream_, 10), kPlatformNoError);
  for (int i = 0; i < 11; ++i) ASSERT_EQ(Add("r" + std::to_string(i)), kPlatformNoError) << i;
  EXPECT_EQ(HeaderField(16), 20u);  // entries doubled
  EXPECT_EQ(HeaderField(8), 20u);   // and still right after the header
  EXPECT_EQ(handle_->size, 20u + 20 * 80);
  for (int i = 0; i < 11; ++i) EXPECT_TRUE(ChunkFile::FindRecord(stream_, ("r" + std::to_string(i)).c_str(), nullptr, nullptr));
  ASSERT_EQ(ChunkFile::ReadIndex(stream_), kPlatformNoError);  // the stored index says the same
  EXPECT_TRUE(ChunkFile::FindRecord(stream_, "r10", nullptr, nullptr));
}

TEST_F(MemoryContainer, IndexMovesToTheEndWhenDataFollowsIt) {
  Open("");
  ASSERT_EQ(ChunkFile::Create(stream_, 10), kPlatformNoError);
  ASSERT_EQ(Add("first"), kPlatformNoError);
  Fill("first", "data of the first record");
  uint32_t sizeBefore = handle_->size;
  for (int i = 0; i < 10; ++i) ASSERT_EQ(Add("more" + std::to_string(i)), kPlatformNoError);
  EXPECT_EQ(HeaderField(8), sizeBefore);  // the index now starts where the file ended
  EXPECT_EQ(HeaderField(16), 20u);
  EXPECT_EQ(handle_->size, sizeBefore + 20 * 80);
  EXPECT_EQ(Content("first"), "data of the first record");
  ASSERT_EQ(ChunkFile::ReadIndex(stream_), kPlatformNoError);
  EXPECT_EQ(Content("first"), "data of the first record");
  EXPECT_TRUE(ChunkFile::FindRecord(stream_, "more9", nullptr, nullptr));
}

TEST_F(MemoryContainer, RemovingTheLastDataShortensTheContainerAndFreesTheEntry) {
  Open(ChunkContainerBytes({}, 2));
  ASSERT_EQ(Add("a"), kPlatformNoError);
  ASSERT_EQ(Add("b"), kPlatformNoError);
  Fill("a", "AAAA");
  Fill("b", "BBBBBB");
  uint32_t full = handle_->size;
  ASSERT_EQ(ChunkFile::RemoveRecord(stream_, "a"), kPlatformNoError);  // not last: its bytes stay as free space
  EXPECT_EQ(handle_->size, full);
  ASSERT_EQ(ChunkFile::RemoveRecord(stream_, "b"), kPlatformNoError);  // last: the container is cut back
  EXPECT_EQ(handle_->size, full - 6);
  EXPECT_EQ(ChunkFile::RemoveRecord(stream_, "b"), kPlatformErrFileNotFound);
  ASSERT_EQ(Add("b"), kPlatformNoError);  // re-added into a freed entry: no growth
  EXPECT_EQ(HeaderField(16), 2u);
  EXPECT_EQ(Content("b"), "");
}

TEST_F(MemoryContainer, ARecordGrowingInTheMiddleMovesToTheEndWhileOpen) {
  Open(ChunkContainerBytes({{"a", 3, "AAAA"}, {"b", 3, "BBBB"}}, 2));
  PlatformStream* a = nullptr;
  PlatformStream::AddRef(stream_, 1);
  ASSERT_EQ(ChunkFile::OpenRecordStream(stream_, "a", true, false, &a), kPlatformNoError);
  PlatformStream::Link(a);
  uint32_t before = handle_->size;
  const std::string more(40000, 'm');  // moved in more than one segment
  ASSERT_EQ(PlatformStream::SetPosition(a, 4), kPlatformNoError);
  ASSERT_EQ(PlatformStream::Write(a, static_cast<uint32_t>(more.size()), more.data()), kPlatformNoError);
  EXPECT_EQ(handle_->size, before + 4 + more.size());  // the old 4 bytes stay behind as free space
  ASSERT_EQ(PlatformStream::SetPosition(a, 0), kPlatformNoError);
  std::string back(4 + more.size(), '\0');
  ASSERT_EQ(PlatformStream::Read(a, static_cast<uint32_t>(back.size()), back.data()), kPlatformNoError);
  EXPECT_EQ(back, "AAAA" + more);
  EXPECT_EQ(PlatformStream::Close(a), kPlatformNoError);
  EXPECT_EQ(Content("b"), "BBBB");
  ASSERT_EQ(ChunkFile::ReadIndex(stream_), kPlatformNoError);  // the stored entry has the new place
  EXPECT_EQ(Content("a"), "AAAA" + more);
}

// A full index doubles its entries; one of no entries, which doubling would leave without room, grows to ten.
TEST_F(MemoryContainer, AFullIndexDoublesAndAnEmptyOneGrowsToTen) {
  const struct {
    uint32_t entries;
    uint32_t grown;
  } cases[] = {{0, 10}, {1, 2}, {3, 6}};
  for (const auto& c : cases) {
    std::vector<ChunkRecordSpec> full;
    for (uint32_t i = 0; i < c.entries; ++i) full.push_back({"r" + std::to_string(i), 3, ""});
    Open(ChunkContainerBytes(full, c.entries));
    ASSERT_EQ(Add("only"), kPlatformNoError);
    EXPECT_EQ(HeaderField(16), c.grown) << c.entries;
    EXPECT_EQ(handle_->size, 20u + 80 * c.grown) << c.entries;
    Fill("only", "payload");
    EXPECT_EQ(Content("only"), "payload");
    TearDown();
    stream_ = nullptr;
    handle_ = nullptr;
  }
}

TEST_F(MemoryContainer, NamesAreExactBoundedAndUnique) {
  Open("");
  ASSERT_EQ(ChunkFile::Create(stream_, 4), kPlatformNoError);
  EXPECT_EQ(Add("Case"), kPlatformNoError);
  EXPECT_EQ(Add("case"), kPlatformNoError);  // letter case makes a different name
  EXPECT_EQ(Add("case"), kPlatformErrFileExists);
  // A name of 64 bytes or more is stored cut to 63: it is found by its whole name and by the cut one, and is
  // the same name as another that shares those 63 bytes.
  const std::string cut(63, 'n');
  EXPECT_EQ(Add(cut + "nnnnnnn"), kPlatformNoError);
  EXPECT_EQ(Add(cut + "n"), kPlatformErrFileExists);
  EXPECT_EQ(Add(cut), kPlatformErrFileExists);
  EXPECT_EQ(Content(cut + "nnnnnnn"), "");
  PlatformFileInfo longInfo;
  ASSERT_EQ(ChunkFile::GetRecordInfoByName(stream_, (cut + "xyz").c_str(), &longInfo, nullptr), kPlatformNoError);
  EXPECT_EQ(std::string(longInfo.name), cut);
  EXPECT_EQ(Add("a%2Fb"), kPlatformNoError);  // path text: the record is named "a/b"
  EXPECT_TRUE(ChunkFile::FindRecord(stream_, "a/b", nullptr, nullptr));
  EXPECT_EQ(Add("x:y"), kPlatformErrBadFileName);
  PlatformFileInfo info;
  ASSERT_EQ(ChunkFile::GetRecordInfoByName(stream_, "a%2Fb", &info, nullptr), kPlatformNoError);
  EXPECT_STREQ(info.name, "a%2Fb");
  EXPECT_EQ(ChunkFile::GetRecordInfoByName(stream_, std::string(70, 'm').c_str(), &info, nullptr),
            kPlatformErrFileNotFound);
}

TEST_F(MemoryContainer, HostileEntriesAreRefused) {
  // A name filling all 64 bytes with no terminator, and records whose data lies outside the container.
  std::string bytes = ChunkContainerBytes({{"inside", 3, "12345"}, {"past_end", 3, ""}, {"no_offset", 3, ""}}, 4);
  std::string full(64, 'u');
  bytes.replace(20 + 3 * 80, 64, full);
  bytes.replace(20 + 3 * 80 + 64, 4, BigEndian32(3));
  bytes.replace(20 + 80 + 68, 8, BigEndian32(20 + 4 * 80) + BigEndian32(1000));  // offset fine, length too long
  bytes.replace(20 + 160 + 68, 8, BigEndian32(0) + BigEndian32(4));              // length without an offset
  Open(bytes);
  ASSERT_EQ(ChunkFile::ReadIndex(stream_), kPlatformNoError);
  EXPECT_EQ(Content("inside"), "12345");
  EXPECT_EQ(Content("past_end"), "<error -7206>");
  EXPECT_EQ(Content("no_offset"), "<error -7206>");
  EXPECT_TRUE(ChunkFile::FindRecord(stream_, full.c_str(), nullptr, nullptr));  // read within its 64 bytes
  PlatformFileInfo info;
  ASSERT_EQ(ChunkFile::GetRecordInfo(stream_, 3, &info, nullptr), kPlatformNoError);
  EXPECT_EQ(std::string(info.name), full);
  EXPECT_EQ(ChunkFile::GetRecordInfo(stream_, 4, &info, nullptr), kPlatformErrFileNotFound);
}

TEST_F(MemoryContainer, RecordStreamsStopAtTheirEndAndBlockRemoval) {
  Open(ChunkContainerBytes({{"rec", 3, "0123456789"}, {"readonly", 1, "r"}, {"hidden", 0, ""}}, 3));
  PlatformStream* record = nullptr;
  PlatformStream::AddRef(stream_, 1);
  ASSERT_EQ(ChunkFile::OpenRecordStream(stream_, "rec", true, false, &record), kPlatformNoError);
  PlatformStream::Link(record);
  EXPECT_EQ(PlatformStream::SetPosition(record, 10), kPlatformNoError);
  EXPECT_EQ(PlatformStream::SetPosition(record, 11), kPlatformErrEndOfStream);
  EXPECT_EQ(ChunkFile::FindOpenRecordStream(stream_, "rec"), record);
  EXPECT_EQ(ChunkFile::RemoveRecord(stream_, "rec"), kPlatformErrFileBusy);
  ASSERT_EQ(PlatformStream::SetPosition(record, 2), kPlatformNoError);
  char two[2];
  ASSERT_EQ(PlatformStream::Read(record, 2, two), kPlatformNoError);
  EXPECT_EQ(std::string(two, 2), "23");
  EXPECT_EQ(stream_->position, 0u);  // the container's position is kept
  EXPECT_EQ(PlatformStream::Close(record), kPlatformNoError);
  EXPECT_EQ(ChunkFile::OpenRecordStream(stream_, "readonly", true, false, &record), kPlatformErrAccessDenied);
  EXPECT_EQ(ChunkFile::OpenRecordStream(stream_, "hidden", false, false, &record), kPlatformErrAccessDenied);
}

// Containers on disk, reached through references and the file manager.
using DiskContainers = FileSystemTest;

PlatformFileInfo NewItem(const char* name, uint8_t folder, uint8_t container) {
  PlatformFileInfo info = {};
  std::strcpy(info.name, name);
  info.readable = 1;
  info.writable = 1;
  info.isFolder = folder;
  info.isContainer = container;
  return info;
}

TEST_F(DiskContainers, NestedTwoLevelsDeepThroughReferences) {
  PlatformFileInfo box = NewItem("box.chk", 0, 1);
  ASSERT_EQ(PlatformCreateFile(folder_, &box), kPlatformNoError);
  EXPECT_EQ(temp_.ReadFile("box.chk").size(), 820u);
  FolderRef boxRef = 0;
  ASSERT_EQ(PlatformResolveFolder(folder_, "box.chk", &boxRef), kPlatformNoError);
  // A registered container file keeps its container stream open; a plain file gets none.
  EXPECT_NE(FileRef::Data(reinterpret_cast<PlatformHandle*>(boxRef))->heldStream, nullptr);
  temp_.WriteFile("plain.txt", "no container");
  FolderRef plainRef = 0;
  ASSERT_EQ(PlatformResolveFolder(folder_, "plain.txt", &plainRef), kPlatformNoError);
  EXPECT_EQ(FileRef::Data(reinterpret_cast<PlatformHandle*>(plainRef))->heldStream, nullptr);
  EXPECT_EQ(PlatformReleaseFolder(plainRef), kPlatformNoError);
  PlatformFileInfo inner = NewItem("inner", 1, 0);
  ASSERT_EQ(PlatformCreateFile(boxRef, &inner), kPlatformNoError);
  FolderRef innerRef = 0;
  ASSERT_EQ(PlatformResolveFolder(boxRef, "inner", &innerRef), kPlatformNoError);
  PlatformFileInfo deeper = NewItem("deeper", 1, 0);
  deeper.size = 3;
  ASSERT_EQ(PlatformCreateFile(innerRef, &deeper), kPlatformNoError);

  const std::string text = "two levels down";
  PlatformHandle* bytes = PlatformHandle::FromBytes(text.data(), static_cast<uint32_t>(text.size()));
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "box.chk/inner/deeper/leaf.txt", false, 0, 0, bytes),
            kPlatformNoError);
  PlatformHandle* back = nullptr;
  ASSERT_EQ(PlatformReadFileToHandle(folder_, "box.chk/inner/deeper/leaf.txt", 1000, false, &back),
            kPlatformNoError);
  EXPECT_EQ(std::string(static_cast<char*>(back->data), back->size), text);
  PlatformHandle::Dispose(back);

  // Rewriting it longer grows the records that hold it, level by level.
  const std::string longer(70000, 'L');
  PlatformHandle* big = PlatformHandle::FromBytes(longer.data(), static_cast<uint32_t>(longer.size()));
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "box.chk/inner/deeper/leaf.txt", true, 0, 0, big), kPlatformNoError);
  ASSERT_EQ(PlatformReadFileToHandle(folder_, "box.chk/inner/deeper/leaf.txt", 100000, false, &back),
            kPlatformNoError);
  EXPECT_EQ(std::string(static_cast<char*>(back->data), back->size), longer);
  PlatformHandle::Dispose(back);
  PlatformHandle::Dispose(big);
  ASSERT_EQ(PlatformWriteHandleToFile(folder_, "box.chk/inner/deeper/leaf.txt", true, 0, 0, bytes), kPlatformNoError);

  PlatformFileInfo info;
  ASSERT_EQ(PlatformGetFileInfo(folder_, "box.chk/inner/deeper", &info, true), kPlatformNoError);
  EXPECT_EQ(info.isFolder, 1);
  EXPECT_EQ(info.size, 1u);  // one used record
  ASSERT_EQ(PlatformGetFileInfo(folder_, "box.chk/inner/deeper/leaf.txt", &info, true), kPlatformNoError);
  EXPECT_EQ(info.size, text.size());
  EXPECT_EQ(info.creator, FourCharCode("ttxt"));
  ASSERT_EQ(PlatformGetFileInfo(folder_, "box.chk", &info, true), kPlatformNoError);
  EXPECT_EQ(info.isContainer, 1);
  ASSERT_EQ(PlatformGetFileInfo(folder_, "box.chk", &info, false), kPlatformNoError);
  EXPECT_EQ(info.isContainer, 0);  // only found when asked for

  EXPECT_EQ(PlatformDeleteFile(folder_, "box.chk/inner/nothing"), kPlatformErrFileNotFound);
  EXPECT_EQ(PlatformDeleteFile(folder_, "box.chk/none/leaf"), kPlatformErrPathNotFound);
  ASSERT_EQ(PlatformDeleteFile(folder_, "box.chk/inner/deeper/leaf.txt"), kPlatformNoError);
  EXPECT_EQ(PlatformGetFileInfo(folder_, "box.chk/inner/deeper/leaf.txt", nullptr, true), kPlatformErrFileNotFound);
  PlatformHandle::Dispose(bytes);
  EXPECT_EQ(PlatformReleaseFolder(innerRef), kPlatformNoError);
  EXPECT_EQ(PlatformReleaseFolder(boxRef), kPlatformNoError);
}

// A new item's name is path text resolved in the folder: its last name is the record, added to the container
// that the names before it lead to.
TEST_F(DiskContainers, ANewRecordsNameIsResolvedInTheFolder) {
  PlatformFileInfo box = NewItem("box.chk", 0, 1);
  ASSERT_EQ(PlatformCreateFile(folder_, &box), kPlatformNoError);
  FolderRef boxRef = 0;
  ASSERT_EQ(PlatformResolveFolder(folder_, "box.chk", &boxRef), kPlatformNoError);
  PlatformFileInfo sub = NewItem("sub", 1, 0);
  ASSERT_EQ(PlatformCreateFile(boxRef, &sub), kPlatformNoError);

  PlatformFileInfo nested = NewItem("sub/x", 0, 0);
  ASSERT_EQ(PlatformCreateFile(boxRef, &nested), kPlatformNoError);
  EXPECT_EQ(PlatformGetFileInfo(folder_, "box.chk/sub/x", nullptr, true), kPlatformNoError);
  EXPECT_EQ(PlatformGetFileInfo(folder_, "box.chk/sub%2Fx", nullptr, true), kPlatformErrFileNotFound);
  PlatformFileInfo info;
  ASSERT_EQ(PlatformGetFileInfo(folder_, "box.chk", &info, true), kPlatformNoError);
  ASSERT_EQ(PlatformGetIndexedFileInfo(boxRef, 0, &info, true), kPlatformNoError);
  EXPECT_STREQ(info.name, "sub");
  EXPECT_EQ(PlatformGetIndexedFileInfo(boxRef, 1, &info, true), kPlatformErrFileNotFound);  // "sub" alone on top

  // A name on the way that is no record: the path is not found.
  PlatformFileInfo lost = NewItem("none/x", 0, 0);
  EXPECT_EQ(PlatformCreateFile(boxRef, &lost), kPlatformErrPathNotFound);

  // ".." inside a container file names a record like any other name, not the folder around the file.
  PlatformFileInfo dots = NewItem("..", 0, 0);
  ASSERT_EQ(PlatformCreateFile(boxRef, &dots), kPlatformNoError);
  ASSERT_EQ(PlatformGetFileInfo(folder_, "box.chk/..", &info, true), kPlatformNoError);
  EXPECT_STREQ(info.name, "..");
  EXPECT_EQ(info.isFolder, 0);
  EXPECT_EQ(PlatformReleaseFolder(boxRef), kPlatformNoError);
}

}  // namespace
