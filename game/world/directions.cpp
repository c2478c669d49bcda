// The two direction helpers of the map code.
#include "game/world/directions.h"

#include "game/shell/data/number_utils.h"

int32_t DirectionFromDelta(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (x0 == x1) return y1 > y0 ? 5 : y1 < y0 ? 1 : 0;
  if (y0 == y1) return x1 > x0 ? 3 : 7;
  if (x1 < x0) return y1 < y0 ? 8 : 6;
  return y1 < y0 ? 2 : 4;
}

int32_t DirectionFromAngle(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int32_t angle = VectorAngleDegrees(static_cast<int32_t>(static_cast<int64_t>(x1) - x0),
                                           static_cast<int32_t>(static_cast<int64_t>(y1) - y0));
  // The upper bound of each sector, in compass order from up.
  constexpr int32_t kSectorEnds[8] = {22, 66, 111, 155, 202, 246, 292, 338};
  if (angle < 0) return 0;
  for (int32_t i = 0; i < 8; ++i) {
    if (angle <= kSectorEnds[i]) return i + 1;
  }
  return 1;
}
