// Handles and strings of the framework against the C and C++ libraries on the same work. Making and disposing a
// 64-byte handle while 0, 1,000 and 10,000 others are live (every New and Dispose first walks every
// master-pointer entry to check the guard words, so the cost grows with the number of entries), against malloc
// and free with as many blocks live; appending 64 bytes to a handle, emptied at 1 MB, against a std::vector of
// bytes; formatting a line, against snprintf of the same format and arguments. Each row checks that ours and the
// reference give the same result: a block of 64 bytes that keeps what is written to it, the same bytes appended,
// the same text.
//
// The master-pointer entries a case makes stay for the rest of the run (their blocks are never freed), so the
// benchmarks run in the order they are registered, each one's repetitions together, not interleaved: the cases
// with 0, 1,000 and 10,000 live handles walk as many entries as they make, and no more.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/ratio_table.h"
#include "platform/core/memory.h"
#include "platform/core/strings.h"

namespace {

constexpr uint32_t kBlockBytes = 64;
constexpr uint32_t kLiveBytes = 16;
constexpr uint32_t kEmptiedAt = 1u << 20;
constexpr int64_t kLive[] = {0, 1000, 10000};

// ---- Making and disposing ----

void NewAndDispose(benchmark::State& state) {
  std::vector<PlatformHandle*> live;
  for (int64_t i = 0; i < state.range(0); ++i) live.push_back(PlatformHandle::New(kLiveBytes));
  for (auto _ : state) {
    PlatformHandle* handle = PlatformHandle::New(kBlockBytes);
    benchmark::DoNotOptimize(handle);
    PlatformHandle::Dispose(handle);
  }
  for (PlatformHandle* handle : live) PlatformHandle::Dispose(handle);
  state.SetItemsProcessed(state.iterations());
}

void MallocFree(benchmark::State& state) {
  std::vector<void*> live;
  for (int64_t i = 0; i < state.range(0); ++i) live.push_back(std::malloc(kLiveBytes));
  for (auto _ : state) {
    void* block = std::malloc(kBlockBytes);
    benchmark::DoNotOptimize(block);
    std::free(block);
  }
  for (void* block : live) std::free(block);
  state.SetItemsProcessed(state.iterations());
}

// The check: a new handle and a new block both hold 64 bytes and keep what is written to them.
std::string SameBlock() {
  uint8_t pattern[kBlockBytes];
  for (uint32_t i = 0; i < kBlockBytes; ++i) pattern[i] = static_cast<uint8_t>(i * 37 + 1);
  PlatformHandle* handle = PlatformHandle::New(kBlockBytes);
  void* block = std::malloc(kBlockBytes);
  std::string difference;
  if (handle == nullptr || block == nullptr) {
    difference = handle == nullptr ? "no handle was made" : "malloc failed";
  } else if (PlatformHandle::GetSize(handle) != kBlockBytes) {
    difference = "the handle holds " + std::to_string(PlatformHandle::GetSize(handle)) + " bytes";
  } else {
    std::memcpy(handle->data, pattern, kBlockBytes);
    std::memcpy(block, pattern, kBlockBytes);
    if (std::memcmp(handle->data, block, kBlockBytes) != 0) difference = "the handle does not keep its bytes";
  }
  if (handle != nullptr) PlatformHandle::Dispose(handle);
  std::free(block);
  return difference;
}

// ---- Appending ----

// Appends 64 bytes (the same each time) to a handle, emptying it once it holds more than a size (1 MB as measured).
class HandleAppender {
 public:
  explicit HandleAppender(uint32_t emptiedAt = kEmptiedAt) : emptiedAt_(emptiedAt), handle_(PlatformHandle::New(0)) {}
  ~HandleAppender() { PlatformHandle::Dispose(handle_); }
  void Append(const uint8_t* bytes) {
    if (PlatformHandle::GetSize(handle_) > emptiedAt_) PlatformHandle::SetSize(handle_, 0);
    PlatformHandle::AppendBytes(handle_, bytes, kBlockBytes);
  }
  std::string Bytes() const {
    return std::string(static_cast<const char*>(handle_->data), PlatformHandle::GetSize(handle_));
  }

 private:
  uint32_t emptiedAt_;
  PlatformHandle* handle_;
};

// The same with a std::vector.
class VectorAppender {
 public:
  explicit VectorAppender(uint32_t emptiedAt = kEmptiedAt) : emptiedAt_(emptiedAt) {}
  void Append(const uint8_t* bytes) {
    if (bytes_.size() > emptiedAt_) bytes_.clear();
    bytes_.insert(bytes_.end(), bytes, bytes + kBlockBytes);
  }
  std::string Bytes() const { return std::string(bytes_.begin(), bytes_.end()); }

 private:
  uint32_t emptiedAt_;
  std::vector<uint8_t> bytes_;
};

const uint8_t* AppendedBytes() {
  static const auto bytes = [] {
    std::vector<uint8_t> b(kBlockBytes);
    for (uint32_t i = 0; i < kBlockBytes; ++i) b[i] = static_cast<uint8_t>('a' + i % 26);
    return b;
  }();
  return bytes.data();
}

template <typename Appender>
void Append(benchmark::State& state) {
  Appender appender;
  for (auto _ : state) appender.Append(AppendedBytes());
  state.SetItemsProcessed(state.iterations());
}

// The check: the same appends, past a few emptyings (at 4 KB: a megabyte's appends cost the sanitizers dearly),
// leave the same bytes.
std::string SameBytesAppended() {
  constexpr uint32_t kCheckEmptiedAt = 4096;
  HandleAppender ours(kCheckEmptiedAt);
  VectorAppender reference(kCheckEmptiedAt);
  for (uint32_t i = 0; i < 3 * kCheckEmptiedAt / kBlockBytes + 10; ++i) {
    ours.Append(AppendedBytes());
    reference.Append(AppendedBytes());
  }
  const std::string a = ours.Bytes(), b = reference.Bytes();
  if (a == b) return "";
  return "the handle holds " + std::to_string(a.size()) + " bytes, the vector " + std::to_string(b.size()) +
         (a.size() == b.size() ? ", not the same" : "");
}

// ---- Formatting ----

// A line as the framework's messages format them (the arguments every formatter prints alike).
template <typename Format>
void FormatLine(Format format, char* text, size_t size) {
  format(text, size, "%s: %5d of %-8s %08x %u%% %c", "record", 42, "items", 0xBEEFu, 99u, 'z');
}
void OursFormat(char* text, size_t size) {
  FormatLine([](char* t, size_t s, const char* f, auto... a) { PlatformFormatString(t, uint32_t(s), f, a...); }, text,
             size);
}
void SnprintfFormat(char* text, size_t size) {
  FormatLine([](char* t, size_t s, const char* f, auto... a) { std::snprintf(t, s, f, a...); }, text, size);
}

template <void (*Format)(char*, size_t)>
void Formats(benchmark::State& state) {
  char text[256];
  for (auto _ : state) {
    Format(text, sizeof text);
    benchmark::DoNotOptimize(text);
  }
  state.SetItemsProcessed(state.iterations());
}

std::string SameText() {
  char ours[256], reference[256];
  OursFormat(ours, sizeof ours);
  SnprintfFormat(reference, sizeof reference);
  if (std::strcmp(ours, reference) == 0) return "";
  return std::string("\"") + ours + "\" against \"" + reference + "\"";
}

KESTRIVAL_BENCH(BENCHMARK(NewAndDispose)->Arg(kLive[0])->Arg(kLive[1])->Arg(kLive[2]));
KESTRIVAL_BENCH(BENCHMARK(MallocFree)->Arg(kLive[0])->Arg(kLive[1])->Arg(kLive[2]));
KESTRIVAL_BENCH(BENCHMARK_TEMPLATE(Append, HandleAppender));
KESTRIVAL_BENCH(BENCHMARK_TEMPLATE(Append, VectorAppender));
KESTRIVAL_BENCH(BENCHMARK_TEMPLATE(Formats, OursFormat));
KESTRIVAL_BENCH(BENCHMARK_TEMPLATE(Formats, SnprintfFormat));

}  // namespace

int main(int argc, char** argv) {
  std::vector<bench::RatioRow> rows;
  for (int64_t live : kLive) {
    const std::string arg = std::to_string(live);
    rows.push_back({"handle made and disposed, " + arg + " live", "NewAndDispose/" + arg, "MallocFree/" + arg, 0, 0, "",
                    SameBlock});
  }
  rows.push_back({"64 bytes appended to a handle", "Append<HandleAppender>", "Append<VectorAppender>", 0, 0, "",
                  SameBytesAppended});
  rows.push_back({"a line formatted", "Formats<OursFormat>", "Formats<SnprintfFormat>", 0, 0, "", SameText});
  return bench::RunWithRatioTable(argc, argv, std::move(rows), false);
}
