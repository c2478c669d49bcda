// The code page of every text byte the system draws: Windows-1252 bytes and their Unicode code points.
#pragma once

#include <cstdint>

namespace host {

// Bytes 0x80 to 0x9F have their own characters (the five unassigned ones pass through); the other bytes are Latin-1.
inline uint32_t Windows1252CodePoint(unsigned char byte) {
  static constexpr uint16_t kHigh[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                         0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  if (byte >= 0x80 && byte < 0xA0) return kHigh[byte - 0x80];
  return byte;
}

}  // namespace host
