#include "game/shell/data/string_utils.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParseIntTest, AcceptsOnlyMinusSignsThenDigits) {
  struct Case {
    const char* text;
    int32_t value;
  } cases[] = {
      {"123", 123}, {"-12", -12}, {"--5", 5}, {"-", 0},        {"", 0},          {"12a", 0},
      {" 12", 0},   {"+3", 0},    {"1.5", 0}, {"-5-", 0},      {"0", 0},         {"2147483647", 2147483647},
      {"-2147483648", INT32_MIN}, {"4294967297", 1},  // wraps at 32 bits
  };
  for (const Case& c : cases) EXPECT_EQ(ParseInt(c.text), c.value) << '"' << c.text << '"';
}

TEST(ParseIntTest, LongRunOfMinusSignsIsCheap) {
  std::string text(1000001, '-');
  text += "7";
  EXPECT_EQ(ParseInt(text), -7);
}

TEST(IsIntegerTextTest, LooksAtTheFirstWord) {
  struct Case {
    const char* text;
    bool integer;
  } cases[] = {{"0", true}, {"abc", false}, {"", true}, {"7 apples", true}, {"  \t42\tx", true}, {"-0", false},
               {"00", false}, {"x 7", false}};
  for (const Case& c : cases) EXPECT_EQ(IsIntegerText(c.text), c.integer) << '"' << c.text << '"';
}

TEST(FieldsTest, CountAndGetSplitAtTheSeparator) {
  EXPECT_EQ(CountFields("a,b,c", ","), 3);
  EXPECT_EQ(CountFields("", ","), 0);
  EXPECT_EQ(CountFields("abc", ","), 1);
  EXPECT_EQ(CountFields("a,,", ","), 3);
  EXPECT_EQ(CountFields("name::second", "::"), 2);

  struct Case {
    const char* text;
    const char* separator;
    int32_t n;
    const char* field;
  } cases[] = {
      {"a,b,c", ",", 2, "b"}, {"a,b,c", ",", 4, ""},  {"a,b,c", ",", 0, ""},   {"a,b,c", ",", 3, "c"},
      {"a,b,c", ",", 1, "a"}, {"a,,c", ",", 2, ""},   {"a,,c", ",", 3, "c"},   {"name::second", "::", 2, "second"},
      {"abc", ",", 1, "abc"}, {"abc", ",", -1, ""},   {"", ",", 1, ""},
  };
  for (const Case& c : cases) {
    std::string out = "stale";
    GetField(out, c.text, c.separator, c.n);
    EXPECT_EQ(out, c.field) << c.text << " field " << c.n;
  }
}

TEST(FirstWordTest, SkipsLeadingBlanksAndTabs) {
  std::string out;
  FirstWord(out, " \t hello world");
  EXPECT_EQ(out, "hello");
  FirstWord(out, "");
  EXPECT_EQ(out, "");
  FirstWord(out, "one\ttwo");
  EXPECT_EQ(out, "one");
}

TEST(AffixTest, PrefixAndSuffix) {
  EXPECT_TRUE(StartsWith("Players/Races", "Players"));
  EXPECT_FALSE(StartsWith("Pl", "Players"));
  EXPECT_TRUE(EndsWith("game.ini", ".ini"));
  EXPECT_TRUE(EndsWith("abc", ""));
  EXPECT_FALSE(EndsWith("ini", ".ini"));
  EXPECT_FALSE(EndsWith("game.INI", ".ini"));
}

TEST(SmallStringTest, LowerCaseByteSumAndLengthPrefix) {
  std::string text = "Players/\xC4Races";
  ToLowerInPlace(text);
  EXPECT_EQ(text, "players/\xC4races");  // only A to Z change

  EXPECT_EQ(StringByteSum("ab"), 97 + 98);
  EXPECT_EQ(StringByteSum("\xFF\x01"), 0);  // bytes count as signed

  uint8_t buffer[300] = {};
  ToLengthPrefixed(buffer, std::string(300, 'q'));
  EXPECT_EQ(buffer[0], 255);
  EXPECT_EQ(buffer[255], 'q');
  EXPECT_EQ(buffer[256], 0);
}

TEST(ScrambleStringTest, ShiftsByteIByIPlusOneAndRoundTrips) {
  std::string text = "abc";
  ScrambleString(text, true);
  EXPECT_EQ(text, "bdf");
  ScrambleString(text, false);
  EXPECT_EQ(text, "abc");

  std::string longText(300, '\x10');
  std::string shifted = longText;
  ScrambleString(shifted, true);
  EXPECT_EQ(static_cast<uint8_t>(shifted[0]), 0x11);
  EXPECT_EQ(static_cast<uint8_t>(shifted[254]), 0x0F);  // 0x10 + 255, modulo 256
  EXPECT_EQ(static_cast<uint8_t>(shifted[255]), 0x10);  // the 256th byte moves by 0
  EXPECT_EQ(static_cast<uint8_t>(shifted[256]), 0x11);
  ScrambleString(shifted, false);
  EXPECT_EQ(shifted, longText);

  std::string wraps = "\xFF";
  ScrambleString(wraps, true);
  EXPECT_EQ(wraps, std::string(1, '\0'));
}

}  // namespace
