// Small number helpers shared by the game: maxima, clamping at zero and the compass angle of a vector.
#pragma once

#include <cstdint>

int32_t MaxInt(int32_t a, int32_t b);
int32_t NonNegative(int32_t a);  // a when above 0, else 0

// The direction of (dx, dy) as a whole-degree compass angle, y growing downwards: up 0, right 90, down 180,
// left 270. The zero vector gives 90; a vector just left of straight up may round to 360.
int32_t VectorAngleDegrees(int32_t dx, int32_t dy);
