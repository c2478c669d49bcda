// Cost of making and disposing a handle while many others are live: every New and Dispose first walks every
// master-pointer entry to check the guard words, so the cost grows with the number of entries.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/core/memory.h"
#include "platform/core/strings.h"

namespace {

void NewAndDispose(benchmark::State& state) {
  std::vector<PlatformHandle*> live;
  for (int64_t i = 0; i < state.range(0); ++i) live.push_back(PlatformHandle::New(16));
  for (auto _ : state) {
    PlatformHandle* handle = PlatformHandle::New(64);
    benchmark::DoNotOptimize(handle);
    PlatformHandle::Dispose(handle);
  }
  for (PlatformHandle* handle : live) PlatformHandle::Dispose(handle);
}
BENCHMARK(NewAndDispose)->Arg(0)->Arg(1000)->Arg(10000);

void AppendBytes(benchmark::State& state) {
  PlatformHandle* handle = PlatformHandle::New(0);
  char bytes[64] = {};
  for (auto _ : state) {
    if (PlatformHandle::GetSize(handle) > (1u << 20)) PlatformHandle::SetSize(handle, 0);
    PlatformHandle::AppendBytes(handle, bytes, sizeof bytes);
  }
  PlatformHandle::Dispose(handle);
}
BENCHMARK(AppendBytes);

void FormatString(benchmark::State& state) {
  char text[256];
  for (auto _ : state) {
    PlatformFormatString(text, sizeof text, "%s: %5d of %-8s %08x %p", "record", 42, "items", 0xBEEFu, text);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(FormatString);

}  // namespace
