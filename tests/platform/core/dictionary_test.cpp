// The string-keyed dictionary: case folding, duplicates, key characters, bucket counts, attribute lists and
// percent escapes.
#include "platform/core/dictionary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

PlatformError Put(Dictionary* table, const char* key, const char* value) {
  return DictionaryInsert(table, key, static_cast<uint32_t>(std::strlen(key)), value,
                          static_cast<uint32_t>(std::strlen(value)), '=', false);
}

TEST(Dictionary, CaseFoldingFindsWholeKeysOnly) {
  Dictionary* table = NewDictionary(kDictionaryCaseless);
  ASSERT_EQ(Put(table, "ABC", "v"), kPlatformNoError);
  for (const char* probe : {"abc", "Abc", "aBc", "ABC"}) {
    const char* value = DictionaryLookup(table, probe, nullptr);
    ASSERT_NE(value, nullptr) << probe;
    EXPECT_STREQ(value, "v");
  }
  EXPECT_EQ(DictionaryLookup(table, "AB", nullptr), nullptr);
  EXPECT_EQ(DictionaryLookup(table, "ABCD", nullptr), nullptr);
  DisposeDictionary(table);

  Dictionary* exact = NewDictionary(0);
  ASSERT_EQ(Put(exact, "Key", "1"), kPlatformNoError);
  EXPECT_EQ(DictionaryLookup(exact, "key", nullptr), nullptr);
  EXPECT_STREQ(DictionaryLookup(exact, "Key", nullptr), "1");
  DisposeDictionary(exact);
}

TEST(Dictionary, DuplicatesAreKeptInOrderOrRefused) {
  Dictionary* many = NewDictionary(0);
  ASSERT_EQ(Put(many, "k", "first"), kPlatformNoError);
  ASSERT_EQ(Put(many, "k", "second"), kPlatformNoError);
  ASSERT_EQ(DictionaryInsert(many, "k", 1, "front", 5, 0, true), kPlatformNoError);
  const char* value = DictionaryLookup(many, "k", nullptr);
  std::vector<std::string> seen;
  for (; value != nullptr; value = DictionaryLookup(many, "k", value)) seen.push_back(value);
  EXPECT_EQ(seen, (std::vector<std::string>{"front", "first", "second"}));
  DisposeDictionary(many);

  Dictionary* unique = NewDictionary(kDictionaryUnique);
  ASSERT_EQ(Put(unique, "k", "first"), kPlatformNoError);
  EXPECT_EQ(Put(unique, "k", "second"), kPlatformErrDuplicateKey);
  EXPECT_STREQ(DictionaryLookup(unique, "k", nullptr), "first");
  EXPECT_EQ(DictionaryLookup(unique, "k", DictionaryLookup(unique, "k", nullptr)), nullptr);
  DisposeDictionary(unique);
}

TEST(Dictionary, KeysAreWordsAndTablesAreListed) {
  Dictionary* plain = NewDictionary(0);
  Dictionary* attributes = NewDictionary(kDictionaryAttributes | kDictionaryLarge);
  EXPECT_EQ(Put(plain, "a-b", "x"), kPlatformErrBadData);
  EXPECT_EQ(Put(plain, "$id", "x"), kPlatformErrBadData);
  EXPECT_EQ(Put(attributes, "$id", "x"), kPlatformNoError);
  EXPECT_EQ(DictionaryInsert(plain, "a\0b", 3, "", 0, 0, false), kPlatformErrBadData);
  EXPECT_EQ(plain->bucketCount, 23u);
  EXPECT_EQ(attributes->bucketCount, 997u);
  EXPECT_TRUE(attributes->flags & kDictionaryCaseless);
  EXPECT_TRUE(IsDictionary(plain));
  EXPECT_EQ(DisposeDictionary(plain), kPlatformNoError);
  EXPECT_FALSE(IsDictionary(plain));
  int notATable = 0;
  EXPECT_EQ(DisposeDictionary(reinterpret_cast<Dictionary*>(&notATable)), kPlatformNoError);
  DisposeDictionary(attributes);
}

TEST(Dictionary, AttributeListsGiveNamesValuesAndKinds) {
  struct Expected {
    const char* key;
    const char* value;  // null: no entry
    uint8_t kind;
  };
  struct Case {
    const char* text;
    uint32_t flags;
    std::vector<Expected> entries;
  };
  const Case cases[] = {
      {"src=\"a b\" width=10 hidden", 0, {{"src", "a b", '='}, {"width", "10", '='}, {"hidden", "", 0}}},
      {" level>=3 ", kDictionaryAttributes, {{"level", "3", '>'}}},
      {"name = 'quoted value' other", 0, {{"name", "quoted value", '='}, {"other", "", 0}}},
      {"open=\"never closed", 0, {{"open", "never closed", '='}}},
      {"trailing=", 0, {{"trailing", "", '='}}},
      {"pct=x%41y zero=x%00y short=x%4", 0, {{"pct", "xAy", '='}, {"zero", "x y", '='}, {"short", "x%4", '='}}},
      {"a b  c", 0, {{"a", "", 0}, {"b", "", 0}, {"c", "", 0}}},
      {"#junk k=v", 0, {{"junk", "", 0}, {"k", "v", '='}}},
      {"dup=1 dup=2", kDictionaryUnique, {{"dup", "1", '='}}},
      {"", 0, {{"", nullptr, 0}}},
  };
  for (const Case& c : cases) {
    Dictionary* table = NewDictionaryFromList(c.flags, c.text);
    ASSERT_NE(table, nullptr) << c.text;
    size_t count = 0;
    for (DictionaryEntry* e = table->first; e != nullptr; e = e->next) ++count;
    size_t expectedCount = 0;
    for (const Expected& e : c.entries) {
      if (e.value == nullptr) continue;
      ++expectedCount;
      const char* value = DictionaryLookup(table, e.key, nullptr);
      ASSERT_NE(value, nullptr) << c.text << " / " << e.key;
      EXPECT_STREQ(value, e.value) << c.text << " / " << e.key;
      EXPECT_EQ(DictionaryEntryOf(value)->kind, e.kind) << c.text << " / " << e.key;
    }
    EXPECT_EQ(count, expectedCount) << c.text;
    DisposeDictionary(table);
  }
}

TEST(Dictionary, PercentEscapesShrinkTheHandle) {
  struct Case {
    const char* in;
    const char* out;
  };
  const Case cases[] = {{"x%41y", "xAy"}, {"x%00y", "x y"}, {"x%4", "x%4"}, {"%zz%4a", "%zzJ"}, {"%%41", "%A"}};
  for (const Case& c : cases) {
    PlatformHandle* handle = PlatformHandle::FromBytes(c.in, static_cast<uint32_t>(std::strlen(c.in)));
    ASSERT_EQ(DecodePercentEscapes(handle), kPlatformNoError);
    EXPECT_EQ(std::string(static_cast<char*>(handle->data), handle->size), c.out) << c.in;
    PlatformHandle::Dispose(handle);
  }
}

}  // namespace
