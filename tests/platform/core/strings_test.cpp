// Tests of the byte-string routines and the bounded formatter.
#include "platform/core/strings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/core/memory.h"

namespace {

TEST(Strings, BoundedCopyAndAppendNeverPassTheSize) {
  char buffer[8] = "zzzzzzz";
  EXPECT_STREQ(PlatformCopyStringBounded(buffer, "abcdef", 1), "");
  EXPECT_EQ(buffer[1], 'z');
  EXPECT_STREQ(PlatformCopyStringBounded(buffer, "abcdef", 4), "abc");
  EXPECT_EQ(buffer[4], 'z');

  char ab[8] = "ab";
  EXPECT_STREQ(PlatformAppendStringBounded(ab, "xyz", 4), "abx");
  char full[5] = {'a', 'b', 'c', 'd', 'Q'};  // four characters, no terminator within the size
  PlatformAppendStringBounded(full, "xyz", 4);
  EXPECT_EQ(std::string(full, 5), std::string("abcdQ", 5));

  char text[16] = "ab";
  EXPECT_STREQ(PlatformAppendString(text, "cd"), "abcd");
  EXPECT_STREQ(PlatformCopyString(text, "q"), "q");
}

TEST(Strings, CompareAndSearch) {
  EXPECT_EQ(PlatformCompareStrings("ab", "abc"), -1);
  EXPECT_EQ(PlatformCompareStrings("abc", "ab"), 1);
  EXPECT_EQ(PlatformCompareStrings("abc", "abc"), 0);
  EXPECT_EQ(PlatformCompareStrings("\xE9", "z"), 1);

  const char* path = "a/b/c";
  EXPECT_EQ(PlatformFindSubstring(path, ""), nullptr);
  EXPECT_EQ(PlatformFindSubstring(path, "b/c"), path + 2);
  EXPECT_EQ(PlatformFindSubstring(path, "x"), nullptr);
  EXPECT_EQ(PlatformFindFirstOf(path, "/"), path + 1);
  EXPECT_EQ(PlatformFindFirstOf(path, "xyz"), nullptr);
}

TEST(Strings, DecimalConversions) {
  char digits[12];
  EXPECT_STREQ(FormatUnsignedDecimal(digits, 0), "0");
  EXPECT_STREQ(FormatUnsignedDecimal(digits, 4294967295u), "4294967295");
  EXPECT_EQ(PlatformParseDecimal("12ab"), 12u);
  EXPECT_EQ(PlatformParseDecimal("-5"), 0u);
  EXPECT_EQ(PlatformParseDecimal(""), 0u);
  EXPECT_EQ(PlatformParseDecimal("4294967296"), 0u);  // wraps modulo 2^32
}

TEST(Strings, UpperCaseTouchesOnlyAsciiLetters) {
  char out[8];
  EXPECT_STREQ(PlatformUpperCaseBounded(out, "ab\xE9z1", -1), "AB\xE9Z1");
  EXPECT_STREQ(PlatformUpperCaseBounded(out, "abcdef", 3), "AB");
  char text[] = "mIxEd";
  EXPECT_STREQ(PlatformUpperCase(text), "MIXED");
}

TEST(Strings, DuplicateIsAPointerBlock) {
  char* copy = PlatformDuplicateString("kestrel");
  ASSERT_NE(copy, nullptr);
  EXPECT_STREQ(copy, "kestrel");
  PlatformDisposePointer(copy);
}

// One formatter case: the format, its arguments bound in a lambda, and the text expected.
struct FormatCase {
  const char* name;
  uint32_t size;
  std::string (*run)(uint32_t size);
  std::string expected;
};

template <typename... Args>
std::string Format(uint32_t size, const char* format, Args... args) {
  std::string buffer(size + 8, '#');
  PlatformFormatString(buffer.data(), size, format, args...);
  EXPECT_EQ(buffer[size], '#') << "wrote past the size for " << format;
  return std::string(buffer.c_str());
}

const FormatCase kFormatCases[] = {
    {"cut to room", 6, [](uint32_t n) { return Format(n, "%s", "hello world"); }, "hello"},
    {"width cuts string", 64, [](uint32_t n) { return Format(n, "%3s", "hello"); }, "hel"},
    {"left aligned", 64, [](uint32_t n) { return Format(n, "%-6s|", "ab"); }, "ab    |"},
    {"precision keeps default width", 64, [](uint32_t n) { return Format(n, "%.2s|", "abc"); }, " ab|"},
    {"left precision", 64, [](uint32_t n) { return Format(n, "%-.2s|", "abc"); }, "ab |"},
    {"null string", 64, [](uint32_t n) { return Format(n, "%s", static_cast<const char*>(nullptr)); }, "<NULL>"},
    {"star width string", 64, [](uint32_t n) { return Format(n, "%*s|", 4, "ab"); }, "  ab|"},
    {"length-prefixed", 64, [](uint32_t n) { return Format(n, "%#s|", "\x03" "abcdef"); }, "abc|"},
    {"hex lower", 64, [](uint32_t n) { return Format(n, "%x", 255); }, "ff"},
    {"hex upper", 64, [](uint32_t n) { return Format(n, "%X", 255); }, "FF"},
    {"pointer", 64, [](uint32_t n) { return Format(n, "%p", reinterpret_cast<void*>(0xFF)); }, "0x00000000000000FF"},
    {"octal", 64, [](uint32_t n) { return Format(n, "%o", 8); }, "10"},
    {"negative width", 64, [](uint32_t n) { return Format(n, "%5d", -42); }, "-   42"},
    {"negative zero pad", 64, [](uint32_t n) { return Format(n, "%05d", -42); }, "-00042"},
    {"int minimum", 64, [](uint32_t n) { return Format(n, "%d", INT32_MIN); }, "-2147483648"},
    {"plus signed", 64, [](uint32_t n) { return Format(n, "%+d %+d", 7, 0); }, "+7 0"},
    {"plus unsigned", 64, [](uint32_t n) { return Format(n, "%+u", 3u); }, "+3"},
    {"minus flag not for numbers", 64, [](uint32_t n) { return Format(n, "%-5d|", 42); }, "   42|"},
    {"plus before the field", 64, [](uint32_t n) { return Format(n, "%+5d", 42); }, "+   42"},
    {"zero pad hex", 64, [](uint32_t n) { return Format(n, "%08X", 0xBEEFu); }, "0000BEEF"},
    {"precision digits", 64, [](uint32_t n) { return Format(n, "%6.3d", 7); }, "   007"},
    {"unknown conversion", 64, [](uint32_t n) { return Format(n, "a%kb"); }, "a%kb"},
    {"unknown with flags", 64, [](uint32_t n) { return Format(n, "%-5k"); }, "%-5k"},
    {"percent at end", 64, [](uint32_t n) { return Format(n, "ab%"); }, "ab%"},
    {"directive cut by end", 64, [](uint32_t n) { return Format(n, "ab%-3"); }, "ab%-3"},
    {"percent", 64, [](uint32_t n) { return Format(n, "100%%"); }, "100%"},
    {"zero precision zero", 64, [](uint32_t n) { return Format(n, "%.0d", 0); }, "0"},
    {"zero rule space", 64, [](uint32_t n) { return Format(n, "[% .0d]", 0); }, "[ ]"},
    {"short signed", 64, [](uint32_t n) { return Format(n, "%hd", 0x0001FFFF); }, "-1"},
    {"short unsigned", 64, [](uint32_t n) { return Format(n, "%hu", 0x0001FFFF); }, "65535"},
    {"long is 32-bit", 64, [](uint32_t n) { return Format(n, "%ld %lx", int32_t{-3}, uint32_t{0xABCD}); }, "-3 abcd"},
    {"64-bit prints its low 32 bits", 64,
     [](uint32_t n) { return Format(n, "%lld %qu %Lx", -5LL, 10000000000ULL, 0x123456789ULL); },
     "-5 1410065408 23456789"},
    {"64-bit then next", 64, [](uint32_t n) { return Format(n, "%lld|%d", (1LL << 40) + 7, 9); }, "7|9"},
    {"char", 64, [](uint32_t n) { return Format(n, "%5c|", 'q'); }, "q|"},
    {"number cut to room", 4, [](uint32_t n) { return Format(n, "%d", 123456); }, "123"},
    {"size one", 1, [](uint32_t n) { return Format(n, "abc%d", 5); }, ""},
};

void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }

class FormatTable : public testing::TestWithParam<FormatCase> {};

TEST_P(FormatTable, GivesExpectedText) {
  const FormatCase& c = GetParam();
  EXPECT_EQ(c.run(c.size), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Formatter, FormatTable, testing::ValuesIn(kFormatCases),
                         [](const testing::TestParamInfo<FormatCase>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p) name += isalnum(*p) ? *p : '_';
                           return name;
                         });

TEST(Formatter, WideWidthsAndPrecisionsAreClampedForNumbers) {
  // A field of 255 or more would not fit the number's scratch space: it is held to 255.
  std::string wide = Format(1024, "%300d", 1);
  EXPECT_EQ(wide.size(), 255u);
  EXPECT_EQ(wide.back(), '1');
  EXPECT_EQ(Format(1024, "%*d", 100000, -1).size(), 256u);  // the sign stands in front of the field
  std::string precise = Format(1024, "%.*x", 999, 0xA);
  EXPECT_EQ(precise.size(), 255u);
  EXPECT_EQ(precise.front(), '0');
  EXPECT_EQ(precise.back(), 'a');
  EXPECT_EQ(Format(1024, "%99999999999999999999d", 4).size(), 255u);
}

TEST(Formatter, WideStringWidthsStopAtTheRoom) {
  std::string text = Format(16, "%400s", "x");
  EXPECT_EQ(text, std::string(14, ' ') + "x");
  EXPECT_EQ(Format(64, "%*s|", -3, "ab"), "ab|");  // a negative width from "*" is no width
}

TEST(Formatter, CountStoresCharactersWrittenSoFar) {
  int32_t count = -1;
  EXPECT_EQ(Format(64, "abc%n%d", &count, 42), "abc42");
  EXPECT_EQ(count, 3);
  EXPECT_EQ(Format(64, "a%nb", static_cast<int32_t*>(nullptr)), "ab");
}

}  // namespace
