// Small number helpers and the compass angle.
#include "game/shell/data/number_utils.h"

#include <cmath>
#include <cstdlib>
#include <numbers>

int32_t MaxInt(int32_t a, int32_t b) { return a > b ? a : b; }

int32_t NonNegative(int32_t a) { return a > 0 ? a : 0; }

int32_t VectorAngleDegrees(int32_t dx, int32_t dy) {
  double ax = std::fabs(static_cast<double>(dx));
  double ay = std::fabs(static_cast<double>(dy));
  // The degree factor uses 1/pi rounded to single precision, as stored angles were computed with it.
  constexpr double kInversePi = static_cast<float>(std::numbers::inv_pi);
  double a = std::atan2(ay, ax) * 180.0 * kInversePi;
  double angle;
  if (dx >= 0 && dy >= 0) {
    angle = a + 90.0;
  } else if (dx >= 0) {
    angle = std::fabs(a - 90.0);
  } else if (dy <= 0) {
    angle = a + 270.0;
  } else {
    angle = 180.0 + std::fabs(a - 90.0);
  }
  return static_cast<int32_t>(std::nearbyint(angle));
}
