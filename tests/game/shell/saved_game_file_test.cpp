// Saved-game files: a full round trip, the masking key, skipped chunks, the older plain format, damaged and
// hostile files refused with the holding copy untouched, and failed writes that keep the previous save.
#include "game/shell/saved_game_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "game/rules/random_table.h"
#include "game/shell/data/data_stream.h"
#include "game/shell/data/game_random.h"
#include "game/shell/data/mem_handle.h"
#include "game/shell/data/string_utils.h"
#include "host/errors.h"
#include "host/testing_files.h"
#include "platform/core/platform_error.h"
#include "tests/support/byte_builder.h"
#include "tests/support/child_process.h"
#include "tests/support/file_system_fixture.h"

namespace {

using test_support::ByteBuilder;

constexpr const char* kScenario = "Isle of Tests";

SavedGame FullGame() {
  SavedGame game;
  SavedCharacter& c = game.character;
  c.name = "Aldra";
  c.spriteName = "hero_blue";
  c.level = 7;
  c.experience = 123456;
  c.gold = -5;  // numbers go through as they are
  c.randomSeed = 0x7FFFFFF0;
  for (int i = 0; i < kSavedBaseValueCount; ++i) c.base[static_cast<size_t>(i)] = static_cast<int16_t>(100 * i - 900);
  c.base[15] = 0;  // not saved
  c.journal = {"Met the ferryman.", std::string(300, 'j')};
  c.textEntries = {{"ferry", "The ferry", "It leaves at dawn."}, {"", "", std::string(400, 't')}};
  c.portrait = "Aldra.png";
  c.plugins = {"Extra Quests"};
  c.className = "Ranger";
  c.raceName = "Elf";
  c.equipment = {"Bow", "", "Cloak", "", "", "", "", "", "Ring"};
  c.inventory = {{"Bow", true, 0}, {"Wand", true, 12}, {"Cloak", true, -1}};
  c.spells = {"Light", "Heal"};
  c.effects = {{"Heal", 4}, {"Shield", 1}};
  game.globals = {{"gb_door", "open"}, {"gb_count", "12"}};
  game.history = {{10, 4, 9, 0, "Town", "town.aiff"}, {0, 0, 0, 0, "Shop", ""}};
  game.masks = {{"Town", {0xFF, 0x01, 0x80}, 8, 3, true, {2, 5, 9}}, {"Cave", {}, 0, 0, true, {}}};
  return game;
}

std::vector<uint8_t> Build(const SavedGame& game, int16_t key = 7000) {
  std::vector<uint8_t> bytes;
  EXPECT_EQ(BuildSavedGameFile(game, kScenario, key, &bytes), SavedGameError::kNone);
  return bytes;
}

// The body of a format-13 file, uncompressed.
std::vector<uint8_t> BodyOf(const std::vector<uint8_t>& file) {
  MemHandle block;
  EXPECT_TRUE(block.Allocate(file.size() - 10));
  std::memcpy(block.Lock(), file.data() + 10, file.size() - 10);
  block.Unlock();
  uint32_t size = (uint32_t{file[2]} << 24) | (uint32_t{file[3]} << 16) | (uint32_t{file[4]} << 8) | file[5];
  EXPECT_TRUE(UncompressHandle(block, size));
  std::vector<uint8_t> body(block.Lock(), block.Lock() + block.Size());
  block.Unlock();
  return body;
}

// A format-12 file: the same body stored plainly.
std::vector<uint8_t> AsFormat12(const std::vector<uint8_t>& body) {
  std::vector<uint8_t> file = {0, 12};
  file.insert(file.end(), body.begin(), body.end());
  return file;
}

SavedGameError Parse(const std::vector<uint8_t>& bytes, SavedGame* out, std::string_view scenario = kScenario) {
  return ParseSavedGame(bytes.data(), bytes.size(), scenario, out);
}

// A holding copy that a refused file must leave as it was.
SavedGame Sentinel() {
  SavedGame game;
  game.character.name = "untouched";
  return game;
}

TEST(SavedGameFile, SaveThenOpenRestoresEverySavedField) {
  SavedGame game = FullGame();
  SavedGame read;
  ASSERT_EQ(Parse(Build(game), &read), SavedGameError::kNone);
  EXPECT_EQ(read.format, 13);
  EXPECT_TRUE(read == game);
  EXPECT_EQ(read.character.inventory[1].charges, 12);
  EXPECT_EQ(read.character.journal[1].size(), 300u);
  EXPECT_EQ(read.masks[0].identifiers, (std::vector<int16_t>{2, 5, 9}));
  // The format-12 form of the same body reads the same.
  SavedGame plain;
  ASSERT_EQ(Parse(AsFormat12(BodyOf(Build(game))), &plain), SavedGameError::kNone);
  plain.format = 13;
  EXPECT_TRUE(plain == game);
}

TEST(SavedGameFile, BytesAfterThePackedBlockAreNotRead) {
  std::vector<uint8_t> file = Build(FullGame());
  file.insert(file.end(), {0xDE, 0xAD, 0xBE, 0xEF, 0x00});
  SavedGame read;
  ASSERT_EQ(Parse(file, &read), SavedGameError::kNone);
  EXPECT_TRUE(read == FullGame());
}

TEST(SavedGameFile, KeysThatWrapTheTableStillRoundTrip) {
  // K plus a large byte sum wraps to a negative key.
  for (int16_t key : {int16_t{6456}, int16_t{19345}, int16_t{32767}, int16_t{-32768}}) {
    SavedGame read;
    ASSERT_EQ(ParseSavedGame(nullptr, 0, kScenario, &read), SavedGameError::kUnknownFormat);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(BuildSavedGameFile(FullGame(), std::string(200, '\x7F'), key, &bytes), SavedGameError::kNone);
    ASSERT_EQ(ParseSavedGame(bytes.data(), bytes.size(), std::string(200, '\x7F'), &read), SavedGameError::kNone);
    EXPECT_TRUE(read.character == FullGame().character) << key;
  }
}

TEST(SavedGameFile, TwoSavesOfOneGameDifferInKeyAndEveryMaskedValue) {
  SeedRandom(99);
  int16_t first = DrawSavedGameKey(), second = DrawSavedGameKey();
  ASSERT_NE(first, second);
  EXPECT_GE(std::min(first, second), 6456);
  EXPECT_LE(std::max(first, second), 19345);
  SavedGame game = FullGame();
  std::vector<uint8_t> a = BodyOf(Build(game, first)), b = BodyOf(Build(game, second));
  ASSERT_EQ(a.size(), b.size());
  // identity, count, name, sprite name; then K, the field 24, 22 values, 3 and three counters.
  size_t at = 1 + std::strlen(kScenario) + 2 + 1 + game.character.name.size() + 1 + game.character.spriteName.size();
  auto int16At = [](const std::vector<uint8_t>& v, size_t p) { return static_cast<int16_t>((v[p] << 8) | v[p + 1]); };
  EXPECT_EQ(int16At(a, at), first);
  EXPECT_EQ(int16At(b, at), second);
  int differing = 0;
  for (int i = 0; i < kSavedBaseValueCount; ++i) differing += int16At(a, at + 4 + 2 * i) != int16At(b, at + 4 + 2 * i);
  for (int i = 0; i < 3; ++i) differing += std::memcmp(&a[at + 50 + 4 * i], &b[at + 50 + 4 * i], 4) != 0;
  EXPECT_EQ(differing, kSavedBaseValueCount + 3);
}

TEST(SavedGameFile, UnknownChunksAreSkippedByTheirLength) {
  const int16_t key = 9000;
  SavedGame game = FullGame();
  std::vector<uint8_t> body = BodyOf(Build(game, key));
  int32_t d = static_cast<int16_t>(static_cast<uint16_t>(key + StringByteSum(kScenario)));
  // Among the character's chunks: count 4 becomes 5, with "XTRA" of 5 bytes before "JOUR".
  const uint8_t jour[] = {0, 4, 'J', 'O', 'U', 'R'};
  auto found = std::search(body.begin(), body.end(), std::begin(jour), std::end(jour));
  ASSERT_NE(found, body.end());
  size_t at = static_cast<size_t>(found - body.begin());
  body[at + 1] = 5;
  int16_t length = static_cast<int16_t>(5 + RandomTableValue(100, d));
  std::vector<uint8_t> extra = {'X', 'T', 'R', 'A', static_cast<uint8_t>(length >> 8), static_cast<uint8_t>(length),
                                'J', 'O', 'U', 'R', 0};
  body.insert(body.begin() + static_cast<long>(at + 2), extra.begin(), extra.end());
  // The trailer (the last four bytes): one chunk of 3 bytes under key 77.
  body.resize(body.size() - 4);
  int16_t trailerLength = static_cast<int16_t>(3 + RandomTableValue(200, 77));
  std::vector<uint8_t> trailer = {0, 1, 0, 77, 'N', 'O', 'T', 'E', static_cast<uint8_t>(trailerLength >> 8),
                                  static_cast<uint8_t>(trailerLength), 1, 2, 3};
  body.insert(body.end(), trailer.begin(), trailer.end());
  SavedGame read;
  ASSERT_EQ(Parse(AsFormat12(body), &read), SavedGameError::kNone);
  read.format = 13;
  EXPECT_TRUE(read == game);
}

// A format-11 file as the older game wrote it.
std::vector<uint8_t> OldFormatFile(const std::string& identity, int32_t experience, int32_t gold) {
  DataStream s;
  EXPECT_TRUE(s.CreateMemory(256));
  s.WriteInt16(11);
  s.WritePString(identity, true);
  // Level, status, ignored, B17, B19, B8, B20, experience, B18, gold, B11, B12, B1, B5, B3, B2, B4, B21, B16,
  // B14, B6, B13, B0, B7, ignored, B9, B10: each base value Bn is written as 1000 + n.
  const int order[27] = {-1, -2, -3, 17, 19, 8, 20, -4, 18, -5, 11, 12, 1, 5, 3, 2, 4, 21, 16, 14, 6, 13, 0, 7, -3, 9, 10};
  for (int place : order) {
    int16_t value = place >= 0 ? static_cast<int16_t>(1000 + place)
                    : place == -1 ? 3 : place == -2 ? 44 : place == -4 ? -20 : place == -5 ? 300 : 9999;
    s.WriteInt16(value);
  }
  s.WritePString("Ranger", true);
  s.WritePString("Elf", true);
  s.WriteInt16(1);
  s.WritePString("gb_door", true);
  s.WritePString("shut", true);
  for (int slot = 1; slot <= 9; ++slot) s.WritePString(slot == 2 ? "Bow" : "", true);
  s.WriteInt16(2);
  s.WritePString("Bow", true);
  s.WritePString("Apple", true);
  s.WriteInt16(1);
  s.WriteInt16(10);
  s.WriteInt16(3);
  s.WriteInt16(4);
  s.WriteInt16(0);
  s.WritePString("Town", true);
  s.WritePString("", true);
  s.WritePString("hero_old", true);
  s.WriteInt16(1);
  s.WritePString("Town", false);
  s.WriteInt32(2);
  s.WriteByte(0xAA);
  s.WriteByte(0x55);
  s.WriteInt16(16);
  s.WriteInt16(1);  // no identifiers: the record ends here
  s.WriteInt32(experience);
  s.WriteInt32(gold);
  MemHandle block;
  EXPECT_TRUE(s.TakeMemory(block));
  std::vector<uint8_t> bytes(block.Lock(), block.Lock() + block.Size());
  block.Unlock();
  return bytes;
}

TEST(SavedGameFile, OlderPlainFormatReads) {
  SavedGame read;
  ASSERT_EQ(Parse(OldFormatFile(std::string("Aldra::") + kScenario, 0, 0), &read), SavedGameError::kNone);
  const SavedCharacter& c = read.character;
  EXPECT_EQ(read.format, 11);
  EXPECT_EQ(c.name, "Aldra");
  EXPECT_EQ(c.level, 3);
  for (int i = 0; i < kSavedBaseValueCount; ++i) {
    if (i != 15) {
      EXPECT_EQ(c.base[static_cast<size_t>(i)], 1000 + i) << i;
    }
  }
  EXPECT_EQ(c.experience, 0);  // the 16-bit -20 and no 32-bit value: clamped to 0
  EXPECT_EQ(c.gold, 300);
  EXPECT_EQ(c.className, "Ranger");
  EXPECT_EQ(c.equipment[1], "Bow");
  ASSERT_EQ(c.inventory.size(), 2u);
  EXPECT_FALSE(c.inventory[1].hasCharges);
  EXPECT_EQ(c.spriteName, "hero_old");
  EXPECT_EQ(read.globals, (std::vector<SavedGlobal>{{"gb_door", "shut"}}));
  ASSERT_EQ(read.history.size(), 1u);
  EXPECT_EQ(read.history[0].location, "Town");
  ASSERT_EQ(read.masks.size(), 1u);
  EXPECT_EQ(read.masks[0].bits, (std::vector<uint8_t>{0xAA, 0x55}));
  EXPECT_FALSE(read.masks[0].hasIdentifiers);

  ASSERT_EQ(Parse(OldFormatFile(std::string("Aldra::") + kScenario, 70000, -3), &read), SavedGameError::kNone);
  EXPECT_EQ(read.character.experience, 70000);
  EXPECT_EQ(read.character.gold, -3);
}

TEST(SavedGameFile, OtherScenariosAndFormatsAreReportedNotRead) {
  SavedGame read = Sentinel();
  EXPECT_EQ(Parse(Build(FullGame()), &read, "Another Isle"), SavedGameError::kOtherScenario);
  EXPECT_EQ(Parse(OldFormatFile("Aldra::Another Isle", 0, 0), &read), SavedGameError::kOtherScenario);
  EXPECT_EQ(Parse({0, 14, 0, 0}, &read), SavedGameError::kUnknownFormat);
  EXPECT_EQ(Parse({0}, &read), SavedGameError::kUnknownFormat);
  EXPECT_TRUE(read == Sentinel());
  EXPECT_STRNE(SavedGameErrorText(SavedGameError::kOtherScenario), "");
}

TEST(SavedGameFile, EveryTruncationIsRefused) {
  std::vector<uint8_t> files[] = {Build(FullGame()), AsFormat12(BodyOf(Build(FullGame()))),
                                  OldFormatFile(std::string("Aldra::") + kScenario, 1, 1)};
  for (const std::vector<uint8_t>& file : files) {
    for (size_t length = 0; length < file.size(); ++length) {
      SavedGame read = Sentinel();
      std::vector<uint8_t> cut(file.begin(), file.begin() + static_cast<long>(length));
      EXPECT_NE(Parse(cut, &read), SavedGameError::kNone) << "format " << int{file[1]} << " cut at " << length;
      EXPECT_TRUE(read == Sentinel());
    }
  }
}

TEST(SavedGameFile, HostileHeadersAndFieldsAreRefused) {
  std::vector<uint8_t> good = Build(FullGame());
  struct Case {
    const char* what;
    size_t offset;
    std::vector<uint8_t> bytes;
  } cases[] = {
      {"body size beyond the limit", 2, {0x7F, 0xFF, 0xFF, 0xFF}},
      {"body size negative", 2, {0xFF, 0xFF, 0xFF, 0xF0}},
      {"body size wrong", 2, {0, 0, 0, 5}},
      {"packed size beyond the file", 6, {0, 0, 0x7F, 0xFF}},
      {"packed size short of the file", 6, {0, 0, 0, 1}},
      {"packed bytes damaged", 12, {0xDE, 0xAD, 0xBE, 0xEF}},
  };
  for (const Case& c : cases) {
    std::vector<uint8_t> bad = good;
    std::copy(c.bytes.begin(), c.bytes.end(), bad.begin() + static_cast<long>(c.offset));
    SavedGame read = Sentinel();
    EXPECT_NE(Parse(bad, &read), SavedGameError::kNone) << c.what;
    EXPECT_TRUE(read == Sentinel()) << c.what;
  }
  // Fields inside the body: the equipment field above 10, a negative inventory count, a journal chunk whose
  // masked length runs past the body.
  std::vector<uint8_t> body = BodyOf(good);
  const uint8_t equipment[] = {0, 10, 3};  // the field, then the first slot name "Bow" (length 3)
  auto at = std::search(body.begin(), body.end(), std::begin(equipment), std::end(equipment));
  ASSERT_NE(at, body.end());
  struct BodyCase {
    const char* what;
    long offset;
    std::vector<uint8_t> bytes;
  } bodyCases[] = {{"eleven equipment slots", at - body.begin(), {0, 11}},
                   {"negative equipment field", at - body.begin(), {0xFF, 0xFF}},
                   {"character count 0", static_cast<long>(1 + std::strlen(kScenario)), {0, 0}},
                   {"character count negative", static_cast<long>(1 + std::strlen(kScenario)), {0x80, 0}}};
  for (const BodyCase& c : bodyCases) {
    std::vector<uint8_t> bad = body;
    std::copy(c.bytes.begin(), c.bytes.end(), bad.begin() + c.offset);
    SavedGame read = Sentinel();
    EXPECT_EQ(Parse(AsFormat12(bad), &read), SavedGameError::kDamaged) << c.what;
    EXPECT_TRUE(read == Sentinel()) << c.what;
  }
}

TEST(SavedGameFile, FlippedBytesNeverHalfLoad) {
  std::vector<uint8_t> body = AsFormat12(BodyOf(Build(FullGame())));
  SeedRandom(5);
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> bad = body;
    size_t where = 2 + static_cast<size_t>(RandomRange(0, static_cast<int32_t>(bad.size()) - 3));
    bad[where] = static_cast<uint8_t>(NextRandom());
    SavedGame read = Sentinel();
    if (Parse(bad, &read) != SavedGameError::kNone) {
      EXPECT_TRUE(read == Sentinel()) << where;
    }
  }
}

// Short strings keep at most 255 bytes and long ones 65535; the journal's chunk keeps the low 16 bits of its
// length and is read back by its count, so a journal of more than 64 KiB saves and opens whole.
TEST(SavedGameFile, TextsAreCutToTheirFieldsAndALongJournalSavesAndOpens) {
  const int16_t key = 7000;
  SavedGame game = FullGame();
  game.character.name = std::string(256, 'n');
  game.character.journal.assign(40, std::string(2000, 'j'));
  game.character.journal.push_back(std::string(70000, 'k'));
  std::vector<uint8_t> bytes = Build(game, key);
  SavedGame read;
  ASSERT_EQ(Parse(bytes, &read), SavedGameError::kNone);
  EXPECT_EQ(read.character.name, std::string(255, 'n'));
  ASSERT_EQ(read.character.journal.size(), 41u);
  EXPECT_EQ(read.character.journal[39], std::string(2000, 'j'));
  EXPECT_EQ(read.character.journal[40], std::string(65535, 'k'));
  EXPECT_EQ(read.character.plugins, game.character.plugins);
  EXPECT_EQ(read.character.className, game.character.className);
  EXPECT_EQ(read.history, game.history);
  // The stored length: the count, then each entry's length and bytes, plus T(100), in 16 bits.
  std::vector<uint8_t> body = BodyOf(bytes);
  const uint8_t jour[] = {'J', 'O', 'U', 'R'};
  auto found = std::search(body.begin(), body.end(), std::begin(jour), std::end(jour));
  ASSERT_NE(found, body.end());
  const size_t at = static_cast<size_t>(found - body.begin()) + 4;
  const int32_t d = static_cast<int16_t>(static_cast<uint16_t>(key + StringByteSum(kScenario)));
  const uint32_t content = 2 + 40 * (2 + 2000) + (2 + 65535);
  const uint16_t stored = static_cast<uint16_t>((body[at] << 8) | body[at + 1]);
  ASSERT_GT(content, 65535u);
  EXPECT_EQ(stored, static_cast<uint16_t>(content + static_cast<uint32_t>(RandomTableValue(100, d))));
}

TEST(SavedGameFile, ListsTooLongForTheirCountsAreRefusedBeforeWriting) {
  SavedGame game = FullGame();
  game.character.journal.assign(32768, "j");  // a count of 32768 would be stored as -32768
  std::vector<uint8_t> bytes;
  EXPECT_EQ(BuildSavedGameFile(game, kScenario, 7000, &bytes), SavedGameError::kTooLarge);
  game = FullGame();
  game.character.textEntries.assign(40, {"k", "first", std::string(2000, 't')});  // skipped by a 16-bit length
  EXPECT_EQ(BuildSavedGameFile(game, kScenario, 7000, &bytes), SavedGameError::kTooLarge);
  EXPECT_TRUE(bytes.empty());
}

TEST(SavedGameFile, MissingPluginsAndTheQuestion) {
  SavedGame game = FullGame();
  game.character.plugins = {"Extra Quests", "Maps", "Extra Quests", "maps"};
  EXPECT_TRUE(MissingPlugins(game, {"Extra Quests", "Maps", "maps"}).empty());
  std::vector<std::string> missing = MissingPlugins(game, {"Maps"});
  EXPECT_EQ(missing, (std::vector<std::string>{"Extra Quests", "maps"}));
  EXPECT_EQ(MissingPluginsQuestion(missing),
            "Are you sure you want to continue to load this saved game, the following plugins are missing :\n"
            "Extra Quests\nmaps\n");
  EXPECT_EQ(MissingPluginsQuestion({"One"}),
            "Are you sure you want to continue to load this saved game, the following plugin is missing :\nOne\n");
}

// ---- One format-13 file built by hand, byte by byte, as the format lays it out ----

// The entries of the game's fixed table that mask this file's numbers. The file's key K is 200 and its scenario
// "Ab", whose byte sum is 163, so the character's key d is 363 and value i is masked with entry (i + 363) mod 500.
// These are the table's values at those places: a change of the table changes them, and only them.
constexpr int16_t kTableAt364To385[22] = {11537, 10586, 678,   11195, 22580, 9568,  19488, 21715, 23307, 9187, 32194,
                                          5896,  15606, 18176, 32746, 5639,  2115,  7777,  27795, 11792, 17504, 5089};
constexpr int16_t kTableAt413To415[3] = {1009, 4154, 30140};  // experience, gold, the random seed
constexpr int16_t kTableAt463 = 23915;                       // the chunk lengths

// The 22 stored values in their order: the level, then base values B18, B17, B19, B20, B4, B5, B6, B0, B2, B1, B3,
// B7 to B12, B14, B13, B21, B16. The character's base value Bk is 100 + k, its level 7.
constexpr int16_t kPlainInStoredOrder[22] = {7,   118, 117, 119, 120, 104, 105, 106, 100, 102, 101,
                                             103, 107, 108, 109, 110, 111, 112, 114, 113, 121, 116};

// The body as the format lays it out, every field filled. With the chunks that only this game's writer adds (the
// text entries and the portrait) it is the body the writer writes for the same game and key; without them it holds
// a chunk of a tag no reader knows among the character's chunks and one in the trailer, each to be skipped by its
// length.
std::vector<uint8_t> HandBuiltBody(bool writerChunks) {
  // Strings are stored shifted up (byte n of the text plus n), the names of the explored-area masks shifted down.
  constexpr bool kUp = true;
  ByteBuilder b;
  b.ShiftedShortString("Ab", kUp);                                         // the scenario
  b.Int16(1);                                                              // one character
  b.ShiftedShortString("Ann", kUp).ShiftedShortString("hero", kUp);       // name, sprite
  b.Int16(200);                                                            // K
  b.Int16(24);                                                             // the value-list field
  for (int i = 0; i < 22; ++i) b.Int16(kPlainInStoredOrder[i] + kTableAt364To385[i]);
  b.Int16(3);
  b.Int32(1234 + kTableAt413To415[0]);                                     // experience
  b.Int32(56789 + kTableAt413To415[1]);                                    // gold
  b.Int32(42 + kTableAt413To415[2]);                                       // the random seed
  b.Int16(writerChunks ? 4 : 3);                                           // the chunks
  b.Text("JOUR").Int16(10 + kTableAt463);                                  // two entries, "Hi" and "Yo"
  b.Int16(2).ShiftedLongString("Hi", kUp).ShiftedLongString("Yo", kUp);
  if (!writerChunks) b.Text("XTRA").Int16(3 + kTableAt463).Byte(1).Byte(2).Byte(3);
  b.Text("PLUG").Int16(8 + kTableAt463);                                  // one plug-in, "Maps"
  b.Int16(1).ShiftedLongString("Maps", kUp);
  if (writerChunks) {
    b.Text("TEXT").Int16(9 + kTableAt463);                                 // one entry: key "k", two empty texts
    b.Int16(1).ShiftedLongString("k", kUp).ShiftedLongString("", kUp).ShiftedLongString("", kUp);
    b.Text("PORT").Int16(3 + kTableAt463).ShiftedLongString("P", kUp);    // the portrait "P"
  }
  b.ShiftedShortString("Ranger", kUp).ShiftedShortString("Elf", kUp);     // class, race
  b.Int16(10);                                                             // equipment slots 1 to 9
  for (const char* item : {"Bow", "", "Cloak", "", "", "", "", "", "Ring"}) b.ShiftedShortString(item, kUp);
  b.Int16(2);                                                              // inventory: "Rod" with 5 charges,
  b.ShiftedShortString("Rod", kUp).Int16(1).Text("CHRG").Int16(2).Int16(5);  // "Bow" with -1
  b.ShiftedShortString("Bow", kUp).Int16(1).Text("CHRG").Int16(2).Int16(-1);
  b.Int16(2).ShiftedShortString("Light", kUp).ShiftedShortString("Heal", kUp);     // spells
  b.Int16(2).ShiftedShortString("Heal", kUp).Int16(4);                            // effects and their
  b.ShiftedShortString("Shield", kUp).Int16(1);                                   // remaining ticks
  b.Int16(2).ShiftedShortString("gb_a", kUp).ShiftedShortString("1", kUp);        // global entries
  b.ShiftedShortString("gb_door", kUp).ShiftedShortString("open", kUp);
  b.Int16(2);                                                              // the history, oldest first
  b.Int16(10).Int16(4).Int16(9).Int16(0).ShiftedShortString("Vale", kUp).ShiftedShortString("vale.aiff", kUp);
  b.Int16(0).Int16(0).Int16(0).Int16(0).ShiftedShortString("Inn", kUp).ShiftedShortString("", kUp);
  b.Int16(2);                                                              // explored-area masks, by name
  b.ShiftedShortString("Cave", !kUp).Int32(2).Byte(0x01).Byte(0x80).Int16(9).Int16(1).Int16(1).Int16(0);
  b.ShiftedShortString("Town", !kUp).Int32(3).Byte(0xFF).Byte(0x01).Byte(0x80).Int16(8).Int16(3);
  b.Int16(1).Int16(3).Int16(2).Int16(5).Int16(9);                          // identifiers 2, 5 and 9
  if (writerChunks) {
    b.Int16(0).Int16(0);                                                   // the trailer: no chunks, key 0
  } else {
    // One chunk, key 213: its length is masked with entry 200 + 213, the entry that masks the experience.
    b.Int16(1).Int16(213).Text("NOTE").Int16(2 + kTableAt413To415[0]).Byte(0xAB).Byte(0xCD);
  }
  return b.Bytes();
}

// The format-13 file around a body: the header, then the body as a zlib stream of one stored block.
std::vector<uint8_t> Format13File(const std::vector<uint8_t>& body) {
  uint32_t a = 1, b = 0;  // Adler-32 of the body
  for (uint8_t byte : body) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  const uint32_t adler = b << 16 | a;
  const uint32_t n = static_cast<uint32_t>(body.size());
  std::vector<uint8_t> packed = {0x78, 0x01, 0x01, static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8),
                                 static_cast<uint8_t>(~n), static_cast<uint8_t>(~n >> 8)};
  packed.insert(packed.end(), body.begin(), body.end());
  for (int shift = 24; shift >= 0; shift -= 8) packed.push_back(static_cast<uint8_t>(adler >> shift));
  std::vector<uint8_t> file = {0, 13};
  for (uint32_t size : {n, static_cast<uint32_t>(packed.size())}) {
    for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<uint8_t>(size >> shift));
  }
  file.insert(file.end(), packed.begin(), packed.end());
  return file;
}

TEST(SavedGameFile, HandBuiltFormat13FileReadsFieldByField) {
  const std::vector<uint8_t> file = Format13File(HandBuiltBody(false));
  SavedGame game;
  ASSERT_EQ(ParseSavedGame(file.data(), file.size(), "Ab", &game), SavedGameError::kNone);
  const SavedCharacter& c = game.character;
  EXPECT_EQ(game.format, 13);
  EXPECT_EQ(c.name, "Ann");
  EXPECT_EQ(c.spriteName, "hero");
  EXPECT_EQ(c.level, 7);
  for (int k = 0; k < kSavedBaseValueCount; ++k) EXPECT_EQ(c.base[k], k == 15 ? 0 : 100 + k) << "B" << k;
  EXPECT_EQ(c.experience, 1234);
  EXPECT_EQ(c.gold, 56789);
  EXPECT_EQ(c.randomSeed, 42);
  EXPECT_EQ(c.journal, (std::vector<std::string>{"Hi", "Yo"}));
  EXPECT_TRUE(c.textEntries.empty());
  EXPECT_EQ(c.portrait, "");
  EXPECT_EQ(c.plugins, std::vector<std::string>{"Maps"});
  EXPECT_EQ(c.className, "Ranger");
  EXPECT_EQ(c.raceName, "Elf");
  EXPECT_EQ(c.equipment,
            (std::array<std::string, kSavedEquipmentSlots>{"Bow", "", "Cloak", "", "", "", "", "", "Ring"}));
  EXPECT_EQ(c.inventory, (std::vector<SavedItem>{{"Rod", true, 5}, {"Bow", true, -1}}));
  EXPECT_EQ(c.spells, (std::vector<std::string>{"Light", "Heal"}));
  EXPECT_EQ(c.effects, (std::vector<SavedEffect>{{"Heal", 4}, {"Shield", 1}}));
  EXPECT_EQ(game.globals, (std::vector<SavedGlobal>{{"gb_a", "1"}, {"gb_door", "open"}}));
  EXPECT_EQ(game.history,
            (std::vector<LocationHistoryEntry>{{10, 4, 9, 0, "Vale", "vale.aiff"}, {0, 0, 0, 0, "Inn", ""}}));
  EXPECT_EQ(game.masks, (std::vector<SavedMask>{{"Cave", {0x01, 0x80}, 9, 1, true, {}},
                                                {"Town", {0xFF, 0x01, 0x80}, 8, 3, true, {2, 5, 9}}}));
  // The writer writes the same body for the same game and key, with the text entries and the portrait.
  const std::vector<uint8_t> newer = Format13File(HandBuiltBody(true));
  ASSERT_EQ(ParseSavedGame(newer.data(), newer.size(), "Ab", &game), SavedGameError::kNone);
  EXPECT_EQ(game.character.textEntries, (std::vector<SavedTextEntry>{{"k", "", ""}}));
  EXPECT_EQ(game.character.portrait, "P");
  std::vector<uint8_t> written;
  ASSERT_EQ(BuildSavedGameFile(game, "Ab", 200, &written), SavedGameError::kNone);
  EXPECT_EQ(BodyOf(written), HandBuiltBody(true));
}

class SavedGameOnDisk : public FileSystemTest {};

TEST_F(SavedGameOnDisk, WriteThenReadBackFromTheFile) {
  int32_t fileError = 0;
  ASSERT_EQ(WriteSavedGameFile(folder_, "Aldra game.ksv", FullGame(), kScenario, &fileError), SavedGameError::kNone);
  SavedGame read;
  ASSERT_EQ(ReadSavedGameFile(folder_, "Aldra game.ksv", kScenario, &read, &fileError), SavedGameError::kNone);
  EXPECT_TRUE(read == FullGame());
  EXPECT_EQ(ReadSavedGameFile(folder_, "missing.ksv", kScenario, &read, &fileError), SavedGameError::kFileError);
  EXPECT_NE(fileError, 0);
}

TEST_F(SavedGameOnDisk, FailedWritesKeepThePreviousSave) {
  int32_t fileError = 0;
  ASSERT_EQ(WriteSavedGameFile(folder_, "save.ksv", FullGame(), kScenario, &fileError), SavedGameError::kNone);
  std::string before = temp_.ReadFile("save.ksv");
  SavedGame changed = FullGame();
  changed.character.gold = 1;
  struct Fault {
    const char* what;
    DWORD bytes;
    DWORD error;
  } faults[] = {{"disk full after a few bytes", 7, ERROR_DISK_FULL}, {"nothing written", 0, ERROR_DISK_FULL},
                {"short write reported as success", 3, 0}};
  for (const Fault& fault : faults) {
    HostFailFileWrites(100, fault.bytes, fault.error, true);
    EXPECT_EQ(WriteSavedGameFile(folder_, "save.ksv", changed, kScenario, &fileError), SavedGameError::kFileError)
        << fault.what;
    HostResetFileFaults();
    EXPECT_EQ(temp_.ReadFile("save.ksv"), before) << fault.what;
  }
  // A folder that cannot hold the file: its path runs through a plain file.
  temp_.WriteFile("plain", "x");
  EXPECT_EQ(WriteSavedGameFile(folder_, "plain/save.ksv", changed, kScenario, &fileError), SavedGameError::kFileError);
  SavedGame read;
  ASSERT_EQ(ReadSavedGameFile(folder_, "save.ksv", kScenario, &read, &fileError), SavedGameError::kNone);
  EXPECT_TRUE(read == FullGame());
}

// A save killed half-way leaves its temporary file behind. Later saves of that name take another temporary name
// and, once written, clear away what the killed ones left; other files stay.
TEST_F(SavedGameOnDisk, LeftoversOfAKilledSaveNeverStandInTheWay) {
  int32_t fileError = 0;
  for (const char* leftover : {".save.ksv.~1-partial", ".save.ksv.~2-partial", ".save.ksv.~17-partial"}) {
    temp_.WriteFile(leftover, "cut");
  }
  temp_.WriteFile(".other.ksv.~1-partial", "another save's");
  temp_.WriteFile(".save.ksv.~x-partial", "not ours");
  ASSERT_EQ(WriteSavedGameFile(folder_, "save.ksv", FullGame(), kScenario, &fileError), SavedGameError::kNone)
      << fileError;
  SavedGame read;
  ASSERT_EQ(ReadSavedGameFile(folder_, "save.ksv", kScenario, &read, &fileError), SavedGameError::kNone);
  EXPECT_TRUE(read == FullGame());
  for (const char* leftover : {".save.ksv.~1-partial", ".save.ksv.~2-partial", ".save.ksv.~17-partial"}) {
    EXPECT_FALSE(temp_.Exists(leftover)) << leftover;
  }
  EXPECT_TRUE(temp_.Exists(".other.ksv.~1-partial"));
  EXPECT_TRUE(temp_.Exists(".save.ksv.~x-partial"));
}

// The child half of the test below: a save that meets the process's file-size limit.
TEST_F(SavedGameOnDisk, FileSizeLimitChild) {
  if (ChildRole() == nullptr) GTEST_SKIP() << "the child half of FileSizeLimitFailsTheSaveAndKeepsTheOldOne";
  int32_t fileError = 0;
  ASSERT_EQ(WriteSavedGameFile(folder_, "save.ksv", FullGame(), kScenario, &fileError), SavedGameError::kNone);
  const std::string before = temp_.ReadFile("save.ksv");
  SavedGame bigger = FullGame();
  for (int i = 0; i < 200; ++i) bigger.character.journal.push_back("An entry of the journal, number " + std::to_string(i));
  rlimit limit{before.size() + 64, before.size() + 64};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
  EXPECT_EQ(WriteSavedGameFile(folder_, "save.ksv", bigger, kScenario, &fileError), SavedGameError::kFileError);
  EXPECT_EQ(fileError, kPlatformErrDiskFull);
  EXPECT_EQ(temp_.ReadFile("save.ksv"), before);
  std::printf("[save refused, old file kept]\n");
}

TEST(SavedGameFileSizeLimit, FailsTheSaveAndKeepsTheOldOne) {
  ChildOutcome outcome = RunTestInChild("SavedGameOnDisk.FileSizeLimitChild", "limit");
  ASSERT_TRUE(outcome.started);
  EXPECT_TRUE(outcome.exited && outcome.exitCode == 0) << "signal " << outcome.signal << "\n" << outcome.output;
  EXPECT_NE(outcome.output.find("[save refused, old file kept]"), std::string::npos) << outcome.output;
}

}  // namespace
