// The game's own random numbers: a linear congruential generator (multiplier 1103515245, increment 12345) that
// gives 15-bit numbers, seeded once at start-up. Tests seed it to get a fixed sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

void SeedRandom(uint32_t seed);
int32_t NextRandom();                     // 0 to 32767
int32_t RandomBit();                      // 1 - the low bit of the next number
int32_t RandomRange(int32_t a, int32_t b);  // a to b, both included; a when b is not above a

// Test seam: the results that the next calls of RandomRange give, in order, before the generator is asked again;
// each is kept within the range asked for, and a call whose range holds one number takes none. An empty list
// goes back to the generator. ScriptedDrawsLeft tells how many are still waiting.
void ScriptRandomDraws(std::vector<int32_t> draws);
size_t ScriptedDrawsLeft();
