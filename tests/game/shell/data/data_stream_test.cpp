#include "game/shell/data/data_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/support/test_names.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Attaches a copy of the bytes to the stream, owned by it.
void AttachBytes(DataStream& stream, const Bytes& bytes) {
  MemHandle block;
  if (!bytes.empty()) {
    ASSERT_TRUE(block.Allocate(bytes.size()));
    std::memcpy(block.Lock(), bytes.data(), bytes.size());
    block.Unlock();
  }
  stream.AttachMemory(block, true);
  EXPECT_TRUE(block.IsNull());
}

Bytes Written(DataStream& stream) {
  MemHandle block;
  EXPECT_TRUE(stream.TakeMemory(block));
  Bytes bytes(block.Size());
  if (!bytes.empty()) {
    std::memcpy(bytes.data(), block.Lock(), bytes.size());
    block.Unlock();
  }
  return bytes;
}

// One row: bytes in memory, the reads done on them, and what a caller then sees.
struct ReadCase {
  const char* name;
  Bytes bytes;
  std::function<std::string(DataStream&)> reads;  // returns a text of what was read
  std::string expected;
  int32_t error;
  uint32_t position;
};

class MemoryReadTest : public ::testing::TestWithParam<ReadCase> {};

TEST_P(MemoryReadTest, ReadsBigEndianWithStickyErrors) {
  const ReadCase& c = GetParam();
  DataStream stream;
  AttachBytes(stream, c.bytes);
  EXPECT_EQ(c.reads(stream), c.expected);
  EXPECT_EQ(stream.GetError(), c.error);
  EXPECT_EQ(stream.GetPosition(), c.position);
}

std::string Num(int64_t v) { return std::to_string(v) + ";"; }

INSTANTIATE_TEST_SUITE_P(
    Cases, MemoryReadTest,
    ::testing::Values(
        ReadCase{"numbers", {0x12, 0xFF, 0xFE, 0x80, 0x00, 0x00, 0x01},
                 [](DataStream& s) {
                   std::string r = Num(s.ReadByte());
                   r += Num(s.ReadInt16());
                   return r + Num(s.ReadInt32());
                 },
                 "18;-2;-2147483647;", 0, 7},
        ReadCase{"int16 on one byte is 0 and sticks", {0x01},
                 [](DataStream& s) {
                   std::string r = Num(s.ReadInt16());
                   r += Num(s.ReadByte());
                   return r + Num(s.AtEnd());
                 },
                 "0;0;1;", kDataStreamEndOfData, 0},
        ReadCase{"pstring", {3, 'a', 'b', 'c', 0},
                 [](DataStream& s) {
                   std::string a, b = "x";
                   s.ReadPString(a);
                   s.ReadPString(b);
                   return a + "|" + b;
                 },
                 "abc|", 0, 5},
        ReadCase{"pstring that does not fit is empty without an error", {10, 1, 2, 3, 4, 5, 6, 7, 8, 9},
                 [](DataStream& s) {
                   std::string a = "stale";
                   s.ReadPString(a);
                   std::string r = a + "|" + Num(s.GetPosition());  // the position before the next read
                   return r + Num(s.ReadByte());
                 },
                 "|1;1;", 0, 2},
        ReadCase{"pstring exactly fits, and one at the end sets the error", {2, 'h', 'i'},
                 [](DataStream& s) {
                   std::string a, b = "stale";
                   s.ReadPString(a);
                   std::string r = a + "|" + Num(s.AtEnd());
                   s.ReadPString(b);
                   return r + b + "|";
                 },
                 "hi|1;|", kDataStreamEndOfData, 0},
        ReadCase{"long string", {0, 2, 'o', 'k', 0, 0},
                 [](DataStream& s) {
                   std::string a, b = "stale";
                   s.ReadLongString(a);
                   s.ReadLongString(b);
                   return a + "|" + b;
                 },
                 "ok|", 0, 6},
        ReadCase{"long string cut short is zero-padded", {0, 5, 'a', 'b'},
                 [](DataStream& s) {
                   std::string a = "stale";
                   s.ReadLongString(a);
                   return a;
                 },
                 std::string("ab\0\0\0", 5), 0, 4},
        ReadCase{"scrambled pstring", {3, 'b', 'd', 'f'},
                 [](DataStream& s) {
                   std::string a;
                   s.ReadPStringScrambled(a, false);
                   return a;
                 },
                 "abc", 0, 4},
        ReadCase{"short ReadBytes takes what remains without an error", {1, 2},
                 [](DataStream& s) {
                   uint8_t buffer[4] = {9, 9, 9, 9};
                   int32_t error = s.ReadBytes(buffer, 4);
                   return Num(error) + Num(buffer[0]) + Num(buffer[1]) + Num(buffer[2]) + Num(buffer[3]) +
                          Num(s.AtEnd());
                 },
                 "0;1;2;0;0;1;", 0, 2},
        ReadCase{"seek to the size lands on the last byte", {1, 2, 3, 4},
                 [](DataStream& s) {
                   s.Seek(4);
                   std::string r = Num(s.GetPosition()) + Num(s.AtEnd());
                   s.Seek(1000);
                   r += Num(s.GetPosition());
                   return r + Num(s.ReadByte());
                 },
                 "3;0;3;4;", 0, 4},
        ReadCase{"skip clamps to the start and to the last byte", {1, 2, 3, 4, 5},
                 [](DataStream& s) {
                   s.Seek(3);
                   s.Skip(-5);
                   std::string r = Num(s.GetPosition());
                   s.Skip(5);  // reaching the end stops on the last byte
                   r += Num(s.GetPosition());
                   s.Skip(100);
                   r += Num(s.GetPosition());
                   s.Skip(-2);
                   return r + Num(s.ReadByte());
                 },
                 "0;4;4;3;", 0, 3},
        ReadCase{"push and pop position", {7, 8, 9},
                 [](DataStream& s) {
                   s.ReadByte();
                   s.PushPosition();
                   s.ReadByte();
                   s.ReadByte();
                   s.PopPosition();
                   s.PopPosition();  // an empty stack changes nothing
                   return Num(s.ReadByte());
                 },
                 "8;", 0, 2},
        ReadCase{"empty block", {},
                 [](DataStream& s) {
                   std::string r = Num(s.ReadByte());
                   return r + Num(s.IsOpen());
                 }, "0;0;", kDataStreamNoData, 0}),
    test_support::RowName());

TEST(DataStreamTest, CloseClearsTheErrorAndReportsIt) {
  DataStream stream;
  AttachBytes(stream, {1});
  stream.ReadInt32();
  EXPECT_FALSE(stream.IsOpen());
  EXPECT_EQ(stream.GetUserValue(), 0u);
  EXPECT_TRUE(stream.Close());
  EXPECT_EQ(stream.GetError(), 0);
  EXPECT_FALSE(stream.Close());
  AttachBytes(stream, {5});  // can be used again
  EXPECT_EQ(stream.ReadByte(), 5);
}

TEST(DataStreamTest, WritesBigEndianAndCutsLongStrings) {
  DataStream stream;
  ASSERT_TRUE(stream.CreateMemory(16));
  stream.WriteByte(0xAB);
  stream.WriteInt16(-2);
  stream.WriteInt32(0x01020304);
  stream.WritePString("abc", true);
  stream.WriteLongString("xy", false);
  EXPECT_EQ(stream.GetError(), 0);
  EXPECT_EQ(Written(stream), (Bytes{0xAB, 0xFF, 0xFE, 1, 2, 3, 4, 3, 'b', 'd', 'f', 0, 2, 'x' - 1, 'y' - 2}));

  ASSERT_TRUE(stream.CreateMemory(16));
  stream.WritePStringPlain(std::string(300, 'p'));
  Bytes p = Written(stream);
  ASSERT_EQ(p.size(), 256u);
  EXPECT_EQ(p[0], 255);

  ASSERT_TRUE(stream.CreateMemory(16));
  stream.WriteLongString(std::string(70000, 'L'), false);
  Bytes l = Written(stream);
  ASSERT_EQ(l.size(), 2u + 65535u);
  EXPECT_EQ(l[0], 0xFF);
  EXPECT_EQ(l[1], 0xFF);
}

TEST(DataStreamTest, GrowthStepsAndWrittenSize) {
  DataStream stream;
  ASSERT_TRUE(stream.CreateMemory(512));
  std::vector<uint8_t> big(3000, 0x33);
  stream.WriteBytes(big.data(), 512);  // fills the block exactly
  EXPECT_EQ(stream.MemoryHandle().Size(), 512u);
  stream.WriteBytes(big.data(), 3000);
  EXPECT_EQ(stream.MemoryHandle().Size(), 512u + 3072u);
  stream.WriteByte(1);
  EXPECT_EQ(stream.MemoryHandle().Size(), 512u + 3072u);
  EXPECT_EQ(stream.GetSize(), 3513u);  // the bytes written, not the capacity

  // A small write past a full block grows it by 1024.
  DataStream small;
  ASSERT_TRUE(small.CreateMemory(4));
  small.WriteInt32(1);
  small.WriteByte(2);
  EXPECT_EQ(small.MemoryHandle().Size(), 1028u);
  EXPECT_EQ(small.GetSize(), 5u);

  // Writing over earlier bytes keeps the size; reading back stops at it.
  small.Seek(0);
  small.WriteByte(9);
  EXPECT_EQ(small.GetSize(), 5u);
  small.Seek(0);
  EXPECT_EQ(small.ReadByte(), 9);
  EXPECT_EQ(small.ReadInt32(), 0x00000102);
  EXPECT_TRUE(small.AtEnd());
  EXPECT_EQ(small.ReadByte(), 0);
  EXPECT_EQ(small.GetError(), kDataStreamEndOfData);
  small.WriteByte(3);  // a write does not look at the error, and clears it
  EXPECT_EQ(small.GetError(), 0);
}

// Going back to fill in a field and then on to the end of what was written carries on after it, also in a block
// written full: a move to the end of a block being written does not stop on its last byte, which the next write
// would overwrite.
TEST(DataStreamTest, AWriterGoesBackAndCarriesOnAfterWhatItWrote) {
  DataStream stream;
  ASSERT_TRUE(stream.CreateMemory(4));
  stream.WriteInt32(0);
  stream.Seek(0);
  stream.WriteInt16(7);
  stream.Seek(4);
  EXPECT_EQ(stream.GetPosition(), 4u);
  stream.WriteByte(9);
  stream.Skip(-5);
  stream.Skip(5);
  stream.WriteByte(8);
  EXPECT_EQ(Written(stream), (Bytes{0, 7, 0, 0, 9, 8}));
}

TEST(DataStreamTest, WithoutABlockWritesAndReadsFail) {
  DataStream stream;
  EXPECT_EQ(stream.WriteByte(1), kDataStreamNoData);
  EXPECT_FALSE(stream.IsOpen());
  EXPECT_TRUE(stream.AtEnd());
  MemHandle out;
  EXPECT_FALSE(stream.TakeMemory(out));
}

TEST(DataStreamTest, BorrowedBlockStaysWithItsOwnerAndNeverGrows) {
  MemHandle block;
  ASSERT_TRUE(block.Allocate(8));
  std::memset(block.Lock(), 0x44, 8);
  block.Unlock();
  HGLOBAL handle = block.Get();
  {
    DataStream stream;
    stream.AttachMemory(block, false, 3);  // only the first three bytes belong to the reader
    EXPECT_EQ(block.Get(), handle);
    EXPECT_EQ(stream.GetSize(), 3u);
    uint8_t buffer[8];
    EXPECT_EQ(stream.ReadBytes(buffer, 3), 0);
    EXPECT_EQ(stream.ReadByte(), 0);
    EXPECT_EQ(stream.GetError(), kDataStreamEndOfData);
    stream.Seek(8);
    EXPECT_EQ(stream.GetPosition(), 0u);  // error pending
    stream.Close();
    stream.AttachMemory(block, false);
    std::vector<uint8_t> big(100, 1);
    EXPECT_EQ(stream.WriteBytes(big.data(), 100), kDataStreamEndOfData);
  }
  EXPECT_EQ(block.Get(), handle);
  EXPECT_EQ(block.Size(), 8u);
}

TEST(DataStreamTest, PathListKeepsTheCurrentFile) {
  DataStream stream("Players\\Races\\Elf");
  EXPECT_EQ(stream.GetPath(), "Players/Races/Elf");
  EXPECT_EQ(stream.GetCurrentPath(), "Players/Races/Elf");
  stream.PushPath("Maps/Town.cma");
  EXPECT_EQ(stream.GetCurrentPath(), "Maps/Town.cma");
  stream.PopPath();
  EXPECT_EQ(stream.GetCurrentPath(), "Players/Races/Elf");
  stream.SetPath("C:\\Save\\a.ksv");
  EXPECT_TRUE(stream.HasDrive());
  EXPECT_EQ(stream.GetPath(), "/C/Save/a.ksv");
  DataStream empty;
  EXPECT_EQ(empty.GetCurrentPath(), "");
}

}  // namespace
