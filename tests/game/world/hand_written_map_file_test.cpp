// A small map file with every section written out byte by byte from its layout, without the scenario writer, and
// read field by field: a layout misread alike by the game's reader and the writer shows here.
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <tuple>
#include <vector>

#include "game/rules/script_event.h"
#include "game/world/map_file.h"
#include "tests/support/archive_fixtures.h"
#include "tests/support/byte_builder.h"

namespace {

using test_support::ByteBuilder;

// A 3 x 2 map: two ground pictures (the second unnamed), two stamps, cells in three runs (the first crossing from
// column 0 into column 1, the second of one cell), three layer records (a lower one, the middle one and an upper
// one), a character, a local event, a 2 x 2 picture grid and an item.
ByteBuilder MapBytes() {
  ByteBuilder b;
  b.Int16(7);                                              // format value
  b.Int16(2).ShortString("Grass").ShortString("");         // ground pictures
  b.Int16(2).ShortString("Tree").ShortString("Rock");      // stamp pictures
  b.Int16(3).Int16(2);                                     // width, height in cells
  b.Int16(32).Int16(24);                                   // cell width, height in pixels
  b.Int16(1).ShortString("").Int16(2);                     // cells 0 to 2: walkable, no event
  b.Int16(0).ShortString("Gate").Int16(0);                 // cell 3: blocked, a global event
  b.Int16(-5).ShortString("Local:Trap").Int16(1);          // cells 4 and 5: walkable, a local event
  b.Int16(3);                                              // layer records
  // Each record: six bytes that are skipped, the last-lower flag, a text, the sprites (x, y, stamp, name).
  b.Byte(0xDE).Byte(0xAD).Byte(0xBE).Byte(0xEF).Byte(0x01).Byte(0x02).Int16(1).ShortString("floor");
  b.Int16(2).Int16(40).Int16(50).Int16(1).ShortString("oak").Int16(-3).Int16(70).Int16(2).ShortString("");
  b.Byte(0).Byte(0).Byte(0).Byte(0).Byte(0).Byte(0).Int16(0).ShortString("walls");
  b.Int16(1).Int16(8).Int16(9).Int16(2).ShortString("stone");
  b.Byte(9).Byte(9).Byte(9).Byte(9).Byte(9).Byte(9).Int16(0).ShortString("roofs");
  b.Int16(0);
  b.Int16(1).Int16(2).Int16(1).Int16(5).ShortString("Wolf").ShortString("x");  // a character
  b.Int16(1).ShortString("Trap");                                               // a local event
  b.Int16(1).Int16(0).ShortString("").ShortString("Change Global");
  b.LongString("gb_a").LongString("1").LongString("2").Int16(6);
  b.Int16(2).Int16(2).Int16(48).Int16(24);                            // the picture grid
  b.Int16(1).Int16(1).Int16(0).Int16(0).Int16(3).Int16(0);           // runs: 1 x 2 cells, 0, 3
  b.Int16(1).Int16(3).Int16(2).Int16(4).ShortString("Key").ShortString("y").Int16(9);  // an item
  return b;
}

// The fields of each record, for comparing whole lists.
auto Fields(const MapCellRun& r) { return std::tuple(r.walk, r.eventText, r.repeat); }
auto Fields(const MapFileSprite& s) { return std::tuple(s.x, s.y, s.stampIndex, s.name); }
auto Fields(const MapPictureRun& r) { return std::tuple(r.picture, r.repeat); }
auto Fields(const CharacterPlacement& c) { return std::tuple(c.index, c.column, c.row, c.facing, c.npcName, c.unused); }
auto Fields(const ItemPlacement& i) {
  return std::tuple(i.column, i.row, i.facing, i.itemName, i.unused, i.identifier);
}
template <typename Record>
auto FieldsOfEach(const std::vector<Record>& records) {
  std::vector<decltype(Fields(records.front()))> fields;
  for (const Record& record : records) fields.push_back(Fields(record));
  return fields;
}

TEST(HandWrittenMapFileTest, EverySectionReadsFieldByField) {
  const ByteBuilder bytes = MapBytes();
  auto stream = test_support::MemoryStreamOver(bytes.Bytes());
  MapFileData map;
  ASSERT_EQ(ParseMapFile(*stream, &map), MapFileError::kNone);
  EXPECT_EQ(stream->GetPosition(), bytes.Size());
  EXPECT_EQ(map.format, 7);
  EXPECT_EQ(map.groundPictures, (std::vector<std::string>{"Grass", ""}));
  EXPECT_EQ(map.stampPictures, (std::vector<std::string>{"Tree", "Rock"}));
  EXPECT_EQ((std::array{map.width, map.height, map.cellWidth, map.cellHeight}), (std::array<int32_t, 4>{3, 2, 32, 24}));
  using RunRow = std::tuple<int16_t, std::string, int16_t>;
  EXPECT_EQ(FieldsOfEach(map.cellRuns), (std::vector<RunRow>{{1, "", 2}, {0, "Gate", 0}, {-5, "Local:Trap", 1}}));

  // The first record's flag makes it the last layer beneath the characters; the others' flags are not read.
  ASSERT_EQ(map.layers.size(), 3u);
  EXPECT_EQ(map.layers[0].lastLower, 1);
  EXPECT_EQ(map.layers[0].text, "floor");
  EXPECT_EQ(map.layers[1].text, "walls");
  EXPECT_EQ(map.layers[2].text, "roofs");
  using SpriteRow = std::tuple<int16_t, int16_t, int16_t, std::string>;
  EXPECT_EQ(FieldsOfEach(map.layers[0].sprites), (std::vector<SpriteRow>{{40, 50, 1, "oak"}, {-3, 70, 2, ""}}));
  EXPECT_EQ(FieldsOfEach(map.layers[1].sprites), (std::vector<SpriteRow>{{8, 9, 2, "stone"}}));
  EXPECT_TRUE(map.layers[2].sprites.empty());

  using CharacterRow = std::tuple<int16_t, int16_t, int16_t, int16_t, std::string, std::string>;
  EXPECT_EQ(FieldsOfEach(map.characters), (std::vector<CharacterRow>{{0, 2, 1, 5, "Wolf", "x"}}));

  ASSERT_EQ(map.events.size(), 1u);
  EXPECT_EQ(map.events[0].name, "Trap");
  ASSERT_NE(map.events[0].event, nullptr);
  ASSERT_EQ(map.events[0].event->MainCount(), 1);
  EXPECT_EQ(map.events[0].event->LabelledCount(), 0);
  EXPECT_EQ(map.events[0].event->mainActions[0].actionName, "Change Global");
  EXPECT_EQ(map.events[0].event->mainActions[0].params, (std::vector<std::string>{"gb_a", "1", "2"}));
  EXPECT_EQ(map.events[0].event->flag, 6);

  EXPECT_TRUE(map.hasPictureGrid);
  EXPECT_EQ((std::array{map.gridWidth, map.gridHeight, map.gridCellWidth, map.gridCellHeight}),
            (std::array<int32_t, 4>{2, 2, 48, 24}));
  using PictureRow = std::tuple<int16_t, int16_t>;
  EXPECT_EQ(FieldsOfEach(map.pictureRuns), (std::vector<PictureRow>{{1, 1}, {0, 0}, {3, 0}}));

  using ItemRow = std::tuple<int16_t, int16_t, int16_t, std::string, std::string, int16_t>;
  EXPECT_EQ(FieldsOfEach(map.items), (std::vector<ItemRow>{{3, 2, 4, "Key", "y", 9}}));
}

}  // namespace
