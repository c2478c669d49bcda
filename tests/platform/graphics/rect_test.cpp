// Rectangles, points and colour records.
#include "platform/graphics/rect.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/graphics/color.h"

namespace {

struct ClampCase {
  Rect in;
  Rect out;
};

TEST(RectTest, ClampForGdiKeepsSidesWithinLimit) {
  const ClampCase cases[] = {
      {{0, 0, 50000, 10}, {0, 0, 32000, 10}},              // left near the origin stays
      {{-40000, 0, 40000, 10}, {-16000, 0, 16000, 10}},    // both far: centred
      {{-50000, 0, 5000, 10}, {-27000, 0, 5000, 10}},      // right near the origin stays
      {{0, 0, 32000, 32000}, {0, 0, 32000, 32000}},        // exactly at the limit: unchanged
      {{10, -50000, 20, 5000}, {10, -27000, 20, 5000}},    // vertical: bottom near stays
      {{10, -40000, 20, 40000}, {10, -16000, 20, 16000}},  // vertical: centred
      {{10, 7999, 20, 60000}, {10, 7999, 20, 39999}},      // top at the edge of "near"
      // The whole 32-bit plane: the span needs 64 bits, and the result stays a valid 32000 span.
      {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {-16000, -16000, 16000, 16000}},
      {{INT_MAX - 10, 0, INT_MAX, 10}, {INT_MAX - 10, 0, INT_MAX, 10}},
  };
  for (const ClampCase& c : cases) {
    Rect out;
    Rect::ClampForGdi(&out, &c.in);
    EXPECT_TRUE(Rect::Equal(&out, &c.out))
        << c.in.left << "," << c.in.top << "," << c.in.right << "," << c.in.bottom << " -> " << out.left << ","
        << out.top << "," << out.right << "," << out.bottom;
  }
}

TEST(RectTest, ClampForGdiNeverOverflowsNearTheEdgesOfThePlane) {
  const Rect in{INT_MAX - 100000, 0, INT_MAX, 1};
  Rect out;
  Rect::ClampForGdi(&out, &in);
  EXPECT_EQ(out.Width(), Rect::kGdiMaxSide);
  EXPECT_LE(out.right, INT_MAX);
  const Rect low{INT_MIN, 0, INT_MIN + 100000, 1};
  Rect::ClampForGdi(&out, &low);
  EXPECT_EQ(out.Width(), Rect::kGdiMaxSide);
}

TEST(RectTest, EmptyDegenerateAndContainment) {
  const Rect point{5, 5, 5, 5};
  const Rect line{5, 5, 5, 9};
  const Rect inverted{9, 0, 5, 4};
  EXPECT_TRUE(Rect::IsDegenerate(&point));
  EXPECT_FALSE(Rect::IsDegenerate(&line));
  EXPECT_TRUE(Rect::IsEmpty(&line));
  EXPECT_TRUE(Rect::IsDegenerate(&inverted));

  const Rect r{0, 0, 10, 10};
  const Point inside{9, 9}, rightEdge{10, 5}, bottomEdge{5, 10}, corner{0, 0};
  EXPECT_TRUE(Rect::ContainsPoint(&inside, &r));
  EXPECT_TRUE(Rect::ContainsPoint(&corner, &r));
  EXPECT_FALSE(Rect::ContainsPoint(&rightEdge, &r));
  EXPECT_FALSE(Rect::ContainsPoint(&bottomEdge, &r));
}

TEST(RectTest, OffsetInsetIntersect) {
  Rect r{0, 0, 10, 20};
  Rect::Offset(&r, 3, -2);
  const Rect moved{3, -2, 13, 18};
  EXPECT_TRUE(Rect::Equal(&r, &moved));
  Rect::Inset(&r, 1, 2);
  const Rect inset{4, 0, 12, 16};
  EXPECT_TRUE(Rect::Equal(&r, &inset));

  const Rect a{0, 0, 10, 10}, b{20, 5, 30, 8};
  Rect out;
  Rect::Intersect(&out, &a, &b);
  const Rect inverted{20, 5, 10, 8};  // left past right: not normalised
  EXPECT_TRUE(Rect::Equal(&out, &inverted));
  EXPECT_TRUE(Rect::IsEmpty(&out));
  const Point topLeft = Rect::TopLeft(&b);
  EXPECT_EQ(topLeft.x, 20);
  EXPECT_EQ(topLeft.y, 5);
}

TEST(ColorRecordTest, ColorRefRoundTripAndChannelOrder) {
  const ColorRecord c{255, 0x12, 0x34, 0x56};
  EXPECT_EQ(ColorRecord::GetColorRef(&c), 0x563412u);
  ColorRecord back{};
  ColorRecord::FromColorRef(&back, 0x563412u);
  EXPECT_EQ(back.flag, 255);
  EXPECT_EQ(back.red, 0x12);
  EXPECT_EQ(back.blue, 0x56);
  EXPECT_EQ(SwapBytes32(0x11223344u), 0x44332211u);
}

TEST(ColorRecordTest, LightenAndDarkenThresholds) {
  struct Case {
    uint8_t in, lightened, darkened;
  };
  const Case cases[] = {{160, 224, 112}, {161, 255, 113}, {96, 160, 48}, {95, 159, 47},
                        {48, 112, 24},   {47, 111, 0},    {0, 64, 0},    {255, 255, 207}};
  for (const Case& c : cases) {
    ColorRecord l{7, c.in, c.in, c.in};
    ColorRecord::Lighten(&l);
    EXPECT_EQ(l.red, c.lightened) << int(c.in);
    EXPECT_EQ(l.blue, c.lightened);
    EXPECT_EQ(l.flag, 7);
    ColorRecord d{7, c.in, c.in, c.in};
    ColorRecord::Darken(&d);
    EXPECT_EQ(d.green, c.darkened) << int(c.in);
  }
}

}  // namespace
