// Conversions of the world's floating positions and offsets to the integers that place pictures, and the division
// that finds the cell or block a coordinate lies in.
#pragma once

#include <cstdint>

// Truncates toward zero, saturating at the ends of the 32-bit range; NaN gives 0. (A plain conversion of a
// float out of that range is undefined, and positions can come from scripts.)
inline int32_t TruncateToInt32(double value) {
  if (!(value == value)) return 0;
  if (value >= 2147483647.0) return INT32_MAX;
  if (value <= -2147483648.0) return INT32_MIN;
  return static_cast<int32_t>(value);
}

// The same, then narrowed to 16 bits as drawn positions are kept (the low 16 bits, as a signed value).
inline int16_t TruncateToInt16(double value) { return static_cast<int16_t>(TruncateToInt32(value)); }

// value / divisor rounded down, for a divisor above 0: coordinates left of or above the origin fall in the cells
// (or blocks) before it, not in the first one.
inline int64_t FloorDivide(int64_t value, int64_t divisor) {
  const int64_t quotient = value / divisor;
  return value % divisor != 0 && value < 0 ? quotient - 1 : quotient;
}
