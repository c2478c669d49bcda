// A message box's text fitted to the screen. The display's own message box sizes itself to its text and is never
// told the screen's size: a long line makes a box wider than the screen (or one the display refuses to make) and
// many lines one taller. The text is prepared instead: lines wrap at a width that fits, an unbroken word longer
// than that (a path) is shortened in its middle, and lines past what fits end in an ellipsis line. Internal to the
// host layer.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace host {

struct MessageBoxLimits {
  size_t columns;  // characters a line
  size_t lines;
};

// What a box on a screen of that size holds, counting every character as wide as the widest of the box's font.
MessageBoxLimits MessageBoxLimitsFor(int screenWidth, int screenHeight);

// The word cut to `columns` characters with "..." in its middle; the word itself when it fits.
std::string ShortenInMiddle(std::string_view word, size_t columns);

// The text wrapped and cut to the limits (Windows-1252 bytes, one character each; lines end with "\n", a
// carriage return before one is dropped).
std::string FitMessageBoxText(std::string_view text, const MessageBoxLimits& limits);

}  // namespace host
