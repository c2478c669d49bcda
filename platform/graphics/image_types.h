// The small value types the image importers hand over: a rectangle with exclusive right and bottom edges and a
// colour record {flag, red, green, blue}.
#pragma once

#include <cstdint>

struct Rect {
  int32_t left;
  int32_t top;
  int32_t right;   // exclusive
  int32_t bottom;  // exclusive
};

// A colour as four bytes: flag (255 for a set colour; 0 marks a palette's transparent entry), red, green, blue.
struct ColorRecord {
  uint8_t flag;
  uint8_t red;
  uint8_t green;
  uint8_t blue;
};
