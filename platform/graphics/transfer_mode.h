// How a world is drawn by copy bits and pattern fill: a transfer kind and four value bytes (a level, a palette
// index or a colour key).
#pragma once

#include <cstdint>

struct TransferMode {
  int32_t kind;      // 0 copy, 1 blend by mask, 2 by source alpha, 3 by a level, 4 mask times level, 5 colour key
  uint8_t value[4];  // first byte: the level or the key's palette index; a direct-colour key uses all four

  // The four value bytes read as one little-endian word.
  uint32_t ValueWord() const {
    return static_cast<uint32_t>(value[0]) | (static_cast<uint32_t>(value[1]) << 8) |
           (static_cast<uint32_t>(value[2]) << 16) | (static_cast<uint32_t>(value[3]) << 24);
  }
};

// The default: a plain copy with value bytes {255, 0, 0, 0}.
inline void InitTransferMode(TransferMode* mode) { *mode = TransferMode{0, {255, 0, 0, 0}}; }
