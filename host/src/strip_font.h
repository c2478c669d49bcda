// The typeface of the host-drawn menu strip and its drop-downs: one of the sans-serif faces the build installs,
// rendered with FreeType. Without any font the text is laid out with a fixed advance and not drawn, so menus
// still work (and measure the same way) on a machine without fonts.
#pragma once

#include <cstdint>
#include <string_view>

namespace host {

// Width in pixels of a menu text (Windows-1252 bytes); "&" marks the next character as the mnemonic and is not
// shown, "&&" shows one "&".
int StripTextWidth(std::string_view text);

// Draws the text with its baseline at y and the mnemonic underlined, clipped to the pixel rectangle.
void StripDrawText(uint32_t* pixels, int width, int height, int x, int baseline, std::string_view text,
                   uint32_t color);

// Distance from the top of a line of text to its baseline.
int StripTextAscent();

// The mnemonic of a menu text, lower-cased, or 0 when it has none.
char StripMnemonic(std::string_view text);

}  // namespace host
