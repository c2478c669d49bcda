// The game's fixed table of 500 signed 16-bit values, each from 0 to 32767. The rules draw stamina gains from it,
// and saved games mask the character's numbers with its entries so that the file does not show them plainly.
#pragma once

#include <cstdint>

constexpr int32_t kRandomTableSize = 500;

// Entry (index + key) mod 500, the modulo taken non-negative, so any index and key (a key read from a file may
// be negative) land inside the table.
int16_t RandomTableValue(int32_t index, int32_t key);
