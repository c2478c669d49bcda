// Explored-area masks: the revealed block around a cell, the masks by map name, and the saved block read into a
// holding value and adopted.
#include "game/world/explored_mask.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "game/shell/data/data_stream.h"
#include "tests/support/archive_fixtures.h"
#include "tools/scenario_writer/scenario_files.h"

namespace {

namespace sw = scenario_writer;

class ExploredMaskTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearExploredMasks(); }
  void TearDown() override { ClearExploredMasks(); }
};

// The explored cells of a mask as the first and last explored column and row ({-1, -1, -1, -1} for none), and
// whether they make one full rectangle.
struct Span {
  int32_t left = -1, right = -1, top = -1, bottom = -1;
  bool operator==(const Span&) const = default;
};

Span Explored(const ExploredMask& mask, bool* rectangle) {
  Span span;
  int32_t count = 0;
  for (int32_t row = 0; row < mask.Height(); ++row) {
    for (int32_t column = 0; column < mask.Width(); ++column) {
      if (!mask.IsExplored(column, row)) continue;
      ++count;
      if (span.left < 0 || column < span.left) span.left = column;
      if (column > span.right) span.right = column;
      if (span.top < 0) span.top = row;
      span.bottom = row;
    }
  }
  *rectangle = span.left < 0 || count == (span.right - span.left + 1) * (span.bottom - span.top + 1);
  return span;
}

TEST_F(ExploredMaskTest, RevealSetsTheBlockAroundTheCellCutAtTheMasksEdges) {
  struct Case {
    int32_t x, y, width, height;
    Span span;
  };
  const std::vector<Case> cases = {
      {0, 0, 100, 100, {0, 8, 0, 8}},
      // The last column and the last row stay clear.
      {95, 95, 100, 100, {84, 98, 84, 98}},
      {50, 40, 100, 100, {39, 58, 29, 48}},
      {2, 30, 5, 60, {0, 3, 19, 38}},
      {99, 99, 100, 100, {88, 98, 88, 98}},
      // On a map twice the mask's size the cell is halved.
      {100, 100, 200, 200, {39, 58, 39, 58}},
  };
  for (const Case& c : cases) {
    ExploredMask mask(std::min(c.width, 100), std::min(c.height, 100));
    mask.Reveal(c.x, c.y, c.width, c.height);
    bool rectangle = false;
    EXPECT_EQ(Explored(mask, &rectangle), c.span) << c.x << ", " << c.y;
    EXPECT_TRUE(rectangle);
    EXPECT_EQ(mask.LastX(), c.x);
    EXPECT_EQ(mask.LastY(), c.y);
  }
}

TEST_F(ExploredMaskTest, RevealingTheLastCellAgainChangesNothingAndTheNextCellAddsItsBlock) {
  ExploredMask* mask = GetExploredMask("Field", 40, 40);
  EXPECT_EQ(mask->LastX(), -1);
  EXPECT_EQ(mask->LastY(), -1);
  mask->Reveal(0, 0, 40, 40);
  const std::vector<ExploredMaskRecord> once = CaptureExploredMasks();
  mask->Reveal(0, 0, 40, 40);
  EXPECT_EQ(CaptureExploredMasks(), once);
  mask->Reveal(30, 30, 40, 40);
  EXPECT_TRUE(mask->IsExplored(8, 8));
  EXPECT_TRUE(mask->IsExplored(38, 38));
  EXPECT_FALSE(mask->IsExplored(39, 38));
  EXPECT_FALSE(mask->IsExplored(18, 8));
}

TEST_F(ExploredMaskTest, MasksAreKeptByNameAndMadeAgainAtAnotherSizeKeepingTheirIdentifiers) {
  ExploredMask* mask = GetExploredMask("Cave", 10, 10);
  mask->Insert(4);
  mask->Reveal(1, 1, 10, 10);
  EXPECT_EQ(GetExploredMask("Cave", 10, 10), mask);
  EXPECT_EQ(FindExploredMask("cave"), nullptr);  // names compare case and all
  // The automap's look-up (0 by 0) makes no mask and changes none.
  EXPECT_EQ(FindExploredMask("Town"), nullptr);
  ExploredMask* resized = GetExploredMask("Cave", 12, 10);
  EXPECT_EQ(resized->Width(), 12);
  EXPECT_FALSE(resized->IsExplored(1, 1));
  EXPECT_TRUE(resized->HasValue(4));
  EXPECT_EQ(ExploredMaskCount(), 1);
  ResetExploredMasks();
  EXPECT_EQ(ExploredMaskCount(), 0);
}

// The block with every record written by hand: identifiers present or not.
sw::Bytes Block(const std::function<void(DataStream&)>& records) { return sw::StreamBytes(records); }

void WriteRecordHead(DataStream& s, const std::string& name, const std::vector<uint8_t>& bits, int16_t width,
                     int16_t height, int32_t byteCount) {
  s.WritePString(name, false);
  s.WriteInt32(byteCount);
  s.WriteBytes(bits.data(), static_cast<uint32_t>(bits.size()));
  s.WriteInt16(width);
  s.WriteInt16(height);
}

TEST_F(ExploredMaskTest, TheBlockReadsWithAndWithoutIdentifiers) {
  const sw::Bytes bytes = Block([](DataStream& s) {
    s.WriteInt16(3);
    WriteRecordHead(s, "Ford", {0x0F, 0x03, 0x00, 0x0C}, 4, 4, 4);
    s.WriteInt16(1);
    s.WriteInt16(2);
    s.WriteInt16(7);
    s.WriteInt16(8);
    // An older record: the next record's name length follows the height at once.
    WriteRecordHead(s, "Mill", {0x01, 0x01}, 9, 1, 2);
    WriteRecordHead(s, "Town", {0x80}, 8, 1, 1);
  });
  auto stream = test_support::MemoryStreamOver(bytes);
  std::vector<ExploredMaskRecord> records;
  ASSERT_TRUE(ParseExploredMasks(*stream, 0, &records));
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0], (ExploredMaskRecord{"Ford", {0x0F, 0x03, 0x00, 0x0C}, 4, 4, true, {7, 8}}));
  EXPECT_EQ(records[1], (ExploredMaskRecord{"Mill", {0x01, 0x01}, 9, 1, false, {}}));
  EXPECT_EQ(records[2], (ExploredMaskRecord{"Town", {0x80}, 8, 1, false, {}}));

  AdoptExploredMasks(records);
  const ExploredMask* ford = FindExploredMask("Ford");
  ASSERT_NE(ford, nullptr);
  EXPECT_TRUE(ford->IsExplored(0, 0));
  EXPECT_TRUE(ford->IsExplored(3, 0));
  EXPECT_TRUE(ford->IsExplored(1, 1));
  EXPECT_FALSE(ford->IsExplored(2, 1));
  EXPECT_FALSE(ford->IsExplored(0, 2));
  EXPECT_TRUE(ford->IsExplored(2, 3));
  EXPECT_TRUE(ford->HasValue(8));
  EXPECT_FALSE(ford->HasValue(9));
  EXPECT_EQ(ford->LastX(), -1);
  EXPECT_TRUE(FindExploredMask("Mill")->IsExplored(8, 0));
  EXPECT_TRUE(FindExploredMask("Town")->IsExplored(7, 0));

  // Written back, every record carries its identifiers, in name order.
  const sw::Bytes written = sw::StreamBytes([](DataStream& s) { WriteExploredMasks(s); });
  auto again = test_support::MemoryStreamOver(written);
  ReadExploredMasks(*again);
  std::vector<ExploredMaskRecord> expected = records;
  for (ExploredMaskRecord& record : expected) record.hasIdentifiers = true;
  EXPECT_EQ(CaptureExploredMasks(), expected);
}

TEST_F(ExploredMaskTest, DamagedBlocksAreRefusedAndLeaveNoMasks) {
  struct Case {
    const char* what;
    std::function<void(DataStream&)> write;
  };
  const std::vector<Case> cases = {
      {"a negative record count", [](DataStream& s) { s.WriteInt16(-1); }},
      {"a byte count one short",
       [](DataStream& s) {
         s.WriteInt16(1);
         WriteRecordHead(s, "Ford", {0, 0, 0}, 4, 4, 3);
       }},
      {"two bytes for a 4 x 4 mask",
       [](DataStream& s) {
         s.WriteInt16(1);
         WriteRecordHead(s, "Ford", {0xF0, 0x0F}, 4, 4, 2);
       }},
      {"a negative width",
       [](DataStream& s) {
         s.WriteInt16(1);
         WriteRecordHead(s, "Ford", {}, -8, 0, 0);
       }},
      {"a negative byte count",
       [](DataStream& s) {
         s.WriteInt16(1);
         s.WritePString("Ford", false);
         s.WriteInt32(-4);
       }},
      {"a byte count past the end",
       [](DataStream& s) {
         s.WriteInt16(1);
         s.WritePString("Ford", false);
         s.WriteInt32(1 << 30);
         s.WriteInt16(0);
       }},
      {"more identifiers than bytes",
       [](DataStream& s) {
         s.WriteInt16(1);
         WriteRecordHead(s, "Ford", {1}, 1, 1, 1);
         s.WriteInt16(1);
         s.WriteInt16(500);
       }},
      {"a record missing", [](DataStream& s) { s.WriteInt16(2); WriteRecordHead(s, "Ford", {1}, 1, 1, 1); }},
  };
  for (const Case& c : cases) {
    GetExploredMask("Before", 4, 4);
    auto stream = test_support::MemoryStreamOver(Block(c.write));
    std::vector<ExploredMaskRecord> records = {{"kept", {}, 0, 0, true, {}}};
    EXPECT_FALSE(ParseExploredMasks(*stream, 0, &records)) << c.what;
    EXPECT_EQ(records.size(), 1u) << c.what;
    auto again = test_support::MemoryStreamOver(Block(c.write));
    ReadExploredMasks(*again);
    EXPECT_EQ(ExploredMaskCount(), 0) << c.what;
  }
}

}  // namespace
