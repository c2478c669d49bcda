// Reading, decoding and encoding single pixels, shared by the row-transfer routines and the row writers.
//
// A pixel is read as a 32-bit word by bytes per pixel: an 8-bit pixel reads the palette entry it indexes (flag in
// the low byte), deeper pixels their little-endian bytes. Channels decode to 8 bits with the map's channel
// description and encode by keeping each channel's top bits; 8-bit maps encode through their inverse table.
#pragma once

#include <cstdint>

#include "platform/graphics/graphics_world.h"

inline uint32_t ReadPixelWord(const uint8_t* p, uint32_t bytesPerPixel, const ColorRecord* palette) {
  switch (bytesPerPixel) {
    case 1: {
      const ColorRecord& e = palette[*p];
      return static_cast<uint32_t>(e.flag) | (static_cast<uint32_t>(e.red) << 8) |
             (static_cast<uint32_t>(e.green) << 16) | (static_cast<uint32_t>(e.blue) << 24);
    }
    case 2: return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8);
    case 3:
      return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16);
    default:
      return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
             (static_cast<uint32_t>(p[3]) << 24);
  }
}

inline uint32_t DecodeChannel(uint32_t word, const PixelChannels& c, int channel) {
  return (((word >> c.shifts[channel]) & c.masks[channel]) * c.scales[channel]) >> 8;
}

// An 8-bit value reduced to the channel's width and put in place.
inline uint32_t EncodeChannel(uint32_t value, const PixelChannels& c, int channel) {
  return (value >> (8 - c.bits[channel])) << c.shifts[channel];
}

inline uint32_t FullAlphaBits(const PixelChannels& c) {
  return static_cast<uint32_t>(c.masks[kChannelAlpha]) << c.shifts[kChannelAlpha];
}

inline void WritePixel(uint8_t* d, const PixelMap& map, const uint8_t* inverseTable, uint32_t red, uint32_t green,
                       uint32_t blue, uint32_t alphaPart) {
  if (map.bytesPerPixel == 1) {
    *d = inverseTable[InverseTableIndex(red, green, blue)];
    return;
  }
  const PixelChannels& c = map.channels;
  const uint32_t word = EncodeChannel(red, c, kChannelRed) | EncodeChannel(green, c, kChannelGreen) |
                        EncodeChannel(blue, c, kChannelBlue) | alphaPart;
  for (uint32_t i = 0; i < map.bytesPerPixel; ++i) d[i] = static_cast<uint8_t>(word >> (8 * i));
}
