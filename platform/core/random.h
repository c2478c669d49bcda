// The framework's random numbers: a multiplicative generator over a 32-bit state. Start-up seeds it from the
// clocks; tests and replays fix it with PlatformSetRandomSeed.
#pragma once

#include <cstdint>

uint32_t PlatformSetRandomSeed(uint32_t seed);  // returns the previous state
uint32_t PlatformRandomRange(uint32_t start, uint32_t end);  // a value in [start, end); start when they are equal
