#include "game/shell/data/number_utils.h"

#include <gtest/gtest.h>

#include <vector>

#include "game/shell/data/game_random.h"

namespace {

TEST(VectorAngleDegreesTest, CompassDirections) {
  struct Case {
    int32_t dx, dy, degrees;
  } cases[] = {
      {1, 0, 90},    {0, 1, 180},    {-1, 0, 270},  {0, -1, 0},  {1, 1, 135},     {0, 0, 90},
      {1, -1, 45},   {-1, 1, 225},   {-1, -1, 315}, {-1, -1000, 360},  {3, -4, 37},  {100, 1, 91},
  };
  for (const Case& c : cases) EXPECT_EQ(VectorAngleDegrees(c.dx, c.dy), c.degrees) << c.dx << "," << c.dy;
}

TEST(NumberHelpersTest, MaxAndNonNegative) {
  EXPECT_EQ(MaxInt(-3, 2), 2);
  EXPECT_EQ(MaxInt(INT32_MIN, INT32_MIN), INT32_MIN);
  EXPECT_EQ(NonNegative(-5), 0);
  EXPECT_EQ(NonNegative(0), 0);
  EXPECT_EQ(NonNegative(9), 9);
}

TEST(GameRandomTest, FifteenBitSequenceFromASeed) {
  SeedRandom(1);
  const int32_t expected[] = {16838, 5758, 10113, 17515, 31051, 5627};
  for (int32_t value : expected) EXPECT_EQ(NextRandom(), value);

  SeedRandom(12345);
  EXPECT_EQ(NextRandom(), 21468);
  EXPECT_EQ(NextRandom(), 9988);
}

TEST(GameRandomTest, RangeAndBitDrawFromTheSequence) {
  SeedRandom(1);
  EXPECT_EQ(RandomRange(1, 100), 1 + 16838 % 100);
  EXPECT_EQ(RandomBit(), 1 - (5758 & 1));
  EXPECT_EQ(RandomRange(5, 5), 5);
  EXPECT_EQ(RandomRange(7, 3), 7);
  EXPECT_EQ(NextRandom(), 10113);  // equal or inverted bounds draw nothing

  // The widest span does not overflow: it is the low end plus the next number, as any span wider than the
  // generator's numbers is.
  SeedRandom(99);
  std::vector<int32_t> numbers;
  for (int i = 0; i < 2000; ++i) numbers.push_back(NextRandom());
  SeedRandom(99);
  for (int i = 0; i < 1000; ++i) {
    ASSERT_EQ(RandomRange(INT32_MIN, INT32_MAX), INT32_MIN + numbers[2 * i]) << i;
    ASSERT_EQ(RandomRange(-3, 3), -3 + numbers[2 * i + 1] % 7) << i;
  }
}

}  // namespace
