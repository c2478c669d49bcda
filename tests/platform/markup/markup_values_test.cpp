// Attribute value readers, and escaping and decoding of markup text.
#include <gtest/gtest.h>

#include <string>

#include "platform/markup/markup_document.h"

namespace {

TEST(MarkupValues, Integers) {
  const struct {
    const char* text;
    int32_t value;
  } kCases[] = {
      {"-12px", -12},          {"1,2", 1},           {"", 0},
      {"a1b2", 12},            {"1-2", -12},          {"2147483647", 2147483647},
      {"2147483648", 2147483647}, {"99999999999999999999", 2147483647},
      {"-2147483648", INT32_MIN}, {"-99999999999999999999", INT32_MIN},
      {",5", 0},
  };
  for (const auto& c : kCases) EXPECT_EQ(ParseMarkupInteger(c.text), c.value) << c.text;
  EXPECT_EQ(ParseMarkupInteger(nullptr), 0);
}

TEST(MarkupValues, Rectangles) {
  const struct {
    const char* text;
    Rect rect;
  } kCases[] = {
      {"10,20", {10, 20, 0, 0}},
      {"1, 2 ,3,4", {1, 2, 3, 4}},
      {"-5,x,7,8,9", {-5, 0, 7, 8}},
      {"", {0, 0, 0, 0}},
  };
  for (const auto& c : kCases) {
    Rect rect{9, 9, 9, 9};
    ParseMarkupRect(&rect, c.text);
    EXPECT_TRUE(Rect::Equal(&rect, &c.rect)) << c.text;
  }
}

TEST(MarkupValues, Colours) {
  const struct {
    const char* text;
    uint32_t colour;
  } kCases[] = {
      {"#FF8000", 0x0080FFFFu},  // red 0xFF, green 0x80, blue 0x00 above the flag byte
      {"#F80", 0x0088FFFFu},     {"##ff8000", 0x0080FFFFu}, {"0000fF", 0xFF0000FFu},
      {"zz0000", 0x000000FFu},   {"blue", kMarkupNoColor},  {"#", kMarkupNoColor},
      {"#12345", kMarkupNoColor},
  };
  for (const auto& c : kCases) EXPECT_EQ(ParseMarkupColor(c.text), c.colour) << c.text;
}

TEST(MarkupValues, AlignmentsAndFlags) {
  EXPECT_EQ(ParseMarkupAlign("right"), 1);
  EXPECT_EQ(ParseMarkupAlign("LEFT"), -1);
  EXPECT_EQ(ParseMarkupAlign("center"), 0);
  EXPECT_EQ(ParseMarkupAlign(nullptr), 0);
  EXPECT_FALSE(ParseMarkupBool("false"));
  EXPECT_FALSE(ParseMarkupBool("None"));
  EXPECT_TRUE(ParseMarkupBool(""));
  EXPECT_TRUE(ParseMarkupBool("0"));
  EXPECT_FALSE(ParseMarkupBool(nullptr));
}

std::string Apply(const std::string& text, PlatformError (*change)(PlatformHandle*, bool, bool), bool a, bool b) {
  PlatformHandle* handle = PlatformHandle::FromBytes(text.data(), static_cast<uint32_t>(text.size()));
  EXPECT_EQ(change(handle, a, b), kPlatformNoError);
  std::string result(static_cast<const char*>(handle->data), handle->size);
  PlatformHandle::Dispose(handle);
  return result;
}

std::string Escape(const std::string& text, bool url, bool spaces) { return Apply(text, EscapeMarkupText, url, spaces); }

std::string Decode(const std::string& text, bool percent) {
  return Apply(
      text, [](PlatformHandle* h, bool p, bool) { return DecodeMarkupEntities(h, p); }, percent, false);
}

TEST(MarkupText, EscapesAsEntitiesAndAddresses) {
  EXPECT_EQ(Escape("a&b<c>d", false, false), "a&amp;b&lt;c&gt;d");
  EXPECT_EQ(Escape("\xA0\xA9\xAE\x01\x7F", false, false), "&nbsp;&copy;&reg;&#1;&#127;");
  EXPECT_EQ(Escape("a b\t\n", false, false), "a b\t\n");
  EXPECT_EQ(Escape("a b\t", false, true), "a&#32;b&#9;");
  EXPECT_EQ(Escape("a b%'", true, false), "a b%25%27");
  EXPECT_EQ(Escape("a b\r", true, true), "a%20b%0D");
  EXPECT_EQ(Escape("ab%", true, false), "ab%");           // a last "%" after nothing escaped stays
  EXPECT_EQ(Escape("\x01%", true, false), "%01%25");
  EXPECT_EQ(Escape("\xE9t\xE9", true, false), "%E9t%E9");
}

TEST(MarkupText, DecodesEntitiesAndPercentEscapes) {
  EXPECT_EQ(Decode("&AMP;&quot;&Nbsp;&copy;&reg;&gt;", false), "&\"\xA0\xA9\xAE>");
  EXPECT_EQ(Decode("&#65;&#256;&#1000;&#;&#x41;", false), "A &#1000;&#;&#x41;");
  EXPECT_EQ(Decode("&amp", false), "&amp");
  EXPECT_EQ(Decode("x&lt;", false), "x<");
  EXPECT_EQ(Decode("&averyveryverylongname;", false), "&averyveryverylongname;");
  EXPECT_EQ(Decode("%41%2f%2F%zz%4", true), "A//%zz%4");
  EXPECT_EQ(Decode("%00", true), " ");
}

TEST(MarkupText, EscapeThenDecodeGivesTheTextBack) {
  std::string every;
  for (int c = 1; c < 256; ++c) every += static_cast<char>(c);
  const std::string kTexts[] = {"", "plain", "&amp; stays &amp;", "%41 and %", "a;b&c<d>e", every,
                                "ends with %", "&#65;", "\x01%"};
  for (const std::string& text : kTexts) {
    for (bool spaces : {false, true}) {
      EXPECT_EQ(Decode(Escape(text, false, spaces), false), text) << text;
      EXPECT_EQ(Decode(Escape(text, true, spaces), true), text) << text;
    }
  }
  // A zero byte comes back as a blank, as decoding never gives a zero.
  EXPECT_EQ(Decode(Escape(std::string("a\0b", 3), false, false), false), "a b");
  EXPECT_EQ(Decode(Escape(std::string("a\0b", 3), true, false), true), "a b");
}

TEST(MarkupText, LockedHandleRefusesTheChange) {
  PlatformHandle* handle = PlatformHandle::FromBytes("a&b", 3);
  PlatformHandle::SetLocked(handle, 1);
  EXPECT_EQ(EscapeMarkupText(handle, false, false), kPlatformErrBadData);
  PlatformHandle::SetLocked(handle, 0);
  PlatformHandle::Dispose(handle);
}

}  // namespace
