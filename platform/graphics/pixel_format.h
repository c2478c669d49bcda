// Pixel formats: the codes that describe how a pixel map stores its pixels (channel widths, shifts, masks and
// scale factors, bytes per pixel), the format key that tells maps of one layout apart from others, and the inverse
// colour table through which direct colours are mapped to palette indices.
//
// Channels are always listed in the order alpha, red, green, blue.
#pragma once

#include <cstdint>

#include "platform/graphics/color.h"

using PixelFormatCode = uint32_t;

// 8, 15, 16, 24 and 32 name depths; the packed codes spell the alpha, red, green and blue widths in hexadecimal
// digits (alpha highest); the two with the top bit set are the alpha-lowest and red-first layouts.
constexpr PixelFormatCode kPixelFormat8 = 8;
constexpr PixelFormatCode kPixelFormat15 = 15;
constexpr PixelFormatCode kPixelFormat16 = 16;
constexpr PixelFormatCode kPixelFormat24 = 24;
constexpr PixelFormatCode kPixelFormat32 = 32;
constexpr PixelFormatCode kPixelFormat555 = 0x555;
constexpr PixelFormatCode kPixelFormat565 = 0x565;
constexpr PixelFormatCode kPixelFormat1555 = 0x1555;
constexpr PixelFormatCode kPixelFormat4444 = 0x4444;
constexpr PixelFormatCode kPixelFormat888 = 0x888;
constexpr PixelFormatCode kPixelFormat8888 = 0x8888;
constexpr PixelFormatCode kPixelFormat4444AlphaLow = 0x80004444;
constexpr PixelFormatCode kPixelFormat8888RedFirst = 0x80008888;

enum PixelChannel : int { kChannelAlpha = 0, kChannelRed = 1, kChannelGreen = 2, kChannelBlue = 3 };

// The channel description of a pixel map. A channel value v of width n becomes the 8-bit value
// (v x scales[n]) >> 8.
struct PixelChannels {
  uint8_t bits[4];
  uint8_t shifts[4];
  uint8_t masks[4];
  uint16_t scales[4];
};

// Scale factor of a channel of the given width (0 to 8): floor(65535 / (2^n - 1)), 0 for width 0.
uint16_t ChannelScale(uint32_t width);

// Describes a format. Returns the bytes per pixel, or -1 for an unknown code (the outputs are then zero). The
// depth code is always 0.
int32_t PlatformPixelFormat(PixelFormatCode code, uint8_t* depthCode, uint8_t bits[4], uint8_t shifts[4],
                            uint8_t masks[4], uint16_t scales[4]);
int32_t PlatformPixelFormat(PixelFormatCode code, PixelChannels* channels);

// Format keys. Direct-colour maps share the key of their channel layout; every 8-bit map gets a key of its own
// from a running counter; maps on the shared 256-grey palette (masks) share kMaskFormatKey.
constexpr uint32_t kMaskFormatKey = 0x8889;
constexpr uint32_t kFirstIndexedFormatKey = 0x888A;
// The key of a direct-colour layout: (bits A << 12) | (bits R << 8) | (bits G << 4) | bits B, with the top bit set
// when the channels do not lie in the packed order (blue lowest, alpha highest), so that the red-first and
// alpha-lowest layouts never share a key with the packed layout of the same widths.
uint32_t DirectFormatKey(const PixelChannels& channels);
uint32_t NextIndexedFormatKey();

// The inverse colour table: entry i names the palette index nearest to the colour whose 4-bit levels are
// r = (i >> 8) & 15, g = (i >> 4) & 15, b = i & 15 (each level standing for level x 17). Bit 12 plays no part, so
// the second half repeats the first.
constexpr int32_t kInverseTableSize = 8192;
void PlatformBuildInverseTable(uint8_t table[kInverseTableSize], const Palette* palette);

// The index of the inverse table for an 8-bit colour.
inline uint32_t InverseTableIndex(uint32_t red, uint32_t green, uint32_t blue) {
  return ((red & 0xF0) << 4) | (green & 0xF0) | (blue >> 4);
}
