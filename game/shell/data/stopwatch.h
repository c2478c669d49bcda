// Stopwatch: elapsed time on the framework's 64-bit microsecond counter, read in milliseconds. The start-up
// steps and the frame pacing measure with it. YieldBriefly gives the processor away for a moment.
#pragma once

#include <cstdint>

class Stopwatch {
 public:
  Stopwatch();  // starts now

  void Restart();              // start = lap = now
  void SetBack(int32_t microseconds);  // start = lap = now - microseconds, as though started that long ago
  // Records the lap time; the start is kept. Returns whether a (non-empty) label was given.
  bool Lap(const char* label);
  // Milliseconds since the start, in single precision. A counter that wrapped since the start still counts.
  float ElapsedMilliseconds() const;

  uint64_t LapValue() const { return lap_; }
  uint64_t StartValue() const { return start_; }

 private:
  uint64_t lap_ = 0;
  uint64_t start_ = 0;
};

void YieldBriefly();  // sleeps 1 ms
