// Directions on the map: 1 up, 2 up-right, 3 right, 4 down-right, 5 down, 6 down-left, 7 left, 8 up-left, 0 none.
// Two ways to name the direction from one point to another: by the signs of the offsets (eight exact
// directions, for neighbouring cells) and by the compass angle (the nearest of the eight, for any two points).
#pragma once

#include <cstdint>

// By the signs of the offsets: straight when the points share a column or a row, else the diagonal of the
// quadrant; 0 for the same point.
int32_t DirectionFromDelta(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// By the whole-degree compass angle of (x1 - x0, y1 - y0): 1 for 339 to 22 degrees, 2 for 23 to 66, and so on
// clockwise by sectors of about 45 degrees.
int32_t DirectionFromAngle(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
