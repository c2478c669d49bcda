// Stopwatch over the framework's microsecond counter.
#include "game/shell/data/stopwatch.h"

#include "host/kernel.h"
#include "platform/core/clocks.h"

Stopwatch::Stopwatch() { Restart(); }

void Stopwatch::Restart() { start_ = lap_ = PlatformMicroseconds(); }

void Stopwatch::SetBack(int32_t microseconds) {
  // The amount is widened with its sign and the subtraction wraps like the counter itself.
  start_ = lap_ = PlatformMicroseconds() - static_cast<uint64_t>(static_cast<int64_t>(microseconds));
}

bool Stopwatch::Lap(const char* label) {
  lap_ = PlatformMicroseconds();
  return label != nullptr && label[0] != '\0';
}

float Stopwatch::ElapsedMilliseconds() const {
  uint64_t now = PlatformMicroseconds();
  uint64_t elapsed = start_ <= now ? now - start_ : (UINT64_MAX - start_) + now;
  return static_cast<float>(elapsed) * 0.001f;
}

void YieldBriefly() { Sleep(1); }
