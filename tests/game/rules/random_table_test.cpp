// The fixed table: entries wrap every 500 places, and keys of any sign stay inside the table.
#include "game/rules/random_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

TEST(RandomTable, IndexAndKeyAddUpModulo500) {
  EXPECT_EQ(RandomTableValue(0, 0), RandomTableValue(250, 250));
  EXPECT_EQ(RandomTableValue(3, 0), RandomTableValue(0, 503));
  EXPECT_NE(RandomTableValue(0, 0), RandomTableValue(1, 0));  // a table, not one value
}

TEST(RandomTable, NegativeSumsWrapIntoTheTable) {
  struct Case {
    int32_t index, key, sameAs;
  } cases[] = {{1, -501, 0}, {22, -32768, (22 - 32768 % 500 + 500) % 500}, {0, -1, 499}, {100, INT32_MIN, 0}};
  for (const Case& c : cases) {
    int64_t sum = static_cast<int64_t>(c.index) + c.key;
    int32_t expected = static_cast<int32_t>(((sum % 500) + 500) % 500);
    EXPECT_EQ(RandomTableValue(c.index, c.key), RandomTableValue(expected, 0)) << c.index << " " << c.key;
    if (c.key != INT32_MIN) {
      EXPECT_EQ(expected, c.sameAs);
    }
  }
}

TEST(RandomTable, EntriesLieBetween0And32767AndSpreadOverTheRange) {
  int16_t lowest = INT16_MAX, highest = INT16_MIN;
  for (int32_t index = 0; index < kRandomTableSize; ++index) {
    int16_t value = RandomTableValue(index, 0);
    EXPECT_GE(value, 0) << index;
    lowest = std::min(lowest, value);
    highest = std::max(highest, value);
  }
  EXPECT_LT(lowest, 1000);
  EXPECT_GT(highest, 31000);
}
