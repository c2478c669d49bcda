// The game's software blitter: every drawing into a Bitmap goes through these entry points.
//
// Routines are chosen by pixel format with one table look-up per call (the routine tables of
// blit_routines.h); the plain routines blend through the product table, and the vector rows chosen for this
// processor when the tables are built (blit_vector_rows.cpp) compute the same floors exactly. Keyed pictures that
// keep a run table (key_runs.h) draw through it. Every entry point clips what it is given to the destination and
// source bitmaps (layout rectangles come from scenario files), and a bitmap without pixels or with a
// bytes-per-pixel other than 2, 3 or 4 is left alone.
//
// Colours are four bytes blue, green, red, alpha (the 32-bit value 0xAARRGGBB); levels are 0 to 255.
#pragma once

#include <cstdint>

#include "game/graphics/bounds.h"

class Bitmap;
class BitMask;

struct DrawColor {
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t alpha = 0;

  uint32_t Value() const {
    return uint32_t{blue} | uint32_t{green} << 8 | uint32_t{red} << 16 | uint32_t{alpha} << 24;
  }
  static DrawColor FromValue(uint32_t value) {
    return DrawColor{static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
                     static_cast<uint8_t>(value >> 24)};
  }
  friend bool operator==(const DrawColor&, const DrawColor&) = default;
};

// Builds the product tables and fills the routine tables; the entry points do it themselves on first use.
void InitBlitter();
// Frees the tables; a later drawing builds them again.
void FreeBlitterTables();

// Puts the rect of source at point of destination by the routine the two formats select (copy, colour key or
// alpha blend).
void DrawBitmap(Bitmap& destination, Point point, const Bitmap& source, Bounds rect);
// Fills a rectangle; opaque white into a keyed bitmap is stored as white with alpha 0.
void FillRect(Bitmap& bitmap, Bounds rect, DrawColor color);
// The four one-pixel edges of a rectangle.
void FrameRect(Bitmap& bitmap, Bounds rect, DrawColor color);
// Every colour channel c becomes floor(level x c / 255); alpha stays.
void ShadeRect(Bitmap& bitmap, Bounds rect, int32_t level);
// Every alpha byte a becomes floor(level x a / 255); 4-byte bitmaps only.
void ScaleAlphaRect(Bitmap& bitmap, Bounds rect, int32_t level);
// An elliptic ring inside the rectangle; nothing when either radius is below 2.
void FrameEllipse(Bitmap& bitmap, Bounds rect, DrawColor color, int32_t radiusX, int32_t radiusY, bool thick);
// A one-pixel Bresenham line, both end points drawn; pixels outside the bitmap are skipped.
void DrawLine(Bitmap& bitmap, Point from, Point to, DrawColor color);
// Reads the pixel at (x, y) as B, G, R, A (alpha 255 for 2- and 3-byte pixels). False, with a zero colour,
// outside the bitmap.
bool GetPixel(DrawColor& color, const Bitmap& bitmap, int32_t x, int32_t y);
// Moves the pixels of a rectangle by (dx, dy), keeping what moves inside both the bitmap and the rectangle.
void ScrollRect(Bitmap& bitmap, Bounds rect, int32_t dx, int32_t dy);
// Makes the pixels of the area at point transparent where the mask's bit (at the same point in the mask's
// coordinates) is clear, then marks the bitmap keyed (also when nothing of the area was left to mask).
void ApplyMask(Bitmap& bitmap, Point point, const BitMask& mask, int32_t width, int32_t height);
// Sets the mask bits from maskPoint on where the pixels of rect differ from the colour, clears them where equal.
void BuildMaskFromColour(BitMask& mask, Point maskPoint, const Bitmap& bitmap, Bounds rect, DrawColor color);
// Scales the set bits of the source rectangle of one mask into another, placing the blocks from (0, 0) of the
// destination mask and cutting them at the destination rectangle's right and bottom edges; only sets bits, and
// only what fits both masks.
void ScaleBitMask(BitMask& destination, Bounds destinationRect, const BitMask& source, Bounds sourceRect);

// Converts width x height pixels between pixel sizes (source code 2, 3 or 4 bytes) without key or blend.
void ConvertPixels(int32_t destinationBytes, int32_t sourceCode, uint8_t* destination, const uint8_t* source,
                   int64_t destinationRowBytes, int64_t sourceRowBytes, int32_t width, int32_t height);
