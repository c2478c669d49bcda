// The experience each level needs, past the table's twenty levels too.
#include "game/rules/skill_table.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

namespace {

std::unique_ptr<SkillTable> TableOf(uint32_t t19, uint32_t t20, int32_t growth) {
  auto table = std::make_unique<SkillTable>();
  for (uint32_t i = 0; i < 18; ++i) table->levelValues[i] = (i + 1) * 10;
  table->levelValues[18] = t19;
  table->levelValues[19] = t20;
  table->growthNumber = growth;
  table->growthFactor = static_cast<float>(growth * 0.1);
  return table;
}

TEST(SkillTableTest, LevelsPastTwentyGrowTheLastStep) {
  struct Case {
    uint32_t t19, t20;
    int32_t growth;
    int32_t level;
    int64_t value;
  } cases[] = {
      {1000, 1500, 5, 21, 2250},  // d 500, x 250: d 750
      {1000, 1500, 5, 22, 2620},  // x 375 counts as 370: d 1120
      {1000, 1500, 5, 20, 1500},
      {1000, 1500, 5, 19, 1000},
      {1000, 1500, 5, 1, 10},
      {1000, 1500, 5, 0, 10},  // below 1 counts as level 1
      {1000, 1500, 5, -7, 10},
      {1000, 1500, 0, 21, 2000},  // no growth: every later level costs t20 + (t20 - t19)
      {1000, 1500, 0, 500, 2000},
      {1000, 1500, -5, 21, 1750},  // a negative factor shrinks the step: x -250, d 250
      {1000, 1500, -5, 22, 1630},  // x -125 counts as -120: d 130
      {1000, 1500, -5, 23, 1570},  // x -65 counts as -60: d 70
      {1000, 1500, -5, 27, 1510},  // d 10 for good: x -5 counts as 0
      {1000, 1500, -5, 400, 1510},
      {1500, 1000, 0, 21, 4294967796},  // t20 below t19: the unsigned difference 2^32 - 500
      {1000, 1009, 5, 30, 1018},         // a step of 9 grows by 4, which counts as 0
      {0, 4000000000u, 0, 21, 8000000000},  // unsigned values past the signed range
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TableOf(c.t19, c.t20, c.growth)->ValueForLevel(c.level), c.value)
        << c.t19 << " " << c.t20 << " g " << c.growth << " level " << c.level;
  }
}

// Levels are kept within 16 bits: any level past 32768 is asked as 32768, and growth past 32 bits is held at the
// 32-bit limits, so that every level answers at once and without overflow, growing or shrinking.
TEST(SkillTableTest, TheHighestLevelAnswersAtOnceWithoutOverflow) {
  for (int32_t growth : {1, 5, 30, 1000, INT_MAX, -5, -20, -30, INT_MIN}) {
    std::unique_ptr<SkillTable> table = TableOf(1000, 1500, growth);
    EXPECT_EQ(table->ValueForLevel(INT_MAX), table->ValueForLevel(32768)) << growth;
    if (growth < 0) continue;
    int64_t previous = 0;
    for (int32_t level = 1; level < 200; ++level) {
      int64_t value = table->ValueForLevel(level);
      EXPECT_GE(value, previous) << growth << " level " << level;
      previous = value;
    }
    EXPECT_GE(table->ValueForLevel(32768), previous);
  }
}

}  // namespace
